#include "command_line.h"

#include "common/arguments.h"
#include "common/ascii_case.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace scrivlet::host {

namespace {

constexpr const char* program = "scrivlet-host";

using Store = void (*)(Options&, std::string_view);

// Every option of every command, once: its value's name in the usage ("" for
// a flag), its help line, and where it goes.
struct OptionRow {
    std::string_view name;
    std::string_view argument;
    std::string help;
    Store store;
    // Empty text is a value of its own only for --value (an empty meter value).
    bool may_be_empty = false;
};

enum class Need { optional, required, repeatable, one_or_more };

struct OptionUse {
    std::string_view name;
    Need need = Need::optional;
    // What the option means to this command, where the general help line
    // does not say it.
    std::string_view help = {};
};

// What an exit code means to every command that gives it.
struct ExitRow {
    int code;
    std::string_view meaning;
};

constexpr std::array<ExitRow, 10> exit_rows = {{
    {exit_code::ok, "done"},
    {exit_code::internal, "internal fault"},
    {exit_code::usage, "bad command line"},
    {exit_code::plugin, "plug-in missing or incomplete"},
    {exit_code::settings_file, "INI file or section unusable"},
    {exit_code::output, "output failed"},
    {exit_code::findings, "check found something"},
    {exit_code::no_dialog, "no window could be shown"},
    {exit_code::thread_ended, "the plug-in's thread ended inside a call (the line names which)"},
    {exit_code::nothing_drawn, "render --strict drew nothing"},
}};

// An exit code a command gives, in its own words where they say more.
struct ExitUse {
    int code;
    std::string_view meaning = {};
};

struct CommandRow {
    Command command;
    std::string_view name;
    std::string_view summary; // lines of what the command does
    std::vector<OptionUse> uses;
    // Pairs of options of which at most one may be given.
    std::vector<std::pair<std::string_view, std::string_view>> exclusive = {};
    // Pairs of options that are given both or neither.
    std::vector<std::pair<std::string_view, std::string_view>> together = {};
    // The codes the command can end with besides 0, 1 and 2.
    std::vector<ExitUse> exits = {};
};

[[noreturn]] void usage_failure(std::string message) {
    throw Failure{exit_code::usage, std::move(message)};
}

uint32_t whole_number(std::string_view name, std::string_view text, uint32_t min, uint32_t max) {
    try {
        return cli::whole_number(name, text, min, max);
    } catch (cli::UsageError& error) {
        usage_failure(std::move(error.message));
    }
}

bool ends_with_png(std::string_view path) {
    constexpr std::string_view suffix = ".png";
    if (path.size() <= suffix.size()) {
        return false;
    }
    return same_ignoring_case(path.substr(path.size() - suffix.size()), suffix);
}

// A folder named like a PNG file is found when the file is written, as any
// other reason it cannot be.
void check_out(const std::string& out, const IsFolder& is_folder) {
    if (ends_with_png(out)) {
        return;
    }
    const std::string shown = "--out '" + out + "': ";
    usage_failure(shown + (is_folder && is_folder(out) ? "it is a folder; name a .png file in it"
                                                       : "the file name must end in .png"));
}

const std::array<OptionRow, 16>& option_rows() {
    static const std::array<OptionRow, 16> rows = {{
        {"dll", "PATH", "the plug-in to load (default: Scrivlet.dll beside this program)",
         [](Options& o, std::string_view t) { o.dll = t; }},
        {"ini", "FILE", "the settings file",
         [](Options& o, std::string_view t) {
             if (o.ini.empty()) {
                 o.ini = t;
             } else {
                 o.further_inis.emplace_back(t);
             }
         }},
        {"section", "NAME", "a section of the settings file",
         [](Options& o, std::string_view t) { o.sections.emplace_back(t); }},
        {"value", "TEXT", "the meter value, as the host hands it over (may be empty)",
         [](Options& o, std::string_view t) { o.value = t; }, true},
        {"values", "A|B|...", "the sheet's sample values, separated by |",
         [](Options& o, std::string_view t) { o.values = split_at(t, values_separator); }},
        {"clock", "", "the current time as the value, once a second",
         [](Options& o, std::string_view) { o.clock = true; }},
        {"size", "WxH", "the surface in pixels, 1.." + std::to_string(max_side_px) + " a side",
         [](Options& o, std::string_view t) { o.size = parse_size("size", t); }},
        {"cell", "WxH", "the older name of --size for a sheet",
         [](Options& o, std::string_view t) { o.size = parse_size("cell", t); }},
        {"dpi", "N",
         "draw at N dots per inch, " + std::to_string(min_dpi) + ".." + std::to_string(max_dpi) +
             " (under Wine; Windows keeps the resolution of the session)",
         [](Options& o, std::string_view t) { o.dpi = parse_dpi(t); }},
        {"background", "checker|RRGGBB", "composite over a checkerboard or a colour (opaque PNG)",
         [](Options& o, std::string_view t) { o.background = parse_background(t); }},
        {"out", "FILE.png", "where the PNG file goes",
         [](Options& o, std::string_view t) { o.out = t; }},
        {"format", "text|json", "one line per finding (text, the default) or one JSON document",
         [](Options& o, std::string_view t) {
             if (t != "text" && t != "json") {
                 usage_failure("--format '" + std::string(t) + "': expected text or json");
             }
             o.json = t == "json";
         }},
        {"strict", "", "exit 9 when nothing was drawn (the PNG is written all the same)",
         [](Options& o, std::string_view) { o.strict = true; }},
        {"runs", "N",
         "repaints per look at 200x40 (a quarter of them at 800x160), 1.." +
             std::to_string(max_bench_runs),
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
    namespace code = exit_code;
    static const std::vector<CommandRow> rows = {
        {.command = Command::info,
         .name = "info",
         .summary = "dlltype and the getinfo strings 0..6, each with what it holds",
         .uses = {{"dll"}},
         .exits = {{code::plugin}, {code::thread_ended}}},
        {.command = Command::render,
         .name = "render",
         .summary = "one meter, one value: a PNG with straight alpha, or opaque over the "
                    "background",
         .uses = {{"ini", N::required},
                  {"section", N::required},
                  {"value", N::required},
                  {"size", N::required},
                  {"out", N::required},
                  {"dll"},
                  {"dpi"},
                  {"background"},
                  {"strict"}},
         .exits = {{code::plugin},
                   {code::settings_file},
                   {code::output, "output failed (surface, memory or PNG file)"},
                   {code::thread_ended},
                   {code::nothing_drawn}}},
        {.command = Command::sheet,
         .name = "sheet",
         .summary = "the sections of each FILE (or each *.ini of a folder, in name order; all "
                    "sections, or those named) with sample values (--values, else the section's "
                    "\"; value: A|B\" comments, else five), labelled; a cell is --size, else the "
                    "section's \"; size: WxH\" comment, else 240x80",
         .uses = {{"ini", N::one_or_more,
                   "a settings file; repeat for several, or name a folder for its *.ini files"},
                  {"out", N::required},
                  {"section", N::repeatable,
                   "a section to show; repeat for several, in that order (default: every "
                   "section)"},
                  {"values"},
                  {"size"},
                  {"cell"},
                  {"dll"},
                  {"dpi"},
                  {"background"}},
         .exclusive = {{"size", "cell"}},
         .exits = {{code::plugin},
                   {code::settings_file},
                   {code::output, "output failed (surface, memory or PNG file)"},
                   {code::thread_ended, "the plug-in's thread ended inside a call (that cell is "
                                        "marked, the sheet still written)"}}},
        {.command = Command::configure,
         .name = "configure",
         .summary = "opens the settings dialog (FILE created when missing) and writes only the "
                    "keys the dialog changed, the rest of FILE as it was",
         .uses = {{"ini", N::required, "the settings file (created when it does not exist)"},
                  {"section", N::required},
                  {"dll"}},
         .exits = {{code::plugin},
                   {code::settings_file},
                   {code::output, "output failed (the settings file not created or not written)"},
                   {code::no_dialog},
                   {code::thread_ended}}},
        {.command = Command::bench,
         .name = "bench",
         .summary = "times repaint at 200x40 (N runs, default 200) and 800x160 (N/4) for four "
                    "looks, or for the meter of --ini and --section; prints median, min and max "
                    "microseconds, the share left with a no-op gdiplus.dll stand-in (when one is "
                    "in standin\\ beside this program), and the ratio to one bare GdipDrawString "
                    "of the same text in the same face and size",
         .uses = {{"runs"},
                  {"ini", N::optional,
                   "the settings file of a meter to time instead of the four looks"},
                  {"section", N::optional, "that meter's section"},
                  {"value", N::optional, "the value that meter draws (default: 42)"},
                  {"dll"},
                  {standin_child_flag.substr(2)}},
         .together = {{"ini", "section"}},
         .exits = {{code::plugin}, {code::settings_file}, {code::output}, {code::thread_ended}}},
        {.command = Command::check,
         .name = "check",
         .summary = "what a theme's sections hold that the plug-in or its dialog would not "
                    "keep or draw as written; one line per finding, FILE:LINE: first; notes (of "
                    "this system or the tools only) do not fail it; the geometry is judged at "
                    "--size, else the section's \"; size: WxH\" comment, else 240x80; reads only",
         .uses = {{"ini", N::required}, {"section"}, {"size"}, {"format"}},
         .exits = {{code::ok, "nothing found"}, {code::settings_file}, {code::findings}}},
        {.command = Command::watch,
         .name = "watch",
         .summary = "a window that shows the meter as a host does, repainted every second and "
                    "reloaded when FILE changes; double-click for the settings dialog",
         .uses = {{"ini", N::required},
                  {"section", N::required},
                  {"value"},
                  {"clock"},
                  {"size"},
                  {"dll"},
                  {"dpi"},
                  {"background", N::optional,
                   "show the meter over a checkerboard (the default) or a colour"}},
         .exclusive = {{"value", "clock"}},
         .exits = {{code::plugin},
                   {code::settings_file},
                   {code::output, "output failed (the settings file not written)"},
                   {code::no_dialog},
                   {code::thread_ended}}},
    };
    return rows;
}

// Help and version have no row.
const CommandRow* row_of(Command command) {
    const auto& rows = command_rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const CommandRow& r) { return r.command == command; });
    return row == rows.end() ? nullptr : &*row;
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

Options::Typed typed_fields(const Options& options) {
    Options::Typed typed{{}, options.sections, options.value, options.out, options.values};
    if (!options.ini.empty()) {
        typed.inis.push_back(options.ini);
    }
    typed.inis.insert(typed.inis.end(), options.further_inis.begin(), options.further_inis.end());
    return typed;
}

} // namespace

std::vector<std::string> split_at(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        pieces.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return pieces;
        }
        start = end + 1;
    }
}

