#pragma once
// Turning what the plug-in leaves on a 32-bit DIB section (premultiplied
// B, G, R, A per pixel, rows top-down) into straight RGBA for a PNG, alone or
// over a background. Portable, so that its rounding is tested natively.

#include "command_line.h"

#include <cstddef>
#include <cstdint>

namespace scrivlet::host {

inline constexpr uint32_t checker_square_px = 8;
inline constexpr Rgb checker_light{255, 255, 255};
inline constexpr Rgb checker_dark{204, 204, 204};

// The straight channel whose premultiplied form (rounded to nearest, as the
// graphics library stores it) is `premultiplied`; when several are, the one
// nearest the exact quotient. A channel above its alpha, which no correct
// premultiplied pixel has, reads as 255; alpha 0 gives 0.
uint8_t unpremultiply_channel(uint8_t premultiplied, uint8_t alpha);

// `count` BGRA pixels to RGBA, alpha kept.
void unpremultiply(const uint8_t* bgra, size_t count, uint8_t* rgba);

// Background colour at (x, y) of an image: the colour, or the checkerboard
// that starts with a light square at (0, 0).
Rgb background_at(const Background& background, uint32_t x, uint32_t y);

// A premultiplied pixel laid over an opaque colour: opaque RGB.
Rgb composite(const uint8_t* bgra, Rgb under);

// A width x height block of BGRA over the background into an RGBA image of
// `image_width` pixels a row, at (left, top). The background pattern runs in
// image coordinates, so that neighbouring blocks continue it. Alpha 255.
void composite_block(const uint8_t* bgra, uint32_t width, uint32_t height,
                     const Background& background, uint8_t* rgba, uint32_t image_width,
                     uint32_t left, uint32_t top);

} // namespace scrivlet::host
