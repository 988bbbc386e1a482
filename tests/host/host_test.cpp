// scrivlet-host end to end: each example rendered by the host matches what
// the plug-in draws into a DIB in this process, alpha comes out straight,
// the sheet and --dpi do what they say, configure saves what the dialog
// edited, and every error has its line and its exit code.

#include "common/win/find_window.h"
#include "common/win/handles.h"
#include "host_run.h"

#include "common/png.h"
#include "support/plugin.h"
#include "support/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>
#include <thread>

namespace scrivlet::test {
namespace {

struct Example {
    std::string file; // absolute
    std::string name; // file name without .ini
    std::string section;
    std::vector<std::string> values;
    int width = 0;
    int height = 0;
};

// The comment lines "; value: ..." and "; size: WxH" say what to render.
Example read_example(const std::string& folder, const std::string& file_name) {
    Example example;
    example.file = folder + file_name;
    example.name = file_name.substr(0, file_name.size() - 4);
    std::istringstream lines(file_bytes(example.file));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("; value: ", 0) == 0) {
            example.values.push_back(line.substr(9));
        } else if (line.rfind("; size: ", 0) == 0) {
            std::sscanf(line.c_str() + 8, "%dx%d", &example.width, &example.height);
        } else if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            example.section = line.substr(1, line.size() - 2);
        }
    }
    return example;
}

