#include "common/png.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace scrivlet::png {

namespace {

// stb's encoder cannot survive a failed allocation in the middle of
// compressing (it asserts, then writes through the null pointer), so running
// out of memory throws out of its code instead. Each of its blocks is kept
// on a list, so that what it held when the exception left it can be freed.
struct alignas(std::max_align_t) Block {
    Block* previous;
    Block* next;
};

thread_local Block* stb_blocks = nullptr;

void link(Block* block) {
    block->previous = nullptr;
    block->next = stb_blocks;
    if (stb_blocks != nullptr) {
        stb_blocks->previous = block;
    }
    stb_blocks = block;
}

void unlink(Block* block) {
    (block->previous != nullptr ? block->previous->next : stb_blocks) = block->next;
    if (block->next != nullptr) {
        block->next->previous = block->previous;
    }
}

Block* block_of(void* data) {
    return static_cast<Block*>(data) - 1;
}

size_t with_header(size_t size) {
    if (size > SIZE_MAX - sizeof(Block)) {
        throw std::bad_alloc();
    }
    return sizeof(Block) + size;
}

void* stb_allocate(size_t size) {
    auto* block = static_cast<Block*>(std::malloc(with_header(size)));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    link(block);
    return block + 1;
}

void* stb_reallocate(void* data, size_t size) {
    if (data == nullptr) {
        return stb_allocate(size);
    }
    Block* block = block_of(data);
    const size_t wanted = with_header(size);
    unlink(block);
    auto* moved = static_cast<Block*>(std::realloc(block, wanted));
    if (moved == nullptr) {
        link(block); // realloc leaves the block as it was
        throw std::bad_alloc();
    }
    link(moved);
    return moved + 1;
}

void stb_free(void* data) {
    if (data != nullptr) {
        Block* block = block_of(data);
        unlink(block);
        std::free(block);
    }
}

// Frees whatever stb still holds when it is left by an exception; after a
// finished encode it holds nothing.
struct StbBlocksGuard {
    StbBlocksGuard() = default;
    StbBlocksGuard(const StbBlocksGuard&) = delete;
    StbBlocksGuard& operator=(const StbBlocksGuard&) = delete;
    ~StbBlocksGuard() {
        while (stb_blocks != nullptr) {
            stb_free(stb_blocks + 1);
        }
    }
};

} // namespace

} // namespace scrivlet::png

// stb's code is compiled here, the one file that uses it, with its functions
// static so that nothing else can reach them.
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#define STBIW_MALLOC(size) scrivlet::png::stb_allocate(size)
#define STBIW_REALLOC(data, size) scrivlet::png::stb_reallocate(data, size)
#define STBIW_FREE(data) scrivlet::png::stb_free(data)
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

// The decoder checks every allocation itself.
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace scrivlet::png {

namespace {

constexpr int rgba_channels = 4;

// How many earlier places stb's deflate tries for each match; time grows
// with it. Measured under Wine: at 32 instead of this (stb's own default),
// the demo's contact sheet is 1.6% smaller but a 4096 x 4096 render takes
// 3.8 s instead of 1.8 s; its filter choice per row is kept, as no single
// filter does better on both the sheet and a meter.
constexpr int compression_level = 8;

std::error_code errno_error() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

// stb counts in int: the filtered rows, one filter byte each, must fit.
bool fits_stb(const Image& image) {
    const uint64_t row_bytes = uint64_t{image.width} * rgba_channels + 1;
    return row_bytes * image.height <= INT_MAX;
}

std::vector<uint8_t> encode(const Image& image) {
    const StbBlocksGuard guard;
    std::vector<uint8_t> bytes;
    stbi_write_png_compression_level = compression_level;
    const auto append = [](void* context, void* data, int size) {
        const auto* begin = static_cast<const uint8_t*>(data);
        static_cast<std::vector<uint8_t>*>(context)->insert(
            static_cast<std::vector<uint8_t>*>(context)->end(), begin, begin + size);
    };
    const int width = static_cast<int>(image.width);
    if (stbi_write_png_to_func(append, &bytes, width, static_cast<int>(image.height), rgba_channels,
                               image.rgba.data(), width * rgba_channels) == 0) {
        // stb fails only when an allocation does, and those throw above.
        throw std::bad_alloc();
    }
    return bytes;
}

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::error_code encode_file(const Image& image, std::vector<uint8_t>& bytes) {
    if (image.width == 0 || image.height == 0 ||
        image.rgba.size() != uint64_t{image.width} * image.height * rgba_channels) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    if (!fits_stb(image)) {
        return std::make_error_code(std::errc::value_too_large);
    }
    bytes = encode(image);
    return {};
}

std::error_code write_file(const std::string& path, const Image& image) {
    std::vector<uint8_t> bytes;
    if (const std::error_code refused = encode_file(image, bytes)) {
        return refused;
    }
    errno = 0;
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return errno_error();
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        return errno_error();
    }
    // Closing flushes: a full disk may show only here.
    errno = 0;
    if (std::fclose(file.release()) != 0) {
        return errno_error();
    }
    return {};
}

bool read_file(const std::string& path, Image& image) {
    const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    std::vector<uint8_t> bytes;
    constexpr size_t chunk_bytes = 64 * 1024;
    for (size_t got = chunk_bytes; got == chunk_bytes;) {
        if (bytes.size() > INT_MAX - chunk_bytes) {
            return false; // more than stb reads
        }
        const size_t start = bytes.size();
        bytes.resize(start + chunk_bytes);
        got = std::fread(bytes.data() + start, 1, chunk_bytes, file.get());
        bytes.resize(start + got);
    }
    // A folder opens on some systems, and fails only here.
    if (std::ferror(file.get()) != 0 || bytes.empty()) {
        return false;
    }
    int width = 0;
    int height = 0;
    int channels_in_file = 0;
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                              &channels_in_file, rgba_channels),
        &stbi_image_free);
    if (!pixels) {
        return false;
    }
    Image read{static_cast<uint32_t>(width), static_cast<uint32_t>(height), {}};
    read.rgba.assign(pixels.get(), pixels.get() + size_t{read.width} * read.height * rgba_channels);
    image = std::move(read);
    return true;
}

} // namespace scrivlet::png
