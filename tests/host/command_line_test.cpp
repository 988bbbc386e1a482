// The host's command line: what each command accepts, and the exact line a
// person reads for each mistake.

#include "command_line.h"
#include "common/arguments.h"
#include "common/utf8.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace scrivlet::host {
namespace {

using Args = std::vector<std::string>;

// The folders the command line is judged beside.
bool is_folder(const std::string& path) {
    return path == "shots";
}

Failure failure_of(const Args& args) {
    try {
        parse_command_line(args, is_folder);
    } catch (const Failure& failure) {
        return failure;
    }
    return Failure{exit_code::ok, "(accepted)"};
}

const Args render_ok = {"render", "--ini",  "a.ini",  "--section", "M",    "--value",
                        "42",     "--size", "200x40", "--out",     "a.png"};

Args with(Args args, std::initializer_list<std::string> more) {
    args.insert(args.end(), more);
    return args;
}

struct Mistake {
    Args args;
    std::string message;
};

TEST(HostCommandLine, EveryMistakeIsAUsageFailureWithItsOwnLine) {
    const std::vector<Mistake> mistakes = {
        {{}, "no command given (try: scrivlet-host --help)"},
        {{"--dll", "x.dll"}, "no command given (try: scrivlet-host --help)"},
        {{"draw"},
         "unknown command 'draw' (commands: info, render, sheet, configure, bench, check, watch)"},
        {{"--"},
         "unknown command '--' (commands: info, render, sheet, configure, bench, check, watch)"},
        {{"info", "--verbose"}, "info: unknown option '--verbose'"},
        {{"info", "extra"}, "info: unexpected argument 'extra'"},
        {{"info", "--ini", "a.ini"}, "info: --ini does not apply to info"},
        {{"info", "--dll"}, "info: --dll needs a value"},
        {{"info", "--dll="}, "info: --dll is empty"},
        {{"render", "--ini", "a.ini"}, "render: --section, --value, --size and --out are required"},
        {{"render", "--value", "1", "--size", "1x1"},
         "render: --ini, --section and --out are required"},
        {{"bench", "--ini", "a.ini"}, "bench: --ini needs --section"},
        {{"bench", "--section", "M"}, "bench: --section needs --ini"},
        {{"render", "--section", "M", "--value", "1", "--size", "1x1", "--out", "o.png"},
         "render: --ini is required"},
        {{"render", "--ini", "a.ini", "--section", "M", "--size", "1x1", "--out", "o.png"},
         "render: --value is required"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--out", "o.png"},
         "render: --size is required"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size", "1x1"},
         "render: --out is required"},
        {with(render_ok, {"--ini", "b.ini"}), "render: --ini given twice"},
        {with(render_ok, {"--cell", "10x10"}), "render: --cell does not apply to render"},
        {with(render_ok, {"--dpi"}), "render: --dpi needs a value"},
        {with(render_ok, {"--dpi", "0"}), "render: --dpi '0': expected a whole number 24..960"},
        {with(render_ok, {"--dpi", "961"}), "render: --dpi '961': expected a whole number 24..960"},
        {with(render_ok, {"--dpi", "96dpi"}),
         "render: --dpi '96dpi': expected a whole number 24..960"},
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--strict"},
         "sheet: --strict does not apply to sheet"},
        {with(render_ok, {"--background", "mauve"}),
         "render: --background 'mauve': expected checker, RRGGBB or #RRGGBB"},
        {with(render_ok, {"--background", "#12345"}),
         "render: --background '#12345': expected checker, RRGGBB or #RRGGBB"},
        {with(render_ok, {"--background", "12345G"}),
         "render: --background '12345G': expected checker, RRGGBB or #RRGGBB"},
        {with(render_ok, {"--background", "-1234F"}),
         "render: --background '-1234F': expected checker, RRGGBB or #RRGGBB"},
        {with(render_ok, {"--background", "0x1234"}),
         "render: --background '0x1234': expected checker, RRGGBB or #RRGGBB"},
        {{"render", "--ini", "a.ini", "--section", "", "--value", "1", "--size", "1x1", "--out",
          "o.png"},
         "render: --section is empty"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size", "0x40", "--out",
          "o.png"},
         "render: --size '0x40': width and height must be 1..16384"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size", "16385x1",
          "--out", "o.png"},
         "render: --size '16385x1': width and height must be 1..16384"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size",
          "99999999999999999999x1", "--out", "o.png"},
         "render: --size '99999999999999999999x1': width and height must be 1..16384"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size", "200", "--out",
          "o.png"},
         "render: --size '200': expected WIDTHxHEIGHT in pixels, as in 200x40"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size", "-5x10", "--out",
          "o.png"},
         "render: --size '-5x10': expected WIDTHxHEIGHT in pixels, as in 200x40"},
        {{"sheet", "--ini", "a.ini"}, "sheet: --out is required"},
        {{"sheet"}, "sheet: --ini and --out are required"},
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--cell", "10x0"},
         "sheet: --cell '10x0': width and height must be 1..16384"},
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--value", "1"},
         "sheet: --value does not apply to sheet"},
        {{"configure", "--ini", "a.ini"}, "configure: --section is required"},
        {{"configure", "--ini", "a.ini", "--section", "M", "--out", "x"},
         "configure: --out does not apply to configure"},
        {with(render_ok, {"--out", "b.png"}), "render: --out given twice"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size", "1x1", "--out",
          "o.jpg"},
         "render: --out 'o.jpg': the file name must end in .png"},
        {{"render", "--ini", "a.ini", "--section", "M", "--value", "1", "--size", "1x1", "--out",
          ".png"},
         "render: --out '.png': the file name must end in .png"},
        {{"sheet", "--ini", "a.ini", "--out", "shots"},
         "sheet: --out 'shots': it is a folder; name a .png file in it"},
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--size", "9x9", "--cell", "9x9"},
         "sheet: --size and --cell exclude each other"},
        {{"watch", "--ini", "a.ini", "--section", "M", "--value", "1", "--clock"},
         "watch: --value and --clock exclude each other"},
        {{"watch", "--ini", "a.ini", "--section", "M", "--clock=yes"},
         "watch: --clock takes no value"},
        {{"watch", "--ini", "a.ini", "--section", "M", "--section", "N"},
         "watch: --section given twice"},
        {{"check", "--section", "M"}, "check: --ini is required"},
        {{"check", "--ini", "a.ini", "--out", "c.png"}, "check: --out does not apply to check"},
        {{"check", "--ini", "a.ini", "--format", "JSON"},
         "check: --format 'JSON': expected text or json"},
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--format", "json"},
         "sheet: --format does not apply to sheet"},
        {{"info", "--child-standin"}, "info: unknown option '--child-standin'"},
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--values", ""}, "sheet: --values is empty"},
    };
    for (const Mistake& mistake : mistakes) {
        const Failure failure = failure_of(mistake.args);
        EXPECT_EQ(failure.exit_code, exit_code::usage) << mistake.message;
        EXPECT_EQ(failure.message, mistake.message);
    }
}

