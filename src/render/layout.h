#pragma once
// Geometry of a meter's text: surface size in points, the layout rectangle,
// tab stops, the alignment grid and the shadow bitmap. Pure arithmetic, kept
// free of any graphics library so that it can be checked to the bit.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// x, y, width, height in points from the surface's top-left corner.
struct LayoutRect {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

struct SurfacePoints {
    float width_pt = 0;
    float height_pt = 0;
};

// The surface size in points, less one point each way.
SurfacePoints surface_points(int32_t width_px, int32_t height_px, float dpi_x, float dpi_y);

struct LayoutRoom {
    bool shadow_enabled = false;
    int32_t shadow_size = 0;
    int32_t shadow_offset_x = 0;
    int32_t shadow_offset_y = 0;
    bool border_enabled = false;
    int32_t border_width = 0;
};

// The rectangle the text is laid out in, inset for the shadow and the border.
LayoutRect layout_rectangle(SurfacePoints surface, const LayoutRoom& room);

inline constexpr int max_tab_stops = 256;

struct TabStops {
    std::array<float, max_tab_stops> distances{};
    int count = 0;
};

// Evenly spaced stops over the whole surface width (not the inset rectangle).
TabStops tab_stops(float surface_width_pt, int32_t tab_width);

inline constexpr int32_t alignment_count = 9;

inline bool alignment_in_range(int32_t alignment) {
    return alignment >= 0 && alignment < alignment_count;
}

// StringAlignment values: 0 near, 1 center, 2 far.
struct AlignmentPair {
    int horizontal = 0;
    int line = 0;
};

// Row = alignment / 3 picks the line alignment, column = alignment % 3 the
// horizontal one; anything out of range maps as 0.
AlignmentPair alignment_pair(int32_t alignment);

// The largest side of a surface a host can hand over, in pixels. No pass
// bitmap is made beyond it, and every bound on the geometry below is taken
// from a surface of at most this size.
inline constexpr int32_t max_surface_side_px = 16384;

// Whatever the surface, an em up to this draws as it always has: twice the
// largest font size themes use, so no real meter loses its text to the bound
// below, while the library still lays such glyphs out in milliseconds.
inline constexpr float min_em_bound_pt = 800.0f;

// An em more than this many times the surface's larger side cannot show a
// whole glyph, at most a piece of one stroke; the library lays out such
// glyphs in seconds (an em of some 57,000 points takes ten).
inline constexpr float em_bound_per_side = 2.0f;

// What of a repaint can show on its surface, decided once from every number
// that would reach the graphics library. The record keeps whatever it holds;
// what cannot affect any real surface is simply not drawn, so that a hostile
// settings file can neither crash the host nor hold its thread.
struct Drawable {
    bool text = false;   // the glyphs can show: the fill, and the passes when they are on
    bool passes = false; // the surface fits the pass bitmaps
    bool shadow =
        false; // the shadow's pen is drawable and it is moved less than any surface's side
    bool border = false; // the border band's pen is drawable
};

struct DrawableInputs {
    float dpi_x = 0;
    float dpi_y = 0;
    int32_t width_px = 0;
    int32_t height_px = 0;
    LayoutRect rect;
    float em_size_pt = 0;
    int32_t shadow_size = 0;
    int32_t shadow_offset_x = 0;
    int32_t shadow_offset_y = 0;
    int32_t border_width = 0;
};

Drawable drawable_geometry(const DrawableInputs& in);

// The most text a repaint builds and lays out, whatever the surface. A
// meter showing a feed or a file fills a large surface with a few thousand
// bytes; this is several times that, yet it keeps a hostile template of
// megabytes, or a value of hundreds of digits repeated by it, to a few
// hundred kilobytes of work (the expansion builds at most four times this
// before cutting). Text the library wraps stays cheap there (Wine's GDI+
// took 20 ms for all of it across a full-screen meter); unwrapped text has
// the lower bound below.
inline constexpr size_t max_drawable_text_bytes = 16 * 1024;

// Without a positive width the library wraps nothing, and one long line
// costs it far more than the same glyphs on many lines (Wine's GDI+,
// measured: 0.2 s for a line of 1024 glyphs, 2.2 s for 3000, over four
// minutes for 16384). Such a layout takes no more than this, which is more
// than any surface shows of a line: a rectangle without width comes only
// from a border or shadow as wide as the surface.
inline constexpr size_t max_unwrapped_text_bytes = 1024;

// How many bytes of the text are worth laying out: no more than every line
// that can show (lines at least one em apart) can hold (glyphs at least a
// tenth of an em wide), plus slack, and never more than
// max_drawable_text_bytes. An extent of the rectangle that is not positive
// shows what the visible surface shows on that axis instead, and without
// a width the text is not wrapped: at most max_unwrapped_text_bytes then. An em size that is not
// positive takes none. What lies past that point cannot show, and the library's layout time grows
// with the square of the text in a narrow rectangle, where every glyph wraps onto a line of its
// own.
size_t drawable_text_length(LayoutRect rect, SurfacePoints visible, float em_size_pt,
                            size_t text_length);

// Each byte becomes the UTF-16 code unit of the same value, whatever the
// system's code page, so the text keeps one code unit per byte.
std::u16string widen_bytes(std::string_view bytes);

struct BitmapSize {
    int32_t width = 0;
    int32_t height = 0;
};

// The shadow's reduced bitmap: each side times 1/softness, truncated. A side
// below one pixel (softness 0, negative or larger than the surface) gives none.
bool shadow_bitmap_size(float width_px, float height_px, int32_t softness, BitmapSize& size);

struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Where the reduced shadow is stretched back to: moved by the offsets and
// grown (or shrunk) by them, in device pixels.
PixelRect shadow_destination(float width_px, float height_px, int32_t offset_x, int32_t offset_y);

} // namespace scrivlet

namespace scrivlet {

// GDI+ ARGB from four channels; only the low 8 bits of each take part.
inline uint32_t pack_argb(int32_t alpha, int32_t red, int32_t green, int32_t blue) {
    auto low8 = [](int32_t channel) { return static_cast<uint32_t>(channel) & 0xFFu; };
    return low8(alpha) << 24 | low8(red) << 16 | low8(green) << 8 | low8(blue);
}

} // namespace scrivlet
