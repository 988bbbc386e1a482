// The host's command line: what each command accepts, and the exact line a
// person reads for each mistake.

#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrivlet::host {
namespace {

using Args = std::vector<std::string>;

Failure failure_of(const Args& args) {
    try {
        parse_command_line(args);
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
        {{"draw"}, "unknown command 'draw' (commands: info, render, sheet, configure, bench)"},
        {{"--"}, "unknown command '--' (commands: info, render, sheet, configure, bench)"},
        {{"info", "--verbose"}, "info: unknown option '--verbose'"},
        {{"info", "extra"}, "info: unexpected argument 'extra'"},
        {{"info", "--ini", "a.ini"}, "info: --ini does not apply to info"},
        {{"info", "--dll"}, "info: --dll needs a value"},
        {{"info", "--dll="}, "info: --dll is empty"},
        {{"render", "--ini", "a.ini"}, "render: --section is required"},
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
        {with(render_ok, {"--background", "mauve"}),
         "render: --background 'mauve': expected checker, RRGGBB or #RRGGBB"},
        {with(render_ok, {"--background", "#12345"}),
         "render: --background '#12345': expected checker, RRGGBB or #RRGGBB"},
        {with(render_ok, {"--background", "12345G"}),
         "render: --background '12345G': expected checker, RRGGBB or #RRGGBB"},
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
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--cell", "10x0"},
         "sheet: --cell '10x0': width and height must be 1..16384"},
        {{"sheet", "--ini", "a.ini", "--out", "s.png", "--value", "1"},
         "sheet: --value does not apply to sheet"},
        {{"configure", "--ini", "a.ini"}, "configure: --section is required"},
        {{"configure", "--ini", "a.ini", "--section", "M", "--out", "x"},
         "configure: --out does not apply to configure"},
    };
    for (const Mistake& mistake : mistakes) {
        const Failure failure = failure_of(mistake.args);
        EXPECT_EQ(failure.exit_code, exit_code::usage) << mistake.message;
        EXPECT_EQ(failure.message, mistake.message);
    }
}

TEST(HostCommandLine, RenderTakesEveryOptionInAnyOrderAndBothSpellings) {
    const Options options = parse_command_line(
        {"--dll", "p/Scrivlet.dll", "render", "--value=-3,5", "--size=200X40", "--out", "o.png",
         "--section", "Meter A", "--ini", "a b.ini", "--dpi", "144", "--background", "#10a0FF"});
    EXPECT_EQ(options.command, Command::render);
    EXPECT_EQ(options.dll, "p/Scrivlet.dll");
    EXPECT_EQ(options.ini, "a b.ini");
    EXPECT_EQ(options.section, "Meter A");
    EXPECT_EQ(options.value, "-3,5");
    EXPECT_EQ(options.size, (Size{200, 40}));
    EXPECT_EQ(options.out, "o.png");
    EXPECT_EQ(options.dpi, 144);
    EXPECT_EQ(options.background, (Background{BackgroundKind::colour, Rgb{0x10, 0xA0, 0xFF}}));
    EXPECT_FALSE(options.cell);
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
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse_command_line(c.args).command, c.command) << c.args.front();
    }
    const Options sheet = parse_command_line({"sheet", "--ini", "a.ini", "--out", "s.png", "--cell",
                                              "300x90", "--background", "checker"});
    EXPECT_EQ(sheet.cell, (Size{300, 90}));
    EXPECT_EQ(sheet.background, (Background{BackgroundKind::checker, {}}));
    EXPECT_FALSE(sheet.dpi);
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
    for (const Args& args : std::vector<Args>{
             {"info", "--child-standin"}, {"render", "--runs", "5"}, {"bench", "--runs"}}) {
        EXPECT_THROW(parse_command_line(args), Failure) << args.front();
    }
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
