#pragma once
// A minimal PNG encoder and decoder for 8-bit RGBA images: enough for the
// tools to write previews and for tests to read them back. The encoder
// stores deflate blocks uncompressed (no dependency on zlib); the decoder
// reads only what the encoder writes.

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet::png {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba; // straight (not premultiplied) alpha, rows top-down
};

std::vector<uint8_t> encode(const Image& image);

// False when the bytes are not a PNG this encoder could have written.
bool decode(const std::vector<uint8_t>& bytes, Image& image);

bool write_file(const std::string& path, const Image& image);
bool read_file(const std::string& path, Image& image);

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

} // namespace scrivlet::png
