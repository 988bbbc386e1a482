#pragma once
// The settings dialog template: its frame and every control, one row each,
// in template order, which is the dialog manager's creation, Tab and
// stacking order. The resource script expands the rows into its CONTROL
// statements, and the template test compares them with the compiled
// resource.
// Preprocessor only: windres reads this through the C preprocessor.
//
// Styles are the bits besides WS_CHILD | WS_VISIBLE, which the CONTROL
// statement adds to every control. Classes are the predefined atoms.

#include "dialog_ids.h"

#define SETTINGS_CLASS_BUTTON 0x0080
#define SETTINGS_CLASS_EDIT 0x0081
#define SETTINGS_CLASS_STATIC 0x0082

#define SETTINGS_LANGUAGE LANG_FINNISH
#define SETTINGS_SUBLANGUAGE SUBLANG_DEFAULT
#define SETTINGS_STYLE (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT)
#define SETTINGS_WIDTH 268
#define SETTINGS_HEIGHT 190
#define SETTINGS_CAPTION "Settings"
#define SETTINGS_FONT_POINTS 8
#define SETTINGS_FONT_WEIGHT 400
#define SETTINGS_FONT_FACE "Tahoma"

#define SETTINGS_NUMBER_EDIT (ES_LEFT | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP)
#define SETTINGS_OFFSET_EDIT (ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP)
#define SETTINGS_ALIGN_BUTTON (BS_RADIOBUTTON | BS_PUSHLIKE)
#define SETTINGS_PUSH_CHECK (BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_MULTILINE | WS_TABSTOP)
#define SETTINGS_LABEL (SS_LEFT | WS_GROUP)
#define SETTINGS_LEGEND (SS_LEFTNOWORDWRAP | WS_GROUP)

