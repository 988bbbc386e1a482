#pragma once
// The command-line rules every tool shares: how words, options and values are
// told apart, and how a number with a range is read. Each tool keeps one
// table of its options and builds its parsing, its messages and its help
// from that table.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scrivlet::cli {

// A mistake on the command line, as the one line a person reads.
struct UsageError {
    std::string message;
};

struct Arguments {
    std::vector<std::string> words; // what is not an option, in order
    // Options as given, names without "--", in order; a flag's value is "".
    std::vector<std::pair<std::string, std::string>> options;
    bool help = false;         // --help or -h anywhere
    std::string unknown;       // the first unknown option, as written
    std::string lacking_value; // the first option whose value is missing
};

// What an option name means to the tool: nullopt for one it does not know,
// otherwise whether it takes a value.
using OptionKind = std::function<std::optional<bool>(std::string_view name)>;

// "--name value" and "--name=value" both; a value may look like an option
// or be empty. "--" alone is a word.
Arguments split(const std::vector<std::string>& args, const OptionKind& kind);

// Digits only, min..max; otherwise "--name 'text': expected a whole number
// min..max". Throws UsageError.
uint32_t whole_number(std::string_view name, std::string_view text, uint32_t min, uint32_t max);

// Digits only; false when there are none or another character. A number
// past `limit` reads as limit + 1 instead of wrapping.
bool digits_within(std::string_view text, uint32_t limit, uint64_t& value);

} // namespace scrivlet::cli
