#pragma once
// The command line of scrivlet-host, read without any Windows header so that
// every rule about it is tested natively.

#include "failure.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::host {

// Larger surfaces are refused before anything is allocated.
inline constexpr uint32_t max_side_px = 16384;
inline constexpr int min_dpi = 24;
inline constexpr int max_dpi = 960;
inline constexpr uint32_t default_bench_runs = 200;
inline constexpr uint32_t max_bench_runs = 100000;

enum class Command { help, version, info, render, sheet, configure, bench, check, watch };

struct Size {
    uint32_t width = 0;
    uint32_t height = 0;
    bool operator==(const Size&) const = default;
};

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

enum class BackgroundKind { transparent, colour, checker };

struct Background {
    BackgroundKind kind = BackgroundKind::transparent;
    Rgb colour;
    bool operator==(const Background&) const = default;
};

// A sheet cell when neither --size nor the section says: room for two
// lines at 16 pt.
inline constexpr Size default_cell{240, 80};
// Between the sheet's sample values in --values.
inline constexpr char values_separator = '|';

struct Options {
    Command command = Command::help;
    // With Command::help: the command whose usage was asked for, if any.
    std::optional<Command> help_for;
    std::string dll; // empty: Scrivlet.dll beside the program
    std::string ini;
    // sheet: the --ini files after the first, in the order given.
    std::vector<std::string> further_inis;
    // One section (render, configure, check, watch) or the sheet's chosen
    // sections in the order given (all of the file when none).
    std::vector<std::string> sections;
    std::optional<std::string> value;
    // The sheet's sample values (sheet_samples when none).
    std::vector<std::string> values;
    bool clock = false;
    std::optional<Size> size;
    std::optional<int> dpi;
    std::optional<Background> background;
    std::string out;
    bool strict = false; // render: an empty picture is a failure
    // check: the findings as one JSON document instead of lines.
    bool json = false;
    uint32_t runs = default_bench_runs;
    // Set only on the command line the benchmark gives its own child, which
    // measures beside the gdiplus.dll stand-in and reports to the parent.
    bool standin_child = false;

    // The fields above hold the arguments in the ANSI code page, as the
    // plug-in and the profile functions take text; these hold them as typed
    // (UTF-8), for what that code page cannot hold.
    struct Typed {
        std::vector<std::string> inis; // every --ini, in order
        std::vector<std::string> sections;
        std::optional<std::string> value;
        std::string out;
        std::vector<std::string> values;
        bool operator==(const Typed&) const = default;
    };
    Typed typed;

    const std::string& section() const { return sections.front(); }
};

// Whether a path names an existing folder: the Windows side knows, and a
// folder given as --out is said to be one.
using IsFolder = std::function<bool(const std::string& path)>;

// args excludes the program name. Throws Failure (exit_code::usage).
Options parse_command_line(const std::vector<std::string>& args, const IsFolder& is_folder = {});
// The same arguments twice: in the ANSI code page and as typed (UTF-8).
Options parse_command_line(const std::vector<std::string>& args,
                           const std::vector<std::string>& typed_args,
                           const IsFolder& is_folder = {});

// "200x40": both sides 1..max_side_px. Throws Failure (exit_code::usage).
Size parse_size(std::string_view option, std::string_view text);
// "200x40", as the tools write a size.
std::string size_text(Size size);
// "a", "a and b", "a, b and c": how every message names several things.
std::string listed(const std::vector<std::string>& items);
// "1 run", "2 runs".
std::string counted(uint64_t count, std::string_view one, std::string_view many);
// The pieces of `text` between the separators, empty ones too: "A||B" is
// "A", "" and "B".
std::vector<std::string> split_at(std::string_view text, char separator);
// "checker", "RRGGBB" or "#RRGGBB". Throws Failure (exit_code::usage).
Background parse_background(std::string_view text);
// A whole number min_dpi..max_dpi. Throws Failure (exit_code::usage).
int parse_dpi(std::string_view text);
// A whole number 1..max_bench_runs. Throws Failure (exit_code::usage).
uint32_t parse_runs(std::string_view text);

// The hidden flag (no value) of the benchmark's child process.
inline constexpr std::string_view standin_child_flag = "--child-standin";

const char* command_name(Command command);
// Every command, or one command's usage with its options.
std::string usage_text();
std::string usage_text(Command command);

} // namespace scrivlet::host
