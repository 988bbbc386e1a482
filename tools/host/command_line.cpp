#include "command_line.h"

#include <algorithm>
#include <array>
#include <map>

namespace scrivlet::host {

namespace {

constexpr const char* program = "scrivlet-host";

struct CommandRule {
    Command command;
    const char* name;
    std::vector<std::string_view> required;
    std::vector<std::string_view> optional;
};

// --dll applies to every command that loads the plug-in.
const std::array<CommandRule, 5>& command_rules() {
    static const std::array<CommandRule, 5> rules = {{
        {Command::info, "info", {}, {"dll"}},
        {Command::render,
         "render",
         {"ini", "section", "value", "size", "out"},
         {"dll", "dpi", "background"}},
        {Command::sheet, "sheet", {"ini", "out"}, {"dll", "dpi", "background", "cell"}},
        {Command::configure, "configure", {"ini", "section"}, {"dll"}},
        {Command::bench, "bench", {}, {"dll", "runs"}},
    }};
    return rules;
}

constexpr std::array<std::string_view, 10> known_options = {
    "dll", "ini", "section", "value", "size", "cell", "dpi", "background", "out", "runs"};

// Empty text is a value of its own only for --value (an empty meter value).
constexpr std::array<std::string_view, 7> options_needing_text = {"dll",  "ini", "section", "size",
                                                                  "cell", "out", "runs"};

bool contains(const std::vector<std::string_view>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

template <size_t N>
bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

[[noreturn]] void usage_failure(std::string message) {
    throw Failure{exit_code::usage, std::move(message)};
}

// Digits only; false when there are none or the number passes `limit`.
bool parse_bounded(std::string_view text, uint32_t limit, uint32_t& value) {
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
    value = static_cast<uint32_t>(number);
    return true;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

const char* command_name(Command command) {
    for (const CommandRule& rule : command_rules()) {
        if (rule.command == command) {
            return rule.name;
        }
    }
    return "help";
}

Size parse_size(std::string_view option, std::string_view text) {
    const std::string shown = "--" + std::string(option) + " '" + std::string(text) + "'";
    const size_t cross = text.find_first_of("xX");
    uint32_t width = 0;
    uint32_t height = 0;
    if (cross == std::string_view::npos ||
        !parse_bounded(text.substr(0, cross), max_side_px, width) ||
        !parse_bounded(text.substr(cross + 1), max_side_px, height)) {
        usage_failure(shown + ": expected WIDTHxHEIGHT in pixels, as in 200x40");
    }
    if (width < 1 || width > max_side_px || height < 1 || height > max_side_px) {
        usage_failure(shown + ": width and height must be 1.." + std::to_string(max_side_px));
    }
    return Size{width, height};
}

Background parse_background(std::string_view text) {
    if (text == "checker") {
        return Background{BackgroundKind::checker, {}};
    }
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '#') {
        digits.remove_prefix(1);
    }
    std::array<int, 6> nibbles{};
    bool valid = digits.size() == nibbles.size();
    for (size_t i = 0; valid && i < nibbles.size(); ++i) {
        nibbles[i] = hex_digit(digits[i]);
        valid = nibbles[i] >= 0;
    }
    if (!valid) {
        usage_failure("--background '" + std::string(text) +
                      "': expected checker, RRGGBB or #RRGGBB");
    }
    const auto channel = [&](size_t i) {
        return static_cast<uint8_t>(nibbles[i] * 16 + nibbles[i + 1]);
    };
    return Background{BackgroundKind::colour, Rgb{channel(0), channel(2), channel(4)}};
}

int parse_dpi(std::string_view text) {
    uint32_t dpi = 0;
    if (!parse_bounded(text, max_dpi, dpi) || dpi < static_cast<uint32_t>(min_dpi) ||
        dpi > static_cast<uint32_t>(max_dpi)) {
        usage_failure("--dpi '" + std::string(text) + "': expected a whole number " +
                      std::to_string(min_dpi) + ".." + std::to_string(max_dpi));
    }
    return static_cast<int>(dpi);
}

uint32_t parse_runs(std::string_view text) {
    uint32_t runs = 0;
    if (!parse_bounded(text, max_bench_runs, runs) || runs < 1 || runs > max_bench_runs) {
        usage_failure("--runs '" + std::string(text) + "': expected a whole number 1.." +
                      std::to_string(max_bench_runs));
    }
    return runs;
}

Options parse_command_line(const std::vector<std::string>& args) {
    std::string command_word;
    bool standin_child = false;
    std::map<std::string, std::string, std::less<>> given;
    std::vector<std::string> stray;
    std::string unknown_option;
    std::string lacking_value;
    std::string given_twice;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "help") {
            return Options{};
        }
        if (arg == standin_child_flag) {
            standin_child = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
            if (command_word.empty()) {
                command_word = arg;
            } else {
                stray.push_back(arg);
            }
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> value;
        if (const size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (!contains(known_options, name)) {
            if (unknown_option.empty()) {
                unknown_option = arg;
            }
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                lacking_value = name;
                continue;
            }
            value = args[++i];
        }
        if (!given.emplace(name, *value).second && given_twice.empty()) {
            given_twice = name;
        }
    }

    if (command_word.empty()) {
        usage_failure(std::string("no command given (try: ") + program + " --help)");
    }
    const auto& rules = command_rules();
    const auto rule = std::find_if(rules.begin(), rules.end(),
                                   [&](const CommandRule& r) { return command_word == r.name; });
    if (rule == rules.end()) {
        usage_failure("unknown command '" + command_word +
                      "' (commands: info, render, sheet, configure, bench)");
    }
    const std::string prefix = std::string(rule->name) + ": ";
    if (!unknown_option.empty()) {
        usage_failure(prefix + "unknown option '" + unknown_option + "'");
    }
    if (!lacking_value.empty()) {
        usage_failure(prefix + "--" + lacking_value + " needs a value");
    }
    if (!given_twice.empty()) {
        usage_failure(prefix + "--" + given_twice + " given twice");
    }
    if (!stray.empty()) {
        usage_failure(prefix + "unexpected argument '" + stray.front() + "'");
    }
    if (standin_child && rule->command != Command::bench) {
        usage_failure(prefix + "unknown option '" + std::string(standin_child_flag) + "'");
    }
    for (const auto& [name, value] : given) {
        if (!contains(rule->required, name) && !contains(rule->optional, name)) {
            usage_failure(prefix + "--" + name + " does not apply to " + rule->name);
        }
        if (value.empty() && contains(options_needing_text, name)) {
            usage_failure(prefix + "--" + name + " is empty");
        }
    }
    for (std::string_view name : rule->required) {
        if (given.find(name) == given.end()) {
            usage_failure(prefix + "--" + std::string(name) + " is required");
        }
    }

    Options options;
    options.command = rule->command;
    options.standin_child = standin_child;
    const auto take = [&](std::string_view name) -> const std::string* {
        const auto found = given.find(name);
        return found == given.end() ? nullptr : &found->second;
    };
    if (const std::string* v = take("dll")) {
        options.dll = *v;
    }
    if (const std::string* v = take("ini")) {
        options.ini = *v;
    }
    if (const std::string* v = take("section")) {
        options.section = *v;
    }
    if (const std::string* v = take("value")) {
        options.value = *v;
    }
    if (const std::string* v = take("out")) {
        options.out = *v;
    }
    try {
        if (const std::string* v = take("size")) {
            options.size = parse_size("size", *v);
        }
        if (const std::string* v = take("cell")) {
            options.cell = parse_size("cell", *v);
        }
        if (const std::string* v = take("dpi")) {
            options.dpi = parse_dpi(*v);
        }
        if (const std::string* v = take("background")) {
            options.background = parse_background(*v);
        }
        if (const std::string* v = take("runs")) {
            options.runs = parse_runs(*v);
        }
    } catch (Failure& failure) {
        failure.message = prefix + failure.message;
        throw;
    }
    return options;
}

std::string usage_text() {
    return R"(scrivlet-host: runs Scrivlet.dll as a meter host does and shows what it draws.

usage: scrivlet-host [--dll PATH] COMMAND [OPTIONS]

commands:
  info        dlltype and the getinfo strings 0..6
  render      --ini FILE --section NAME --value TEXT --size WxH --out FILE.png
              [--dpi N] [--background checker|RRGGBB]
              one meter, one value: a PNG with straight alpha, or opaque over
              the background
  sheet       --ini FILE --out FILE.png [--cell WxH] [--dpi N]
              [--background checker|RRGGBB]
              every section of FILE with five sample values, labelled
  configure   --ini FILE --section NAME
              opens the settings dialog and saves the section on return
  bench       [--runs N]
              times repaint at 200x40 (N runs, default 200) and 800x160 (N/4)
              for four looks; prints median, min and max microseconds, the
              share left with a no-op gdiplus.dll stand-in (when one is in
              standin\ beside this program), and the ratio to one bare
              GdipDrawString of the same text

  --dll PATH  the plug-in to load (default: Scrivlet.dll beside this program)
  --dpi N     draw at N dots per inch, 24..960 (under Wine; Windows keeps
              the resolution of the session)
  sizes are 1..16384 pixels a side; the sheet's cell is 240x80 by default

exit codes: 0 done, 1 internal fault, 2 bad command line,
  3 plug-in missing or incomplete, 4 INI file or section unusable,
  5 output failed (surface, memory or PNG file)
)";
}

} // namespace scrivlet::host
