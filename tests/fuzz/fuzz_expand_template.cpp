// expand_template on arbitrary bytes. The first byte says where the template
// ends and the value text begins. Checked against three passes of the
// stepwise replacement; a template without "%" comes back as it is; a
// template without "%v" does not depend on the value; no "%b" or "%tab"
// survives.

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

std::string stepwise_replace_all(std::string target, std::string_view search,
                                 std::string_view replacement) {
    size_t p = 0;
    for (;;) {
        const size_t found = target.find(search, p);
        if (found == std::string::npos) {
            return target;
        }
        target.replace(found, search.size(), replacement);
        p = found + replacement.size();
        if (p >= target.size()) {
            return target;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t template_length = rest.empty() ? 0 : data[0] % (rest.size() + 1);
    const std::string_view text_template = rest.substr(0, template_length);
    const std::string_view value_text = rest.substr(template_length);

    const std::string expanded = scrivlet::expand_template(text_template, value_text);

    std::string stepwise = stepwise_replace_all(std::string(text_template), "%v", value_text);
    stepwise = stepwise_replace_all(stepwise, "%b", "\n");
    stepwise = stepwise_replace_all(stepwise, "%tab", "\t");
    check(expanded == stepwise);

    if (text_template.find('%') == std::string_view::npos) {
        check(expanded == text_template);
    }
    if (text_template.find("%v") == std::string_view::npos) {
        check(expanded == scrivlet::expand_template(text_template, ""));
    }
    // A bounded expansion is exactly the start of the whole one, wherever the
    // bound cuts a placeholder or a value.
    for (size_t limit : {size_t{0}, size_t{1}, size % 61, expanded.size() / 3, expanded.size() / 2,
                         expanded.size(), expanded.size() + 1}) {
        check(scrivlet::expand_template(text_template, value_text, limit) ==
              expanded.substr(0, limit));
    }
    check(expanded.find("%b") == std::string::npos);
    check(expanded.find("%tab") == std::string::npos);
    return 0;
}