std::string size_text(Size size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    }
    return text;
}

std::string counted(uint64_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

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
    const std::string_view digits = text.substr(text.starts_with('#') ? 1 : 0);
    uint32_t rgb = 0;
    const char* end = digits.data() + digits.size();
    // Six hex digits, no sign: from_chars takes no "0x" and no '-' into an
    // unsigned number.
    if (digits.size() != 6 || std::from_chars(digits.data(), end, rgb, 16).ptr != end) {
        usage_failure("--background '" + std::string(text) +
                      "': expected checker, RRGGBB or #RRGGBB");
    }
    const auto channel = [&](int shift) { return static_cast<uint8_t>(rgb >> shift); };
    return Background{BackgroundKind::colour, Rgb{channel(16), channel(8), channel(0)}};
}

int parse_dpi(std::string_view text) {
    return static_cast<int>(whole_number("dpi", text, min_dpi, max_dpi));
}

uint32_t parse_runs(std::string_view text) {
    return whole_number("runs", text, 1, max_bench_runs);
}

const char* command_name(Command command) {
    if (const CommandRow* row = row_of(command)) {
        return row->name.data();
    }
    return command == Command::version ? "version" : "help";
}

namespace {

bool is_given(const cli::Arguments& given, std::string_view name) {
    return std::any_of(given.options.begin(), given.options.end(),
                       [&](const auto& o) { return o.first == name; });
}

// --help, help COMMAND and --version, which stand for any command line.
std::optional<Options> help_or_version(const cli::Arguments& given) {
    const std::string command_word = given.words.empty() ? "" : given.words.front();
    if (given.help || command_word == "help") {
        Options help;
        const CommandRow* command = find_named(
            command_rows(),
            command_word == "help" && given.words.size() > 1 ? given.words[1] : command_word);
        if (command != nullptr) {
            help.help_for = command->command;
        }
        return help;
    }
    if (is_given(given, "version")) {
        Options options;
        options.command = Command::version;
        return options;
    }
    return std::nullopt;
}

// Each option as written: known, given once unless it repeats, one the
// command takes, and with a value where it needs one.
void check_each_option(const cli::Arguments& given, const CommandRow& command) {
    if (!given.unknown.empty()) {
        usage_failure("unknown option '" + given.unknown + "'");
    }
    if (!given.lacking_value.empty()) {
        usage_failure("--" + given.lacking_value + " needs a value");
    }
    for (size_t i = 0; i < given.options.size(); ++i) {
        const std::string& name = given.options[i].first;
        const OptionUse* use = find_named(command.uses, name);
        const bool earlier = std::any_of(given.options.begin(), given.options.begin() + i,
                                         [&](const auto& o) { return o.first == name; });
        if (use != nullptr && use->need != Need::repeatable && use->need != Need::one_or_more &&
            earlier) {
            usage_failure("--" + name + " given twice");
        }
    }
    if (given.words.size() > 1) {
        usage_failure("unexpected argument '" + given.words[1] + "'");
    }
    for (const auto& [name, value] : given.options) {
        const OptionRow& row = *find_option(name);
        if (find_named(command.uses, name) == nullptr) {
            usage_failure(hidden(name)
                              ? "unknown option '--" + name + "'"
                              : "--" + name + " does not apply to " + std::string(command.name));
        }
        if (row.argument.empty() && !value.empty()) {
            usage_failure("--" + name + " takes no value");
        }
        if (!row.argument.empty() && value.empty() && !row.may_be_empty) {
            usage_failure("--" + name + " is empty");
        }
    }
}

// The options the command needs, and those it takes only together or
// only one of.
void check_combination(const cli::Arguments& given, const CommandRow& command) {
    // All at once: a person fixing the line one run at a time learns
    // nothing from the second run that the first could not have said.
    std::vector<std::string> missing;
    for (const OptionUse& use : command.uses) {
        if ((use.need == Need::required || use.need == Need::one_or_more) &&
            !is_given(given, use.name)) {
            missing.push_back("--" + std::string(use.name));
        }
    }
    if (!missing.empty()) {
        usage_failure(listed(missing) + (missing.size() == 1 ? " is" : " are") + " required");
    }
    for (const auto& [one, other] : command.exclusive) {
        if (is_given(given, one) && is_given(given, other)) {
            usage_failure("--" + std::string(one) + " and --" + std::string(other) +
                          " exclude each other");
        }
    }
    for (const auto& [one, other] : command.together) {
        if (is_given(given, one) != is_given(given, other)) {
            const bool first = is_given(given, one);
            usage_failure("--" + std::string(first ? one : other) + " needs --" +
                          std::string(first ? other : one));
        }
    }
}

Options stored_options(const cli::Arguments& given, const CommandRow& command,
                       const IsFolder& is_folder) {
    Options options;
    options.command = command.command;
    // In the table's order, so that the first bad value named is always the
    // same whatever the order on the command line.
    for (const OptionRow& row : option_rows()) {
        for (const auto& [name, value] : given.options) {
            if (name == row.name) {
                row.store(options, value);
            }
        }
    }
    if (!options.out.empty()) {
        check_out(options.out, is_folder);
    }
    options.typed = typed_fields(options);
    return options;
}

} // namespace