TEST(HostCommandLine, RenderTakesEveryOptionInAnyOrderAndBothSpellings) {
    const Options options =
        parse_command_line({"--dll", "p/Scrivlet.dll", "render", "--value=-3,5", "--size=200X40",
                            "--out", "o.png", "--section", "Meter A", "--ini", "a b.ini", "--dpi",
                            "144", "--background", "#10a0FF", "--strict"});
    EXPECT_EQ(options.command, Command::render);
    EXPECT_EQ(options.dll, "p/Scrivlet.dll");
    EXPECT_EQ(options.ini, "a b.ini");
    EXPECT_EQ(options.sections, std::vector<std::string>{"Meter A"});
    EXPECT_EQ(options.value, "-3,5");
    EXPECT_EQ(options.size, (Size{200, 40}));
    EXPECT_EQ(options.out, "o.png");
    EXPECT_EQ(options.dpi, 144);
    EXPECT_EQ(options.background, (Background{BackgroundKind::colour, Rgb{0x10, 0xA0, 0xFF}}));
    EXPECT_TRUE(options.strict);
}

TEST(HostCommandLine, ValuesThatLookLikeOptionsOrAreEmptyAreTakenAsGiven) {
    // A meter value may be empty, negative, or begin with dashes.
    for (const std::string value : {"", "-17.5", "--", "--size"}) {
        const Options options =
            parse_command_line({"render", "--ini", "a.ini", "--section", "M", "--value", value,
                                "--size", "1x1", "--out", "o.png"});
        EXPECT_EQ(options.value, value);
        EXPECT_EQ(options.size, (Size{1, 1}));
    }
}

