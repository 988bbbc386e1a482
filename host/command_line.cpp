#include "command_line.h"

#include "common/arguments.h"
#include "common/ascii_case.h"

#include <algorithm>
#include <array>

namespace scrivlet::host {

namespace {

constexpr const char* program = "scrivlet-host";

using Store = void (*)(Options&, std::string_view);

// Every option of every command, once: its value's name in the usage ("" for
// a flag), its help line, and where it goes.
struct OptionRow {
    std::string_view name;
    std::string_view argument;
    std::string_view help;
    Store store;
    // Empty text is a value of its own only for --value (an empty meter value).
    bool may_be_empty = false;
};

enum class Need { optional, required, repeatable };

struct OptionUse {
    std::string_view name;
    Need need = Need::optional;
};

struct CommandRow {
    Command command;
    std::string_view name;
    std::vector<OptionUse> uses;
    // Pairs of options of which at most one may be given.
    std::vector<std::pair<std::string_view, std::string_view>> exclusive;
    std::string_view summary; // lines of what the command does
};

[[noreturn]] void usage_failure(std::string message) {
    throw Failure{exit_code::usage, std::move(message)};
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

uint32_t whole_number(std::string_view name, std::string_view text, uint32_t min, uint32_t max) {
    try {
        return cli::whole_number(name, text, min, max);
    } catch (cli::UsageError& error) {
        usage_failure(std::move(error.message));
    }
}

std::vector<std::string> split_values(std::string_view text) {
    std::vector<std::string> values;
    for (size_t start = 0;;) {
        const size_t end = text.find(values_separator, start);
        values.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return values;
        }
        start = end + 1;
    }
}

bool ends_with_png(std::string_view path) {
    constexpr std::string_view suffix = ".png";
    if (path.size() <= suffix.size()) {
        return false;
    }
    return same_ignoring_case(path.substr(path.size() - suffix.size()), suffix);
}

const std::array<OptionRow, 15>& option_rows() {
    static const std::array<OptionRow, 15> rows = {{
        {"dll", "PATH", "the plug-in to load (default: Scrivlet.dll beside this program)",
         [](Options& o, std::string_view t) { o.dll = t; }},
        {"ini", "FILE", "the settings file", [](Options& o, std::string_view t) { o.ini = t; }},
        {"section", "NAME", "a section of the settings file (sheet: repeat for several)",
         [](Options& o, std::string_view t) { o.sections.emplace_back(t); }},
        {"value", "TEXT", "the meter value, as the host hands it over (may be empty)",
         [](Options& o, std::string_view t) { o.value = t; }, true},
        {"values", "A|B|...", "the sheet's sample values, separated by |",
         [](Options& o, std::string_view t) { o.values = split_values(t); }},
        {"clock", "", "the current time as the value, once a second",
         [](Options& o, std::string_view) { o.clock = true; }},
        {"size", "WxH", "the surface in pixels, 1..16384 a side",
         [](Options& o, std::string_view t) { o.size = parse_size("size", t); }},
        {"cell", "WxH", "the older name of --size for a sheet",
         [](Options& o, std::string_view t) { o.size = parse_size("cell", t); }},
        {"dpi", "N",
         "draw at N dots per inch, 24..960 (under Wine; Windows keeps the "
         "resolution of the session)",
         [](Options& o, std::string_view t) { o.dpi = parse_dpi(t); }},
        {"background", "checker|RRGGBB", "composite over a checkerboard or a colour (opaque PNG)",
         [](Options& o, std::string_view t) { o.background = parse_background(t); }},
        {"out", "FILE.png", "where the PNG file goes",
         [](Options& o, std::string_view t) {
             if (!ends_with_png(t)) {
                 usage_failure("--out '" + std::string(t) + "': the file name must end in .png");
             }
             o.out = t;
         }},
        {"strict", "", "exit 9 when nothing was drawn (the PNG is written all the same)",
         [](Options& o, std::string_view) { o.strict = true; }},
        {"runs", "N", "repaints per look at 200x40 (a quarter of them at 800x160), 1..100000",
         [](Options& o, std::string_view t) { o.runs = parse_runs(t); }},
        {"version", "", "print the version and stop",
         [](Options& o, std::string_view) { o.command = Command::version; }},
        {standin_child_flag.substr(2), "", "",
         [](Options& o, std::string_view) { o.standin_child = true; }},
    }};
    return rows;
}

// The row of that name in a table of options, commands or option uses.
template <typename Rows> auto find_named(const Rows& rows, std::string_view name) {
    const auto row = std::find_if(std::begin(rows), std::end(rows),
                                  [&](const auto& r) { return r.name == name; });
    return row == std::end(rows) ? nullptr : &*row;
}

const OptionRow* find_option(std::string_view name) {
    return find_named(option_rows(), name);
}

// --dll applies to every command that loads the plug-in.
const std::vector<CommandRow>& command_rows() {
    using N = Need;
    static const std::vector<CommandRow> rows = {
        {Command::info, "info", {{"dll"}}, {}, "dlltype and the getinfo strings 0..6"},
        {Command::render,
         "render",
         {{"ini", N::required},
          {"section", N::required},
          {"value", N::required},
          {"size", N::required},
          {"out", N::required},
          {"dll"},
          {"dpi"},
          {"background"},
          {"strict"}},
         {},
         "one meter, one value: a PNG with straight alpha, or opaque over the "
         "background"},
        {Command::sheet,
         "sheet",
         {{"ini", N::required},
          {"out", N::required},
          {"section", N::repeatable},
          {"values"},
          {"size"},
          {"cell"},
          {"dll"},
          {"dpi"},
          {"background"}},
         {{"size", "cell"}},
         "the sections of FILE (all, or those named) with sample values, labelled; "
         "a cell is --size, else the section's \"; size: WxH\" comment, else 240x80"},
        {Command::configure,
         "configure",
         {{"ini", N::required}, {"section", N::required}, {"dll"}},
         {},
         "opens the settings dialog (FILE created when missing) and writes only the keys the "
         "dialog changed, the rest of FILE as it was"},
        {Command::bench,
         "bench",
         {{"runs"}, {"dll"}, {standin_child_flag.substr(2)}},
         {},
         "times repaint at 200x40 (N runs, default 200) and 800x160 (N/4) for four "
         "looks; prints median, min and max microseconds, the share left with a "
         "no-op gdiplus.dll stand-in (when one is in standin\\ beside this program), "
         "and the ratio to one bare GdipDrawString of the same text"},
        {Command::check,
         "check",
         {{"ini", N::required}, {"section"}, {"size"}},
         {},
         "what a theme's sections hold that the plug-in or its dialog would not "
         "keep or draw as written; one line per finding; the geometry is judged at "
         "--size, else the section's \"; size: WxH\" comment, else 240x80; reads only"},
        {Command::watch,
         "watch",
         {{"ini", N::required}, {"section", N::required}, {"value"}, {"clock"}, {"size"}, {"dll"}},
         {{"value", "clock"}},
         "a window that shows the meter as a host does, repainted every second and "
         "reloaded when FILE changes; double-click for the settings dialog"},
    };
    return rows;
}

const CommandRow* find_command(std::string_view name) {
    return find_named(command_rows(), name);
}

const OptionUse* find_use(const CommandRow& command, std::string_view name) {
    return find_named(command.uses, name);
}

bool hidden(std::string_view name) {
    return find_option(name)->help.empty();
}

std::string command_list() {
    std::string list;
    for (const CommandRow& row : command_rows()) {
        list += (list.empty() ? "" : ", ") + std::string(row.name);
    }
    return list;
}

} // namespace

Size parse_size(std::string_view option, std::string_view text) {
    const std::string shown = "--" + std::string(option) + " '" + std::string(text) + "'";
    const size_t cross = text.find_first_of("xX");
    uint64_t width = 0;
    uint64_t height = 0;
    if (cross == std::string_view::npos ||
        !cli::digits_within(text.substr(0, cross), max_side_px, width) ||
        !cli::digits_within(text.substr(cross + 1), max_side_px, height)) {
        usage_failure(shown + ": expected WIDTHxHEIGHT in pixels, as in 200x40");
    }
    if (width < 1 || width > max_side_px || height < 1 || height > max_side_px) {
        usage_failure(shown + ": width and height must be 1.." + std::to_string(max_side_px));
    }
    return Size{static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
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
    return static_cast<int>(whole_number("dpi", text, min_dpi, max_dpi));
}

uint32_t parse_runs(std::string_view text) {
    return whole_number("runs", text, 1, max_bench_runs);
}

const char* command_name(Command command) {
    for (const CommandRow& row : command_rows()) {
        if (row.command == command) {
            return row.name.data();
        }
    }
    return command == Command::version ? "version" : "help";
}

Options parse_command_line(const std::vector<std::string>& args) {
    const cli::Arguments given = cli::split(args, [](std::string_view name) {
        const OptionRow* row = find_option(name);
        return row == nullptr ? std::nullopt : std::optional<bool>(!row->argument.empty());
    });
    const bool version = std::any_of(given.options.begin(), given.options.end(),
                                     [](const auto& option) { return option.first == "version"; });
    const std::string command_word = given.words.empty() ? "" : given.words.front();
    const CommandRow* command = find_command(command_word);
    if (given.help || command_word == "help") {
        Options help;
        if (command_word == "help" && given.words.size() > 1) {
            command = find_command(given.words[1]);
        }
        if (command != nullptr) {
            help.help_for = command->command;
        }
        return help;
    }
    if (version) {
        Options options;
        options.command = Command::version;
        return options;
    }
    if (command_word.empty()) {
        usage_failure(std::string("no command given (try: ") + program + " --help)");
    }
    if (command == nullptr) {
        usage_failure("unknown command '" + command_word + "' (commands: " + command_list() + ")");
    }
    const std::string prefix = std::string(command->name) + ": ";
    try {
        if (!given.unknown.empty()) {
            usage_failure("unknown option '" + given.unknown + "'");
        }
        if (!given.lacking_value.empty()) {
            usage_failure("--" + given.lacking_value + " needs a value");
        }
        for (size_t i = 0; i < given.options.size(); ++i) {
            const std::string& name = given.options[i].first;
            const OptionUse* use = find_use(*command, name);
            const bool earlier = std::any_of(given.options.begin(), given.options.begin() + i,
                                             [&](const auto& o) { return o.first == name; });
            if (use != nullptr && use->need != Need::repeatable && earlier) {
                usage_failure("--" + name + " given twice");
            }
        }
        if (given.words.size() > 1) {
            usage_failure("unexpected argument '" + given.words[1] + "'");
        }
        for (const auto& [name, value] : given.options) {
            const OptionRow& row = *find_option(name);
            if (find_use(*command, name) == nullptr) {
                usage_failure(hidden(name) ? "unknown option '--" + name + "'"
                                           : "--" + name + " does not apply to " +
                                                 std::string(command->name));
            }
            if (row.argument.empty() && !value.empty()) {
                usage_failure("--" + name + " takes no value");
            }
            if (!row.argument.empty() && value.empty() && !row.may_be_empty) {
                usage_failure("--" + name + " is empty");
            }
        }
        for (const OptionUse& use : command->uses) {
            const auto is_given = [&](std::string_view name) {
                return std::any_of(given.options.begin(), given.options.end(),
                                   [&](const auto& o) { return o.first == name; });
            };
            if (use.need == Need::required && !is_given(use.name)) {
                usage_failure("--" + std::string(use.name) + " is required");
            }
            for (const auto& [one, other] : command->exclusive) {
                if (use.name == one && is_given(one) && is_given(other)) {
                    usage_failure("--" + std::string(one) + " and --" + std::string(other) +
                                  " exclude each other");
                }
            }
        }
        Options options;
        options.command = command->command;
        // In the table's order, so that the first bad value named is always
        // the same whatever the order on the command line.
        for (const OptionRow& row : option_rows()) {
            for (const auto& [name, value] : given.options) {
                if (name == row.name) {
                    row.store(options, value);
                }
            }
        }
        return options;
    } catch (Failure& failure) {
        failure.message = prefix + failure.message;
        throw;
    }
}

namespace {

std::string option_synopsis(std::string_view name) {
    const OptionRow& row = *find_option(name);
    std::string text = "--" + std::string(row.name);
    return row.argument.empty() ? text : text + " " + std::string(row.argument);
}

// Required options bare, optional ones in brackets, two that exclude each
// other in one pair of brackets.
std::vector<std::string> synopsis(const CommandRow& command, bool with_dll) {
    std::vector<std::string> words;
    for (const OptionUse& use : command.uses) {
        if (hidden(use.name) || (!with_dll && use.name == "dll")) {
            continue;
        }
        const auto pair =
            std::find_if(command.exclusive.begin(), command.exclusive.end(), [&](const auto& p) {
                return p.first == use.name || p.second == use.name;
            });
        if (pair != command.exclusive.end()) {
            if (pair->first == use.name) {
                words.push_back("[" + option_synopsis(pair->first) + " | " +
                                option_synopsis(pair->second) + "]");
            }
            continue;
        }
        const std::string text = option_synopsis(use.name);
        words.push_back(use.need == Need::required     ? text
                        : use.need == Need::repeatable ? "[" + text + "]..."
                                                       : "[" + text + "]");
    }
    return words;
}

std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> words;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(' ', start), text.size());
        words.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// Words wrapped to `width`, lines after the first indented by `indent`;
// the first starts at that column too.
std::string wrapped(const std::vector<std::string>& words, size_t indent, size_t width) {
    std::string text;
    size_t column = indent;
    for (const std::string& word : words) {
        if (!text.empty()) {
            if (column + 1 + word.size() > width) {
                text += "\n" + std::string(indent, ' ');
                column = indent;
            } else {
                text += ' ';
                ++column;
            }
        }
        text += word;
        column += word.size();
    }
    return text;
}

constexpr size_t usage_width = 78;
constexpr size_t command_column = 14;

std::string command_usage(const CommandRow& command, bool with_dll) {
    std::string text = "  " + std::string(command.name);
    text += std::string(command_column - text.size(), ' ');
    const std::vector<std::string> words = synopsis(command, with_dll);
    if (!words.empty()) {
        text +=
            wrapped(words, command_column, usage_width) + "\n" + std::string(command_column, ' ');
    }
    return text + wrapped(words_of(command.summary), command_column, usage_width) + "\n";
}

constexpr const char* exit_codes_text =
    "exit codes: 0 done (check: nothing found), 1 internal fault, 2 bad command line,\n"
    "  3 plug-in missing or incomplete, 4 INI file or section unusable,\n"
    "  5 output failed (surface, memory, PNG or settings file), 6 check found something,\n"
    "  7 no window could be shown (configure's dialog, watch's window),\n"
    "  8 the plug-in's thread ended inside a call (the line names which),\n"
    "  9 render --strict drew nothing\n";

} // namespace

std::string usage_text() {
    std::string text = std::string(program) +
                       ": runs Scrivlet.dll as a meter host does and shows what it draws.\n\n"
                       "usage: " +
                       program + " COMMAND [OPTIONS]   (" + program +
                       " COMMAND --help for one command; --version)\n\ncommands:\n";
    for (const CommandRow& row : command_rows()) {
        text += command_usage(row, false);
    }
    text += "\n  --dll PATH    the plug-in to load (default: Scrivlet.dll beside this program)\n"
            "  sizes are 1..16384 pixels a side\n\n";
    return text + exit_codes_text;
}

std::string usage_text(Command command) {
    const auto& rows = command_rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const CommandRow& r) { return r.command == command; });
    if (row == rows.end()) {
        return usage_text();
    }
    std::string text = "usage: " + std::string(program) + " " + std::string(row->name) + "\n" +
                       command_usage(*row, true) + "\noptions:\n";
    for (const OptionUse& use : row->uses) {
        const OptionRow& option = *find_option(use.name);
        if (option.help.empty()) {
            continue;
        }
        std::string line = "  --" + std::string(option.name);
        if (!option.argument.empty()) {
            line += " " + std::string(option.argument);
        }
        const std::vector<std::string> words = words_of(option.help);
        constexpr size_t help_column = 26;
        if (line.size() + 1 >= help_column) {
            text += line + "\n";
            line = std::string(help_column, ' ');
        } else {
            line += std::string(help_column - line.size(), ' ');
        }
        text += line + wrapped(words, help_column, usage_width) + "\n";
    }
    return text + "\n" + exit_codes_text;
}

} // namespace scrivlet::host
