#include "arguments.h"

#include <algorithm>

namespace scrivlet::cli {

Arguments split(const std::vector<std::string>& args, const OptionKind& kind) {
    Arguments split;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            split.help = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
            split.words.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> value;
        if (const size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const std::optional<bool> takes_value = kind(name);
        if (!takes_value) {
            if (split.unknown.empty()) {
                split.unknown = arg;
            }
            continue;
        }
        if (!*takes_value) {
            split.options.emplace_back(name, value.value_or(""));
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                if (split.lacking_value.empty()) {
                    split.lacking_value = name;
                }
                continue;
            }
            value = args[++i];
        }
        split.options.emplace_back(name, *value);
    }
    return split;
}

bool digits_within(std::string_view text, uint32_t limit, uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        number =
            std::min<uint64_t>(number * 10 + static_cast<uint64_t>(c - '0'), uint64_t{limit} + 1);
    }
    value = number;
    return true;
}

uint32_t whole_number(std::string_view name, std::string_view text, uint32_t min, uint32_t max) {
    uint64_t number = 0;
    if (!digits_within(text, max, number) || number < min || number > max) {
        throw UsageError{"--" + std::string(name) + " '" + std::string(text) +
                         "': expected a whole number " + std::to_string(min) + ".." +
                         std::to_string(max)};
    }
    return static_cast<uint32_t>(number);
}

} // namespace scrivlet::cli