std::vector<Example> examples() {
    std::vector<Example> found;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((examples_folder() + "*.ini").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        found.push_back(read_example(examples_folder(), entry.cFileName));
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(found.begin(), found.end(),
              [](const Example& a, const Example& b) { return a.name < b.name; });
    return found;
}

// The graphics library stores round(c * a / 255).
int premultiplied(int colour, int alpha) {
    return (colour * alpha + 127) / 255;
}

struct Rgba {
    int red, green, blue, alpha;
    bool operator==(const Rgba&) const = default;
};

Rgba png_pixel(const png::Image& image, int x, int y) {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

// What the plug-in draws for one section and value, in this process.
void draw_in_process(Surface& surface, const std::string& file, const std::string& section,
                     const std::string& value) {
    const Meter meter;
    plugin().load_settings(meter.instance(), file.c_str(), section.c_str());
    meter.repaint(surface.dc(), value.c_str(), surface.width(), surface.height());
}

// Every pixel of the PNG premultiplies back to the DIB's; a transparent one
// carries no colour. Returns the number of pixels with any alpha.
int expect_straight_copy_of(const png::Image& image, const Surface& surface,
                            const std::string& what) {
    int covered = 0;
    int mismatches = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const Pixel dib = surface.at(x, y);
            const Rgba png = png_pixel(image, x, y);
            const bool same = png.alpha == dib.alpha &&
                              premultiplied(png.red, png.alpha) == dib.red &&
                              premultiplied(png.green, png.alpha) == dib.green &&
                              premultiplied(png.blue, png.alpha) == dib.blue &&
                              (dib.alpha != 0 || (png.red == 0 && png.green == 0 && png.blue == 0));
            if (!same && ++mismatches <= 3) {
                ADD_FAILURE() << what << " at " << x << "," << y << ": PNG " << png.red << ","
                              << png.green << "," << png.blue << "," << png.alpha << " DIB "
                              << int{dib.red} << "," << int{dib.green} << "," << int{dib.blue}
                              << "," << int{dib.alpha};
            }
            covered += dib.alpha != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(mismatches, 0) << what;
    return covered;
}

png::Image read_png(const std::string& path) {
    png::Image image;
    EXPECT_TRUE(png::read_file(path, image)) << path;
    return image;
}

std::string size_arg(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

TEST(Host, ExamplesAreThereWithValuesAndSizes) {
    const std::vector<Example> all = examples();
    std::vector<std::string> names;
    for (const Example& example : all) {
        names.push_back(example.name);
        EXPECT_FALSE(example.section.empty()) << example.name;
        EXPECT_FALSE(example.values.empty()) << example.name;
        EXPECT_GT(example.width, 0) << example.name;
        EXPECT_GT(example.height, 0) << example.name;
        for (const char* key :
             {"Scrivlet_FontColor=", "Scrivlet_FontSettings=", "Scrivlet_Font=", "Scrivlet_Text=",
              "Scrivlet_BorderColor=", "Scrivlet_BorderSettings=", "Scrivlet_ShadowColor=",
              "Scrivlet_ShadowSettings="}) {
            EXPECT_NE(file_bytes(example.file).find(std::string("\n") + key), std::string::npos)
                << example.name << " lacks " << key;
        }
    }
    for (const char* wanted : {"clock", "cpu", "default-look", "plain", "title"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << wanted;
    }
}

TEST(Host, RenderOfEveryExampleIsThePluginsDrawingWithStraightAlpha) {
    for (const Example& example : examples()) {
        for (size_t i = 0; i < example.values.size(); ++i) {
            const std::string what = example.name + " '" + example.values[i] + "'";
            const std::string out = scratch_folder() + example.name + std::to_string(i) + ".png";
            const HostResult result =
                run_host({"render", "--ini", example.file, "--section", example.section, "--value",
                          example.values[i], "--size", size_arg(example.width, example.height),
                          "--out", out});
            ASSERT_EQ(result.exit_code, exit_ok) << what << ": " << result.err;
            EXPECT_EQ(result.out, "render: wrote " + out + " (" +
                                      size_arg(example.width, example.height) +
                                      ", straight alpha)\n");
            // The clock's two lines and tabs are the one thing Wine draws less
            // of, and render says so.
            EXPECT_EQ(result.err, example.name == "clock"
                                      ? "render: under Wine, GDI+ draws only the first line and "
                                        "leaves tabs out; the text has 2 lines and tabs, which "
                                        "Windows draws in full\n"
                                      : "")
                << what;
            const png::Image image = read_png(out);
            ASSERT_EQ(image.width, static_cast<uint32_t>(example.width)) << what;
            ASSERT_EQ(image.height, static_cast<uint32_t>(example.height)) << what;

            Surface surface(example.width, example.height);
            draw_in_process(surface, example.file, example.section, example.values[i]);
            EXPECT_GT(expect_straight_copy_of(image, surface, what), 0) << what << " drew nothing";
        }
    }
}

// What render says besides the picture, one line each on standard error,
// and nothing when the picture is what the plug-in means.
TEST(Host, RenderSaysWhyNothingShowsAndWhatDoesNotFit) {
    const std::string ini = scratch_folder() + "notes.ini";
    write_text_file(ini, "[Missing]\r\nScrivlet_Font=Arail\r\nScrivlet_Fnt=Arial\r\n"
                         "[Tall]\r\nScrivlet_FontSettings=0,0,40,0,0,0,30,1\r\n"
                         "[Clear]\r\nScrivlet_FontColor=0,255,255,255\r\n"
                         "[Centred]\r\nScrivlet_FontSettings=0,0,14,0,4,0,30,1\r\n"
                         "Scrivlet_BorderSettings=1,1\r\n"
                         "[Narrow]\r\nScrivlet_FontSettings=0,0,20,0,0,0,30,1\r\n"
                         "Scrivlet_BorderSettings=0,1\r\n");
    struct Case {
        const char* section;
        const char* value;
        int width;
        int height;
        bool drawn;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"Missing", "42", 100, 30, false,
         "render: nothing was drawn; what check finds in the section:\n"
         "render:   [Missing] Scrivlet_Font=Arail: the face \"Arail\" is not installed: the text "
         "draws nothing; installed faces spelt like it: \"Arial\"\n"},
        {"Tall", "42", 100, 30, true,
         "render: the text's 1 line needs about 61 px, more than the 30 px of the surface: "
         "what does not fit is cut off (Wine moves such text down instead)\n"},
        {"Clear", "42", 100, 30, false,
         "render: nothing was drawn: the text's colour has alpha 0\n"},
        // A bordered text away from the corner: Wine's 64-bit GDI+ ends the
        // thread of such a repaint unless the host holds its rounding.
        {"Centred", "Monday", 400, 90, true, ""},
        // GDI+ breaks the word where the line ends; Wine shows "123".
        {"Narrow", "1234567890", 60, 40, true,
         "render: the text is wider than the 60 px surface (58 px to lay out in): \"1234567890\" "
         "needs about 149 px and wraps to a second line, breaking the word \"1234567890\" where "
         "the line ends (Wine draws only the first line)\n"},
        {"Narrow", "1234567", 120, 40, true, ""},
        {"Narrow", "", 60, 40, false, "render: nothing was drawn: the text is empty\n"},
    };
    for (const Case& c : cases) {
        const std::string out = scratch_folder() + "notes.png";
        const HostResult result =
            run_host({"render", "--ini", ini, "--section", c.section, "--value", c.value, "--size",
                      size_arg(c.width, c.height), "--out", out, "--strict"});
        ASSERT_EQ(result.exit_code, c.drawn ? exit_ok : exit_nothing_drawn)
            << c.section << ": " << result.err;
        EXPECT_EQ(result.err, c.err) << c.section;
        Surface surface(c.width, c.height);
        draw_in_process(surface, ini, c.section, c.value);
        EXPECT_EQ(expect_straight_copy_of(read_png(out), surface, c.section) > 0, c.drawn)
            << c.section;
    }
    const std::string out = scratch_folder() + "notes.png";
    const HostResult clear = run_host({"render", "--ini", ini, "--section", "Clear", "--value",
                                       "42", "--size", "10x10", "--out", out});
    EXPECT_EQ(clear.exit_code, exit_ok) << clear.err;
    // At 192 dpi the title no longer fits: Wine shows "Night".
    const HostResult night =
        run_host({"render", "--ini", examples_folder() + "title.ini", "--section", "Title",
                  "--value", "Night shift", "--size", "320x200", "--out", out, "--dpi", "192"});
    EXPECT_EQ(night.exit_code, exit_ok) << night.err;
    EXPECT_EQ(night.err, "render: the text is wider than the 320 px surface (293 px inside the "
                         "shadow): \"Night shift\" needs about 370 px and wraps to a second line "
                         "(Wine draws only the first line)\n");
}

TEST(Host, TextColourAtHalfAlphaReadsBackAsThatColourAndHalfAlpha) {
    // Orange 255,64,0 at alpha 128, large and bold, nothing beneath it: the
    // inside of the glyphs is exactly that colour at 128 (64 premultiplies
    // to 32, and a division that truncates would give 63 back).
    const std::string ini = scratch_folder() + "half.ini";
    write_text_file(ini, "[Half]\r\n"
                         "Scrivlet_FontColor=128,255,64,0\r\n"
                         "Scrivlet_FontSettings=0,0,48,1,4,0,30,1\r\n"
                         "Scrivlet_Font=Arial\r\nScrivlet_Text=%v\r\n"
                         "Scrivlet_BorderColor=255,0,0,0\r\nScrivlet_BorderSettings=0,1\r\n"
                         "Scrivlet_ShadowColor=255,0,0,0\r\nScrivlet_ShadowSettings=0,5,5,0,0\r\n");
    const std::string out = scratch_folder() + "half.png";
    const HostResult result = run_host({"render", "--ini", ini, "--section", "Half", "--value",
                                        "HW", "--size", "300x80", "--out", out});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    const png::Image image = read_png(out);
    ASSERT_EQ(image.width, 300u);
    int exact = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            exact += png_pixel(image, x, y) == Rgba{255, 64, 0, 128} ? 1 : 0;
        }
    }
    EXPECT_GT(exact, 500);
    Surface surface(300, 80);
    draw_in_process(surface, ini, "Half", "HW");
    expect_straight_copy_of(image, surface, "half alpha");
}

// Background colour at (x, y) of the image, by the checker's rule: squares
// of 8 pixels, light (255) where the square indices add up to an even sum.
int checker_at(int x, int y) {
    return ((x / 8 + y / 8) % 2 == 0) ? 255 : 204;
}

void expect_composite(const Rgba& png, const Pixel& dib, int under_red, int under_green,
                      int under_blue, const std::string& what) {
    ASSERT_EQ(png.alpha, 255) << what;
    const auto expected = [&](int stored, int under) {
        return stored + under * (255 - dib.alpha) / 255.0;
    };
    const auto close_to = [](int got, double want) { return std::abs(got - want) <= 1.0; };
    if (dib.alpha == 0) {
        ASSERT_EQ(png, (Rgba{under_red, under_green, under_blue, 255})) << what;
    } else if (dib.alpha == 255) {
        ASSERT_EQ(png, (Rgba{dib.red, dib.green, dib.blue, 255})) << what;
    } else {
        ASSERT_TRUE(close_to(png.red, expected(dib.red, under_red)) &&
                    close_to(png.green, expected(dib.green, under_green)) &&
                    close_to(png.blue, expected(dib.blue, under_blue)))
            << what;
    }
}

TEST(Host, BackgroundsAreCompositedUnderThePluginsDrawing) {
    const Example cpu = read_example(examples_folder(), "cpu.ini");
    Surface surface(cpu.width, cpu.height);
    draw_in_process(surface, cpu.file, cpu.section, cpu.values.front());
    for (const std::string background : {"checker", "#3366CC", "3366cc"}) {
        const std::string out = scratch_folder() + "cpu-over-background.png";
        const HostResult result = run_host(
            {"render", "--ini", cpu.file, "--section", cpu.section, "--value", cpu.values.front(),
             "--size", size_arg(cpu.width, cpu.height), "--out", out, "--background", background});
        ASSERT_EQ(result.exit_code, exit_ok) << result.err;
        EXPECT_EQ(result.out,
                  "render: wrote " + out + " (" + size_arg(cpu.width, cpu.height) + ", opaque)\n");
        const png::Image image = read_png(out);
        ASSERT_EQ(image.width, static_cast<uint32_t>(cpu.width));
        ASSERT_EQ(image.height, static_cast<uint32_t>(cpu.height));
        for (int y = 0; y < cpu.height; ++y) {
            for (int x = 0; x < cpu.width; ++x) {
                const std::string what =
                    background + " at " + std::to_string(x) + "," + std::to_string(y);
                if (background == "checker") {
                    const int under = checker_at(x, y);
                    expect_composite(png_pixel(image, x, y), surface.at(x, y), under, under, under,
                                     what);
                } else {
                    expect_composite(png_pixel(image, x, y), surface.at(x, y), 0x33, 0x66, 0xCC,
                                     what);
                }
            }
        }
    }
}

TEST(Host, RelativeSettingsPathIsReadFromTheCurrentFolder) {
    // The profile functions look for a bare file name in the Windows folder;
    // the host must hand them the file the user meant.
    const Example plain = read_example(examples_folder(), "plain.ini");
    const std::string out = scratch_folder() + "relative.png";
    const HostResult result = run_host({"render", "--ini", "plain.ini", "--section", plain.section,
                                        "--value", plain.values.front(), "--size",
                                        size_arg(plain.width, plain.height), "--out", out},
                                       examples_folder());
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    Surface surface(plain.width, plain.height);
    draw_in_process(surface, plain.file, plain.section, plain.values.front());
    expect_straight_copy_of(read_png(out), surface, "relative path");
}

// scrivlet-host with its arguments as typed (UTF-8), handed over as UTF-16 as
// a shell hands them over: characters outside the ANSI code page included.
RunningHost start_host_as_typed(const std::vector<std::string>& args) {
    static int runs = 0;
    const std::string stem = scratch_folder() + "typed" + std::to_string(++runs);
    std::vector<std::string> line = {program_folder() + "scrivlet-host.exe"};
    line.insert(line.end(), args.begin(), args.end());
    win::ChildLaunch launch;
    launch.program = win::widen(line.front());
    launch.command_line = win::wide_from_utf8(quote_command_line(line));
    launch.out_file = stem + ".out";
    launch.err_file = stem + ".err";
    return RunningHost{win::start_child(launch), launch.out_file, launch.err_file};
}

HostResult run_host_as_typed(const std::vector<std::string>& args) {
    return finish_host(start_host_as_typed(args));
}

// A file's bytes by its path as typed: the C library opens ANSI paths only.
std::string typed_file_bytes(const std::string& path) {
    const win::UniqueFile file(CreateFileW(win::wide_from_utf8(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (file && ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

// "Тест": a folder name the ANSI code page (1252) cannot hold.
constexpr const char* cyrillic_name = "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82";

TEST(Host, RenderReadsAndWritesInAFolderOutsideTheCodePage) {
    const Example cpu = read_example(examples_folder(), "cpu.ini");
    const std::string folder = scratch_folder() + cyrillic_name + "\\";
    ASSERT_TRUE(CreateDirectoryW(win::wide_from_utf8(folder).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(win::widen(cpu.file).c_str(),
                          win::wide_from_utf8(folder + "cpu.ini").c_str(), FALSE));
    const std::string out = folder + "cpu.png";
    const HostResult result = run_host_as_typed(
        {"render", "--ini", folder + "cpu.ini", "--section", cpu.section, "--value",
         cpu.values.front(), "--size", size_arg(cpu.width, cpu.height), "--out", out});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "render: wrote " + scratch_folder() + "????\\cpu.png (" +
                              size_arg(cpu.width, cpu.height) + ", straight alpha)\n");
    // The same as from the examples folder: the plug-in read the section.
    const std::string plain_out = scratch_folder() + "cpu-ascii.png";
    ASSERT_EQ(run_host({"render", "--ini", cpu.file, "--section", cpu.section, "--value",
                        cpu.values.front(), "--size", size_arg(cpu.width, cpu.height), "--out",
                        plain_out})
                  .exit_code,
              exit_ok);
    const std::string written = typed_file_bytes(out);
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(written, file_bytes(plain_out));
}

TEST(Host, RenderNamesTheValuesCharactersOutsideTheCodePage) {
    const Example cpu = read_example(examples_folder(), "cpu.ini");
    const std::string out = scratch_folder() + "outside.png";
    // The euro sign is in Windows-1252, the check mark is not.
    const HostResult result = run_host_as_typed(
        {"render", "--ini", cpu.file, "--section", cpu.section, "--value",
         "\xE2\x82\xAC \xE2\x9C\x93", "--size", size_arg(cpu.width, cpu.height), "--out", out});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.err, "render: --value has characters the ANSI code page (1252) cannot hold, "
                          "and the plug-in takes its value in that code page: U+2713 drawn as "
                          "\"?\"\n");
    Surface surface(cpu.width, cpu.height);
    draw_in_process(surface, cpu.file, cpu.section, "\x80 ?");
    EXPECT_GT(expect_straight_copy_of(read_png(out), surface, "euro and check mark"), 0);
    // A sheet's values alike, each character once.
    const HostResult sheet =
        run_host_as_typed({"sheet", "--ini", cpu.file, "--out", out, "--values",
                           "\xE2\x9C\x93|1|\xE2\x9C\x93\xE2\x86\x92"});
    ASSERT_EQ(sheet.exit_code, exit_ok) << sheet.err;
    EXPECT_EQ(sheet.err, "sheet: --values has characters the ANSI code page (1252) cannot hold, "
                         "and the plug-in takes its value in that code page: U+2713 U+2192 "
                         "drawn as \"?\"\n");
}

TEST(Host, RenderFindsASectionNamedInUtf8AsCheckDoes) {
    // Saved as UTF-8 without a byte order mark, and as Windows-1252.
    const std::string section_utf8 = "Temp\xC3\xA9rature";
    const std::string section_1252 = "Temp\xE9rature";
    const std::string keys = "\r\nScrivlet_Text=T %v\r\nScrivlet_FontColor=255,200,40,40\r\n";
    const std::string utf8_ini = scratch_folder() + "utf8-section.ini";
    write_text_file(utf8_ini, "[" + section_utf8 + "]" + keys);
    const std::string ansi_ini = scratch_folder() + "ansi-section.ini";
    write_text_file(ansi_ini, "[" + section_1252 + "]" + keys);
    const HostResult check =
        run_host_as_typed({"check", "--ini", utf8_ini, "--section", "Temp\xC3\xA9rature"});
    EXPECT_EQ(check.exit_code, exit_ok) << check.err;
    EXPECT_EQ(check.out, "check: nothing found in 1 section\n");
    const std::string out = scratch_folder() + "utf8-section.png";
    const HostResult result =
        run_host_as_typed({"render", "--ini", utf8_ini, "--section", section_utf8, "--value", "21",
                           "--size", "120x40", "--out", out});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.err, "render: [" + section_1252 +
                              "] is not in the file in the ANSI code page (1252); its UTF-8 form "
                              "is, as in a file saved as UTF-8, and that section was used\n");
    Surface surface(120, 40);
    draw_in_process(surface, utf8_ini, section_utf8, "21");
    EXPECT_GT(expect_straight_copy_of(read_png(out), surface, "UTF-8 section"), 0);

    const HostResult ansi =
        run_host_as_typed({"render", "--ini", ansi_ini, "--section", section_utf8, "--value", "21",
                           "--size", "120x40", "--out", out});
    ASSERT_EQ(ansi.exit_code, exit_ok) << ansi.err;
    EXPECT_EQ(ansi.err, "");
    expect_straight_copy_of(read_png(out), surface, "Windows-1252 section");
}

TEST(Host, InfoPrintsTypeAndTheSevenStrings) {
    const HostResult result = run_host({"info"});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    std::string expected =
        "plug-in: " + program_folder() + "Scrivlet.dll\ndlltype: 2 (a visualisation plug-in)\n";
    const char* labels[] = {"name",        "author", "version", "date created", "date last changed",
                            "web address", "contact"};
    for (unsigned index = 0; index < 7; ++index) {
        expected += "getinfo " + std::to_string(index) + ", " + labels[index] + ": " +
                    plugin().getinfo(index) + "\n";
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");

    // --dll loads another copy, wherever it is.
    const std::string copy_folder = scratch_folder() + "copy";
    CreateDirectoryA(copy_folder.c_str(), nullptr);
    const std::string copy = copy_folder + "\\Scrivlet.dll";
    ASSERT_TRUE(CopyFileA((program_folder() + "Scrivlet.dll").c_str(), copy.c_str(), FALSE));
    const HostResult elsewhere = run_host({"info", "--dll", copy});
    ASSERT_EQ(elsewhere.exit_code, exit_ok) << elsewhere.err;
    EXPECT_EQ(elsewhere.out, "plug-in: " + copy + expected.substr(expected.find('\n')));
}

// The chosen sections in the order given, the user's values, and each
// section at the size its file suggests.
TEST(Host, SheetOfChosenSectionsAndValuesAtEachSectionsOwnSize) {
    const Example plain = read_example(examples_folder(), "plain.ini");
    const Example cpu = read_example(examples_folder(), "cpu.ini");
    ASSERT_GT(plain.height, 0);
    ASSERT_GT(cpu.height, 0);
    const std::string ini = scratch_folder() + "sheet-chosen.ini";
    write_text_file(ini, file_bytes(plain.file) + "\r\n" + file_bytes(cpu.file));
    const std::string out = scratch_folder() + "sheet-chosen.png";
    const HostResult result =
        run_host({"sheet", "--ini", ini, "--out", out, "--section", cpu.section, "--section",
                  plain.section, "--values", "7|-1,5|"});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    const png::Image image = read_png(out);
    const int column_width = std::max(plain.width, cpu.width);
    ASSERT_EQ(image.height, static_cast<uint32_t>(32 + cpu.height + 4 + plain.height + 4));
    const int label_width = static_cast<int>(image.width) - 8 - 3 * (column_width + 4);
    EXPECT_EQ(result.out,
              "sheet: wrote " + out + " (2 sections x 3 values, " +
                  size_arg(static_cast<int>(image.width), static_cast<int>(image.height)) + ")\n");
    // The second row is the plain meter, drawn at its own size.
    Surface cell(plain.width, plain.height);
    draw_in_process(cell, plain.file, plain.section, "-1,5");
    const int left = 8 + label_width + column_width + 4;
    const int top = 32 + cpu.height + 4;
    for (int y = 0; y < plain.height; ++y) {
        for (int x = 0; x < plain.width; ++x) {
            const int under = checker_at(left + x, top + y);
            expect_composite(png_pixel(image, left + x, top + y), cell.at(x, y), under, under,
                             under, "plain at " + std::to_string(x) + "," + std::to_string(y));
        }
    }
    const HostResult missing =
        run_host({"sheet", "--ini", ini, "--out", out, "--section", "Nowhere"});
    EXPECT_EQ(missing.exit_code, exit_settings);
    EXPECT_EQ(missing.err, "scrivlet-host: no section [Nowhere] in '" + ini + "'\n");
}

// A cell Wine draws less of is marked, its row says why, and so does a line
// on standard error; a cell it draws in full is not marked.
TEST(Host, SheetMarksTheCellsWineDrawsTheFirstLineOf) {
    const Example clock = read_example(examples_folder(), "clock.ini");
    const std::string out = scratch_folder() + "sheet-marked.png";
    const HostResult result =
        run_host({"sheet", "--ini", clock.file, "--out", out, "--values", "1"});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.err, "sheet: red corner at [Clock] \"1\": under Wine, GDI+ draws only the "
                          "first line and leaves tabs out; the text has 2 lines and tabs, which "
                          "Windows draws in full\n");
    const png::Image image = read_png(out);
    const int left = static_cast<int>(image.width) - 4 - clock.width;
    EXPECT_EQ(png_pixel(image, left + clock.width - 1, 32), (Rgba{220, 0, 0, 255}));
    const Example plain = read_example(examples_folder(), "plain.ini");
    const HostResult unmarked =
        run_host({"sheet", "--ini", plain.file, "--out", out, "--values", "1"});
    ASSERT_EQ(unmarked.exit_code, exit_ok) << unmarked.err;
    EXPECT_EQ(unmarked.err, "");
    const png::Image plain_image = read_png(out);
    EXPECT_NE(png_pixel(plain_image, static_cast<int>(plain_image.width) - 5, 32),
              (Rgba{220, 0, 0, 255}));
    // A cell whose line wraps is marked as render would note it; its
    // neighbour, which fits, is not.
    const HostResult cut = run_host({"sheet", "--ini", plain.file, "--out", out, "--values",
                                     "1|1234567890", "--size", "60x40"});
    ASSERT_EQ(cut.exit_code, exit_ok) << cut.err;
    EXPECT_EQ(cut.err, "sheet: red corner at [Plain] \"1234567890\": the text is wider than the "
                       "60 px surface (58 px to lay out in): \"1234567890\" needs about 149 px "
                       "and wraps to a second line, breaking the word \"1234567890\" where the "
                       "line ends (Wine draws only the first line)\n");
    const png::Image cut_image = read_png(out);
    const int last_column_right = static_cast<int>(cut_image.width) - 5;
    EXPECT_EQ(png_pixel(cut_image, last_column_right, 32), (Rgba{220, 0, 0, 255}));
    EXPECT_NE(png_pixel(cut_image, last_column_right - 64, 32), (Rgba{220, 0, 0, 255}));
}

TEST(Host, SheetShowsEverySectionWithEverySampleValueOverTheChecker) {
    // Two sections in one file: the sheet has a row for each.
    const Example plain = read_example(examples_folder(), "plain.ini");
    const Example cpu = read_example(examples_folder(), "cpu.ini");
    const std::string ini = scratch_folder() + "sheet.ini";
    // Without the examples' "; value:" comments: the five samples for all.
    std::string text;
    std::istringstream lines(file_bytes(plain.file) + "\r\n" + file_bytes(cpu.file));
    for (std::string line; std::getline(lines, line);) {
        text += line.rfind("; value:", 0) == 0 ? "" : line + "\n";
    }
    write_text_file(ini, text);
    const std::string out = scratch_folder() + "sheet.png";
    const HostResult result = run_host({"sheet", "--ini", ini, "--out", out, "--cell", "200x40"});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    const png::Image image = read_png(out);
    // Gaps of 4, a header of 24, two rows of 40; the label column is as wide
    // as the longest name needs, so the width tells where the cells begin.
    ASSERT_EQ(image.height, 4u + 24 + 4 + 2 * (40 + 4));
    const int label_width = static_cast<int>(image.width) - 8 - 5 * (200 + 4);
    ASSERT_GE(label_width, 80);
    ASSERT_LE(label_width, 320);
    EXPECT_EQ(result.out, "sheet: wrote " + out + " (2 sections x 5 values, " +
                              size_arg(static_cast<int>(image.width), 120) + ")\n");

    const std::vector<std::string> samples = {"1234", "3,14159", "3.14159", "-42.5", "offline"};
    const std::vector<const Example*> rows = {&plain, &cpu};
    for (size_t row = 0; row < rows.size(); ++row) {
        const int top = 32 + static_cast<int>(row) * 44;
        // The row's label: dark ink somewhere in the label column.
        int ink = 0;
        for (int y = top; y < top + 40; ++y) {
            for (int x = 4; x < 4 + label_width; ++x) {
                ink += png_pixel(image, x, y).red < 128 ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 0) << "no label for row " << row;
        for (size_t column = 0; column < samples.size(); ++column) {
            const int left = 8 + label_width + static_cast<int>(column) * 204;
            Surface cell(200, 40);
            draw_in_process(cell, rows[row]->file, rows[row]->section, samples[column]);
            EXPECT_GT(cell.covered(), 0);
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 200; ++x) {
                    const int under = checker_at(left + x, top + y);
                    expect_composite(png_pixel(image, left + x, top + y), cell.at(x, y), under,
                                     under, under,
                                     rows[row]->name + " " + samples[column] + " at " +
                                         std::to_string(x) + "," + std::to_string(y));
                }
            }
        }
    }
}

// Each cell of a sheet row is the plug-in's drawing of that row's section and
// value, over the checkerboard.
void expect_sheet_cell(const png::Image& image, int left, int top, const Example& example,
                       const std::string& value, int width, int height) {
    Surface cell(width, height);
    draw_in_process(cell, example.file, example.section, value);
    EXPECT_GT(cell.covered(), 0) << example.name << " " << value;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int under = checker_at(left + x, top + y);
            expect_composite(
                png_pixel(image, left + x, top + y), cell.at(x, y), under, under, under,
                example.name + " " + value + " at " + std::to_string(x) + "," + std::to_string(y));
        }
    }
}

// The files of a folder in name order, or several --ini, one row per section
// labelled with its file; each section with the values its comments list.
TEST(Host, SheetOfSeveralFilesOrAFolderWithEachSectionsListedValues) {
    const Example cpu = read_example(examples_folder(), "cpu.ini");
    const Example plain = read_example(examples_folder(), "plain.ini");
    ASSERT_EQ(cpu.values, (std::vector<std::string>{"37.25", "99,96", "5"}));
    ASSERT_EQ(plain.values, (std::vector<std::string>{"1234", "56.7"}));
    const std::string folder = scratch_folder() + "sheet-folder\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    // Named so that the folder's order is not the order of creation.
    write_text_file(folder + "b-plain.ini", file_bytes(plain.file));
    write_text_file(folder + "A-cpu.ini", file_bytes(cpu.file));
    write_text_file(folder + "notes.txt", "[NotASheetRow]\r\n");
    const std::string out = scratch_folder() + "sheet-folder.png";
    const HostResult result =
        run_host({"sheet", "--ini", folder, "--out", out, "--size", "200x40"});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    const png::Image image = read_png(out);
    // Each row has a caption of 24 above its cells and no header row.
    ASSERT_EQ(image.height, 4u + 2 * (24 + 40 + 4));
    EXPECT_EQ(result.out, "sheet: wrote " + out + " (2 sections x up to 3 values, " +
                              size_arg(static_cast<int>(image.width), 140) + ")\n");
    const int first = static_cast<int>(image.width) - 3 * (200 + 4);
    expect_sheet_cell(image, first + 204, 28, cpu, "99,96", 200, 40);
    expect_sheet_cell(image, first + 204, 96, plain, "56.7", 200, 40);
    // The plain row has no third value: its place is left as paper.
    EXPECT_EQ(png_pixel(image, first + 2 * 204 + 100, 96 + 20), (Rgba{255, 255, 255, 255}));

    // The same two files named one by one: the same sheet.
    const std::string from_folder = file_bytes(out);
    const HostResult files = run_host({"sheet", "--ini", folder + "A-cpu.ini", "--ini",
                                       folder + "b-plain.ini", "--out", out, "--size", "200x40"});
    ASSERT_EQ(files.exit_code, exit_ok) << files.err;
    EXPECT_EQ(files.out, result.out);
    EXPECT_EQ(file_bytes(out), from_folder);

    const std::string empty_folder = scratch_folder() + "sheet-no-ini";
    ASSERT_TRUE(CreateDirectoryA(empty_folder.c_str(), nullptr));
    const HostResult empty = run_host({"sheet", "--ini", empty_folder, "--out", out});
    EXPECT_EQ(empty.exit_code, exit_settings);
    EXPECT_EQ(empty.err, "scrivlet-host: no .ini files in the folder '" + empty_folder + "'\n");
    const HostResult nowhere = run_host(
        {"sheet", "--ini", folder, "--ini", cpu.file, "--out", out, "--section", "Nowhere"});
    EXPECT_EQ(nowhere.exit_code, exit_settings);
    EXPECT_EQ(nowhere.err, "scrivlet-host: none of the sections named is in any of the 3 files\n");
}

// A label too long for the label column is cut short of the first cell;
// nothing of it reaches the cells.
TEST(Host, SheetLabelsKeepClearOfTheFirstCell) {
    const std::string ini = scratch_folder() + "sheet-long-label.ini";
    const std::string long_name(90, 'W');
    write_text_file(ini,
                    "[" + long_name + "]\r\nScrivlet_Text=%v\r\n[W]\r\n" + "Scrivlet_Text=%v\r\n");
    const std::string out = scratch_folder() + "sheet-long-label.png";
    const HostResult result = run_host({"sheet", "--ini", ini, "--out", out, "--values", "1",
                                        "--size", "100x30", "--background", "00FF00"});
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    const png::Image image = read_png(out);
    // The label column at its widest, 320.
    ASSERT_EQ(image.width, 4u + 320 + 4 + 104);
    const int cell_left = 4 + 320 + 4;
    for (int row = 0; row < 2; ++row) {
        const int top = 32 + row * 34;
        EXPECT_EQ(png_pixel(image, cell_left, top), (Rgba{0, 255, 0, 255}));
        int ink = 0;
        int rightmost = -1;
        for (int y = top; y < top + 30; ++y) {
            for (int x = 0; x < cell_left; ++x) {
                if (png_pixel(image, x, y).red < 128) {
                    ++ink;
                    rightmost = std::max(rightmost, x);
                }
            }
        }
        EXPECT_GT(ink, 0) << "no label in row " << row;
        // A padding of 8 and the gap of 4 stay paper, bar a glyph's overhang.
        EXPECT_LT(rightmost, cell_left - 8) << "row " << row;
        EXPECT_GE(rightmost, cell_left - 16) << "row " << row;
    }
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Box coverage_box(const png::Image& image) {
    Box box;
    for (int y = 0; y < static_cast<int>(image.height); ++y) {
        for (int x = 0; x < static_cast<int>(image.width); ++x) {
            if (png_pixel(image, x, y).alpha != 0) {
                box = Box{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                          std::max(box.bottom, y)};
            }
        }
    }
    return box;
}

bool read_log_pixels(DWORD& value) {
    DWORD size = sizeof(value);
    return RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_DWORD,
                        nullptr, &value, &size) == ERROR_SUCCESS;
}

TEST(Host, DpiScalesTheTextAndLeavesTheRegistryAsItWas) {
    const Example plain = read_example(examples_folder(), "plain.ini");
    const auto render_at = [&](const std::vector<std::string>& extra, const std::string& out) {
        std::vector<std::string> args = {"render",      "--ini",   plain.file, "--section",
                                         plain.section, "--value", "1234",     "--size",
                                         "400x120",     "--out",   out};
        args.insert(args.end(), extra.begin(), extra.end());
        return run_host(args);
    };
    DWORD before = 0;
    const bool had_value = read_log_pixels(before);

    const std::string plain_out = scratch_folder() + "dpi-none.png";
    const std::string same_out = scratch_folder() + "dpi-96.png";
    const std::string large_out = scratch_folder() + "dpi-144.png";
    ASSERT_EQ(render_at({}, plain_out).exit_code, exit_ok);
    ASSERT_EQ(GetDeviceCaps(Surface(1, 1).dc(), LOGPIXELSX), 96);
    const HostResult same = render_at({"--dpi", "96"}, same_out);
    ASSERT_EQ(same.exit_code, exit_ok) << same.err;
    EXPECT_EQ(file_bytes(same_out), file_bytes(plain_out));

    const HostResult large = render_at({"--dpi", "144"}, large_out);
    ASSERT_EQ(large.exit_code, exit_ok) << large.err;
    EXPECT_EQ(large.out, "render: wrote " + large_out + " (400x120, straight alpha)\n");
    const Box at96 = coverage_box(read_png(plain_out));
    const Box at144 = coverage_box(read_png(large_out));
    const double ratio = static_cast<double>(at144.right - at144.left + 1) /
                         static_cast<double>(at96.right - at96.left + 1);
    EXPECT_NEAR(ratio, 1.5, 0.1);

    DWORD after = 0;
    EXPECT_EQ(read_log_pixels(after), had_value);
    EXPECT_EQ(after, before);
}

// A limit that catches a hang only: a child Wine process takes a second or two
// to show its dialog, and as long again to close and save.
constexpr DWORD configure_limit_ms = 60000;

// configure on the section (as typed), its template set to `text` in the
// dialog and OK.
HostResult configure_template(const std::string& ini, const std::string& section,
                              const char* text) {
    constexpr int template_box = 2064;
    RunningHost running = start_host_as_typed({"configure", "--ini", ini, "--section", section});
    const HWND dialog = wait_for_window(running, win::dialog_class, "Settings");
    EXPECT_NE(dialog, nullptr) << "no Settings dialog appeared";
    if (dialog != nullptr) {
        SendMessageA(GetDlgItem(dialog, template_box), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(text));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return finish_host(running, configure_limit_ms);
}

TEST(Host, ConfigureSavesWhatTheDialogConfirmed) {
    const std::string ini = scratch_folder() + "configure.ini";
    write_text_file(ini, file_bytes(examples_folder() + "plain.ini"));
    const HostResult result = configure_template(ini, "Plain", "Edited %v");
    ASSERT_EQ(result.exit_code, exit_ok) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "configure: saved [Plain] in " + ini);
    // A section the file holds in UTF-8 is the one edited, not a new one.
    const std::string utf8_ini = scratch_folder() + "configure-utf8.ini";
    write_text_file(utf8_ini, "[Temp\xC3\xA9rature]\r\nScrivlet_Text=%v\r\n");
    const HostResult utf8 = configure_template(utf8_ini, "Temp\xC3\xA9rature", "T %v");
    EXPECT_EQ(utf8.exit_code, exit_ok) << utf8.err;
    EXPECT_EQ(file_bytes(utf8_ini), "[Temp\xC3\xA9rature]\r\nScrivlet_Text=T %v\r\n");
    // A header's name runs to its last ']', a comment after it included:
    // that section is the one edited in place and rendered, as the plug-in
    // reads it, and the name before the comment is no section at all.
    const std::string bracket_ini = scratch_folder() + "configure-bracket.ini";
    const std::string bracket = "CPU] ; main meter [v2";
    write_text_file(bracket_ini, "[" + bracket + "]\r\nScrivlet_Text=%v\r\n");
    const HostResult edited = configure_template(bracket_ini, bracket, "C %v");
    EXPECT_EQ(edited.exit_code, exit_ok) << edited.err;
    EXPECT_EQ(file_bytes(bracket_ini), "[" + bracket + "]\r\nScrivlet_Text=C %v\r\n");
    const std::string out = scratch_folder() + "configure-bracket.png";
    const HostResult rendered = run_host({"render", "--ini", bracket_ini, "--section", bracket,
                                          "--value", "1", "--size", "60x20", "--out", out});
    EXPECT_EQ(rendered.exit_code, exit_ok) << rendered.err;
    const HostResult shorter = run_host({"render", "--ini", bracket_ini, "--section", "CPU",
                                         "--value", "1", "--size", "60x20", "--out", out});
    EXPECT_EQ(shorter.exit_code, exit_settings);
    EXPECT_EQ(shorter.err, "scrivlet-host: no section [CPU] in '" + bracket_ini +
                               "'; its header [" + bracket + "] names the section '" + bracket +
                               "', as a header's name runs to its last ']'\n");
    // Only the edited key's line differs: comments and LF line ends stay.
    std::string expected = file_bytes(examples_folder() + "plain.ini");
    const std::string old_line = "\nScrivlet_Text=%v\n";
    ASSERT_NE(expected.find(old_line), std::string::npos);
    expected.replace(expected.find(old_line), old_line.size(), "\nScrivlet_Text=Edited %v\n");
    EXPECT_EQ(file_bytes(ini), expected);
    char text[256] = {};
    GetPrivateProfileStringA("Plain", "Scrivlet_Text", "", text, sizeof(text), ini.c_str());
    EXPECT_STREQ(text, "Edited %v");
    // Every key written back, and listed for the user.
    for (const char* key : {"Scrivlet_FontColor", "Scrivlet_FontSettings", "Scrivlet_Font",
                            "Scrivlet_Text", "Scrivlet_BorderColor", "Scrivlet_BorderSettings",
                            "Scrivlet_ShadowColor", "Scrivlet_ShadowSettings"}) {
        char value[256] = {};
        EXPECT_GT(GetPrivateProfileStringA("Plain", key, "", value, sizeof(value), ini.c_str()), 0u)
            << key;
        EXPECT_NE(result.out.find(std::string("\n  ") + key + "=" + value + "\n"),
                  std::string::npos)
            << key;
    }
}

// A file Windows will not write: said in one line with the output code, the
// file as it was.
TEST(Host, ConfigureSaysWhenTheFileCannotBeWritten) {
    const std::string ini = scratch_folder() + "configure-read-only.ini";
    const std::string plain = file_bytes(examples_folder() + "plain.ini");
    write_text_file(ini, plain);
    // Wine run as root writes a file marked read-only; a handle that shares
    // only reading refuses every writer.
    const win::UniqueFile held(CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(held));
    const HostResult result = configure_template(ini, "Plain", "Edited %v");
    EXPECT_EQ(result.exit_code, exit_output);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "scrivlet-host: cannot write '" + ini + "': access denied\n");
    EXPECT_EQ(file_bytes(ini), plain);
}

