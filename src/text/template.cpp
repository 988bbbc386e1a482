#include "text/template.h"

#include <limits>

namespace scrivlet {

namespace {

// The first `max_length` bytes of `source` with every `search` replaced, left
// to right, never searching inserted text again. Building stops once that
// many bytes are there, so a long template full of placeholders costs no
// more than the part of it that is kept.
std::string replaced_prefix(std::string_view source, std::string_view search,
                            std::string_view replacement, size_t max_length) {
    std::string replaced;
    auto append_up_to_limit = [&](std::string_view part) {
        replaced.append(part.substr(0, max_length - replaced.size()));
    };
    size_t copied = 0;
    size_t found = source.find(search);
    while (found != std::string_view::npos && replaced.size() < max_length) {
        append_up_to_limit(source.substr(copied, found - copied));
        if (replaced.size() < max_length) {
            append_up_to_limit(replacement);
        }
        copied = found + search.size();
        found = source.find(search, copied);
    }
    if (replaced.size() < max_length && copied < source.size()) {
        append_up_to_limit(source.substr(copied));
    }
    return replaced;
}

} // namespace

void replace_all(std::string& target, std::string_view search, std::string_view replacement) {
    if (search.empty() || target.find(search) == std::string::npos) {
        return;
    }
    // Built apart and swapped in at the end, so that views into `target` stay
    // valid throughout and each byte moves once however many occurrences
    // there are.
    std::string replaced =
        replaced_prefix(target, search, replacement, std::numeric_limits<size_t>::max());
    target.swap(replaced);
}

std::string expand_template(std::string_view text_template, std::string_view value_text,
                            size_t max_length) {
    // "%b" and "%tab" shrink to one byte each, so no byte of the result comes
    // from more than four of the text they are replaced in: those first bytes
    // decide the first `max_length` of the result, and a placeholder cut at
    // their end lands past it.
    constexpr size_t longest_shrinking_placeholder = 4;
    constexpr size_t unbounded = std::numeric_limits<size_t>::max();
    const size_t with_values_length =
        max_length < (unbounded - longest_shrinking_placeholder) / longest_shrinking_placeholder
            ? longest_shrinking_placeholder * (max_length + 1)
            : unbounded;
    std::string expanded = replaced_prefix(text_template, "%v", value_text, with_values_length);
    replace_all(expanded, "%b", "\n");
    replace_all(expanded, "%tab", "\t");
    if (expanded.size() > max_length) {
        expanded.resize(max_length);
    }
    return expanded;
}

} // namespace scrivlet
