// replace_all on arbitrary bytes. The first byte gives the search text's
// length, the second the replacement's, the third where they come from: own
// strings cut from the input, or views into the target itself. Checked
// against the steps written out one by one (search from p, replace, move p
// past the inserted text, stop at the end), and the length that the count
// of non-overlapping occurrences implies.

#include "text/template.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::string stepwise_replace_all(std::string target, const std::string& search,
                                 const std::string& replacement) {
    if (search.empty()) {
        return target;
    }
    size_t p = 0;
    for (;;) {
        const size_t found = target.find(search, p);
        if (found == std::string::npos) {
            return target;
        }
        target.erase(found, search.size());
        target.insert(found, replacement);
        p = found + replacement.size();
        if (p >= target.size()) {
            return target;
        }
    }
}

size_t occurrences(std::string_view text, std::string_view search) {
    size_t count = 0;
    for (size_t found = text.find(search); found != std::string_view::npos;
         found = text.find(search, found + search.size())) {
        ++count;
    }
    return count;
}

// A slice of `text` of the given length, placed by `seed`; shorter when
// the text is.
std::string_view slice(std::string_view text, size_t length, uint8_t seed) {
    const size_t start = text.empty() ? 0 : seed % (text.size() + 1);
    return text.substr(start, length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    const size_t search_length = data[0] % 9;
    const size_t replacement_length = data[1] % 17;
    const uint8_t source = data[2];
    std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    const std::string_view own_search = rest.substr(0, search_length);
    rest.remove_prefix(own_search.size());
    const std::string_view own_replacement = rest.substr(0, replacement_length);
    rest.remove_prefix(own_replacement.size());

    std::string target(rest);
    const std::string original = target;
    // Bit 0: search from the target; bit 1: replacement from the target.
    const std::string_view search =
        (source & 1) != 0 ? slice(target, search_length, static_cast<uint8_t>(data[0] / 9))
                          : own_search;
    const std::string_view replacement =
        (source & 2) != 0 ? slice(target, replacement_length, static_cast<uint8_t>(data[1] / 17))
                          : own_replacement;
    const std::string search_copy(search);
    const std::string replacement_copy(replacement);

    scrivlet::replace_all(target, search, replacement);

    check(target == stepwise_replace_all(original, search_copy, replacement_copy));
    if (search_copy.empty() || original.find(search_copy) == std::string::npos) {
        check(target == original);
    } else {
        const size_t count = occurrences(original, search_copy);
        check(target.size() ==
              original.size() + count * replacement_copy.size() - count * search_copy.size());
    }
    return 0;
}
