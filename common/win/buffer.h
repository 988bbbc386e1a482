#pragma once
// One way to read what a Win32 call writes into a caller's buffer when the
// length is not known beforehand: try, and grow the buffer as the call says
// until the answer fits. The calls differ only in how they say "too small";
// each rule below is one of those ways.

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::win {

// What one try said.
struct BufferReply {
    enum class Kind { fits, too_small, failed };
    Kind kind = Kind::failed;
    size_t count = 0; // fits: characters written; too_small: size asked for (0: not said)
};

// GetModuleFileName: a full buffer means the name was cut; 0 is a failure.
inline BufferReply cut_at_size_reply(DWORD result, size_t size) {
    if (result == 0) {
        return {BufferReply::Kind::failed, 0};
    }
    return result < size ? BufferReply{BufferReply::Kind::fits, result}
                         : BufferReply{BufferReply::Kind::too_small, 0};
}

// GetFullPathName, GetTempPath: the size needed (terminator included) when
// the buffer is too small; 0 is a failure.
inline BufferReply needed_size_reply(DWORD result, size_t size) {
    if (result == 0) {
        return {BufferReply::Kind::failed, 0};
    }
    return result < size ? BufferReply{BufferReply::Kind::fits, result}
                         : BufferReply{BufferReply::Kind::too_small, result};
}

// The profile readers: cut to size - terminators when too small (one
// terminator for a string, two for a list of strings); never a failure.
inline BufferReply profile_reply(DWORD result, size_t size, size_t terminators) {
    return result + terminators < size ? BufferReply{BufferReply::Kind::fits, result}
                                       : BufferReply{BufferReply::Kind::too_small, 0};
}

inline constexpr size_t first_buffer_chars = 256;
inline constexpr size_t max_buffer_chars = size_t{16} << 20;

// `call(buffer, size)` answers a BufferReply. The text written, without its
// final terminator (a list keeps the ones between its strings); nullopt
// when the call failed or wanted more than max_buffer_chars.
template <typename Char, typename Call>
std::optional<std::basic_string<Char>> read_growing(Call&& call,
                                                    size_t first_size = first_buffer_chars) {
    std::vector<Char> buffer(std::max<size_t>(first_size, 1));
    while (buffer.size() <= max_buffer_chars) {
        const BufferReply reply = call(buffer.data(), buffer.size());
        switch (reply.kind) {
        case BufferReply::Kind::failed:
            return std::nullopt;
        case BufferReply::Kind::fits:
            return std::basic_string<Char>(buffer.data(), reply.count);
        case BufferReply::Kind::too_small:
            buffer.assign(std::max(reply.count, buffer.size() * 2), Char{});
            break;
        }
    }
    return std::nullopt;
}

} // namespace scrivlet::win
