#include "pixels.h"

namespace scrivlet::host {

namespace {

constexpr uint32_t full = 255;

uint8_t blend(uint8_t premultiplied, uint8_t alpha, uint8_t under) {
    // premultiplied + under * (1 - alpha), rounded to nearest.
    const uint32_t value = premultiplied + (under * (full - alpha) + full / 2) / full;
    return static_cast<uint8_t>(value > full ? full : value);
}

} // namespace

uint8_t unpremultiply_channel(uint8_t premultiplied, uint8_t alpha) {
    if (alpha == 0) {
        return 0;
    }
    if (premultiplied >= alpha) {
        return static_cast<uint8_t>(full);
    }
    // round(p * 255 / a). Its premultiplied form round(c * a / 255) is p
    // again: |c - p*255/a| <= 1/2 moves c * a / 255 by at most a/510 < 1/2.
    return static_cast<uint8_t>((premultiplied * full + alpha / 2u) / alpha);
}

void unpremultiply(const uint8_t* bgra, size_t count, uint8_t* rgba) {
    for (size_t i = 0; i < count; ++i, bgra += 4, rgba += 4) {
        const uint8_t alpha = bgra[3];
        rgba[0] = unpremultiply_channel(bgra[2], alpha);
        rgba[1] = unpremultiply_channel(bgra[1], alpha);
        rgba[2] = unpremultiply_channel(bgra[0], alpha);
        rgba[3] = alpha;
    }
}

Rgb background_at(const Background& background, uint32_t x, uint32_t y) {
    switch (background.kind) {
    case BackgroundKind::colour:
        return background.colour;
    case BackgroundKind::checker:
        return ((x / checker_square_px + y / checker_square_px) % 2 == 0) ? checker_light
                                                                          : checker_dark;
    case BackgroundKind::transparent:
        break;
    }
    return Rgb{};
}

Rgb composite(const uint8_t* bgra, Rgb under) {
    const uint8_t alpha = bgra[3];
    return Rgb{blend(bgra[2], alpha, under.red), blend(bgra[1], alpha, under.green),
               blend(bgra[0], alpha, under.blue)};
}

void composite_block(const uint8_t* bgra, uint32_t width, uint32_t height,
                     const Background& background, uint8_t* rgba, uint32_t image_width,
                     uint32_t left, uint32_t top) {
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = rgba + (static_cast<size_t>(top + y) * image_width + left) * 4;
        for (uint32_t x = 0; x < width; ++x, bgra += 4, row += 4) {
            const Rgb pixel = composite(bgra, background_at(background, left + x, top + y));
            row[0] = pixel.red;
            row[1] = pixel.green;
            row[2] = pixel.blue;
            row[3] = static_cast<uint8_t>(full);
        }
    }
}

} // namespace scrivlet::host