// What a Cancel leaves: the file as it was, byte for byte, even for a new
// section. (Without a display: configure_without_display.cmake.)
TEST(Host, ConfigureWritesNothingAfterCancel) {
    struct Case {
        const char* name;
        std::string file_text;
        const char* section;
        int exit_code;
        std::string out;
        std::string err;
        bool absent = false; // no file before the run: it is made, empty
    };
    const std::string plain = file_bytes(examples_folder() + "plain.ini");
    const std::vector<Case> cases = {
        {"cancel", plain, "Plain", exit_ok, "configure: [Plain] unchanged in %INI%\n", ""},
        {"cancel-new", "", "Fresh", exit_ok,
         "configure: [Fresh] is new in %INI%; it starts from the defaults\n"
         "configure: [Fresh] unchanged in %INI%\n",
         ""},
        {"cancel-new-file", "", "Fresh", exit_ok,
         "configure: created %INI%\n"
         "configure: [Fresh] is new in %INI%; it starts from the defaults\n"
         "configure: [Fresh] unchanged in %INI%\n",
         "", true},
    };
    const auto with_ini = [](std::string text, const std::string& ini) {
        for (size_t at = text.find("%INI%"); at != std::string::npos; at = text.find("%INI%")) {
            text.replace(at, 5, ini);
        }
        return text;
    };
    for (const Case& c : cases) {
        const std::string ini = scratch_folder() + "configure-" + c.name + ".ini";
        DeleteFileA(ini.c_str());
        if (!c.absent) {
            write_text_file(ini, c.file_text);
        }
        RunningHost running = start_host({"configure", "--ini", ini, "--section", c.section});
        const HWND dialog = wait_for_window(running, win::dialog_class, "Settings");
        EXPECT_NE(dialog, nullptr) << c.name;
        if (dialog != nullptr) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        const HostResult result = finish_host(running, configure_limit_ms);
        EXPECT_EQ(result.exit_code, c.exit_code) << c.name;
        EXPECT_EQ(result.out, with_ini(c.out, ini)) << c.name;
        EXPECT_EQ(result.err, with_ini(c.err, ini)) << c.name;
        EXPECT_EQ(file_bytes(ini), c.file_text) << c.name;
    }
}

