#include "dialog/settings_dialog.h"

#include "dialog/dialog_ids.h"
#include "dialog/dialog_rules.h"
#include "dialog/pickers.h"
#include "dialog/settings_template.h"
#include "text/decimal_number.h"

#include <commdlg.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

namespace scrivlet {

namespace {

// The pickers' records as each platform width lays them out: a size the
// system does not know makes the picker fail without a word.
#ifdef _WIN64
static_assert(sizeof(CHOOSECOLORA) == 72 && sizeof(CHOOSEFONTA) == 104,
              "the pickers' records as the 64-bit platform lays them out");
#else
static_assert(sizeof(CHOOSECOLORA) == 36 && sizeof(CHOOSEFONTA) == 60,
              "the pickers' records as the 32-bit platform lays them out");
#endif

// The dialog that is open right now, so that a second vis_configure or the
// module's detach can end it. Each dialog keeps its own record with its
// window instead: a newer dialog must never redirect an older one's writes.
HWND open_dialog = nullptr;

// Custom colours of the colour picker, shared by every button, meter and
// opening of the dialog while the module stays loaded.
constexpr int custom_colour_count = 16;
COLORREF custom_colours[custom_colour_count] = {};

constexpr DWORD colour_picker_flags = CC_RGBINIT | CC_FULLOPEN;
constexpr DWORD font_picker_flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;

constexpr char decimals_warning_text[] = "No one needs that much decimals :)\nSorry! Only 10";
constexpr char decimals_warning_caption[] = "Error";

// The template's controls, for checking the tables below against it.
struct TemplateControl {
    int id;
    int class_atom;
    DWORD style; // besides WS_CHILD | WS_VISIBLE
    int x, y;
};
#define TEMPLATE_CONTROL(caption, id, class_atom, style, x, y, width, height, ex_style)            \
    {id, class_atom, static_cast<DWORD>(style), x, y},
constexpr TemplateControl template_controls[] = {SETTINGS_CONTROLS(TEMPLATE_CONTROL)};
#undef TEMPLATE_CONTROL

constexpr const TemplateControl* template_control(int id) {
    for (const TemplateControl& control : template_controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

constexpr bool is_edit(int id, DWORD style_bits) {
    const TemplateControl* control = template_control(id);
    return control != nullptr && control->class_atom == SETTINGS_CLASS_EDIT &&
           (control->style & style_bits) == style_bits;
}

constexpr bool is_button(int id, DWORD type) {
    const TemplateControl* control = template_control(id);
    return control != nullptr && control->class_atom == SETTINGS_CLASS_BUTTON &&
           (control->style & BS_TYPEMASK) == type;
}

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

// Value v is drawn in row v / 3 and column v % 3 of the text's box; its
// button sits in the same cell of the template's grid.
constexpr int alignment_columns = 3;
constexpr int alignment_cell = 12;
constexpr bool alignment_buttons_match_the_grid() {
    const TemplateControl* first = template_control(alignment_buttons[0]);
    for (int value = 0; value < alignment_count; ++value) {
        const TemplateControl* button = template_control(alignment_buttons[value]);
        if (first == nullptr || button == nullptr || !is_button(button->id, BS_RADIOBUTTON) ||
            button->x != first->x + alignment_cell * (value % alignment_columns) ||
            button->y != first->y + alignment_cell * (value / alignment_columns)) {
            return false;
        }
    }
    return true;
}
static_assert(alignment_buttons_match_the_grid(),
              "each alignment value's button sits in its cell of the template's grid");

struct ColourButton {
    int control;
    int32_t MeterRecord::*red;
    int32_t MeterRecord::*green;
    int32_t MeterRecord::*blue;
};

constexpr ColourButton colour_buttons[] = {
    {IDC_FONT_COLOUR, &MeterRecord::font_red, &MeterRecord::font_green, &MeterRecord::font_blue},
    {IDC_SHADOW_COLOUR, &MeterRecord::shadow_red, &MeterRecord::shadow_green,
     &MeterRecord::shadow_blue},
    {IDC_BORDER_COLOUR, &MeterRecord::border_red, &MeterRecord::border_green,
     &MeterRecord::border_blue},
};

constexpr bool colour_buttons_in_template() {
    for (const ColourButton& button : colour_buttons) {
        if (!is_button(button.control, BS_PUSHBUTTON)) {
            return false;
        }
    }
    return true;
}
static_assert(colour_buttons_in_template());

// The controls that show the record, one row each, by how they are filled
// and read back.
struct FontLabel {}; // filled only: the face and size
struct NumberEdit {
    int control;
    int capacity; // bytes of OK's read buffer, its NUL included
    NumberRule rule;
    int32_t MeterRecord::*field;
};
struct TemplateEdit {
    int control;
    int capacity;
};
struct CheckBox {
    int control;
    uint8_t MeterRecord::*field;
};
struct AlignmentButtons {};
// U and S: OK also recomputes font_style from them and the chosen font.
struct StyleBoxes {};
// Outline and Shadow: both cleared first, then each checked when it is on.
struct PassSwitches {
    CheckBox border;
    CheckBox shadow;
};
using ControlKind = std::variant<FontLabel, NumberEdit, TemplateEdit, CheckBox, AlignmentButtons,
                                 StyleBoxes, PassSwitches>;

constexpr int no_ok_step = 0;

struct DialogRow {
    int fill; // step of the filling when the dialog opens, from 1
    int ok;   // step of OK, from 1; each value is stored as soon as it is read
    ControlKind kind;
};

constexpr int number_capacity = 4;
constexpr int border_width_capacity = 3;
constexpr int text_capacity = template_read_chars + 1;

constexpr DialogRow dialog_rows[] = {
    {1, no_ok_step, FontLabel{}},
    {2, 1,
     NumberEdit{IDC_BORDER_WIDTH, border_width_capacity, NumberRule::as_read,
                &MeterRecord::border_width}},
    {3, 2,
     NumberEdit{IDC_FONT_ALPHA, number_capacity, NumberRule::channel, &MeterRecord::font_alpha}},
    {4, 3,
     NumberEdit{IDC_SHADOW_ALPHA, number_capacity, NumberRule::channel,
                &MeterRecord::shadow_alpha}},
    {5, 4,
     NumberEdit{IDC_BORDER_ALPHA, number_capacity, NumberRule::channel,
                &MeterRecord::border_alpha}},
    {6, 13, StyleBoxes{}},
    {7, 15, CheckBox{IDC_ANTIALIAS, &MeterRecord::antialias}},
    {8, 5, AlignmentButtons{}},
    {9, 14,
     PassSwitches{{IDC_BORDER_ENABLED, &MeterRecord::border_enabled},
                  {IDC_SHADOW_ENABLED, &MeterRecord::shadow_enabled}}},
    {10, 6, TemplateEdit{IDC_TEXT_TEMPLATE, text_capacity}},
    {11, 11,
     NumberEdit{IDC_SHADOW_SOFTNESS, number_capacity, NumberRule::zero_is_one,
                &MeterRecord::shadow_softness}},
    {12, 12,
     NumberEdit{IDC_SHADOW_SIZE, number_capacity, NumberRule::as_read, &MeterRecord::shadow_size}},
    {13, 9,
     NumberEdit{IDC_SHADOW_OFFSET_X, number_capacity, NumberRule::as_read,
                &MeterRecord::shadow_offset_x}},
    {14, 10,
     NumberEdit{IDC_SHADOW_OFFSET_Y, number_capacity, NumberRule::as_read,
                &MeterRecord::shadow_offset_y}},
    // The only step that may warn.
    {15, 7,
     NumberEdit{IDC_DECIMALS, number_capacity, NumberRule::at_most_ten, &MeterRecord::decimals}},
    {16, 8,
     NumberEdit{IDC_TAB_WIDTH, number_capacity, NumberRule::zero_is_one, &MeterRecord::tab_width}},
    // Ending the dialog follows OK's last step.
};
constexpr size_t row_count = std::size(dialog_rows);

// The control a row stands for, by the first of its controls.
constexpr int row_control(const DialogRow& row) {
    struct First {
        constexpr int operator()(FontLabel) const { return IDC_FONT_LABEL; }
        constexpr int operator()(const NumberEdit& edit) const { return edit.control; }
        constexpr int operator()(const TemplateEdit& edit) const { return edit.control; }
        constexpr int operator()(const CheckBox& box) const { return box.control; }
        constexpr int operator()(AlignmentButtons) const { return alignment_buttons[0]; }
        constexpr int operator()(StyleBoxes) const { return IDC_UNDERLINE; }
        constexpr int operator()(const PassSwitches& pass) const { return pass.border.control; }
    };
    return std::visit(First{}, row.kind);
}

// The rows in the order of one of their steps; rows without that step are
// left out (the count says how many have it).
struct RowOrder {
    std::array<size_t, row_count> rows{};
    size_t count = 0;
};

constexpr RowOrder order_by(int DialogRow::*step) {
    RowOrder order;
    for (int wanted = 1; wanted <= static_cast<int>(row_count); ++wanted) {
        for (size_t i = 0; i < row_count; ++i) {
            if (dialog_rows[i].*step == wanted) {
                order.rows[order.count++] = i;
            }
        }
    }
    return order;
}

constexpr RowOrder fill_order = order_by(&DialogRow::fill);
constexpr RowOrder ok_order = order_by(&DialogRow::ok);

// True when the rows that have the step number it 1, 2, ... with each
// number taken once.
constexpr bool numbered_once(int DialogRow::*step) {
    int taken = 0;
    for (const DialogRow& row : dialog_rows) {
        taken += row.*step != no_ok_step ? 1 : 0;
    }
    for (int wanted = 1; wanted <= taken; ++wanted) {
        int rows = 0;
        for (const DialogRow& row : dialog_rows) {
            rows += row.*step == wanted ? 1 : 0;
        }
        if (rows != 1) {
            return false;
        }
    }
    return true;
}

// Every row filled once and every OK step taken once.
static_assert(numbered_once(&DialogRow::fill) && fill_order.count == row_count);
static_assert(numbered_once(&DialogRow::ok));

template <size_t n>
constexpr bool controls_in_order(const RowOrder& order, const int (&controls)[n]) {
    if (order.count != n) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        if (row_control(dialog_rows[order.rows[i]]) != controls[i]) {
            return false;
        }
    }
    return true;
}

// The two orders hosts see (a repaint during the decimals warning shows the
// steps before it stored and the ones after it not yet), written out once
// more so that a row moved in the table fails the build.
constexpr int fill_controls_in_order[] = {
    IDC_FONT_LABEL,      IDC_BORDER_WIDTH,    IDC_FONT_ALPHA,      IDC_SHADOW_ALPHA,
    IDC_BORDER_ALPHA,    IDC_UNDERLINE,       IDC_ANTIALIAS,       IDC_ALIGN_TOP_LEFT,
    IDC_BORDER_ENABLED,  IDC_TEXT_TEMPLATE,   IDC_SHADOW_SOFTNESS, IDC_SHADOW_SIZE,
    IDC_SHADOW_OFFSET_X, IDC_SHADOW_OFFSET_Y, IDC_DECIMALS,        IDC_TAB_WIDTH,
};
constexpr int ok_controls_in_order[] = {
    IDC_BORDER_WIDTH,    IDC_FONT_ALPHA,      IDC_SHADOW_ALPHA,    IDC_BORDER_ALPHA,
    IDC_ALIGN_TOP_LEFT,  IDC_TEXT_TEMPLATE,   IDC_DECIMALS,        IDC_TAB_WIDTH,
    IDC_SHADOW_OFFSET_X, IDC_SHADOW_OFFSET_Y, IDC_SHADOW_SOFTNESS, IDC_SHADOW_SIZE,
    IDC_UNDERLINE,       IDC_BORDER_ENABLED,  IDC_ANTIALIAS,
};
static_assert(controls_in_order(fill_order, fill_controls_in_order), "the filling's order");
static_assert(controls_in_order(ok_order, ok_controls_in_order), "OK's order");

// Each row's controls are of the kind the row treats them as, and every
// read fits the one buffer size.
constexpr bool row_matches_template(const DialogRow& row) {
    struct Matches {
        constexpr bool operator()(FontLabel) const { return is_edit(IDC_FONT_LABEL, ES_READONLY); }
        constexpr bool operator()(const NumberEdit& edit) const {
            return edit.capacity <= text_capacity && is_edit(edit.control, 0);
        }
        constexpr bool operator()(const TemplateEdit& edit) const {
            return edit.capacity <= text_capacity && is_edit(edit.control, ES_MULTILINE);
        }
        constexpr bool operator()(const CheckBox& box) const {
            return is_button(box.control, BS_AUTOCHECKBOX);
        }
        constexpr bool operator()(AlignmentButtons) const { return true; } // checked above
        constexpr bool operator()(StyleBoxes) const {
            return (*this)(CheckBox{IDC_UNDERLINE, nullptr}) &&
                   (*this)(CheckBox{IDC_STRIKEOUT, nullptr});
        }
        constexpr bool operator()(const PassSwitches& pass) const {
            return (*this)(pass.border) && (*this)(pass.shadow);
        }
    };
    return std::visit(Matches{}, row.kind);
}

constexpr bool rows_match_template() {
    for (const DialogRow& row : dialog_rows) {
        if (!row_matches_template(row)) {
            return false;
        }
    }
    return true;
}
static_assert(rows_match_template(), "every row's controls are in the template as that kind");

// Each number edit applies the rule that ok_number_rules gives its field,
// and the list names no field without an edit.
constexpr bool rows_follow_ok_number_rules() {
    size_t edits = 0;
    for (const DialogRow& row : dialog_rows) {
        if (const auto* edit = std::get_if<NumberEdit>(&row.kind)) {
            ++edits;
            const FieldRule* listed = ok_number_rule(edit->field);
            if (listed == nullptr || listed->rule != edit->rule) {
                return false;
            }
        }
    }
    return edits == std::size(ok_number_rules);
}
static_assert(rows_follow_ok_number_rules(), "OK's number rules are those of ok_number_rules");

// What one open dialog keeps besides its controls, with its window
// (DWLP_USER): the record it edits, what its edits were filled with, and
// whether an OK is under way.
struct FilledEdit {
    int control;
    // The control's whole text right after filling, as the control gives it
    // back; OK compares the text it holds then with this.
    std::string shown;
    int32_t number; // the value behind a number edit
};

struct DialogState {
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

bool is_checked(HWND dialog, int control) {
    return SendMessageA(GetDlgItem(dialog, control), BM_GETCHECK, 0, 0) != 0;
}

void set_check(HWND dialog, int control, bool checked) {
    SendMessageA(GetDlgItem(dialog, control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

void set_number(HWND dialog, int control, int32_t value) {
    SetDlgItemTextA(dialog, control, std::to_string(value).c_str());
}

std::string read_text(HWND dialog, int control, int capacity) {
    char buffer[text_capacity] = {};
    GetDlgItemTextA(dialog, control, buffer, capacity);
    return buffer;
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

const FilledEdit* filled_edit(const DialogState& state, int control) {
    for (const FilledEdit& edit : state.filled) {
        if (edit.control == control) {
            return &edit;
        }
    }
    return nullptr;
}

// The filled edit when its text is still what the dialog put there. Such a
// value can be wider than the short buffer that typed text is read through,
// and must come back as it was, not cut.
const FilledEdit* unchanged_edit(HWND dialog, const DialogState& state, int control) {
    const FilledEdit* edit = filled_edit(state, control);
    if (edit != nullptr && read_whole_text(dialog, control) == edit->shown) {
        return edit;
    }
    return nullptr;
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

int32_t checked_alignment(HWND dialog) {
    for (int value = 0; value < alignment_when_none_checked; ++value) {
        if (is_checked(dialog, alignment_buttons[value])) {
            return value;
        }
    }
    return alignment_when_none_checked;
}

void fill_row(HWND dialog, const MeterRecord& record, const DialogRow& row) {
    struct Fill {
        HWND dialog;
        const MeterRecord& record;
        void operator()(FontLabel) const { show_font_label(dialog, record); }
        void operator()(const NumberEdit& edit) const {
            set_number(dialog, edit.control, record.*edit.field);
        }
        void operator()(const TemplateEdit& edit) const {
            SetDlgItemTextA(dialog, edit.control, record.text_template.c_str());
        }
        void operator()(const CheckBox& box) const {
            set_check(dialog, box.control, record.*box.field != 0);
        }
        void operator()(AlignmentButtons) const {
            // A value outside the grid leaves all nine unchecked.
            for (const int button : alignment_buttons) {
                set_check(dialog, button, false);
            }
            if (record.alignment >= 0 && record.alignment < alignment_count) {
                set_check(dialog, alignment_buttons[record.alignment], true);
            }
        }
        void operator()(StyleBoxes) const {
            set_check(dialog, IDC_UNDERLINE, record.underline != 0);
            set_check(dialog, IDC_STRIKEOUT, record.strikeout != 0);
        }
        void operator()(const PassSwitches& pass) const {
            set_check(dialog, pass.shadow.control, false);
            set_check(dialog, pass.border.control, false);
            if (record.*pass.border.field != 0) {
                set_check(dialog, pass.border.control, true);
            }
            if (record.*pass.shadow.field != 0) {
                set_check(dialog, pass.shadow.control, true);
            }
        }
    };
    std::visit(Fill{dialog, record}, row.kind);
}

void fill_controls(HWND dialog, const MeterRecord& record) {
    for (size_t i = 0; i < fill_order.count; ++i) {
        fill_row(dialog, record, dialog_rows[fill_order.rows[i]]);
    }
}

// What the edits show right after filling, in OK's order.
void remember_filled(HWND dialog, DialogState& state) {
    const MeterRecord& record = *state.record;
    state.filled_template = record.text_template;
    for (size_t i = 0; i < ok_order.count; ++i) {
        const ControlKind& kind = dialog_rows[ok_order.rows[i]].kind;
        if (const auto* edit = std::get_if<NumberEdit>(&kind)) {
            state.filled.push_back(
                {edit->control, read_whole_text(dialog, edit->control), record.*edit->field});
        } else if (const auto* text = std::get_if<TemplateEdit>(&kind)) {
            state.filled.push_back({text->control, read_whole_text(dialog, text->control), 0});
        }
    }
}

// Clears the open dialog window only when it still names `dialog`: a dialog
// that was already ended by a newer one must not forget the newer one.
void forget_open_dialog(HWND dialog) {
    if (open_dialog == dialog) {
        open_dialog = nullptr;
    }
}

int32_t number_at_ok(HWND dialog, const DialogState& state, const NumberEdit& edit) {
    if (const FilledEdit* filled = unchanged_edit(dialog, state, edit.control)) {
        return filled->number;
    }
    return read_number(read_text(dialog, edit.control, edit.capacity));
}

std::string text_at_ok(HWND dialog, const DialogState& state, const TemplateEdit& edit) {
    if (unchanged_edit(dialog, state, edit.control) != nullptr) {
        return state.filled_template;
    }
    return read_text(dialog, edit.control, edit.capacity);
}

void run_ok_step(HWND dialog, const DialogState& state, const DialogRow& row) {
    struct Store {
        HWND dialog;
        const DialogState& state;
        MeterRecord& record;
        void operator()(FontLabel) const {}
        void operator()(const NumberEdit& edit) const {
            const RuledNumber ruled =
                apply_number_rule(edit.rule, number_at_ok(dialog, state, edit));
            record.*edit.field = ruled.value;
            if (ruled.warn) {
                // Owned by the host's window, not by this dialog, which stays
                // usable while the warning is up.
                MessageBoxA(record.owner_window, decimals_warning_text, decimals_warning_caption,
                            MB_OK);
            }
        }
        void operator()(const TemplateEdit& edit) const {
            record.text_template = text_at_ok(dialog, state, edit);
        }
        void operator()(const CheckBox& box) const {
            record.*box.field = is_checked(dialog, box.control) ? 1 : 0;
        }
        void operator()(AlignmentButtons) const { record.alignment = checked_alignment(dialog); }
        void operator()(StyleBoxes) const {
            // Bold and italic come from the font last chosen, not from the
            // style bits stored before.
            const bool underline = is_checked(dialog, IDC_UNDERLINE);
            const bool strikeout = is_checked(dialog, IDC_STRIKEOUT);
            record.underline = underline ? 1 : 0;
            record.strikeout = strikeout ? 1 : 0;
            record.font_style = font_style_at_ok(record.log_font.lfItalic != 0,
                                                 record.log_font.lfWeight, underline, strikeout);
        }
        void operator()(const PassSwitches& pass) const {
            (*this)(pass.border);
            (*this)(pass.shadow);
        }
    };
    std::visit(Store{dialog, state, *state.record}, row.kind);
}

// False when the window went while the steps ran: its controls are gone,
// nothing is left to read the rest from, and the state has been released.
// A step that fails (out of memory) ends the steps; what they stored stays,
// and the dialog still closes, as it always does on OK.
bool run_ok_steps(HWND dialog, DialogState& state) {
    state.running_ok = true;
    try {
        for (size_t i = 0; i < ok_order.count; ++i) {
            if (state.destroyed) {
                break;
            }
            run_ok_step(dialog, state, dialog_rows[ok_order.rows[i]]);
        }
    } catch (...) {
    }
    state.running_ok = false;
    if (state.destroyed) {
        delete &state;
        return false;
    }
    return true;
}

void confirm(HWND dialog, DialogState& state) {
    state.confirming = true;
    if (run_ok_steps(dialog, state)) {
        EndDialog(dialog, IDOK);
        forget_open_dialog(dialog);
    }
}

void cancel(HWND dialog) {
    EndDialog(dialog, IDCANCEL);
    forget_open_dialog(dialog);
}

void pick_colour(HWND dialog, MeterRecord& record, const ColourButton& button) {
    CHOOSECOLORA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = dialog;
    request.rgbResult =
        pack_colorref(record.*button.red, record.*button.green, record.*button.blue);
    request.lpCustColors = custom_colours;
    request.Flags = colour_picker_flags;
    if (dialog_pickers().choose_colour(&request) != picker_confirmed) {
        return;
    }
    const Rgb chosen = unpack_colorref(request.rgbResult);
    record.*button.red = chosen.red;
    record.*button.green = chosen.green;
    record.*button.blue = chosen.blue;
}

constexpr int points_per_inch = 72;

// A window's device context for as long as the guard lives.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Vertical resolution of the screen the dialog is on; 0 when unknown.
int screen_pixels_per_inch(HWND dialog) {
    const WindowDc dc(dialog);
    return dc.get() != nullptr ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
}

void pick_font(HWND dialog, MeterRecord& record) {
    // The picker writes into a copy, so a cancelled choice leaves the record
    // as it was.
    LOGFONTA working = record.log_font;
    // log_font's height is whatever the font last chosen (or the default)
    // had; the picker must open at font_size, which is what the meter draws.
    if (const int pixels_per_inch = screen_pixels_per_inch(dialog); pixels_per_inch > 0) {
        working.lfHeight = -MulDiv(record.font_size, pixels_per_inch, points_per_inch);
    }
    CHOOSEFONTA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = dialog;
    request.hDC = nullptr;
    request.lpLogFont = &working;
    request.iPointSize = 0;
    request.Flags = font_picker_flags;
    if (dialog_pickers().choose_font(&request) != picker_confirmed) {
        return;
    }
    record.log_font = working;
    record.font_size = font_size_from_tenths(request.iPointSize);
    show_font_label(dialog, record);
}

void on_command(HWND dialog, DialogState& state, int control) {
    MeterRecord& record = *state.record;
    switch (control) {
    case IDOK:
    case IDCANCEL:
        // Under way, the OK finishes and ends the dialog itself.
        if (state.confirming) {
            return;
        }
        if (control == IDOK) {
            confirm(dialog, state);
        } else {
            cancel(dialog);
        }
        return;
    case IDC_FONT_BUTTON:
        pick_font(dialog, record);
        return;
    default:
        break;
    }
    for (const ColourButton& button : colour_buttons) {
        if (button.control == control) {
            pick_colour(dialog, record, button);
            return;
        }
    }
    for (int value = 0; value < alignment_count; ++value) {
        if (alignment_buttons[value] == control) {
            show_alignment(dialog, value);
            return;
        }
    }
}

DialogState* state_of(HWND dialog) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

} // namespace

Pickers& dialog_pickers() {
    static Pickers pickers{ChooseColorA, ChooseFontA};
    return pickers;
}

INT_PTR CALLBACK settings_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    // Called from the platform's dialog manager: nothing may unwind into it.
    try {
        switch (message) {
        case WM_INITDIALOG: {
            auto* record = reinterpret_cast<MeterRecord*>(lparam);
            open_dialog = dialog;
            if (record != nullptr) {
                auto state = std::make_unique<DialogState>();
                state->record = record;
                SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state.get()));
                DialogState& kept = *state.release();
                fill_controls(dialog, *record);
                remember_filled(dialog, kept);
            }
            break;
        }
        case WM_COMMAND:
            // Controls report changes while WM_INITDIALOG fills them; the
            // state is set by then, and before it nothing is looked at. A
            // dialog without one can still be cancelled.
            if (DialogState* state = state_of(dialog)) {
                on_command(dialog, *state, LOWORD(wparam));
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
            if (DialogState* state = state_of(dialog)) {
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