TEST(HostCommandLine, OtherCommandsAndHelp) {
    struct Case {
        Args args;
        Command command;
    };
    const std::vector<Case> cases = {
        {{"info"}, Command::info},
        {{"bench"}, Command::bench},
        {{"--help"}, Command::help},
        {{"-h"}, Command::help},
        {{"help"}, Command::help},
        {{"render", "--help"}, Command::help},
        {{"configure", "--ini", "a.ini", "--section", "M"}, Command::configure},
        {{"sheet", "--ini", "a.ini", "--out", "s.png"}, Command::sheet},
        {{"watch", "--ini", "a.ini", "--section", "M", "--dpi", "192", "--background", "203040"},
         Command::watch},
        {{"bench", "--ini", "a.ini", "--section", "M", "--value", "7"}, Command::bench},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse_command_line(c.args).command, c.command) << c.args.front();
    }
    EXPECT_TRUE(parse_command_line({"check", "--ini", "a.ini", "--format", "json"}).json);
    EXPECT_FALSE(parse_command_line({"check", "--ini", "a.ini", "--format=text"}).json);
    EXPECT_FALSE(parse_command_line({"check", "--ini", "a.ini"}).json);
    const Options sheet = parse_command_line({"sheet", "--ini", "a.ini", "--out", "s.png", "--cell",
                                              "300x90", "--background", "checker"});
    EXPECT_EQ(sheet.size, (Size{300, 90}));
    EXPECT_EQ(sheet.background, (Background{BackgroundKind::checker, {}}));
    EXPECT_FALSE(sheet.dpi);
}

TEST(HostCommandLine, HelpOfOneCommandAndTheVersion) {
    struct Case {
        Args args;
        Command command;
        std::optional<Command> help_for;
    };
    const std::vector<Case> cases = {
        {{"render", "--help"}, Command::help, Command::render},
        {{"watch", "--help", "--ini"}, Command::help, Command::watch},
        {{"help", "sheet"}, Command::help, Command::sheet},
        {{"help", "draw"}, Command::help, std::nullopt},
        {{"--help", "draw"}, Command::help, std::nullopt},
        {{"--version"}, Command::version, std::nullopt},
        {{"info", "--version"}, Command::version, std::nullopt},
    };
    for (const Case& c : cases) {
        const Options options = parse_command_line(c.args);
        EXPECT_EQ(options.command, c.command) << c.args.front();
        EXPECT_EQ(options.help_for, c.help_for) << c.args.front();
    }
    const std::string render = usage_text(Command::render);
    EXPECT_EQ(render.substr(0, render.find("\n\n")),
              "usage: scrivlet-host render\n"
              "  render      --ini FILE --section NAME --value TEXT --size WxH --out FILE.png\n"
              "              [--dll PATH] [--dpi N] [--background checker|RRGGBB] [--strict]\n"
              "              one meter, one value: a PNG with straight alpha, or opaque over\n"
              "              the background");
    // Each command's help speaks of that command only.
    const std::string check = usage_text(Command::check);
    EXPECT_EQ(check.substr(check.find("exit codes")),
              "exit codes: 0 nothing found, 1 internal fault, 2 bad command line, 4 INI\n"
              "  file or section unusable, 6 check found something\n");
    const std::string sheet = usage_text(Command::sheet);
    EXPECT_NE(sheet.find("  --section NAME          a section to show; repeat for several, in "
                         "that order\n"),
              std::string::npos);
    for (const Command command :
         {Command::info, Command::render, Command::sheet, Command::configure, Command::bench,
          Command::check, Command::watch}) {
        const std::string usage = usage_text(command);
        for (const char* other : {"sheet:", "check:", "nothing found", "repeat for several"}) {
            if (command != Command::check && command != Command::sheet) {
                EXPECT_EQ(usage.find(other), std::string::npos) << command_name(command) << other;
            }
        }
        EXPECT_EQ(usage.find("child-standin"), std::string::npos) << command_name(command);
        EXPECT_NE(usage_text().find(std::string("\n  ") + command_name(command) + " "),
                  std::string::npos)
            << command_name(command);
    }
}