struct ErrorCase {
    std::vector<std::string> args;
    int exit_code;
    std::string message; // after "scrivlet-host: "
};

TEST(Host, EveryErrorIsOneLineOnStderrWithItsExitCode) {
    const std::string folder = scratch_folder();
    const std::string ini = examples_folder() + "plain.ini";
    const std::string missing_ini = folder + "missing.ini";
    const std::string empty_ini = folder + "empty.ini";
    write_text_file(empty_ini, "; nothing here\r\n");
    const std::string not_a_dll = folder + "not-a-dll.dll";
    write_text_file(not_a_dll, "MZ? no, just text\r\n");
    const std::string a_folder = folder + "a-folder.png";
    CreateDirectoryA(a_folder.c_str(), nullptr);
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string version_dll = std::string(system) + "\\version.dll";
    const std::string no_dll = folder + "nowhere\\Scrivlet.dll";
    const std::string out = folder + "error.png";
    const std::string missing_folder = folder + "no-such-folder";
    const std::string unwritable = missing_folder + "\\x.png";
    const std::string unwritable_ini = missing_folder + "\\x.ini";

    const auto render = [&](const std::string& file, const std::string& section,
                            const std::string& size, const std::string& png) {
        return std::vector<std::string>{"render", "--ini",  file, "--section", section, "--value",
                                        "1",      "--size", size, "--out",     png};
    };
    const auto plus = [](std::vector<std::string> args, std::vector<std::string> more) {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };

    const std::vector<ErrorCase> cases = {
        {{}, exit_usage, "no command given (try: scrivlet-host --help)"},
        {{"draw"},
         exit_usage,
         "unknown command 'draw' (commands: info, render, sheet, configure, bench, check, watch)"},
        {{"render", "--ini", ini},
         exit_usage,
         "render: --section, --value, --size and --out are required"},
        {plus(render(ini, "Plain", "10x10", out), {"--bogus", "1"}), exit_usage,
         "render: unknown option '--bogus'"},
        {render(ini, "Plain", "0x40", out), exit_usage,
         "render: --size '0x40': width and height must be 1..16384"},
        {render(ini, "Plain", "16385x40", out), exit_usage,
         "render: --size '16385x40': width and height must be 1..16384"},
        {render(ini, "Plain", "wide", out), exit_usage,
         "render: --size 'wide': expected WIDTHxHEIGHT in pixels, as in 200x40"},
        {plus(render(ini, "Plain", "10x10", out), {"--dpi", "5"}), exit_usage,
         "render: --dpi '5': expected a whole number 24..960"},
        {{"info", "--dll", no_dll}, exit_plugin, "no plug-in at '" + no_dll + "'"},
        {{"info", "--dll", a_folder}, exit_plugin, "'" + a_folder + "' is a folder, not a DLL"},
        {{"info", "--dll", not_a_dll},
         exit_plugin,
         "'" + not_a_dll + "' is not a " + (sizeof(void*) == 8 ? "64" : "32") + "-bit Windows DLL"},
        {{"info", "--dll", version_dll},
         exit_plugin,
         "'" + version_dll + "' does not export dllstartup"},
        {plus(render(ini, "Plain", "10x10", out), {"--dll", no_dll}), exit_plugin,
         "no plug-in at '" + no_dll + "'"},
        {render(missing_ini, "Plain", "10x10", out), exit_settings,
         "cannot read settings file '" + missing_ini + "': no such file"},
        {render(a_folder, "Plain", "10x10", out), exit_settings,
         "cannot read settings file '" + a_folder + "': it is a folder"},
        {render(missing_folder + "\\a.ini", "Plain", "10x10", out), exit_settings,
         "cannot read settings file '" + missing_folder + "\\a.ini': the folder '" +
             missing_folder + "' does not exist"},
        {render(ini, "Nope", "10x10", out), exit_settings, "no section [Nope] in '" + ini + "'"},
        {{"sheet", "--ini", empty_ini, "--out", out},
         exit_settings,
         "no sections in '" + empty_ini + "'"},
        {{"sheet", "--ini", missing_ini, "--out", out},
         exit_settings,
         "cannot read settings file '" + missing_ini + "': no such file"},
        {{"configure", "--ini", unwritable_ini, "--section", "Plain"},
         exit_output,
         "cannot create '" + unwritable_ini + "': the folder '" + missing_folder +
             "' does not exist"},
        {render(ini, "Plain", "10x10", unwritable), exit_output,
         "cannot write '" + unwritable + "': the folder '" + missing_folder + "' does not exist"},
        {render(ini, "Plain", "10x10", a_folder), exit_output,
         "cannot write '" + a_folder + "': it is a folder"},
        {{"sheet", "--ini", ini, "--out", folder + "a-folder"},
         exit_usage,
         "sheet: --out '" + folder + "a-folder': the file name must end in .png"},
        {{"sheet", "--ini", ini, "--out", folder + "."},
         exit_usage,
         "sheet: --out '" + folder + ".': it is a folder; name a .png file in it"},
        {render(ini, "Plain", "10x10", "Q:\\x.png"), exit_output,
         "cannot write 'Q:\\x.png': the drive 'Q:' does not exist"},
        {{"bench", "--ini", ini, "--section", "Nope"},
         exit_settings,
         "no section [Nope] in '" + ini + "'"},
        {{"sheet", "--ini", ini, "--out", out, "--cell", "3300x10", "--values", "1|2|3|4|5"},
         exit_usage,
         "sheet: the image for 1 section and 5 values in cells up to 3300x10 would be 16608x46, "
         "over 16384 a side: use smaller cells (--size), fewer sections or fewer values"},
        // The child that draws at another resolution reports for itself.
        {plus(render(missing_ini, "Plain", "10x10", out), {"--dpi", "144"}), exit_settings,
         "cannot read settings file '" + missing_ini + "': no such file"},
        {{"bench", "--runs", "0"},
         exit_usage,
         "bench: --runs '0': expected a whole number 1..100000"},
        {{"render", "--child-standin"}, exit_usage, "render: unknown option '--child-standin'"},
    };
    for (const ErrorCase& c : cases) {
        const std::string what = quote_command_line(c.args);
        const HostResult result = run_host(c.args);
        EXPECT_EQ(result.exit_code, c.exit_code) << what;
        EXPECT_EQ(result.err, "scrivlet-host: " + c.message + "\n") << what;
        EXPECT_EQ(result.out, "") << what;
    }

    // A relative path stays as the user gave it.
    const HostResult relative =
        run_host(render(ini, "Plain", "10x10", "no-such-folder\\x.png"), folder);
    EXPECT_EQ(relative.exit_code, exit_output);
    EXPECT_EQ(relative.err, "scrivlet-host: cannot write 'no-such-folder\\x.png': the folder "
                            "'no-such-folder' does not exist\n");
}

