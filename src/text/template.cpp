#include "text/template.h"

namespace scrivlet {

void replace_all(std::string& target, std::string_view search, std::string_view replacement) {
    if (search.empty()) {
        return;
    }
    size_t found = target.find(search);
    if (found == std::string::npos) {
        return;
    }
    // Built apart and swapped in at the end, so that views into `target` stay
    // valid throughout and each byte moves once however many occurrences
    // there are. Scanning the original from the end of each occurrence is
    // what leaves inserted text unsearched.
    std::string replaced;
    size_t copied = 0;
    while (found != std::string::npos) {
        replaced.append(target, copied, found - copied);
        replaced.append(replacement);
        copied = found + search.size();
        found = target.find(search, copied);
    }
    replaced.append(target, copied, std::string::npos);
    target.swap(replaced);
}

std::string expand_template(std::string_view text_template, std::string_view value_text) {
    std::string expanded(text_template);
    replace_all(expanded, "%v", value_text);
    replace_all(expanded, "%b", "\n");
    replace_all(expanded, "%tab", "\t");
    return expanded;
}

} // namespace scrivlet
