#include "size_comments.h"

#include "common/ascii_case.h"

#include <algorithm>

namespace scrivlet::host {

namespace {

constexpr std::string_view size_comment = "; size:";

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::map<std::string, Size> size_comments(std::string_view file_text) {
    std::map<std::string, Size> sizes;
    std::optional<Size> pending;
    for (size_t start = 0; start <= file_text.size();) {
        const size_t end = std::min(file_text.find('\n', start), file_text.size());
        const std::string_view line = trimmed(file_text.substr(start, end - start));
        start = end + 1;
        if (line.substr(0, size_comment.size()) == size_comment) {
            try {
                pending = parse_size("size", trimmed(line.substr(size_comment.size())));
            } catch (const Failure&) {
                // A note a person wrote, not a size: nothing to suggest.
            }
        } else if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            if (pending) {
                sizes[std::string(line.substr(1, line.size() - 2))] = *pending;
            }
            pending.reset();
        }
    }
    return sizes;
}

std::optional<Size> suggested_size(const std::map<std::string, Size>& sizes,
                                   std::string_view section) {
    for (const auto& [name, size] : sizes) {
        if (same_ignoring_case(name, section)) {
            return size;
        }
    }
    return std::nullopt;
}

} // namespace scrivlet::host
