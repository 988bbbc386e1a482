#include "render/render_text.h"

namespace scrivlet {

// Placeholder until the soft shadow is built; draws nothing.
void draw_shadow_pass(HDC, const MeterRecord&, std::string_view, float, float, LayoutRect,
                      Gdiplus::GpStringFormat*) {}

} // namespace scrivlet
