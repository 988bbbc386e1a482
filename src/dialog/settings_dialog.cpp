#include "dialog/settings_dialog.h"

#include "dialog/dialog_ids.h"
#include "dialog/dialog_rules.h"
#include "dialog/pickers.h"

#include <commdlg.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

namespace {

static_assert(sizeof(CHOOSECOLORA) == 36 && sizeof(CHOOSEFONTA) == 60,
              "the pickers' records as the 32-bit platform lays them out");

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

// The alignment buttons, indexed by the alignment value they stand for; also
// the order in which their check states are set and read.
constexpr int alignment_buttons[] = {
    IDC_ALIGN_TOP_LEFT,    IDC_ALIGN_TOP_CENTRE,    IDC_ALIGN_TOP_RIGHT,
    IDC_ALIGN_MIDDLE_LEFT, IDC_ALIGN_CENTRE,        IDC_ALIGN_MIDDLE_RIGHT,
    IDC_ALIGN_BOTTOM_LEFT, IDC_ALIGN_BOTTOM_CENTRE, IDC_ALIGN_BOTTOM_RIGHT,
};
constexpr int alignment_count = static_cast<int>(std::size(alignment_buttons));
// OK looks at the first eight only: when none of them is checked the text
// goes to the last cell, whatever the last button shows.
constexpr int32_t alignment_when_none_checked = alignment_count - 1;

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

// What OK stores, step by step in this order; each value is stored as soon
// as it is read, so a repaint during the decimals warning already sees the
// steps before it.
enum class OkStepKind { number, alignment, text, font_style, check };

struct OkStep {
    OkStepKind kind;
    int control;
    int capacity; // bytes of the read buffer, its NUL included
    NumberRule rule;
    int32_t MeterRecord::*number;
    uint8_t MeterRecord::*flag;
};

constexpr OkStep number_step(int control, int capacity, NumberRule rule,
                             int32_t MeterRecord::*field) {
    return {OkStepKind::number, control, capacity, rule, field, nullptr};
}
constexpr OkStep check_step(int control, uint8_t MeterRecord::*flag) {
    return {OkStepKind::check, control, 0, NumberRule::as_read, nullptr, flag};
}
constexpr OkStep other_step(OkStepKind kind, int control = 0, int capacity = 0) {
    return {kind, control, capacity, NumberRule::as_read, nullptr, nullptr};
}

constexpr int number_capacity = 4;
constexpr int border_width_capacity = 3;
constexpr int text_capacity = 256;

constexpr OkStep ok_steps[] = {
    // 1-4
    number_step(IDC_BORDER_WIDTH, border_width_capacity, NumberRule::as_read,
                &MeterRecord::border_width),
    number_step(IDC_FONT_ALPHA, number_capacity, NumberRule::channel, &MeterRecord::font_alpha),
    number_step(IDC_SHADOW_ALPHA, number_capacity, NumberRule::channel, &MeterRecord::shadow_alpha),
    number_step(IDC_BORDER_ALPHA, number_capacity, NumberRule::channel, &MeterRecord::border_alpha),
    // 5, 6
    other_step(OkStepKind::alignment),
    other_step(OkStepKind::text, IDC_TEXT_TEMPLATE, text_capacity),
    // 7: the only step that may warn
    number_step(IDC_DECIMALS, number_capacity, NumberRule::at_most_ten, &MeterRecord::decimals),
    // 8-12
    number_step(IDC_TAB_WIDTH, number_capacity, NumberRule::zero_is_one, &MeterRecord::tab_width),
    number_step(IDC_SHADOW_OFFSET_X, number_capacity, NumberRule::as_read,
                &MeterRecord::shadow_offset_x),
    number_step(IDC_SHADOW_OFFSET_Y, number_capacity, NumberRule::as_read,
                &MeterRecord::shadow_offset_y),
    number_step(IDC_SHADOW_SOFTNESS, number_capacity, NumberRule::zero_is_one,
                &MeterRecord::shadow_softness),
    number_step(IDC_SHADOW_SIZE, number_capacity, NumberRule::as_read, &MeterRecord::shadow_size),
    // 13: font_style, underline and strikeout from the U and S boxes
    other_step(OkStepKind::font_style),
    // 14, 15
    check_step(IDC_BORDER_ENABLED, &MeterRecord::border_enabled),
    check_step(IDC_SHADOW_ENABLED, &MeterRecord::shadow_enabled),
    check_step(IDC_ANTIALIAS, &MeterRecord::antialias),
    // 16 (ending the dialog) follows the table.
};

constexpr bool capacities_fit() {
    for (const OkStep& step : ok_steps) {
        if (step.capacity > text_capacity) {
            return false;
        }
    }
    return true;
}
static_assert(capacities_fit(), "every OK read fits the one buffer size");

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

void fill_controls(HWND dialog, const MeterRecord& record) {
    show_font_label(dialog, record);
    set_number(dialog, IDC_BORDER_WIDTH, record.border_width);
    set_number(dialog, IDC_FONT_ALPHA, record.font_alpha);
    set_number(dialog, IDC_SHADOW_ALPHA, record.shadow_alpha);
    set_number(dialog, IDC_BORDER_ALPHA, record.border_alpha);
    set_check(dialog, IDC_UNDERLINE, record.underline != 0);
    set_check(dialog, IDC_STRIKEOUT, record.strikeout != 0);
    set_check(dialog, IDC_ANTIALIAS, record.antialias != 0);
    // A value outside the grid leaves all nine unchecked.
    for (const int button : alignment_buttons) {
        set_check(dialog, button, false);
    }
    if (record.alignment >= 0 && record.alignment < alignment_count) {
        set_check(dialog, alignment_buttons[record.alignment], true);
    }
    set_check(dialog, IDC_SHADOW_ENABLED, false);
    set_check(dialog, IDC_BORDER_ENABLED, false);
    if (record.border_enabled != 0) {
        set_check(dialog, IDC_BORDER_ENABLED, true);
    }
    if (record.shadow_enabled != 0) {
        set_check(dialog, IDC_SHADOW_ENABLED, true);
    }
    SetDlgItemTextA(dialog, IDC_TEXT_TEMPLATE, record.text_template.c_str());
    set_number(dialog, IDC_SHADOW_SOFTNESS, record.shadow_softness);
    set_number(dialog, IDC_SHADOW_SIZE, record.shadow_size);
    set_number(dialog, IDC_SHADOW_OFFSET_X, record.shadow_offset_x);
    set_number(dialog, IDC_SHADOW_OFFSET_Y, record.shadow_offset_y);
    set_number(dialog, IDC_DECIMALS, record.decimals);
    set_number(dialog, IDC_TAB_WIDTH, record.tab_width);
}

void remember_filled(HWND dialog, DialogState& state) {
    const MeterRecord& record = *state.record;
    state.filled_template = record.text_template;
    for (const OkStep& step : ok_steps) {
        if (step.kind == OkStepKind::number || step.kind == OkStepKind::text) {
            state.filled.push_back({step.control, read_whole_text(dialog, step.control),
                                    step.kind == OkStepKind::number ? record.*step.number : 0});
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

int32_t number_at_ok(HWND dialog, const DialogState& state, const OkStep& step) {
    if (const FilledEdit* edit = unchanged_edit(dialog, state, step.control)) {
        return edit->number;
    }
    return read_dialog_number(read_text(dialog, step.control, step.capacity));
}

std::string text_at_ok(HWND dialog, const DialogState& state, const OkStep& step) {
    if (unchanged_edit(dialog, state, step.control) != nullptr) {
        return state.filled_template;
    }
    return read_text(dialog, step.control, step.capacity);
}

void run_ok_step(HWND dialog, const DialogState& state, const OkStep& step) {
    MeterRecord& record = *state.record;
    switch (step.kind) {
    case OkStepKind::number: {
        const RuledNumber ruled = apply_number_rule(step.rule, number_at_ok(dialog, state, step));
        record.*step.number = ruled.value;
        if (ruled.warn) {
            // Owned by the host's window, not by this dialog, which stays
            // usable while the warning is up.
            MessageBoxA(record.owner_window, decimals_warning_text, decimals_warning_caption,
                        MB_OK);
        }
        break;
    }
    case OkStepKind::alignment:
        record.alignment = checked_alignment(dialog);
        break;
    case OkStepKind::text:
        record.text_template = text_at_ok(dialog, state, step);
        break;
    case OkStepKind::font_style: {
        // Bold and italic come from the font last chosen, not from the
        // style bits stored before.
        const bool underline = is_checked(dialog, IDC_UNDERLINE);
        const bool strikeout = is_checked(dialog, IDC_STRIKEOUT);
        record.underline = underline ? 1 : 0;
        record.strikeout = strikeout ? 1 : 0;
        record.font_style = font_style_at_ok(record.log_font.lfItalic != 0,
                                             record.log_font.lfWeight, underline, strikeout);
        break;
    }
    case OkStepKind::check:
        record.*step.flag = is_checked(dialog, step.control) ? 1 : 0;
        break;
    }
}

// False when the window went while the steps ran: its controls are gone,
// nothing is left to read the rest from, and the state has been released.
// A step that fails (out of memory) ends the steps; what they stored stays,
// and the dialog still closes, as it always does on OK.
bool run_ok_steps(HWND dialog, DialogState& state) {
    state.running_ok = true;
    try {
        for (const OkStep& step : ok_steps) {
            if (state.destroyed) {
                break;
            }
            run_ok_step(dialog, state, step);
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