// The plug-in's thread taken down inside a call, as Wine's 64-bit GDI+ does:
// the stand-in ends the thread that makes the chosen call.
win::EnvironmentSetting thread_ending(const char* function_and_occurrence) {
    return {L"SCRIVLET_STANDIN_END_THREAD", win::widen(function_and_occurrence)};
}

// Under Wine, where these tests run, a repaint that never returns in the
// 64-bit build is most likely that library's fault, and the line says so.
std::string why_repaint_ended() {
    return sizeof(void*) == 8 ? " (Wine's 64-bit GDI+ does so on many bordered texts)" : "";
}

TEST(Host, APluginThreadThatEndsInsideACallIsOneLineAndItsOwnExitCode) {
    const std::string ini = scratch_folder() + "ending.ini";
    write_text_file(ini, "[Bordered]\r\nScrivlet_BorderSettings=1,1\r\n");
    const std::string out = scratch_folder() + "ending.png";
    struct Case {
        std::vector<std::string> args;
        const char* ending;
        std::string err;   // after "scrivlet-host: "
        std::string notes; // before it
    };
    const std::string repaint_ended =
        "[Bordered] value \"Monday\" at 400x90: the plug-in's thread ended inside repaint "
        "without returning" +
        why_repaint_ended();
    const std::vector<Case> cases = {
        {{"render", "--ini", ini, "--section", "Bordered", "--value", "Monday", "--size", "400x90",
          "--out", out},
         "GdipWidenPath:1",
         repaint_ended,
         ""},
        // The first repaint comes before the window shows, the second from
        // its timer, inside the window's procedure. The stand-in draws
        // nothing, and watch says so after the first.
        {{"watch", "--ini", ini, "--section", "Bordered", "--value", "Monday", "--size", "400x90"},
         "GdipWidenPath:2",
         repaint_ended,
         "watch: nothing was drawn, and check finds nothing in the section that explains it: the "
         "text may be blank or lie off the surface\n"},
        // The timed runs of a look go over to the plug-in's thread at once.
        {{"bench", "--runs", "1"},
         "GdipWidenPath:1",
         "[border] value \"42\" at 200x40: the plug-in's thread ended inside repaint without "
         "returning" +
             why_repaint_ended(),
         ""},
        // Every meter starts GDI+ for itself.
        {{"configure", "--ini", ini, "--section", "Bordered"},
         "GdiplusStartup:1",
         "[Bordered]: the plug-in's thread ended inside dllstartup without returning",
         ""},
    };
    for (const Case& c : cases) {
        const std::string what = quote_command_line(c.args) + " ending " + c.ending;
        DeleteFileA(out.c_str());
        const HostResult result = run_host_beside_standin(c.args, {thread_ending(c.ending)});
        EXPECT_EQ(result.exit_code, exit_thread_ended) << what;
        EXPECT_EQ(result.err, c.notes + "scrivlet-host: " + c.err + "\n") << what;
        EXPECT_EQ(GetFileAttributesA(out.c_str()), INVALID_FILE_ATTRIBUTES) << what;
    }
}

