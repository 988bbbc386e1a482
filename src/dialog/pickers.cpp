#include "dialog/pickers.h"

#include "dialog/dialog_rules.h"

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

// Custom colours of the colour picker, shared by every button, meter and
// opening of the dialog while the module stays loaded.
constexpr int custom_colour_count = 16;
COLORREF custom_colours[custom_colour_count] = {};

constexpr DWORD colour_picker_flags = CC_RGBINIT | CC_FULLOPEN;
constexpr DWORD font_picker_flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;

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

// Vertical resolution of the screen the window is on; 0 when unknown.
int screen_pixels_per_inch(HWND window) {
    const WindowDc dc(window);
    return dc.get() != nullptr ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
}

} // namespace

Pickers& dialog_pickers() {
    static Pickers pickers{ChooseColorA, ChooseFontA};
    return pickers;
}

void pick_colour(HWND owner, int32_t& red, int32_t& green, int32_t& blue) {
    CHOOSECOLORA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.rgbResult = pack_colorref(red, green, blue);
    request.lpCustColors = custom_colours;
    request.Flags = colour_picker_flags;
    if (dialog_pickers().choose_colour(&request) != picker_confirmed) {
        return;
    }
    const Rgb chosen = unpack_colorref(request.rgbResult);
    red = chosen.red;
    green = chosen.green;
    blue = chosen.blue;
}

bool pick_font(HWND owner, MeterRecord& record) {
    // The picker writes into a copy, so a cancelled choice leaves the record
    // as it was.
    LOGFONTA working = record.log_font;
    // log_font's height is whatever the font last chosen (or the default)
    // had; the picker must open at font_size, which is what the meter draws.
    if (const int pixels_per_inch = screen_pixels_per_inch(owner); pixels_per_inch > 0) {
        working.lfHeight = -MulDiv(record.font_size, pixels_per_inch, points_per_inch);
    }
    CHOOSEFONTA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.hDC = nullptr;
    request.lpLogFont = &working;
    request.iPointSize = 0;
    request.Flags = font_picker_flags;
    if (dialog_pickers().choose_font(&request) != picker_confirmed) {
        return false;
    }
    record.log_font = working;
    record.font_size = font_size_from_tenths(request.iPointSize);
    return true;
}

} // namespace scrivlet
