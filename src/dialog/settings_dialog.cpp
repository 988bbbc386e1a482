#include "dialog/settings_dialog.h"

#include "dialog/dialog_ids.h"
#include "dialog/dialog_rules.h"
#include "dialog/pickers.h"
#include "text/decimal_number.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

namespace {

// The dialog that is open right now, so that a second vis_configure or the
// module's detach can end it. Each dialog keeps its own state with its
// window instead: a newer dialog must never redirect an older one's writes.
HWND open_dialog = nullptr;

constexpr char decimals_warning_text[] = "No one needs that much decimals :)\nSorry! Only 10";
constexpr char decimals_warning_caption[] = "Error";

// Bytes of the buffer OK reads typed text through, its NUL included: what
// does not fit is cut.
constexpr int number_capacity = 4;
constexpr int border_width_capacity = 3;
constexpr int template_capacity = template_read_chars + 1;

// The alignment buttons, indexed by the alignment value they stand for. It is
// the one order of all three uses: the buttons are cleared and checked in it
// when the dialog opens and when one is clicked, and OK looks for the first
// checked one in it.
constexpr int alignment_buttons[] = {
    IDC_ALIGN_TOP_LEFT,    IDC_ALIGN_TOP_CENTRE,    IDC_ALIGN_TOP_RIGHT,
    IDC_ALIGN_MIDDLE_LEFT, IDC_ALIGN_CENTRE,        IDC_ALIGN_MIDDLE_RIGHT,
    IDC_ALIGN_BOTTOM_LEFT, IDC_ALIGN_BOTTOM_CENTRE, IDC_ALIGN_BOTTOM_RIGHT,
};
constexpr int alignment_count = static_cast<int>(std::size(alignment_buttons));
// OK looks at the first eight only: when none of them is checked the text
// goes to the last cell, whatever the last button shows.
constexpr int32_t alignment_when_none_checked = alignment_count - 1;

struct FilledEdit {
    int control;
    // The control's whole text right after filling, as the control gives it
    // back; OK compares the text it holds then with this.
    std::string shown;
    int32_t number; // the value behind a number edit
};

// One open dialog, kept with its window (DWLP_USER) from WM_INITDIALOG to
// WM_NCDESTROY: the record it edits, what its edits were filled with, and
// whether an OK is under way.
struct OpenDialog {
    HWND window = nullptr;
    MeterRecord* record = nullptr;
    std::string filled_template; // the template, whole, behind its edit
    std::vector<FilledEdit> filled;
    // Set by the first OK. The decimals warning is owned by the host's
    // window, so this dialog stays usable under it: a further OK would nest
    // another warning, and a Cancel would end a dialog whose OK still has
    // steps to run.
    bool confirming = false;
    // The OK's steps are running; the window may go (with its owner, say)
    // while the warning holds them, and then the OK stops there and releases
    // this record itself.
    bool running_ok = false;
    bool destroyed = false;
};

OpenDialog* state_of(HWND dialog) {
    return reinterpret_cast<OpenDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool is_checked(HWND dialog, int control) {
    return SendMessageA(GetDlgItem(dialog, control), BM_GETCHECK, 0, 0) != 0;
}

void set_check(HWND dialog, int control, bool checked) {
    SendMessageA(GetDlgItem(dialog, control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

std::string read_text(HWND dialog, int control, int capacity) {
    std::string text(static_cast<size_t>(capacity), '\0');
    GetDlgItemTextA(dialog, control, text.data(), capacity);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string read_whole_text(HWND dialog, int control) {
    const int length = GetWindowTextLengthA(GetDlgItem(dialog, control));
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const UINT copied = GetDlgItemTextA(dialog, control, text.data(), length + 1);
    text.resize(copied);
    return text;
}

void show_font_label(HWND dialog, const MeterRecord& record) {
    // A face name that fills its whole array has no NUL of its own.
    const char* face = font_face(record);
    const std::string label =
        font_label(std::string_view(face, strnlen(face, LF_FACESIZE)), record.font_size);
    SetDlgItemTextA(dialog, IDC_FONT_LABEL, label.c_str());
}

// Checks the clicked alignment button and unchecks the other eight: the
// buttons do not check themselves.
void show_alignment(HWND dialog, int32_t alignment) {
    for (int value = 0; value < alignment_count; ++value) {
        set_check(dialog, alignment_buttons[value], value == alignment);
    }
}

// Filling, when the dialog opens. What each edit shows is remembered, so
// that OK can tell an edit left alone from one typed in.

void fill_number(OpenDialog& d, int control, int32_t MeterRecord::*field) {
    const int32_t number = d.record->*field;
    SetDlgItemTextA(d.window, control, std::to_string(number).c_str());
    d.filled.push_back({control, read_whole_text(d.window, control), number});
}

void fill_template(OpenDialog& d) {
    SetDlgItemTextA(d.window, IDC_TEXT_TEMPLATE, d.record->text_template.c_str());
    d.filled_template = d.record->text_template;
    d.filled.push_back({IDC_TEXT_TEMPLATE, read_whole_text(d.window, IDC_TEXT_TEMPLATE), 0});
}

void fill_check(OpenDialog& d, int control, uint8_t MeterRecord::*field) {
    set_check(d.window, control, d.record->*field != 0);
}

void fill_style_boxes(OpenDialog& d) {
    fill_check(d, IDC_UNDERLINE, &MeterRecord::underline);
    fill_check(d, IDC_STRIKEOUT, &MeterRecord::strikeout);
}

void fill_alignment(OpenDialog& d) {
    // A value outside the grid leaves all nine unchecked.
    for (const int button : alignment_buttons) {
        set_check(d.window, button, false);
    }
    const int32_t alignment = d.record->alignment;
    if (alignment >= 0 && alignment < alignment_count) {
        set_check(d.window, alignment_buttons[alignment], true);
    }
}

// Outline and Shadow: both cleared first, then each checked when it is on.
void fill_pass_switches(OpenDialog& d) {
    set_check(d.window, IDC_SHADOW_ENABLED, false);
    set_check(d.window, IDC_BORDER_ENABLED, false);
    if (d.record->border_enabled != 0) {
        set_check(d.window, IDC_BORDER_ENABLED, true);
    }
    if (d.record->shadow_enabled != 0) {
        set_check(d.window, IDC_SHADOW_ENABLED, true);
    }
}

void fill_controls(OpenDialog& d) {
    show_font_label(d.window, *d.record);
    fill_number(d, IDC_BORDER_WIDTH, &MeterRecord::border_width);
    fill_number(d, IDC_FONT_ALPHA, &MeterRecord::font_alpha);
    fill_number(d, IDC_SHADOW_ALPHA, &MeterRecord::shadow_alpha);
    fill_number(d, IDC_BORDER_ALPHA, &MeterRecord::border_alpha);
    fill_style_boxes(d);
    fill_check(d, IDC_ANTIALIAS, &MeterRecord::antialias);
    fill_alignment(d);
    fill_pass_switches(d);
    fill_template(d);
    fill_number(d, IDC_SHADOW_SOFTNESS, &MeterRecord::shadow_softness);
    fill_number(d, IDC_SHADOW_SIZE, &MeterRecord::shadow_size);
    fill_number(d, IDC_SHADOW_OFFSET_X, &MeterRecord::shadow_offset_x);
    fill_number(d, IDC_SHADOW_OFFSET_Y, &MeterRecord::shadow_offset_y);
    fill_number(d, IDC_DECIMALS, &MeterRecord::decimals);
    fill_number(d, IDC_TAB_WIDTH, &MeterRecord::tab_width);
}

// OK. Each step stores its field as soon as it has read it, so a repaint
// while the decimals warning holds the OK sees the steps before it done and
// the ones after it not yet.

// The filled edit when its text is still what the dialog put there. Such a
// value can be wider than the short buffer that typed text is read through,
// and must come back as it was, not cut.
const FilledEdit* unchanged_edit(const OpenDialog& d, int control) {
    for (const FilledEdit& edit : d.filled) {
        if (edit.control == control) {
            return read_whole_text(d.window, control) == edit.shown ? &edit : nullptr;
        }
    }
    return nullptr;
}

struct NumberEdit {
    int control;
    int32_t MeterRecord::*field;
    NumberRule rule;
    int capacity;
};

// A number edit with the rule OK applies to its field; a field that
// ok_number_rules lacks fails the build.
consteval NumberEdit number_edit(int control, int32_t MeterRecord::*field,
                                 int capacity = number_capacity) {
    const FieldRule* rule = ok_number_rule(field);
    if (rule == nullptr) {
        throw "a number edit whose field has no rule in ok_number_rules";
    }
    return {control, field, rule->rule, capacity};
}

void store_number(OpenDialog& d, const NumberEdit& edit) {
    const FilledEdit* filled = unchanged_edit(d, edit.control);
    const int32_t number = filled != nullptr
                               ? filled->number
                               : read_number(read_text(d.window, edit.control, edit.capacity));
    const RuledNumber ruled = apply_number_rule(edit.rule, number);
    d.record->*edit.field = ruled.value;
    if (ruled.warn) {
        // Owned by the host's window, not by this dialog, which stays usable
        // while the warning is up.
        MessageBoxA(d.record->owner_window, decimals_warning_text, decimals_warning_caption, MB_OK);
    }
}

void store_template(OpenDialog& d) {
    d.record->text_template = unchanged_edit(d, IDC_TEXT_TEMPLATE) != nullptr
                                  ? d.filled_template
                                  : read_text(d.window, IDC_TEXT_TEMPLATE, template_capacity);
}

void store_check(OpenDialog& d, int control, uint8_t MeterRecord::*field) {
    d.record->*field = is_checked(d.window, control) ? 1 : 0;
}

// U and S, and the style bits recomputed from them and the chosen font:
// bold and italic come from the font last chosen, not from the style bits
// stored before.
void store_style_boxes(OpenDialog& d) {
    MeterRecord& record = *d.record;
    const bool underline = is_checked(d.window, IDC_UNDERLINE);
    const bool strikeout = is_checked(d.window, IDC_STRIKEOUT);
    record.underline = underline ? 1 : 0;
    record.strikeout = strikeout ? 1 : 0;
    record.font_style = font_style_at_ok(record.log_font.lfItalic != 0, record.log_font.lfWeight,
                                         underline, strikeout);
}

int32_t checked_alignment(HWND dialog) {
    for (int value = 0; value < alignment_when_none_checked; ++value) {
        if (is_checked(dialog, alignment_buttons[value])) {
            return value;
        }
    }
    return alignment_when_none_checked;
}

void store_alignment(OpenDialog& d) {
    d.record->alignment = checked_alignment(d.window);
}

void store_pass_switches(OpenDialog& d) {
    store_check(d, IDC_BORDER_ENABLED, &MeterRecord::border_enabled);
    store_check(d, IDC_SHADOW_ENABLED, &MeterRecord::shadow_enabled);
}

void store_on_ok(OpenDialog& d) {
    store_number(d,
                 number_edit(IDC_BORDER_WIDTH, &MeterRecord::border_width, border_width_capacity));
    store_number(d, number_edit(IDC_FONT_ALPHA, &MeterRecord::font_alpha));
    store_number(d, number_edit(IDC_SHADOW_ALPHA, &MeterRecord::shadow_alpha));
    store_number(d, number_edit(IDC_BORDER_ALPHA, &MeterRecord::border_alpha));
    store_alignment(d);
    store_template(d);
    store_number(d, number_edit(IDC_DECIMALS, &MeterRecord::decimals));
    // The warning's message loop is the only one the steps run, and the
    // window can go under it (with its owner): then no control is left to
    // read the rest from.
    if (d.destroyed) {
        return;
    }
    store_number(d, number_edit(IDC_TAB_WIDTH, &MeterRecord::tab_width));
    store_number(d, number_edit(IDC_SHADOW_OFFSET_X, &MeterRecord::shadow_offset_x));
    store_number(d, number_edit(IDC_SHADOW_OFFSET_Y, &MeterRecord::shadow_offset_y));
    store_number(d, number_edit(IDC_SHADOW_SOFTNESS, &MeterRecord::shadow_softness));
    store_number(d, number_edit(IDC_SHADOW_SIZE, &MeterRecord::shadow_size));
    store_style_boxes(d);
    store_pass_switches(d);
    store_check(d, IDC_ANTIALIAS, &MeterRecord::antialias);
}

// Clears the open dialog window only when it still names `dialog`: a dialog
// that was already ended by a newer one must not forget the newer one.
void forget_open_dialog(HWND dialog) {
    if (open_dialog == dialog) {
        open_dialog = nullptr;
    }
}

// A step that fails (out of memory) ends the steps; what they stored stays,
// and the dialog still closes, as it always does on OK. When the window went
// while the steps ran, the state has nobody else to release it.
void confirm(OpenDialog& d) {
    d.confirming = true;
    d.running_ok = true;
    try {
        store_on_ok(d);
    } catch (...) {
    }
    d.running_ok = false;
    if (d.destroyed) {
        delete &d;
        return;
    }
    EndDialog(d.window, IDOK);
    forget_open_dialog(d.window);
}

void cancel(HWND dialog) {
    EndDialog(dialog, IDCANCEL);
    forget_open_dialog(dialog);
}

void on_command(OpenDialog& d, int control) {
    MeterRecord& record = *d.record;
    switch (control) {
    case IDOK:
    case IDCANCEL:
        // Under way, the OK finishes and ends the dialog itself.
        if (d.confirming) {
            return;
        }
        if (control == IDOK) {
            confirm(d);
        } else {
            cancel(d.window);
        }
        return;
    case IDC_FONT_BUTTON:
        if (pick_font(d.window, record)) {
            show_font_label(d.window, record);
        }
        return;
    case IDC_FONT_COLOUR:
        pick_colour(d.window, record.font_red, record.font_green, record.font_blue);
        return;
    case IDC_SHADOW_COLOUR:
        pick_colour(d.window, record.shadow_red, record.shadow_green, record.shadow_blue);
        return;
    case IDC_BORDER_COLOUR:
        pick_colour(d.window, record.border_red, record.border_green, record.border_blue);
        return;
    default:
        break;
    }
    for (int value = 0; value < alignment_count; ++value) {
        if (alignment_buttons[value] == control) {
            show_alignment(d.window, value);
            return;
        }
    }
}

} // namespace

INT_PTR CALLBACK settings_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    // Called from the platform's dialog manager: nothing may unwind into it.
    try {
        switch (message) {
        case WM_INITDIALOG: {
            auto* record = reinterpret_cast<MeterRecord*>(lparam);
            open_dialog = dialog;
            if (record != nullptr) {
                auto state = std::make_unique<OpenDialog>();
                state->window = dialog;
                state->record = record;
                SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state.get()));
                fill_controls(*state.release());
            }
            break;
        }
        case WM_COMMAND:
            // Controls report changes while WM_INITDIALOG fills them; the
            // state is set by then, and before it nothing is looked at. A
            // dialog without one can still be cancelled.
            if (OpenDialog* state = state_of(dialog)) {
                on_command(*state, LOWORD(wparam));
            } else if (LOWORD(wparam) == IDCANCEL) {
                cancel(dialog);
            }
            break;
        case WM_DESTROY:
            // A dialog destroyed with its owner never sees OK or Cancel; its
            // handle must not be ended later, when it may name another window.
            forget_open_dialog(dialog);
            break;
        case WM_NCDESTROY:
            // The last message the dialog gets; an OK held by the warning
            // still uses the state and releases it when it resumes.
            if (OpenDialog* state = state_of(dialog)) {
                SetWindowLongPtrA(dialog, DWLP_USER, 0);
                if (state->running_ok) {
                    state->destroyed = true;
                } else {
                    delete state;
                }
            }
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return 0;
}

INT_PTR run_settings_dialog(HINSTANCE resources, MeterRecord& record) {
    end_open_dialog();
    return DialogBoxParamA(resources, MAKEINTRESOURCEA(IDD_SETTINGS), record.owner_window,
                           settings_dialog_proc, reinterpret_cast<LPARAM>(&record));
}

void end_open_dialog() {
    if (open_dialog != nullptr) {
        EndDialog(open_dialog, IDCANCEL);
        open_dialog = nullptr;
    }
}

} // namespace scrivlet