TEST(HostCommandLine, SheetSectionsValuesAndSize) {
    const Options sheet =
        parse_command_line({"sheet", "--ini", "a.ini", "--out", "s.PNG", "--section", "B",
                            "--values", "1|-2,5||x y", "--section", "A", "--size", "90x30"});
    EXPECT_EQ(sheet.sections, (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(sheet.values, (std::vector<std::string>{"1", "-2,5", "", "x y"}));
    EXPECT_EQ(sheet.size, (Size{90, 30}));
    const Options watch =
        parse_command_line({"watch", "--ini", "a.ini", "--section", "M", "--clock"});
    EXPECT_TRUE(watch.clock);
    EXPECT_FALSE(watch.value);
}

TEST(HostCommandLine, SheetTakesSeveralSettingsFilesInOrder) {
    const Options sheet =
        parse_command_line({"sheet", "--ini", "a.ini", "--out", "s.png", "--ini", "themes"});
    EXPECT_EQ(sheet.ini, "a.ini");
    EXPECT_EQ(sheet.further_inis, std::vector<std::string>{"themes"});
    EXPECT_EQ(sheet.typed.inis, (std::vector<std::string>{"a.ini", "themes"}));
    EXPECT_EQ(failure_of({"sheet", "--out", "s.png"}).message, "sheet: --ini is required");
    EXPECT_EQ(failure_of(with(render_ok, {"--ini", "b.ini"})).message, "render: --ini given twice");
    const std::string usage = usage_text(Command::sheet);
    EXPECT_EQ(usage.substr(0, usage.find('[')),
              "usage: scrivlet-host sheet\n  sheet       --ini FILE... --out FILE.png ");
}

TEST(HostCommandLine, ArgumentsAsTypedBesideTheirAnsiForm) {
    // The ANSI form holds "?" where the code page has no character; the
    // typed form keeps it, for paths, sections, the value and the output.
    const Options options = parse_command_line(
        {"render", "--ini", "?\\a.ini", "--section", "Temp\xE9rature", "--value", "\x80 ?",
         "--size", "1x1", "--out", "?.png"},
        {"render", "--ini", "\xD0\x96\\a.ini", "--section", "Temp\xC3\xA9rature", "--value",
         "\xE2\x82\xAC \xE2\x9C\x93", "--size", "1x1", "--out", "\xD0\x96.png"});
    EXPECT_EQ(options.ini, "?\\a.ini");
    EXPECT_EQ(options.section(), "Temp\xE9rature");
    EXPECT_EQ(options.value, "\x80 ?");
    EXPECT_EQ(options.typed, (Options::Typed{{"\xD0\x96\\a.ini"},
                                             {"Temp\xC3\xA9rature"},
                                             "\xE2\x82\xAC \xE2\x9C\x93",
                                             "\xD0\x96.png",
                                             {}}));
    // With nothing lost, the typed form is the same text.
    const Options plain = parse_command_line(render_ok, render_ok);
    EXPECT_EQ(plain.typed, (Options::Typed{{"a.ini"}, {"M"}, "42", "a.png", {}}));
}

TEST(SharedArguments, Utf16ArgumentsBecomeUtf8) {
    struct Case {
        std::u16string text;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {u"", ""},
        {u"a.ini", "a.ini"},
        {u"Temp\u00E9rature", "Temp\xC3\xA9rature"},
        {u"\u20AC \u2713", "\xE2\x82\xAC \xE2\x9C\x93"},
        {u"\u0416", "\xD0\x96"},
        {u"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        // A surrogate without its pair, at the end, before a letter, or alone low
        {std::u16string{u'a', char16_t(0xD83D)}, "a\xEF\xBF\xBD"},
        {std::u16string{char16_t(0xD83D), u'b'}, "\xEF\xBF\xBD"
                                                 "b"},
        {std::u16string{char16_t(0xDE00), u'c'}, "\xEF\xBF\xBD"
                                                 "c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8_from_utf16(c.text), c.utf8) << c.utf8;
    }
}

TEST(HostCommandLine, SizesAtTheLimits) {
    struct Case {
        const char* text;
        Size size;
    };
    const std::vector<Case> cases = {
        {"1x1", {1, 1}},
        {"16384x16384", {16384, 16384}},
        {"0200x040", {200, 40}},
        {"7X9", {7, 9}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse_size("size", c.text), c.size) << c.text;
    }
    for (const char* bad : {"", "x", "1x", "x1", "1x1x1", "1 x1", "+1x1", "1.5x2", "0x0"}) {
        EXPECT_THROW(parse_size("size", bad), Failure) << bad;
    }
}

TEST(HostCommandLine, BenchRunsAndTheChildFlag) {
    const Options plain = parse_command_line({"bench"});
    EXPECT_EQ(plain.runs, default_bench_runs);
    EXPECT_FALSE(plain.standin_child);
    const Options child =
        parse_command_line({"bench", "--runs", "5", "--dll", "x.dll", "--child-standin"});
    EXPECT_EQ(child.runs, 5u);
    EXPECT_EQ(child.dll, "x.dll");
    EXPECT_TRUE(child.standin_child);
    EXPECT_EQ(parse_runs("1"), 1u);
    EXPECT_EQ(parse_runs("100000"), max_bench_runs);
    for (const char* bad : {"0", "", "100001", "-5", "5.0", "99999999999"}) {
        EXPECT_THROW(parse_runs(bad), Failure) << bad;
    }
    for (const Args& args : std::vector<Args>{{"render", "--runs", "5"}, {"bench", "--runs"}}) {
        EXPECT_THROW(parse_command_line(args), Failure) << args.front();
    }
}

TEST(SharedArguments, WholeNumbersWithinTheirRangeAndNoWrapAtThe32BitEnd) {
    struct Case {
        const char* text;
        uint32_t min;
        uint32_t max;
        std::optional<uint32_t> number;
    };
    const std::vector<Case> cases = {
        {"0", 0, 5, 0u},
        {"5", 0, 5, 5u},
        {"6", 0, 5, std::nullopt},
        {"4294967295", 0, UINT32_MAX, UINT32_MAX},
        {"4294967296", 0, UINT32_MAX, std::nullopt},
        {"99999999999999999999999", 0, UINT32_MAX, std::nullopt},
        {"abc", 0, 5, std::nullopt},
        {"", 0, 5, std::nullopt},
        {"-1", 0, 5, std::nullopt},
        {"0", 1, 5, std::nullopt},
    };
    for (const Case& c : cases) {
        try {
            EXPECT_EQ(cli::whole_number("n", c.text, c.min, c.max), c.number) << c.text;
        } catch (const cli::UsageError& error) {
            EXPECT_FALSE(c.number) << c.text;
            EXPECT_EQ(error.message, "--n '" + std::string(c.text) + "': expected a whole number " +
                                         std::to_string(c.min) + ".." + std::to_string(c.max));
        }
    }
}

TEST(SharedArguments, SplitsWordsOptionsFlagsAndMistakes) {
    const cli::Arguments split =
        cli::split({"run", "--n", "-3", "--flag", "--n=", "x", "--odd", "-h", "--n"},
                   [](std::string_view name) -> std::optional<bool> {
                       if (name == "n") {
                           return true;
                       }
                       return name == "flag" ? std::optional<bool>(false) : std::nullopt;
                   });
    EXPECT_EQ(split.words, (std::vector<std::string>{"run", "x"}));
    EXPECT_EQ(split.options, (std::vector<std::pair<std::string, std::string>>{
                                 {"n", "-3"}, {"flag", ""}, {"n", ""}}));
    EXPECT_TRUE(split.help);
    EXPECT_EQ(split.unknown, "--odd");
    EXPECT_EQ(split.lacking_value, "n");
}

TEST(HostCommandLine, DpiAtTheLimits) {
    EXPECT_EQ(parse_dpi("24"), 24);
    EXPECT_EQ(parse_dpi("960"), 960);
    for (const char* bad : {"23", "", "-96", "96.0", " 96"}) {
        EXPECT_THROW(parse_dpi(bad), Failure) << bad;
    }
}

} // namespace
} // namespace scrivlet::host
