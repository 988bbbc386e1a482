#include "render/render_text.h"

namespace scrivlet {

// Placeholder until the border band is built; draws nothing.
void draw_border_pass(HDC, const MeterRecord&, std::string_view, float, float, LayoutRect,
                      Gdiplus::GpStringFormat*) {}

} // namespace scrivlet
