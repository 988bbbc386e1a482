#include "commands.h"

#include "bench.h"
#include "common/file_bytes.h"
#include "common/png.h"
#include "common/win/dib_surface.h"
#include "common/win/find_window.h"
#include "common/win/handles.h"
#include "common/win/paths.h"
#include "dpi.h"
#include "pixels.h"
#include "plugin/scrivlet_version.h"
#include "preview_notes.h"
#include "settings/settings_keys.h"
#include "settings/value_list.h"
#include "text/template.h"
#include "plugin_library.h"
#include "settings_file.h"
#include "sheet_layout.h"
#include "size_comments.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace scrivlet::host {

namespace {

constexpr unsigned info_strings = 7; // getinfo 0..6
constexpr int label_padding_px = 8;
constexpr COLORREF label_ink = RGB(0, 0, 0);
constexpr Rgb label_paper{255, 255, 255};
constexpr Rgb mark_colour{220, 0, 0};
constexpr COLORREF mark_ink = RGB(mark_colour.red, mark_colour.green, mark_colour.blue);
constexpr uint32_t mark_side_px = 9;

std::string size_text(uint32_t width, uint32_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// The folder part of a path as the user gave it ("d" of "d\\x.png"), keeping
// a root's separator and a drive's colon; empty for a bare file name.
std::string folder_of(const std::string& path) {
    const size_t end = path.find_last_of("\\/:");
    if (end == std::string::npos) {
        return {};
    }
    const bool root = path[end] == ':' || end == 0 || path[end - 1] == ':';
    return path.substr(0, root ? end + 1 : end);
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(win::absolute_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Why the C library could not write `path`, in the user's terms. Windows
// refuses a folder as "access denied", so that is told apart first.
std::string write_failure_reason(const std::string& path, std::error_code error) {
    if (is_folder(path)) {
        return "it is a folder";
    }
    const std::string folder = folder_of(path);
    if (!folder.empty() && !is_folder(folder)) {
        return "the folder '" + folder + "' does not exist";
    }
    if (error == std::errc::permission_denied) {
        return "access denied";
    }
    return error.message();
}

void write_png(const std::string& path, const png::Image& image) {
    std::error_code error;
    try {
        error = png::write_file(path, image);
    } catch (const std::bad_alloc&) {
        throw Failure{exit_code::output,
                      "out of memory writing a " + size_text(image.width, image.height) + " PNG"};
    }
    if (error) {
        throw Failure{exit_code::output,
                      "cannot write '" + path + "': " + write_failure_reason(path, error)};
    }
}

std::vector<uint8_t> image_buffer(Size size) {
    try {
        return std::vector<uint8_t>(static_cast<size_t>(size.width) * size.height * 4);
    } catch (const std::bad_alloc&) {
        throw Failure{exit_code::output,
                      "out of memory for a " + size_text(size.width, size.height) + " image"};
    }
}

// Settings file and section as render and configure need them.
std::string settings_with_section(const Options& options, bool section_must_exist,
                                  bool& section_exists) {
    const std::string file = readable_settings_file(options.ini);
    section_exists = has_section(section_names(file), options.section());
    if (section_must_exist && !section_exists) {
        throw Failure{exit_code::settings_file,
                      "no section [" + options.section() + "] in '" + options.ini + "'"};
    }
    return file;
}

// A label in plain GDI text, clipped to its box with an ellipsis.
void draw_label(HDC dc, const std::string& text, Point origin, uint32_t width, uint32_t height,
                UINT alignment) {
    RECT box{static_cast<LONG>(origin.x), static_cast<LONG>(origin.y),
             static_cast<LONG>(origin.x + width), static_cast<LONG>(origin.y + height)};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
              alignment | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

uint32_t widest_label(HDC dc, const std::vector<std::string>& labels) {
    uint32_t widest = 0;
    for (const std::string& label : labels) {
        SIZE extent{};
        if (GetTextExtentPoint32A(dc, label.c_str(), static_cast<int>(label.size()), &extent)) {
            widest = std::max(widest, static_cast<uint32_t>(extent.cx));
        }
    }
    return widest;
}

using win::DibSurface;
using win::SelectionGuard;

// With --dpi, the command runs again in a child that sees that resolution;
// its exit code is this one's.
std::optional<int> rerun_at_requested_dpi(const Options& options) {
    return options.dpi ? run_at_dpi(*options.dpi) : std::nullopt;
}

int report(const Failure& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "scrivlet-host: %s\n", failure.message.c_str());
    return failure.exit_code;
}

// A key's value as the plug-in reads it: its missing text when the section
// lacks it.
std::string key_value(const std::string& file, const std::string& section, const SettingsKey& key) {
    return profile_value(file, section, key.name, missing_text(key).c_str());
}

const SettingsKey& text_key(KeyKind kind) {
    return *std::find_if(settings_keys.begin(), settings_keys.end(),
                         [&](const SettingsKey& k) { return k.kind == kind; });
}

// The template the plug-in reads for the section, as it reads it.
std::string section_template(const std::string& file, const std::string& section) {
    return key_value(file, section, text_key(KeyKind::text_template));
}

// The meter's font size in points, read as the plug-in reads it: the
// section's lists stored in a record, as a load stores them.
int32_t font_size_pt(const std::string& file, const std::string& section) {
    MeterRecord record;
    for (const SettingsKey& key : settings_keys) {
        if (key.kind == KeyKind::list) {
            store_list(record, key.fields,
                       read_value_list(key_value(file, section, key), list_positions(key.fields)));
        }
    }
    return record.font_size;
}

// The height GDI gives a line of the meter's face at its size, at the
// screen's resolution; 0 when the font cannot be made.
double line_height_px(const std::string& file, const std::string& section) {
    const int32_t size_pt = font_size_pt(file, section);
    const std::string face = key_value(file, section, text_key(KeyKind::font_face));
    const win::UniqueMemoryDc screen(CreateCompatibleDC(nullptr));
    const int size_px = MulDiv(size_pt, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    if (size_pt <= 0 || size_px <= 0) {
        return 0;
    }
    const win::UniqueGdiObject font(CreateFontA(-size_px, 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                                DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str()));
    if (!font) {
        return 0;
    }
    const SelectionGuard selected(screen.get(), font.get());
    TEXTMETRICA metrics{};
    if (!GetTextMetricsA(screen.get(), &metrics)) {
        return 0;
    }
    return static_cast<double>(metrics.tmHeight + metrics.tmExternalLeading);
}

// A red triangle in the cell's top right corner: what marks a cell that
// Wine draws less of.
void mark_corner(png::Image& image, Point origin, Size cell) {
    const uint32_t side = std::min({mark_side_px, cell.width, cell.height});
    for (uint32_t y = 0; y < side; ++y) {
        for (uint32_t x = cell.width - side + y; x < cell.width; ++x) {
            uint8_t* pixel =
                &image.rgba[(static_cast<size_t>(origin.y + y) * image.width + origin.x + x) * 4];
            pixel[0] = mark_colour.red;
            pixel[1] = mark_colour.green;
            pixel[2] = mark_colour.blue;
            pixel[3] = 255;
        }
    }
}

bool anything_drawn(const DibSurface& surface) {
    const uint8_t* bits = surface.pixels();
    const size_t count = static_cast<size_t>(surface.width()) * surface.height();
    for (size_t i = 0; i < count; ++i) {
        if (bits[i * 4 + 3] != 0) {
            return true;
        }
    }
    return false;
}

void print_notes(const char* command, const std::vector<std::string>& notes) {
    std::fflush(stdout);
    for (const std::string& note : notes) {
        std::fprintf(stderr, "%s: %s\n", command, note.c_str());
    }
}

} // namespace

int run_info(const Options& options) {
    const win::LoadedPlugin plugin = load_plugin_library(options.dll);
    const PluginExports& api = plugin.exports;
    std::printf("plug-in: %s\n", plugin.path.c_str());
    std::printf("dlltype: %d\n", api.dlltype());
    for (unsigned index = 0; index < info_strings; ++index) {
        const char* text = api.getinfo(index);
        std::printf("getinfo %u: %s\n", index, text != nullptr ? text : "(null)");
    }
    return exit_code::ok;
}

int run_render(const Options& options) {
    if (const std::optional<int> child = rerun_at_requested_dpi(options)) {
        return *child;
    }
    const win::LoadedPlugin plugin = load_plugin_library(options.dll);
    require_visualisation_type(plugin);
    bool section_exists = false;
    const std::string file = settings_with_section(options, true, section_exists);
    const Size size = *options.size;
    png::Image image{size.width, size.height, {}};
    std::string look = "straight alpha";
    PreviewFacts facts;
    facts.under_wine = under_wine();
    facts.expanded_text =
        expand_template(section_template(file, options.section()), *options.value);
    facts.line_height_px = line_height_px(file, options.section());
    facts.surface_height_px = size.height;
    {
        DibSurface surface(size.width, size.height);
        {
            const win::MeterSession meter = start_meter(plugin.exports, options.section());
            meter.load_settings(file, options.section());
            meter.repaint(surface.dc(), options.value->c_str(), static_cast<int>(size.width),
                          static_cast<int>(size.height));
        }
        facts.anything_drawn = anything_drawn(surface);
        image.rgba = image_buffer(size);
        if (options.background) {
            composite_block(surface.pixels(), size.width, size.height, *options.background,
                            image.rgba.data(), size.width, 0, 0);
            look = "opaque";
        } else {
            unpremultiply(surface.pixels(), static_cast<size_t>(size.width) * size.height,
                          image.rgba.data());
        }
    } // the surface goes before the PNG's buffers are made
    if (!facts.anything_drawn) {
        facts.findings = findings_at_size(file, options.section(), size);
    }
    write_png(options.out, image);
    print_notes("render", preview_notes(facts));
    std::printf("render: wrote %s (%s, %s)\n", options.out.c_str(),
                size_text(size.width, size.height).c_str(), look.c_str());
    return exit_code::ok;
}

namespace {

// The sections a sheet shows: those named, in the order given, or all.
std::vector<std::string> sheet_sections(const Options& options, const std::string& file) {
    const std::vector<std::string> in_file = section_names(file);
    if (options.sections.empty()) {
        if (in_file.empty()) {
            throw Failure{exit_code::settings_file, "no sections in '" + options.ini + "'"};
        }
        return in_file;
    }
    for (const std::string& section : options.sections) {
        if (!has_section(in_file, section)) {
            throw Failure{exit_code::settings_file,
                          "no section [" + section + "] in '" + options.ini + "'"};
        }
    }
    return options.sections;
}

} // namespace

int run_sheet(const Options& options) {
    if (const std::optional<int> child = rerun_at_requested_dpi(options)) {
        return *child;
    }
    const win::LoadedPlugin plugin = load_plugin_library(options.dll);
    require_visualisation_type(plugin);
    const std::string file = readable_settings_file(options.ini);
    const std::vector<std::string> sections = sheet_sections(options, file);
    const std::vector<std::string> values =
        !options.values.empty()
            ? options.values
            : std::vector<std::string>(sheet_samples.begin(), sheet_samples.end());
    const std::map<std::string, Size> suggested = size_comments(file_bytes(file));
    std::vector<Size> cells;
    for (const std::string& section : sections) {
        cells.push_back(options.size ? *options.size
                                     : suggested_size(suggested, section).value_or(default_cell));
    }
    const Background background =
        options.background.value_or(Background{BackgroundKind::checker, {}});
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);

    std::vector<std::string> row_labels;
    for (const std::string& section : sections) {
        row_labels.push_back("[" + section + "]");
    }
    // The cells Wine draws less of than Windows, marked so that a sheet made
    // here is not taken for what the theme shows.
    const bool wine = under_wine();
    std::vector<std::vector<bool>> marked(sections.size(), std::vector<bool>(values.size()));
    std::vector<bool> row_marked(sections.size());
    for (size_t row = 0; wine && row < sections.size(); ++row) {
        const std::string text_template = section_template(file, sections[row]);
        for (size_t column = 0; column < values.size(); ++column) {
            marked[row][column] = wine_draws_less(expand_template(text_template, values[column]));
            row_marked[row] = row_marked[row] || marked[row][column];
        }
    }
    uint32_t label_width = 0;
    {
        const DibSurface probe(1, 1);
        const SelectionGuard selected(probe.dc(), font);
        std::vector<std::string> labels = row_labels;
        if (std::find(row_marked.begin(), row_marked.end(), true) != row_marked.end()) {
            labels.emplace_back(wine_first_line_mark);
        }
        label_width = widest_label(probe.dc(), labels) + 2 * label_padding_px;
    }

    const SheetLayout layout = sheet_layout(cells, values.size(), label_width);

    // Labels first, in black on white: GDI text leaves the alpha byte as it
    // likes, so every pixel is made opaque when copied out.
    DibSurface sheet(layout.image.width, layout.image.height);
    png::Image image{layout.image.width, layout.image.height, image_buffer(layout.image)};
    {
        const SelectionGuard selected(sheet.dc(), font);
        uint8_t* bits = sheet.pixels();
        const size_t count = static_cast<size_t>(layout.image.width) * layout.image.height;
        for (size_t i = 0; i < count; ++i) {
            bits[i * 4 + 0] = label_paper.blue;
            bits[i * 4 + 1] = label_paper.green;
            bits[i * 4 + 2] = label_paper.red;
        }
        SetBkMode(sheet.dc(), TRANSPARENT);
        SetTextColor(sheet.dc(), label_ink);
        for (size_t row = 0; row < sections.size(); ++row) {
            const Point origin = row_label_origin(layout, row);
            if (!row_marked[row]) {
                draw_label(sheet.dc(), row_labels[row], origin, layout.label_width,
                           cells[row].height, DT_RIGHT);
                continue;
            }
            const uint32_t half = cells[row].height / 2;
            draw_label(sheet.dc(), row_labels[row], origin, layout.label_width, half, DT_RIGHT);
            SetTextColor(sheet.dc(), mark_ink);
            draw_label(sheet.dc(), wine_first_line_mark, Point{origin.x, origin.y + half},
                       layout.label_width, cells[row].height - half, DT_RIGHT);
            SetTextColor(sheet.dc(), label_ink);
        }
        for (size_t column = 0; column < values.size(); ++column) {
            draw_label(sheet.dc(), "\"" + values[column] + "\"",
                       column_label_origin(layout, column), layout.column_width,
                       layout.header_height, DT_CENTER);
        }
        const uint8_t* drawn = sheet.pixels();
        for (size_t i = 0; i < count; ++i) {
            image.rgba[i * 4 + 0] = drawn[i * 4 + 2];
            image.rgba[i * 4 + 1] = drawn[i * 4 + 1];
            image.rgba[i * 4 + 2] = drawn[i * 4 + 0];
            image.rgba[i * 4 + 3] = 255;
        }
    }

    // A cell whose thread ended shows as empty with a red corner, and its
    // row goes on with a new meter on a new thread.
    bool any_ended = false;
    for (size_t row = 0; row < sections.size(); ++row) {
        const Size cell = cells[row];
        DibSurface surface(cell.width, cell.height);
        size_t column = 0;
        while (column < values.size()) {
            try {
                const win::MeterSession meter = start_meter(plugin.exports, sections[row]);
                meter.load_settings(file, sections[row]);
                for (; column < values.size(); ++column) {
                    meter.repaint(surface.dc(), values[column].c_str(),
                                  static_cast<int>(cell.width), static_cast<int>(cell.height));
                    const Point origin = cell_origin(layout, row, column);
                    composite_block(surface.pixels(), cell.width, cell.height, background,
                                    image.rgba.data(), layout.image.width, origin.x, origin.y);
                    if (marked[row][column]) {
                        mark_corner(image, origin, cell);
                    }
                }
            } catch (const ThreadEnded& ended) {
                report(ended);
                any_ended = true;
                const Point origin = cell_origin(layout, row, column);
                std::memset(surface.pixels(), 0, static_cast<size_t>(cell.width) * cell.height * 4);
                composite_block(surface.pixels(), cell.width, cell.height, background,
                                image.rgba.data(), layout.image.width, origin.x, origin.y);
                mark_corner(image, origin, cell);
                ++column;
            }
        }
    }
    write_png(options.out, image);
    if (std::find(row_marked.begin(), row_marked.end(), true) != row_marked.end()) {
        print_notes("sheet", {std::string("the cells with a red corner hold a line break or a "
                                          "tab: ") +
                              wine_first_line_mark + " and leaves tabs out; Windows draws them"});
    }
    std::printf("sheet: wrote %s (%zu section%s x %zu value%s, %s)\n", options.out.c_str(),
                sections.size(), sections.size() == 1 ? "" : "s", values.size(),
                values.size() == 1 ? "" : "s",
                size_text(layout.image.width, layout.image.height).c_str());
    return any_ended ? exit_code::thread_ended : exit_code::ok;
}

namespace {

// Set when a dialog box of this thread is activated: the settings dialog
// runs modal on the thread that calls vis_configure.
bool dialog_activated = false;

LRESULT CALLBACK note_dialog_activation(int code, WPARAM window, LPARAM detail) {
    if (code == HCBT_ACTIVATE) {
        char class_name[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(window), class_name, sizeof class_name);
        dialog_activated = dialog_activated || win::dialog_class == class_name;
    }
    return CallNextHookEx(nullptr, code, window, detail);
}

// Whether a settings dialog showed while `open` ran: a host cannot tell from
// vis_configure, which returns the same when no dialog could be made (no
// display, say).
bool dialog_showed_during(const std::function<void()>& open) {
    dialog_activated = false;
    const win::UniqueHook hook(
        SetWindowsHookExA(WH_CBT, note_dialog_activation, nullptr, GetCurrentThreadId()));
    if (!hook) {
        throw Failure{exit_code::internal, "configure: cannot watch for the settings dialog"};
    }
    open();
    return dialog_activated;
}

} // namespace

int run_configure(const Options& options) {
    const win::LoadedPlugin plugin = load_plugin_library(options.dll);
    require_visualisation_type(plugin);
    bool section_exists = false;
    const std::string file = settings_with_section(options, false, section_exists);
    const std::string& section = options.section();
    if (!section_exists) {
        std::printf("configure: [%s] is new in %s; it starts from the defaults\n", section.c_str(),
                    options.ini.c_str());
    }
    std::fflush(stdout);
    // The user's file is written only when the dialog changed the section.
    const win::MeterSession meter = start_meter(plugin.exports, section);
    meter.load_settings(file, section);
    const std::vector<std::string> before = section_as_saved(meter, section);
    // No window of ours owns the dialog: it runs on the meter's thread.
    bool showed = false;
    meter.run({"vis_configure"}, [&] {
        showed = dialog_showed_during([&] { meter.exports().vis_configure(meter.instance()); });
    });
    if (!showed) {
        throw Failure{exit_code::no_dialog, "configure: no settings dialog could be shown (is "
                                            "there a display?); '" +
                                                options.ini + "' is unchanged"};
    }
    if (section_as_saved(meter, section) == before) {
        std::printf("configure: [%s] unchanged in %s\n", section.c_str(), options.ini.c_str());
        return exit_code::ok;
    }
    meter.save_settings(file, section);
    std::printf("configure: saved [%s] in %s\n", section.c_str(), options.ini.c_str());
    for (const std::string& line : section_lines(file, section)) {
        std::printf("  %s\n", line.c_str());
    }
    return exit_code::ok;
}

int run_bench(const Options& options) {
    return run_benchmark(options);
}

int run_host(const std::vector<std::string>& args) noexcept {
    try {
        try {
            const Options options = parse_command_line(args);
            switch (options.command) {
            case Command::help:
                std::fputs(
                    (options.help_for ? usage_text(*options.help_for) : usage_text()).c_str(),
                    stdout);
                return exit_code::ok;
            case Command::version:
                std::printf("scrivlet-host %s\n", SCRIVLET_VERSION_TEXT);
                return exit_code::ok;
            case Command::check:
                return run_check(options);
            case Command::watch:
                return run_watch(options);
            case Command::info:
                return run_info(options);
            case Command::render:
                return run_render(options);
            case Command::sheet:
                return run_sheet(options);
            case Command::configure:
                return run_configure(options);
            case Command::bench:
                return run_bench(options);
            }
            throw Failure{exit_code::internal, "unhandled command"};
        } catch (const Failure& failure) {
            return report(failure);
        } catch (const win::SurfaceError& error) {
            return report(Failure{exit_code::output, error.what()});
        } catch (const std::bad_alloc&) {
            std::fflush(stdout);
            std::fputs("scrivlet-host: out of memory\n", stderr);
            return exit_code::output;
        } catch (const std::exception& error) {
            std::fflush(stdout);
            std::fprintf(stderr, "scrivlet-host: internal error: %s\n", error.what());
            return exit_code::internal;
        }
    } catch (...) {
        // Even the reporting above may throw (no memory for the message).
        return exit_code::internal;
    }
}

} // namespace scrivlet::host
