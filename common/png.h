#pragma once
// 8-bit RGBA PNG files for the tools' previews and for tests that read them
// back, through stb (Debian's libstb-dev).

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace scrivlet::png {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba; // straight (not premultiplied) alpha, rows top-down
};

// Writes the image as a compressed PNG file. Answers no error (false) when
// written, else the C library's reason, so that a caller can say why.
// Throws std::bad_alloc when there is not memory enough to compress.
std::error_code write_file(const std::string& path, const Image& image);
// The bytes write_file writes, for a caller that opens the file itself; the
// same reasons for an image it refuses, and the same std::bad_alloc.
std::error_code encode_file(const Image& image, std::vector<uint8_t>& bytes);

// Reads a PNG of any colour type and bit depth as 8-bit RGBA. False, leaving
// the image as it was, when the file cannot be read or is not a whole PNG.
bool read_file(const std::string& path, Image& image);

} // namespace scrivlet::png
