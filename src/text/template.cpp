#include "text/template.h"

namespace scrivlet {

void replace_all(std::string& target, std::string search, std::string replacement) {
    if (search.empty()) {
        return;
    }
    size_t position = 0;
    while (position < target.size()) {
        const size_t found = target.find(search, position);
        if (found == std::string::npos) {
            return;
        }
        target.replace(found, search.size(), replacement);
        position = found + replacement.size();
    }
}

std::string expand_template(std::string_view text_template, std::string_view value_text) {
    std::string expanded(text_template);
    replace_all(expanded, "%v", std::string(value_text));
    replace_all(expanded, "%b", "\n");
    replace_all(expanded, "%tab", "\t");
    return expanded;
}

} // namespace scrivlet
