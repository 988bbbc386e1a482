#include "render/layout.h"

#include <algorithm>
#include <cmath>

namespace scrivlet {

SurfacePoints surface_points(int32_t width_px, int32_t height_px, float dpi_x, float dpi_y) {
    constexpr double points_per_inch = 72.0;
    SurfacePoints surface;
    surface.width_pt = static_cast<float>(points_per_inch / dpi_x * width_px - 1.0);
    surface.height_pt = static_cast<float>(points_per_inch / dpi_y * height_px - 1.0);
    return surface;
}

namespace {

// One axis of the shadow room: a negative offset shifts the start instead of
// narrowing the far side.
void reserve_shadow(float& start, float& extent, float surface_extent, int32_t half_shadow,
                    int32_t offset) {
    const double half = half_shadow;
    const double off = offset;
    const double new_start = offset >= 0 ? half : half - off;
    start = static_cast<float>(new_start);
    extent = static_cast<float>(static_cast<double>(surface_extent) - start - half - off - 2.0);
}

void reserve_border(float& start, float& extent, float surface_extent, int32_t border_width) {
    const double bw = border_width;
    if (start < bw) {
        start = static_cast<float>(bw);
    }
    const double limit = static_cast<double>(surface_extent) - start - bw;
    if (extent >= limit) {
        extent = static_cast<float>(limit);
    }
}

} // namespace

LayoutRect layout_rectangle(SurfacePoints surface, const LayoutRoom& room) {
    LayoutRect rect{0, 0, surface.width_pt, surface.height_pt};
    if (room.shadow_enabled) {
        const int32_t half_shadow = room.shadow_size / 2;
        reserve_shadow(rect.x, rect.width, surface.width_pt, half_shadow, room.shadow_offset_x);
        reserve_shadow(rect.y, rect.height, surface.height_pt, half_shadow, room.shadow_offset_y);
    }
    if (room.border_enabled) {
        reserve_border(rect.x, rect.width, surface.width_pt, room.border_width);
        reserve_border(rect.y, rect.height, surface.height_pt, room.border_width);
    }
    return rect;
}

TabStops tab_stops(float surface_width_pt, int32_t tab_width) {
    TabStops stops;
    const float distance = static_cast<float>(tab_width);
    const float quotient = surface_width_pt / distance;
    if (!std::isfinite(quotient)) {
        return stops;
    }
    const float whole = std::fabs(std::trunc(quotient));
    stops.count = whole > max_tab_stops ? max_tab_stops : static_cast<int>(whole);
    for (int i = 0; i < stops.count; ++i) {
        stops.distances[static_cast<size_t>(i)] = distance;
    }
    return stops;
}

AlignmentPair alignment_pair(int32_t alignment) {
    if (!alignment_in_range(alignment)) {
        alignment = 0;
    }
    return AlignmentPair{alignment % 3, alignment / 3};
}

Drawable drawable_geometry(const DrawableInputs& in) {
    Drawable drawable;
    if (!(std::isfinite(in.dpi_x) && std::isfinite(in.dpi_y) && in.dpi_x > 0 && in.dpi_y > 0)) {
        return drawable; // a metafile, released or bogus DC: no size in points at all
    }
    constexpr double points_per_inch = 72.0;
    auto points = [](double pixels, double dpi) { return points_per_inch / dpi * pixels; };
    // Sizes beyond the largest surface count as the largest one: no real
    // surface has more to show.
    auto visible = [&](int32_t side_px, double dpi) {
        return points(std::clamp(side_px, 0, max_surface_side_px), dpi);
    };
    const double visible_width = visible(in.width_px, in.dpi_x);
    const double visible_height = visible(in.height_px, in.dpi_y);
    const double reach_x = points(max_surface_side_px, in.dpi_x);
    const double reach_y = points(max_surface_side_px, in.dpi_y);

    const double em = in.em_size_pt;
    const double em_bound = std::max<double>(
        min_em_bound_pt, em_bound_per_side * std::max(visible_width, visible_height));
    if (!(em > 0 && em <= em_bound)) {
        return drawable;
    }
    // The rectangle is handed to the library as the room for the shadow and
    // the border leaves it: of no width or height, or less, on a small meter
    // with a wide shadow or border, and the library still lays the text out
    // (without wrapping). Only numbers beyond any surface move an edge
    // further from the visible surface than the largest surface is wide;
    // coordinates of that size are what sent the library into divisions by
    // zero and endless flattening.
    auto axis_within_reach = [](double start, double extent, double visible_side, double reach) {
        const double end = start + extent;
        auto reached = [&](double edge) { return edge >= -reach && edge <= visible_side + reach; };
        return std::isfinite(start) && std::isfinite(extent) && reached(start) && reached(end);
    };
    const LayoutRect& rect = in.rect;
    drawable.text = axis_within_reach(rect.x, rect.width, visible_width, reach_x) &&
                    axis_within_reach(rect.y, rect.height, visible_height, reach_y);
    if (!drawable.text) {
        return drawable;
    }
    drawable.passes = in.width_px <= max_surface_side_px && in.height_px <= max_surface_side_px;
    // Moved by the largest surface's side or more, the stretched shadow
    // misses every surface.
    auto within = [](int32_t offset) {
        return std::abs(static_cast<int64_t>(offset)) < int64_t{max_surface_side_px};
    };
    // A pen wider than twice the largest surface paints nothing more than
    // one that wide; the rectangle bounds the shadow's own width only while
    // the border does not pull the rectangle back in.
    const double widest_pen = 2 * std::max(reach_x, reach_y);
    auto pen_drawable = [widest_pen](double width) { return std::fabs(width) <= widest_pen; };
    drawable.shadow =
        pen_drawable(in.shadow_size) && within(in.shadow_offset_x) && within(in.shadow_offset_y);
    drawable.border = pen_drawable(2.0 * in.border_width);
    return drawable;
}

size_t drawable_text_length(LayoutRect rect, SurfacePoints visible, float em_size_pt,
                            size_t text_length) {
    constexpr double lines_per_em = 1.0;
    constexpr double glyphs_per_em = 10.0;
    constexpr double slack = 64;
    const double em = em_size_pt;
    if (!(em > 0)) {
        return 0;
    }
    auto showing = [](double extent, double visible_side) {
        const double room = extent > 0 ? extent : visible_side;
        return room > 0 ? room : 0.0; // also drops a room that is not a number
    };
    const double height = showing(rect.height, visible.height_pt);
    const double width = showing(rect.width, visible.width_pt);
    const double lines = std::floor(height / em * lines_per_em) + 1;
    const double glyphs_per_line = std::floor(width / em * glyphs_per_em) + 1;
    // One more per line for its line break.
    const size_t ceiling = rect.width > 0 ? max_drawable_text_bytes : max_unwrapped_text_bytes;
    const double limit =
        std::min(lines * (glyphs_per_line + 1) + slack, static_cast<double>(ceiling));
    return limit < static_cast<double>(text_length) ? static_cast<size_t>(limit) : text_length;
}

std::u16string widen_bytes(std::string_view bytes) {
    std::u16string wide(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
    }
    return wide;
}

bool shadow_bitmap_size(float width_px, float height_px, int32_t softness, BitmapSize& size) {
    if (softness <= 0) {
        return false;
    }
    const double scale = 1.0 / softness;
    const double width = std::trunc(static_cast<double>(width_px) * scale);
    const double height = std::trunc(static_cast<double>(height_px) * scale);
    if (!(width >= 1.0 && height >= 1.0)) {
        return false;
    }
    constexpr double largest = INT32_MAX;
    size.width = static_cast<int32_t>(width < largest ? width : largest);
    size.height = static_cast<int32_t>(height < largest ? height : largest);
    return true;
}

PixelRect shadow_destination(float width_px, float height_px, int32_t offset_x, int32_t offset_y) {
    // Surface sizes are exact integers held in floats; int64 keeps the sum of
    // an extreme offset and a side from overflowing before it is clamped.
    auto grown = [](float side, int32_t offset) {
        const int64_t sum = static_cast<int64_t>(side) + offset;
        if (sum > INT32_MAX) {
            return INT32_MAX;
        }
        if (sum < INT32_MIN) {
            return INT32_MIN;
        }
        return static_cast<int32_t>(sum);
    };
    return PixelRect{offset_x, offset_y, grown(width_px, offset_x), grown(height_px, offset_y)};
}

} // namespace scrivlet
