#include "command_support.h"
#include "commands.h"
#include "dpi.h"
#include "common/win/handles.h"
#include "pixels.h"
#include "plugin_library.h"
#include "preview_notes.h"
#include "settings_file.h"
#include "sheet_layout.h"
#include "size_comments.h"
#include "common/file_bytes.h"
#include "text/template.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::host {

namespace {

using win::DibSurface;
using win::SelectionGuard;

constexpr int label_padding_px = 8;
constexpr COLORREF label_ink = RGB(0, 0, 0);
constexpr Rgb label_paper{255, 255, 255};
constexpr Rgb mark_colour{220, 0, 0};
constexpr COLORREF mark_ink = RGB(mark_colour.red, mark_colour.green, mark_colour.blue);
constexpr uint32_t mark_side_px = 9;

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
    std::vector<bool> row_marked(sections.size());
    for (size_t row = 0; wine && row < sections.size(); ++row) {
        const std::string text_template = section_template(file, sections[row]);
        for (size_t column = 0; column < values.size(); ++column) {
            row_marked[row] =
                row_marked[row] || wine_draws_less(expand_template(text_template, values[column]));
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
    std::vector<std::vector<std::vector<std::string>>> cell_notes(
        sections.size(), std::vector<std::vector<std::string>>(values.size()));
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
                    const std::vector<std::string> notes = preview_notes(preview_facts(
                        file, sections[row], values[column], cell, anything_drawn(surface)));
                    if (!notes.empty()) {
                        mark_corner(image, origin, cell);
                        cell_notes[row][column] = notes;
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
    print_notes("sheet", marked_cells_legend(sections, values, cell_notes));
    std::printf("sheet: wrote %s (%zu section%s x %zu value%s, %s)\n", options.out.c_str(),
                sections.size(), sections.size() == 1 ? "" : "s", values.size(),
                values.size() == 1 ? "" : "s",
                size_text(layout.image.width, layout.image.height).c_str());
    return any_ended ? exit_code::thread_ended : exit_code::ok;
}

} // namespace scrivlet::host