// A cell whose thread ended is marked as the cells Wine draws less of are,
// and the rest of its row is drawn on a new thread: every cell shows the
// checker (the stand-in draws nothing), none is left as label paper.
TEST(Host, SheetMarksTheCellWhoseThreadEndedAndDrawsTheRest) {
    const std::string ini = scratch_folder() + "sheet-ending.ini";
    write_text_file(ini, "[Bordered]\r\nScrivlet_BorderSettings=1,1\r\n");
    const std::string out = scratch_folder() + "sheet-ending.png";
    const HostResult result = run_host_beside_standin(
        {"sheet", "--ini", ini, "--out", out, "--values", "A|B|C", "--size", "100x30"},
        {thread_ending("GdipWidenPath:2")});
    EXPECT_EQ(result.exit_code, exit_thread_ended);
    // Beside the stand-in, which draws nothing, the other cells are blank
    // and marked as such.
    EXPECT_EQ(result.err, "scrivlet-host: [Bordered] value \"B\" at 100x30: the plug-in's thread "
                          "ended inside repaint without returning" +
                              why_repaint_ended() +
                              "\nsheet: red corner at [Bordered] \"A\", \"C\": nothing was "
                              "drawn, and check finds nothing in the section that explains it: "
                              "the text may be blank or lie off the surface\n");
    const png::Image image = read_png(out);
    // Gaps of 4 and a header of 24; the cells end 4 pixels short of the
    // right side, so the width tells where they begin.
    ASSERT_EQ(image.height, 4u + 24 + 4 + 30 + 4);
    EXPECT_EQ(result.out, "sheet: wrote " + out + " (1 section x 3 values, " +
                              size_arg(static_cast<int>(image.width), 66) + ")\n");
    const int first_left = static_cast<int>(image.width) - 3 * (100 + 4);
    for (int column = 0; column < 3; ++column) {
        const int left = first_left + column * (100 + 4);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 100; ++x) {
                // The mark: a triangle of side 9 in the top right corner.
                const bool in_mark = y < 9 && x >= 100 - 9 + y;
                const int under = checker_at(left + x, 32 + y);
                const Rgba want = in_mark ? Rgba{220, 0, 0, 255} : Rgba{under, under, under, 255};
                const Rgba got = png_pixel(image, left + x, 32 + y);
                ASSERT_EQ(got, want) << "cell " << column << " at " << x << "," << y;
            }
        }
    }
}