Options parse_command_line(const std::vector<std::string>& args, const IsFolder& is_folder) {
    const cli::Arguments given = cli::split(args, [](std::string_view name) {
        const OptionRow* row = find_option(name);
        return row == nullptr ? std::nullopt : std::optional<bool>(!row->argument.empty());
    });
    if (std::optional<Options> options = help_or_version(given)) {
        return *options;
    }
    const std::string command_word = given.words.empty() ? "" : given.words.front();
    if (command_word.empty()) {
        usage_failure(std::string("no command given (try: ") + program + " --help)");
    }
    const CommandRow* command = find_named(command_rows(), command_word);
    if (command == nullptr) {
        usage_failure("unknown command '" + command_word + "' (commands: " + command_list() + ")");
    }
    try {
        check_each_option(given, *command);
        check_combination(given, *command);
        return stored_options(given, *command, is_folder);
    } catch (Failure& failure) {
        failure.message = std::string(command->name) + ": " + failure.message;
        throw;
    }
}

Options parse_command_line(const std::vector<std::string>& args,
                           const std::vector<std::string>& typed_args, const IsFolder& is_folder) {
    Options options = parse_command_line(args, is_folder);
    // Only the characters differ, so both read alike or the first has thrown.
    if (typed_args != args && options.command != Command::help) {
        options.typed = parse_command_line(typed_args, is_folder).typed;
    }
    return options;
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
        words.push_back(use.need == Need::required      ? text
                        : use.need == Need::one_or_more ? text + "..."
                        : use.need == Need::repeatable  ? "[" + text + "]..."
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

// "exit codes: 0 done, 1 internal fault, ...", wrapped; each code in the
// command's own words where it has them.
std::string exit_codes_text(const std::vector<ExitUse>& uses) {
    std::vector<std::string> words = {"exit", "codes:"};
    for (const ExitRow& row : exit_rows) {
        const auto use = std::find_if(uses.begin(), uses.end(),
                                      [&](const ExitUse& u) { return u.code == row.code; });
        if (use == uses.end()) {
            continue;
        }
        if (words.size() > 2) {
            words.back() += ",";
        }
        std::vector<std::string> item = words_of(use->meaning.empty() ? row.meaning : use->meaning);
        item.front() = std::to_string(row.code) + " " + item.front();
        words.insert(words.end(), item.begin(), item.end());
    }
    return wrapped(words, 2, usage_width) + "\n";
}

// The codes one command can end with: 0, 1 and 2, and its own.
std::vector<ExitUse> exits_of(const CommandRow& command) {
    std::vector<ExitUse> uses = command.exits;
    for (const int common : {exit_code::ok, exit_code::internal, exit_code::usage}) {
        if (std::none_of(uses.begin(), uses.end(),
                         [&](const ExitUse& u) { return u.code == common; })) {
            uses.push_back(ExitUse{common});
        }
    }
    return uses;
}

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
    text += "\n  " + option_synopsis("dll") + "    " + std::string(find_option("dll")->help) +
            "\n  sizes are 1.." + std::to_string(max_side_px) + " pixels a side\n\n";
    std::vector<ExitUse> every;
    for (const ExitRow& row : exit_rows) {
        every.push_back(ExitUse{row.code});
    }
    return text + exit_codes_text(every);
}

std::string usage_text(Command command) {
    const CommandRow* row = row_of(command);
    if (row == nullptr) {
        return usage_text();
    }
    std::string text = "usage: " + std::string(program) + " " + std::string(row->name) + "\n" +
                       command_usage(*row, true) + "\noptions:\n";
    for (const OptionUse& use : row->uses) {
        const OptionRow& option = *find_option(use.name);
        if (option.help.empty()) {
            continue;
        }
        std::string line = "  " + option_synopsis(option.name);
        const std::vector<std::string> words =
            words_of(use.help.empty() ? std::string_view(option.help) : use.help);
        constexpr size_t help_column = 26;
        if (line.size() + 1 >= help_column) {
            text += line + "\n";
            line = std::string(help_column, ' ');
        } else {
            line += std::string(help_column - line.size(), ' ');
        }
        text += line + wrapped(words, help_column, usage_width) + "\n";
    }
    return text + "\n" + exit_codes_text(exits_of(*row));
}

} // namespace scrivlet::host
