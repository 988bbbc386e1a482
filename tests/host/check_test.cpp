// scrivlet-host check end to end: the examples hold nothing to report; a
// hostile file gets one exact line per finding and exit 6, and is left as
// it was; what check says draws nothing is what the plug-in then draws
// (checked by rendering those sections); errors are one line and exit 4.

#include "host_run.h"

#include "common/png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

std::vector<std::string> example_files() {
    const std::string& folder = examples_folder();
    std::vector<std::string> files;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "*.ini").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        files.push_back(folder + entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(files.begin(), files.end());
    return files;
}

// The one section header of an example.
std::string only_section(const std::string& file) {
    const std::string text = file_bytes(file);
    const size_t open = text.find("\n[");
    const size_t close = text.find(']', open);
    return text.substr(open + 2, close - open - 2);
}

TEST(Check, EveryExampleHasNothingToReport) {
    const std::vector<std::string> files = example_files();
    ASSERT_EQ(files.size(), 5u);
    for (const std::string& file : files) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"check", "--ini", file},
              std::vector<std::string>{"check", "--ini", file, "--section", only_section(file)}}) {
            const HostResult result = run_host(args);
            EXPECT_EQ(result.exit_code, exit_ok) << quote_command_line(args);
            EXPECT_EQ(result.out, "check: nothing found in 1 section\n")
                << quote_command_line(args);
            EXPECT_EQ(result.err, "") << quote_command_line(args);
        }
    }
}

