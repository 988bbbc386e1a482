#include "common/png.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

namespace scrivlet::png {

namespace {

constexpr std::array<uint8_t, 8> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t max_stored_block = 65535;
constexpr uint8_t colour_type_rgba = 6;

void put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint32_t get32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

uint32_t adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

// Scanlines with filter byte 0, as a zlib stream of stored blocks.
std::vector<uint8_t> zlib_stored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t length = std::min(max_stored_block, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    put32(out, adler32(raw));
    return out;
}

bool unzlib_stored(const std::vector<uint8_t>& in, std::vector<uint8_t>& raw) {
    if (in.size() < 6 || in[0] != 0x78) {
        return false;
    }
    size_t pos = 2;
    for (bool last = false; !last;) {
        if (pos + 5 > in.size() || (in[pos] & 0x06) != 0) {
            return false; // only stored blocks
        }
        last = (in[pos] & 1) != 0;
        const size_t length = in[pos + 1] | size_t{in[pos + 2]} << 8;
        const size_t check = in[pos + 3] | size_t{in[pos + 4]} << 8;
        if ((length ^ 0xFFFF) != check || pos + 5 + length > in.size()) {
            return false;
        }
        raw.insert(raw.end(), in.begin() + static_cast<std::ptrdiff_t>(pos + 5),
                   in.begin() + static_cast<std::ptrdiff_t>(pos + 5 + length));
        pos += 5 + length;
    }
    return pos + 4 <= in.size() && get32(in.data() + pos) == adler32(raw);
}

} // namespace

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

std::vector<uint8_t> encode(const Image& image) {
    std::vector<uint8_t> out(signature.begin(), signature.end());
    std::vector<uint8_t> header;
    put32(header, image.width);
    put32(header, image.height);
    header.insert(header.end(), {8, colour_type_rgba, 0, 0, 0});
    put_chunk(out, "IHDR", header);

    const size_t row_bytes = size_t{image.width} * 4;
    std::vector<uint8_t> raw;
    raw.reserve((row_bytes + 1) * image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const auto row = image.rgba.begin() + static_cast<std::ptrdiff_t>(y * row_bytes);
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(row_bytes));
    }
    put_chunk(out, "IDAT", zlib_stored(raw));
    put_chunk(out, "IEND", {});
    return out;
}

bool decode(const std::vector<uint8_t>& bytes, Image& image) {
    if (bytes.size() < signature.size() ||
        !std::equal(signature.begin(), signature.end(), bytes.begin())) {
        return false;
    }
    std::vector<uint8_t> compressed;
    bool have_header = false;
    for (size_t pos = signature.size(); pos + 12 <= bytes.size();) {
        const uint32_t length = get32(&bytes[pos]);
        if (length > bytes.size() - pos - 12) {
            return false;
        }
        const uint8_t* type = &bytes[pos + 4];
        const uint8_t* data = type + 4;
        if (crc32(type, length + 4) != get32(data + length)) {
            return false;
        }
        if (std::memcmp(type, "IHDR", 4) == 0 && length == 13) {
            image.width = get32(data);
            image.height = get32(data + 4);
            have_header = data[8] == 8 && data[9] == colour_type_rgba && data[12] == 0;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), data, data + length);
        }
        pos += size_t{length} + 12;
    }
    std::vector<uint8_t> raw;
    const size_t row_bytes = size_t{image.width} * 4;
    if (!have_header || !unzlib_stored(compressed, raw) ||
        raw.size() != (row_bytes + 1) * image.height) {
        return false;
    }
    image.rgba.clear();
    for (uint32_t y = 0; y < image.height; ++y) {
        const auto row = raw.begin() + static_cast<std::ptrdiff_t>(y * (row_bytes + 1));
        if (*row != 0) {
            return false;
        }
        image.rgba.insert(image.rgba.end(), row + 1,
                          row + 1 + static_cast<std::ptrdiff_t>(row_bytes));
    }
    return true;
}

bool write_file(const std::string& path, const Image& image) {
    const std::vector<uint8_t> bytes = encode(image);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

bool read_file(const std::string& path, Image& image) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    return decode(bytes, image);
}

} // namespace scrivlet::png