TEST(Host, SurfaceTooLargeForA32BitProcessFailsWithOneLine) {
    // The largest size the command line accepts needs 1 GiB for the surface
    // and as much again for the image.
    const std::string out = scratch_folder() + "huge.png";
    if constexpr (sizeof(void*) == 4) {
        // A 32-bit process runs out: which of the two first depends on the
        // machine, but either way it is exit 5 and one line.
        const HostResult result =
            run_host({"render", "--ini", examples_folder() + "cpu.ini", "--section", "CPU",
                      "--value", "5", "--size", "16384x16384", "--out", out});
        EXPECT_EQ(result.exit_code, exit_output);
        EXPECT_TRUE(result.err == "scrivlet-host: cannot make a 16384x16384 surface (1024 MiB)\n" ||
                    result.err == "scrivlet-host: out of memory for a 16384x16384 image\n" ||
                    result.err == "scrivlet-host: out of memory writing a 16384x16384 PNG\n")
            << result.err;
        EXPECT_EQ(result.out, "");
    } else {
        // A 64-bit process has the room and draws it. Measured under Wine: 45
        // to 90 s for a meter without a border; with the CPU example's border
        // 3 to 6 minutes, most of them Wine's GDI+ drawing a border bitmap of
        // the surface's size in software.
        constexpr DWORD limit_ms = 900000;
        const HostResult result = finish_host(
            start_host({"render", "--ini", examples_folder() + "plain.ini", "--section", "Plain",
                        "--value", "5", "--size", "16384x16384", "--out", out}),
            limit_ms);
        EXPECT_EQ(result.exit_code, exit_ok) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, "render: wrote " + out + " (16384x16384, straight alpha)\n");
        // The header's width and height, big-endian, after the signature and
        // the header chunk's length and type.
        EXPECT_EQ(file_bytes(out).substr(16, 8), std::string("\0\0\x40\0\0\0\x40\0", 8));
    }
}