// ROW(caption, id, class, style, x, y, width, height, extended style)
#define SETTINGS_CONTROLS(ROW)                                                                     \
    ROW("OK", IDOK, SETTINGS_CLASS_BUTTON, BS_DEFPUSHBUTTON | WS_TABSTOP, 78, 168, 50, 14, 0)      \
    ROW("Cancel", IDCANCEL, SETTINGS_CLASS_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 141, 168, 50, 14,   \
        0)                                                                                         \
    ROW("", IDC_BORDER_WIDTH, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 12, 144, 24, 12, 0)       \
    ROW("Align", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 138, 42, 48, 54, 0)          \
    ROW("Color", IDC_FONT_COLOUR, SETTINGS_CLASS_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 234, 79, 24,  \
        12, 0)                                                                                     \
    ROW("Color", IDC_SHADOW_COLOUR, SETTINGS_CLASS_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 234, 145,   \
        24, 12, 0)                                                                                 \
    ROW("", IDC_FONT_ALPHA, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 204, 79, 24, 12, 0)         \
    ROW("", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 138, 96, 126, 66, 0)              \
    ROW("Font", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 138, 0, 126, 96, 0)           \
    ROW("", IDC_ALIGN_TOP_LEFT, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON | BS_CENTER, 144, 54, \
        12, 12, 0)                                                                                 \
    ROW("", IDC_ALIGN_TOP_RIGHT, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON | BS_LEFTTEXT, 168,  \
        54, 12, 12, 0)                                                                             \
    ROW("^", IDC_ALIGN_TOP_CENTRE, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON, 156, 54, 12, 12,  \
        0)                                                                                         \
    ROW("<", IDC_ALIGN_MIDDLE_LEFT, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON, 144, 66, 12, 12, \
        0)                                                                                         \
    ROW("", IDC_ALIGN_CENTRE, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON, 156, 66, 12, 12, 0)    \
    ROW(">", IDC_ALIGN_MIDDLE_RIGHT, SETTINGS_CLASS_BUTTON,                                        \
        SETTINGS_ALIGN_BUTTON | BS_LEFTTEXT | BS_BOTTOM, 168, 66, 12, 12, 0)                       \
    ROW("", IDC_ALIGN_BOTTOM_LEFT, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON, 144, 78, 12, 12,  \
        0)                                                                                         \
    ROW("v", IDC_ALIGN_BOTTOM_CENTRE, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON, 156, 78, 12,   \
        12, 0)                                                                                     \
    ROW("", IDC_ALIGN_BOTTOM_RIGHT, SETTINGS_CLASS_BUTTON, SETTINGS_ALIGN_BUTTON | BS_LEFTTEXT,    \
        168, 78, 12, 12, 0)                                                                        \
    ROW("", IDC_SHADOW_SOFTNESS, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 192, 114, 24, 12, 0)   \
    ROW("Outline", IDC_BORDER_ENABLED, SETTINGS_CLASS_BUTTON,                                      \
        BS_AUTOCHECKBOX | BS_TOP | WS_TABSTOP, 12, 96, 42, 12, WS_EX_TRANSPARENT)                  \
    ROW("Shadow", IDC_SHADOW_ENABLED, SETTINGS_CLASS_BUTTON,                                       \
        BS_AUTOCHECKBOX | BS_TOP | WS_TABSTOP, 144, 96, 42, 12, 0)                                 \
    ROW("Softness", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 192, 104, 30, 8, 0)    \
    ROW("Size", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL | SS_CENTERIMAGE, 12, 132,  \
        24, 8, 0)                                                                                  \
    ROW("Font", IDC_FONT_BUTTON, SETTINGS_CLASS_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 234, 12, 25,   \
        13, 0)                                                                                     \
    ROW("U", IDC_UNDERLINE, SETTINGS_CLASS_BUTTON, SETTINGS_PUSH_CHECK, 234, 30, 12, 12, 0)        \
    ROW("S", IDC_STRIKEOUT, SETTINGS_CLASS_BUTTON, SETTINGS_PUSH_CHECK, 246, 30, 12, 12, 0)        \
    ROW("Position", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 144, 116, 30, 8, 0)    \
    ROW("X", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 144, 126, 12, 8, 0)           \
    ROW("Y", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 144, 145, 12, 8, 0)           \
    ROW("", IDC_SHADOW_SIZE, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 234, 114, 24, 12, 0)       \
    ROW("", IDC_SHADOW_ALPHA, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 204, 145, 24, 12, 0)      \
    ROW("Size", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL | SS_CENTERIMAGE, 234, 104, \
        24, 8, 0)                                                                                  \
    ROW("Color", IDC_BORDER_COLOUR, SETTINGS_CLASS_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 102, 144,   \
        24, 12, 0)                                                                                 \
    ROW("", IDC_BORDER_ALPHA, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 72, 144, 24, 12, 0)       \
    ROW("Alpha", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 204, 68, 24, 8,           \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("Color", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 234, 68, 24, 8,           \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("Alpha", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 204, 134, 24, 8,          \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("Color", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 234, 134, 24, 8,          \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("Alpha", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 72, 132, 24, 8,           \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("Color", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 102, 132, 24, 8,          \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("", IDC_SHADOW_OFFSET_X, SETTINGS_CLASS_EDIT, SETTINGS_OFFSET_EDIT, 156, 126, 18, 12, 0)   \
    ROW("", IDC_SHADOW_OFFSET_Y, SETTINGS_CLASS_EDIT, SETTINGS_OFFSET_EDIT, 156, 145, 18, 12, 0)   \
    ROW("", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 198, 60, 66, 36, 0)               \
    ROW("", IDC_FONT_LABEL, SETTINGS_CLASS_EDIT,                                                   \
        ES_RIGHT | ES_READONLY | WS_DISABLED | WS_TABSTOP, 144, 12, 84, 12, WS_EX_TRANSPARENT)     \
    ROW("", IDC_TEXT_TEMPLATE, SETTINGS_CLASS_EDIT,                                                \
        ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 12, 12,     \
        114, 48, 0)                                                                                \
    ROW("Text", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 6, 0, 126, 96,                \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("", IDC_DECIMALS, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 102, 75, 24, 12, 0)           \
    ROW("# of desimals:", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 78, 66, 48, 8,   \
        WS_EX_RIGHT | WS_EX_TRANSPARENT)                                                           \
    ROW("Meter Value: %v", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LEGEND, 12, 66, 60, 8, \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("Break Line: %b", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LEGEND, 12, 74, 60, 8,  \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("Tab: %tab", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LEGEND, 12, 82, 60, 8,       \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("", IDC_TAB_WIDTH, SETTINGS_CLASS_EDIT, SETTINGS_NUMBER_EDIT, 234, 48, 24, 12, 0)          \
    ROW("tab width:", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 198, 48, 36, 8,      \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("", IDC_ANTIALIAS, SETTINGS_CLASS_BUTTON, BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 216, \
        30, 12, 12, 0)                                                                             \
    ROW("AntiAlias", IDC_STATIC_TEXT, SETTINGS_CLASS_STATIC, SETTINGS_LABEL, 186, 30, 30, 8,       \
        WS_EX_TRANSPARENT)                                                                         \
    ROW("", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 6, 96, 126, 66, 0)                \
    ROW("", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 66, 126, 66, 36, 0)               \
    ROW("", IDC_STATIC_TEXT, SETTINGS_CLASS_BUTTON, BS_GROUPBOX, 198, 126, 66, 36, 0)
