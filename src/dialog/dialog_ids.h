#pragma once
// Ids of the settings dialog template and of the controls its procedure
// reads and writes. Shared by the resource script and the C++ code, so these
// stay plain macros.

#define IDD_SETTINGS 2006

// Static texts and group boxes are never addressed.
#define IDC_STATIC_TEXT -1

// Edits.
#define IDC_BORDER_WIDTH 2003
#define IDC_FONT_ALPHA 2029
#define IDC_SHADOW_ALPHA 2030
#define IDC_BORDER_ALPHA 2035
#define IDC_SHADOW_SOFTNESS 2043
#define IDC_SHADOW_SIZE 2057
#define IDC_SHADOW_OFFSET_X 2059
#define IDC_SHADOW_OFFSET_Y 2060
#define IDC_FONT_LABEL 2063
#define IDC_TEXT_TEMPLATE 2064
#define IDC_DECIMALS 2065
#define IDC_TAB_WIDTH 2066

// Check boxes.
#define IDC_BORDER_ENABLED 2044
#define IDC_SHADOW_ENABLED 2045
#define IDC_UNDERLINE 2047
#define IDC_STRIKEOUT 2048
#define IDC_ANTIALIAS 2069

// Alignment buttons, by grid cell.
#define IDC_ALIGN_TOP_LEFT 2020
#define IDC_ALIGN_TOP_CENTRE 2025
#define IDC_ALIGN_TOP_RIGHT 2024
#define IDC_ALIGN_MIDDLE_LEFT 2021
#define IDC_ALIGN_CENTRE 2026
#define IDC_ALIGN_MIDDLE_RIGHT 2027
#define IDC_ALIGN_BOTTOM_LEFT 2022
#define IDC_ALIGN_BOTTOM_CENTRE 2028
#define IDC_ALIGN_BOTTOM_RIGHT 2031

// Picker buttons.
#define IDC_FONT_COLOUR 2016
#define IDC_SHADOW_COLOUR 2023
#define IDC_BORDER_COLOUR 2034
#define IDC_FONT_BUTTON 2046