// One section per kind of finding, and two with none. Values in quotes
// reach the plug-in without them.
std::string hostile_text() {
    const std::vector<std::string> lines = {
        "; one finding kind a section",
        "[Alpha]",
        "Scrivlet_FontColor=300,1,2,3",
        "[Decimals]",
        "Scrivlet_FontSettings=0,0,16,0,0,12,30,1",
        "[TabWidth]",
        "Scrivlet_FontSettings=0,0,16,0,0,0,0,1",
        "[Softness]",
        "Scrivlet_ShadowSettings=0,5,0,0,0",
        "[Alignment]",
        "Scrivlet_FontSettings=0,0,16,0,9,0,30,1",
        "[Flag]",
        "Scrivlet_FontSettings=0, 0,16,0,0,0,30,1",
        "[Face]",
        "Scrivlet_Font=\"NoSuchFace\"",
        "[QuotedArial]",
        "Scrivlet_Font='Arial'",
        "Scrivlet_Text=%v",
        // One of the prefix's replacements, as the examples' Arial is.
        "[Replacement]",
        "Scrivlet_Font=Courier New",
        "[LongTemplate]",
        "Scrivlet_Text=" + std::string(300, 'x'),
        "[ShortList]",
        "Scrivlet_FontColor=128,0",
        "[LongList]",
        "Scrivlet_BorderSettings=0,1,7",
        "[Saturates]",
        "Scrivlet_ShadowSettings=0,5,5,99999999999,0",
        "; size: 200x40",
        "[EmBound]",
        "Scrivlet_FontSettings=0,0,900,0,0,0,30,1",
        // No room for the text, which the library lays out all the same.
        "[NoRoom]",
        "Scrivlet_BorderSettings=1,100",
        "[FarOff]",
        "Scrivlet_ShadowSettings=1,5,5,-20000,0",
        "[ShadowPen]",
        "Scrivlet_ShadowSettings=1,-30000,5,0,0",
        "Scrivlet_BorderSettings=1,1",
        "; size: 6000x80",
        "[ShadowAway]",
        "Scrivlet_FontSettings=0,0,100,0,0,0,30,1",
        "Scrivlet_ShadowSettings=1,5,5,16384,0",
        "[BorderBand]",
        "Scrivlet_BorderSettings=1,-20000",
        "[CaseKey]",
        "scrivlet_font=NoSuchFace",
        "[Misspelt]",
        "Scrivlet_Text=%v",
        "Scrivlet_FontColour=128,0,0,0",
        "[Duplicate]",
        "Scrivlet_Font=Arial",
        "Scrivlet_Font=NoSuchFace",
        "[NoEquals]",
        "Scrivlet_Text",
        "[HostOnly]",
        "Meter=Plugin",
        "[alpha]",
        "Scrivlet_FontColor=255,0,255,0",
        // A comment after a header that holds a ']' is part of its name.
        "[Meter] ; main meter [v2]",
        "Scrivlet_Text=%v",
        "[Fine]",
        "Scrivlet_FontColor=255,0,255,0",
        "Scrivlet_Text=%v",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

const std::string at_default = "at 240x80 px (the default size, 96 dpi) ";

const std::vector<std::string> hostile_findings = {
    "[Alpha] Scrivlet_FontColor=300,1,2,3: font_alpha 300 is outside 0..255: it draws as 44 "
    "(only the low 8 bits count); the settings dialog's OK saves it as 255",
    "[Decimals] Scrivlet_FontSettings=0,0,16,0,0,12,30,1: decimals 12 is above 10; the settings "
    "dialog's OK saves it as 10 and warns",
    "[TabWidth] Scrivlet_FontSettings=0,0,16,0,0,0,0,1: tab_width is 0; the settings dialog's "
    "OK saves it as 1",
    "[Softness] Scrivlet_ShadowSettings=0,5,0,0,0: shadow_softness is 0; the settings dialog's "
    "OK saves it as 1",
    "[Alignment] Scrivlet_FontSettings=0,0,16,0,9,0,30,1: alignment 9 is outside 0..8: it draws "
    "top left, and the first repaint makes it 0, which the next save writes; the settings dialog "
    "opened before any repaint checks no alignment button, and its OK saves 8 (bottom right)",
    "[Flag] Scrivlet_FontSettings=0, 0,16,0,0,0,30,1: strikeout \" 0\" reads as 1: a flag is 0 "
    "only when its field begins with 0",
    "[Face] Scrivlet_Font=NoSuchFace: the face \"NoSuchFace\" is not installed: the text draws "
    "nothing",
    "[LongTemplate] Scrivlet_Text=" + std::string(61, 'x') +
        "...: 300 characters, more than the 255 the settings dialog's box reads: OK after an "
        "edit there keeps the first 255",
    "[ShortList] Scrivlet_FontColor=128,0: 2 of its 4 fields: the rest take their defaults "
    "(font_green 255, font_blue 255); colours are alpha, red, green, blue, so it draws alpha 128, "
    "red 0, green 255 and blue 255",
    "[LongList] Scrivlet_BorderSettings=0,1,7: 3 fields where the plug-in reads 2: the rest, "
    "\"7\", is never read",
    "[Saturates] Scrivlet_ShadowSettings=0,5,5,99999999999,0: shadow_offset_x \"99999999999\" "
    "is beyond 32 bits: it reads as 2147483647",
    "[EmBound] Scrivlet_FontSettings=0,0,900,0,0,0,30,1: at 200x40 px (from the '; size:' "
    "comment on line 29, 96 dpi) the text draws nothing: font size 900 pt is more than 2 times the "
    "surface's longer side (up to 800 pt always draws)",
    "[FarOff] Scrivlet_ShadowSettings=1,5,5,-20000,0: " + at_default +
        "the text draws nothing: the insets for the shadow (size 5, offset -20000,0) move its "
        "rectangle (at 20002.0,2.0 pt, 173.0 x 53.0 pt) further from the surface than the "
        "largest surface (16384 px a side) is wide",
    "[ShadowPen] Scrivlet_ShadowSettings=1,-30000,5,0,0: " + at_default +
        "the shadow draws nothing: its pen (size -30000) is wider than twice the largest "
        "surface (16384 px a side)",
    "[ShadowAway] Scrivlet_ShadowSettings=1,5,5,16384,0: at 6000x80 px (from the '; size:' "
    "comment on line 39, 96 dpi) the shadow draws nothing: its offset 16384,0 moves it as far as "
    "the "
    "largest surface's side (16384 px) or further",
    "[BorderBand] Scrivlet_BorderSettings=1,-20000: " + at_default +
        "the border draws nothing: its band (2 x width -20000) is wider than twice the largest "
        "surface (16384 px a side)",
    "[CaseKey] scrivlet_font=NoSuchFace: the plug-in spells it Scrivlet_Font; key names match "
    "whatever their case, so it is read",
    "[CaseKey] scrivlet_font=NoSuchFace: the face \"NoSuchFace\" is not installed: the text "
    "draws nothing",
    "[Misspelt] Scrivlet_FontColour=128,0,0,0: not a key the plug-in reads; did you mean "
    "Scrivlet_FontColor? The section lacks it, so its default 255,255,255,255 stands",
    "[Duplicate] Scrivlet_Font=NoSuchFace: an earlier line holds Scrivlet_Font too; the profile "
    "functions read only the first, never this one",
    "[NoEquals] Scrivlet_Text: no \"=\": the profile functions read no value, so the default %v "
    "stands",
    "[HostOnly]: none of the plug-in's keys; a meter of this section takes every default",
    "[alpha]: [Alpha] above has the same name, case aside; the profile functions read only "
    "that one, so this section is never read",
    "[Meter] ; main meter [v2]: the profile functions take a header's name to its last ']': the "
    "plug-in reads this section as 'Meter] ; main meter [v2' (as --section takes it), not as "
    "'Meter'",
};

// The file line of each of hostile_findings: its key's, or its section
// header's.
const std::vector<size_t> hostile_lines = {3,  5,  7,  9,  11, 13, 15, 22, 24, 26, 28, 31,
                                           35, 37, 42, 44, 46, 46, 49, 52, 54, 55, 57, 59};

// Sections of the hostile file, and those with findings: all but
// QuotedArial, Replacement, NoRoom and Fine.
constexpr size_t hostile_sections = 27;
constexpr size_t hostile_sections_with_findings = 23;

// The finding of another section of the same content.
std::string renamed(const std::string& finding, const std::string& from, const std::string& to) {
    EXPECT_EQ(finding.rfind("[" + from + "] ", 0), 0u) << finding;
    return "[" + to + "]" + finding.substr(from.size() + 2);
}

// "FILE:LINE: finding" for each.
std::vector<std::string> located(const std::string& file, const std::vector<size_t>& numbers,
                                 const std::vector<std::string>& findings) {
    EXPECT_EQ(numbers.size(), findings.size());
    std::vector<std::string> lines;
    for (size_t i = 0; i < findings.size() && i < numbers.size(); ++i) {
        lines.push_back(file + ":" + std::to_string(numbers[i]) + ": " + findings[i]);
    }
    return lines;
}

std::string lines_of(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

struct FileState {
    std::string bytes;
    FILETIME written{};
};

FileState file_state(const std::string& path) {
    FileState state;
    state.bytes = file_bytes(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
    state.written = data.ftLastWriteTime;
    return state;
}

void expect_unchanged(const FileState& before, const std::string& path) {
    const FileState after = file_state(path);
    EXPECT_EQ(after.bytes, before.bytes) << path;
    EXPECT_EQ(CompareFileTime(&after.written, &before.written), 0) << path;
}

std::string hostile_file() {
    static const std::string path = [] {
        const std::string file = scratch_folder() + "hostile.ini";
        write_text_file(file, hostile_text());
        return file;
    }();
    return path;
}

TEST(Check, HostileFileGetsOneLinePerFindingAndIsLeftAsItWas) {
    const std::string file = hostile_file();
    const FileState before = file_state(file);
    const HostResult result = run_host({"check", "--ini", file});
    EXPECT_EQ(result.exit_code, exit_findings);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, lines_of(located(file, hostile_lines, hostile_findings)) +
                              "check: " + std::to_string(hostile_findings.size()) +
                              " findings in " + std::to_string(hostile_sections_with_findings) +
                              " of " + std::to_string(hostile_sections) + " sections\n");
    expect_unchanged(before, file);
}

TEST(Check, OneSectionAndTheSizeGivenOnTheCommandLine) {
    const std::string file = hostile_file();
    const FileState before = file_state(file);
    struct Case {
        std::vector<std::string> args;
        int exit_code;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"--section", "EmBound"},
         exit_findings,
         lines_of(located(file, {31}, {hostile_findings[11]})) +
             "check: 1 finding in 1 of 1 section\n"},
        // The option wins over the section's comment, and has room for both.
        {{"--section", "EmBound", "--size", "640x100"},
         exit_ok,
         "check: nothing found in 1 section\n"},
        {{"--section", "noroom", "--size", "400x300"},
         exit_ok,
         "check: nothing found in 1 section\n"},
        {{"--section", "NoRoom", "--size", "240x80"},
         exit_ok,
         "check: nothing found in 1 section\n"},
        {{"--section", "FarOff", "--size", "400x300"},
         exit_findings,
         file +
             ":35: [FarOff] Scrivlet_ShadowSettings=1,5,5,-20000,0: at 400x300 px (from --size, 96 "
             "dpi) "
             "the text draws nothing: the insets for the shadow (size 5, offset -20000,0) move its "
             "rectangle (at 20002.0,2.0 pt, 293.0 x 218.0 pt) further from the surface than the "
             "largest surface (16384 px a side) is wide\ncheck: 1 finding in 1 of 1 section\n"},
        // A name matches regardless of case, and is shown as the file writes it.
        {{"--section", "ALPHA"},
         exit_findings,
         lines_of(located(file, {3}, {hostile_findings[0]})) +
             "check: 1 finding in 1 of 1 section\n"},
        {{"--section", "Fine"}, exit_ok, "check: nothing found in 1 section\n"},
        {{"--section", "Meter] ; main meter [v2"},
         exit_findings,
         lines_of(located(file, {59}, {hostile_findings[23]})) +
             "check: 1 finding in 1 of 1 section\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"check", "--ini", file};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const HostResult result = run_host(args);
        EXPECT_EQ(result.exit_code, c.exit_code) << quote_command_line(args);
        EXPECT_EQ(result.out, c.out) << quote_command_line(args);
        EXPECT_EQ(result.err, "") << quote_command_line(args);
    }
    expect_unchanged(before, file);
}

png::Image rendered(const std::string& file, const std::string& section, const std::string& size) {
    static int renders = 0;
    const std::string out = scratch_folder() + "check-render" + std::to_string(++renders) + ".png";
    const HostResult result = run_host({"render", "--ini", file, "--section", section, "--value",
                                        "42", "--size", size, "--out", out});
    EXPECT_EQ(result.exit_code, exit_ok) << section << ": " << result.err;
    png::Image image;
    EXPECT_TRUE(png::read_file(out, image)) << section;
    return image;
}

bool transparent(const png::Image& image) {
    for (size_t i = 3; i < image.rgba.size(); i += 4) {
        if (image.rgba[i] != 0) {
            return false;
        }
    }
    return !image.rgba.empty();
}

TEST(Check, WhatItSaysDrawsNothingIsWhatThePlugInDraws) {
    const std::string file = hostile_file();
    // The text draws nothing: a face that is not installed (also under a key
    // in lower case, which is read), an em beyond its bound, a rectangle
    // beyond any surface.
    for (const auto& [section, size] :
         std::vector<std::pair<std::string, std::string>>{{"Face", "240x80"},
                                                          {"CaseKey", "240x80"},
                                                          {"EmBound", "200x40"},
                                                          {"FarOff", "240x80"}}) {
        EXPECT_TRUE(transparent(rendered(file, section, size))) << section;
    }
    // The quoted face reaches the plug-in unquoted, a replacement is a face
    // to draw with, and the first of two faces is the one read.
    for (const std::string section : {"QuotedArial", "Replacement", "Duplicate", "Fine"}) {
        EXPECT_FALSE(transparent(rendered(file, section, "240x80"))) << section;
    }
    // A pass that draws nothing leaves the meter as it is with the pass in
    // a clear colour, which lays it out the same. A pass that draws does
    // not.
    const std::string passes = scratch_folder() + "passes.ini";
    const std::string shadow_pen = "Scrivlet_ShadowSettings=1,-30000,5,0,0\r\n"
                                   "Scrivlet_BorderSettings=1,1\r\n";
    const std::string shadow_away = "Scrivlet_FontSettings=0,0,100,0,0,0,30,1\r\n"
                                    "Scrivlet_ShadowSettings=1,5,5,16384,0\r\n";
    const std::string border_band = "Scrivlet_BorderSettings=1,-20000\r\n";
    const std::string shadow = "Scrivlet_ShadowSettings=1,5,5,2,2\r\n";
    const std::string clear_shadow = "Scrivlet_ShadowColor=0,0,0,0\r\n";
    const std::string clear_border = "Scrivlet_BorderColor=0,0,0,0\r\n";
    write_text_file(passes, "[ShadowPen]\r\n" + shadow_pen + "[ShadowPenClear]\r\n" + shadow_pen +
                                clear_shadow + "; size: 6000x80\r\n[ShadowAway]\r\n" + shadow_away +
                                "; size: 6000x80\r\n[ShadowAwayClear]\r\n" + shadow_away +
                                clear_shadow + "[BorderBand]\r\n" + border_band +
                                "[BorderBandClear]\r\n" + border_band + clear_border +
                                "[Shadow]\r\n" + shadow + "[ShadowClear]\r\n" + shadow +
                                clear_shadow);
    const HostResult checked = run_host({"check", "--ini", passes});
    // The size comments stand on lines 8 and 12 of this file.
    auto comment_on = [](const std::string& finding, int line) {
        const std::string from = "on line 39,";
        const size_t at = finding.find(from);
        EXPECT_NE(at, std::string::npos) << finding;
        return finding.substr(0, at) + "on line " + std::to_string(line) + "," +
               finding.substr(at + from.size());
    };
    EXPECT_EQ(
        checked.out,
        lines_of(located(
            passes, {2, 5, 11, 15, 18, 20},
            {hostile_findings[13], renamed(hostile_findings[13], "ShadowPen", "ShadowPenClear"),
             comment_on(hostile_findings[14], 8),
             renamed(comment_on(hostile_findings[14], 12), "ShadowAway", "ShadowAwayClear"),
             hostile_findings[15],
             renamed(hostile_findings[15], "BorderBand", "BorderBandClear")})) +
            "check: 6 findings in 6 of 8 sections\n");
    for (const auto& [section, size] : std::vector<std::pair<std::string, std::string>>{
             {"ShadowPen", "240x80"}, {"ShadowAway", "6000x80"}, {"BorderBand", "240x80"}}) {
        EXPECT_EQ(rendered(passes, section, size).rgba,
                  rendered(passes, section + "Clear", size).rgba)
            << section;
    }
    // The text still shows beside the pass that does not.
    EXPECT_FALSE(transparent(rendered(passes, "ShadowPen", "240x80")));
    EXPECT_FALSE(transparent(rendered(passes, "BorderBand", "240x80")));
    EXPECT_NE(rendered(passes, "Shadow", "240x80").rgba,
              rendered(passes, "ShadowClear", "240x80").rgba);

    // A section hidden by an earlier one of the same name: the plug-in
    // draws the earlier one's green for it, not its own.
    const png::Image hidden = rendered(file, "alpha", "240x80");
    EXPECT_EQ(hidden.rgba, rendered(file, "Alpha", "240x80").rgba);
    EXPECT_NE(hidden.rgba, rendered(file, "Fine", "240x80").rgba);
}

// Lines of a file without a BOM, CRLF, written byte for byte.
std::string written(const std::string& name, const std::string& start,
                    const std::vector<std::string>& lines) {
    std::string text = start;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    const std::string path = scratch_folder() + name;
    write_text_file(path, text);
    return path;
}

TEST(Check, EachFindingStartsWithFileAndLineAndJsonGivesTheSame) {
    const std::string file =
        written("lines.ini", "",
                {"[Temp]", "; size: 90x30", "Scrivlet_Text=Temp %v \xC2\xB0", "[Load]", "",
                 "FontColor=255,128,0", "Scrivlet_Font=Segoe UI"});
    const std::vector<std::string> texts = {
        "[Temp] Scrivlet_Text=Temp %v \xC2\xB0: it draws \"Temp %v \xC3\x82\xC2\xB0\" where "
        "\"Temp %v \xC2\xB0\" was meant: the file is UTF-8 without a BOM, and the plug-in draws "
        "each byte as one Latin-1 character; save it as Windows-1252, or as UTF-8 with a BOM, "
        "which the profile reader converts",
        "[Load]: the '; size: 90x30' comment on line 2 stands among the keys of [Temp] above, yet "
        "it applies to this section, the next one below it",
        "[Load] FontColor=255,128,0: not a key the plug-in reads; did you mean Scrivlet_FontColor? "
        "The section lacks it, so its default 255,255,255,255 stands",
        "[Load] Scrivlet_Font=Segoe UI: the face \"Segoe UI\" is not installed in this Wine "
        "prefix, so a preview here draws no text; every Windows desktop has it, so there the "
        "meter draws as written",
    };
    const HostResult text = run_host({"check", "--ini", file});
    EXPECT_EQ(text.exit_code, exit_findings);
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out, lines_of(located(file, {3, 2, 6, 7}, texts)) +
                            "check: 2 findings in 2 of 2 sections (2 notes)\n");

    // Only notes: exit 0. JSON names the file as the user did, escaped.
    const std::string noted = written("noted.ini", "", {"[N]", "Scrivlet_Font=Segoe UI"});
    const std::string note = texts[3].substr(texts[3].find(": ") + 2);
    const HostResult only_notes = run_host({"check", "--ini", noted});
    EXPECT_EQ(only_notes.exit_code, exit_ok);
    EXPECT_EQ(only_notes.out, noted + ":2: [N] Scrivlet_Font=Segoe UI: " + note +
                                  "\ncheck: nothing found in 1 section (1 note)\n");
    std::string escaped = noted;
    for (size_t at = escaped.find('\\'); at != std::string::npos; at = escaped.find('\\', at + 2)) {
        escaped.insert(at, "\\");
    }
    const std::string quoted_note = "the face \\\"Segoe UI\\\"" + note.substr(note.find(" is "));
    const HostResult json = run_host({"check", "--ini", noted, "--format", "json"});
    EXPECT_EQ(json.exit_code, exit_ok);
    EXPECT_EQ(json.out, "{\"findings\": [\n  {\"file\": \"" + escaped +
                            "\", \"line\": 2, \"section\": \"N\", \"key\": \"Scrivlet_Font\", "
                            "\"kind\": \"note\", \"message\": \"" +
                            quoted_note +
                            "\", \"text\": \"[N] Scrivlet_Font=Segoe UI: " + quoted_note +
                            "\"}\n],\n \"summary\": {\"findings\": 0, \"notes\": 1, "
                            "\"sections_with_findings\": 0, \"sections\": 1, \"text\": \"check: "
                            "nothing found in 1 section (1 note)\"}}\n");
}

TEST(Check, WhatItSaysAValueDrawsIsWhatThePlugInDraws) {
    // Each pair draws alike: what check says the first draws, written out.
    const std::vector<std::array<std::string, 2>> alike = {
        {"Scrivlet_FontColor=300,255,255,255", "Scrivlet_FontColor=44,255,255,255"},
        {"Scrivlet_FontColor=255,128,0", "Scrivlet_FontColor=255,128,0,255"},
        {"Scrivlet_FontSettings=0,0,16,0,12,0,30,1", "Scrivlet_FontSettings=0,0,16,0,0,0,30,1"},
        {"Scrivlet_Text=%v \xC2\xB0", "Scrivlet_Text=%v \xC3\x82\xC2\xB0"}, // UTF-8, BOM
        {"Scrivlet_Text=%v \xB0", "Scrivlet_Text=%v \xC2\xB0"},             // Windows-1252, BOM
    };
    std::vector<std::string> plain;
    std::vector<std::string> bom;
    for (size_t i = 0; i < alike.size(); ++i) {
        const std::string name = "[S" + std::to_string(i) + "]";
        plain.insert(plain.end(), {name, alike[i][0]});
        bom.insert(bom.end(), {name, alike[i][1]});
    }
    // What a reader might have taken each for.
    plain.insert(plain.end(), {"[Opaque]", "Scrivlet_FontColor=255,255,255,255", "[Orange]",
                               "Scrivlet_FontColor=255,255,128,0", "[Centre]",
                               "Scrivlet_FontSettings=0,0,16,0,4,0,30,1"});
    const std::string file = written("draws.ini", "", plain);
    // The second of each pair in a file with a BOM, which the reader converts.
    const std::string with_bom = written("bom.ini", "\xEF\xBB\xBF", bom);
    for (size_t i = 0; i < alike.size(); ++i) {
        const std::string section = "S" + std::to_string(i);
        EXPECT_EQ(rendered(file, section, "240x80").rgba,
                  rendered(with_bom, section, "240x80").rgba)
            << alike[i][0];
    }
    for (const auto& [section, other] : std::vector<std::pair<std::string, std::string>>{
             {"S0", "Opaque"}, {"S1", "Orange"}, {"S2", "Centre"}, {"S3", "S4"}}) {
        EXPECT_NE(rendered(file, section, "240x80").rgba, rendered(file, other, "240x80").rgba)
            << section;
    }
    const HostResult checked = run_host({"check", "--ini", with_bom, "--section", "S3"});
    EXPECT_EQ(checked.out, "check: nothing found in 1 section\n");
}

TEST(Check, AFileOrSectionItCannotUseIsOneLineAndExit4) {
    const std::string missing = scratch_folder() + "missing.ini";
    const std::string empty = scratch_folder() + "no-sections.ini";
    write_text_file(empty, "; nothing here\r\nKey=outside any section\r\n");
    const std::string folder = scratch_folder() + "a-folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = hostile_file();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"check", "--ini", missing}, "cannot read settings file '" + missing + "': no such file"},
        {{"check", "--ini", folder}, "cannot read settings file '" + folder + "': it is a folder"},
        {{"check", "--ini", empty}, "no sections in '" + empty + "'"},
        {{"check", "--ini", file, "--section", "Nope"}, "no section [Nope] in '" + file + "'"},
    };
    for (const Case& c : cases) {
        const HostResult result = run_host(c.args);
        EXPECT_EQ(result.exit_code, exit_settings) << quote_command_line(c.args);
        EXPECT_EQ(result.err, "scrivlet-host: " + c.message + "\n") << quote_command_line(c.args);
        EXPECT_EQ(result.out, "") << quote_command_line(c.args);
    }
}

} // namespace
} // namespace scrivlet::test