TEST(Host, ImportsOnlySystemLibrariesAndNoGdiplus) {
    // The benchmark runs the host beside a gdiplus.dll stand-in: the host
    // must draw nothing with GDI+ itself, and must not link the plug-in's code.
    const std::string path = program_folder() + "scrivlet-host.exe";
    const HMODULE image = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr);
    const auto* base = reinterpret_cast<const BYTE*>(image);
    const BYTE* headers = base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew;
    // The file header and the optional header's magic sit alike in PE32 and
    // PE32+; the data directories do not.
    const auto* nt32 = reinterpret_cast<const IMAGE_NT_HEADERS32*>(headers);
    const auto* nt64 = reinterpret_cast<const IMAGE_NT_HEADERS64*>(headers);
    const bool pe32_plus = nt32->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    // The host is built for the width of this test program.
    EXPECT_EQ(nt32->FileHeader.Machine,
              sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt32->OptionalHeader.Magic,
              sizeof(void*) == 8 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    const IMAGE_DATA_DIRECTORY& directory =
        pe32_plus ? nt64->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                  : nt32->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> imported;
    for (const auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        imported.push_back(name);
    }
    FreeLibrary(image);
    std::sort(imported.begin(), imported.end());
    const std::vector<std::string> expected = {"advapi32.dll", "gdi32.dll", "kernel32.dll",
                                               "msvcrt.dll", "user32.dll"};
    EXPECT_EQ(imported, expected);
}

TEST(Host, BenchPrintsOneRowPerLookAndSizeWithEveryColumn) {
    // Times are not judged: only that every figure is there and sane, the
    // stand-in run included (scrivlet-host depends on the stand-in's build).
    const std::string ini = examples_folder() + "plain.ini";
    const std::string utf8_ini = scratch_folder() + "bench-utf8.ini";
    write_text_file(utf8_ini, "[Temp\xC3\xA9rature]\r\nScrivlet_Text=%v\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string header;
        std::vector<std::string> rows;
        bool as_typed = false;
    };
    const std::vector<Case> cases = {
        {{"bench", "--runs", "5"},
         ", four looks, value \"42\", Arial 16 pt; 5 runs at 200x40, 1 run at 800x160, after 10 "
         "warm-up runs each\n",
         {"plain 200x40", "plain 800x160", "border 200x40", "border 800x160", "shadow 200x40",
          "shadow 800x160", "both 200x40", "both 800x160"}},
        // The author's meter, its value written with its decimals.
        {{"bench", "--runs", "5", "--ini", ini, "--section", "Plain", "--value", "56.7"},
         ", [Plain] of " + ini +
             ", value \"56.7\", Arial 20 pt; 5 runs at 200x40, 1 run at 800x160, after 10 "
             "warm-up runs each\n",
         {"Plain 200x40", "Plain 800x160"}},
        // A section the file holds in UTF-8 is found, as render finds it.
        {{"bench", "--runs", "5", "--ini", utf8_ini, "--section", "Temp\xC3\xA9rature"},
         ", [Temp\xE9rature] of " + utf8_ini +
             ", value \"42\", Arial 16 pt; 5 runs at 200x40, 1 run at 800x160, after 10 "
             "warm-up runs each\n",
         {"Temp\xC3\xA9rature 200x40", "Temp\xC3\xA9rature 800x160"},
         true},
    };
    for (const Case& c : cases) {
        RunningHost running = c.as_typed ? start_host_as_typed(c.args) : start_host(c.args);
        const HostResult result = finish_host(running, 120000);
        ASSERT_EQ(result.exit_code, exit_ok) << result.err;
        EXPECT_EQ(result.err, "");
        std::istringstream lines(result.out);
        std::string line;
        std::vector<std::string> seen;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string look;
            std::string size;
            double median = -1;
            double low = -1;
            double high = -1;
            double share = -1;
            double ratio = -1;
            fields >> look;
            if (std::find_if(c.rows.begin(), c.rows.end(), [&](const std::string& row) {
                    return row.rfind(look + " ", 0) == 0;
                }) == c.rows.end()) {
                continue;
            }
            ASSERT_TRUE(fields >> size >> median >> low >> high >> share >> ratio) << line;
            std::string rest;
            EXPECT_FALSE(fields >> rest) << line;
            seen.push_back(look + " " + size);
            EXPECT_GT(low, 0.0) << line;
            EXPECT_LE(low, median) << line;
            EXPECT_LE(median, high) << line;
            // Two decimals: a stand-in share below 0.005% prints as 0.00.
            EXPECT_GE(share, 0.0) << line;
            EXPECT_LT(share, 100.0) << line;
            EXPECT_GT(ratio, 0.0) << line;
        }
        EXPECT_EQ(seen, c.rows) << result.out;
        EXPECT_NE(result.out.find("\nbare GdipDrawString: median "), std::string::npos)
            << result.out;
        // 5 / 4 runs at the large size: one, and said so.
        EXPECT_NE(result.out.find(c.header), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("skipped"), std::string::npos) << result.out;
    }
}

TEST(Host, HelpGoesToStdoutAndSucceeds) {
    const HostResult result = run_host({"--help"});
    EXPECT_EQ(result.exit_code, exit_ok);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind("scrivlet-host: runs Scrivlet.dll", 0), 0u);
}

} // namespace
} // namespace scrivlet::test
