#include "command_support.h"
#include "commands.h"
#include "common/file_bytes.h"
#include "common/utf8.h"
#include "common/win/handles.h"
#include "common/win/paths.h"
#include "dpi.h"
#include "meter_look.h"
#include "output_files.h"
#include "pixels.h"
#include "plugin_library.h"
#include "preview_notes.h"
#include "settings_file.h"
#include "settings_text.h"
#include "sheet_layout.h"
#include "size_comments.h"
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

// A label in plain GDI text, cut to its box with an ellipsis. Not clipped:
// the ink of a last glyph that reaches past its advance stays whole.
void draw_label(HDC dc, const std::wstring& text, Point origin, uint32_t width, uint32_t height,
                UINT alignment) {
    RECT box{static_cast<LONG>(origin.x), static_cast<LONG>(origin.y),
             static_cast<LONG>(origin.x + width), static_cast<LONG>(origin.y + height)};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              alignment | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP);
}

uint32_t widest_label(HDC dc, const std::vector<std::wstring>& labels) {
    uint32_t widest = 0;
    for (const std::wstring& label : labels) {
        SIZE extent{};
        if (GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent)) {
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

// The settings files a sheet shows, as typed: each --ini, a folder standing
// for its *.ini files in name order.
std::vector<std::string> sheet_files(const Options& options) {
    std::vector<std::string> files;
    for (const std::string& given : options.typed.inis) {
        const std::wstring wide = win::wide_from_utf8(given);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            files.push_back(given);
            continue;
        }
        const std::string folder =
            given.back() == '\\' || given.back() == '/' ? given : given + "\\";
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW entry{};
        const win::UniqueFind search(
            FindFirstFileW(win::wide_from_utf8(folder + "*.ini").c_str(), &entry));
        if (search) {
            do {
                if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    names.emplace_back(entry.cFileName);
                }
            } while (FindNextFileW(search.get(), &entry));
        }
        if (names.empty()) {
            throw Failure{exit_code::settings_file,
                          "no .ini files in the folder '" + win::ansi_from_utf8(given) + "'"};
        }
        std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
            return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
        });
        for (const std::wstring& name : names) {
            files.push_back(folder + utf8_from_utf16(std::u16string(name.begin(), name.end())));
        }
    }
    return files;
}

// One row of the sheet: a section of one file.
struct SheetRow {
    std::string file; // as the plug-in opens it
    std::string section;
    std::wstring label;
    std::vector<std::string> values;
};

// The rows: the sections of each file, those named in the order given, or
// all. With several files a named section may be in some of them only.
std::vector<SheetRow> sheet_rows(const Options& options) {
    const std::vector<std::string> typed_files = sheet_files(options);
    const bool several = typed_files.size() > 1;
    std::vector<SheetRow> rows;
    for (const std::string& typed : typed_files) {
        const std::string file = readable_settings_file(typed);
        const std::string shown = win::ansi_from_utf8(typed);
        const std::vector<std::string> in_file = section_names(file);
        std::vector<std::string> sections;
        if (options.sections.empty()) {
            if (in_file.empty() && !several) {
                throw Failure{exit_code::settings_file, "no sections in '" + shown + "'"};
            }
            sections = in_file;
        }
        for (size_t i = 0; i < options.sections.size(); ++i) {
            const std::optional<std::string> found =
                section_in_file(in_file, options.sections[i], options.typed.sections[i]);
            if (found) {
                sections.push_back(*found);
            } else if (!several) {
                throw Failure{exit_code::settings_file,
                              no_section_text(options.sections[i], shown, in_file)};
            }
        }
        const std::map<std::string, std::vector<std::string>> suggested =
            value_comments(file_bytes(file));
        const size_t name_start = typed.find_last_of("\\/:") + 1;
        const std::wstring file_name = win::wide_from_utf8(typed.substr(name_start));
        for (const std::string& section : sections) {
            std::vector<std::string> values = options.values;
            if (values.empty()) {
                values = suggested_values(suggested, section);
            }
            if (values.empty()) {
                values.assign(sheet_samples.begin(), sheet_samples.end());
            }
            const std::wstring name = L"[" + win::widen(section) + L"]";
            rows.push_back(SheetRow{file, section, several ? file_name + L" " + name : name,
                                    std::move(values)});
        }
    }
    if (rows.empty()) {
        throw Failure{exit_code::settings_file,
                      options.sections.empty() ? "no sections in any of the " +
                                                     std::to_string(typed_files.size()) + " files"
                                               : "none of the sections named is in any of the " +
                                                     std::to_string(typed_files.size()) + " files"};
    }
    return rows;
}

// What the sheet shows before anything is drawn: its rows, each row's cell
// size, and the rows whose cells Wine draws less of than Windows, marked so
// that a sheet made here is not taken for what the theme shows.
struct SheetPlan {
    std::vector<SheetRow> rows;
    std::vector<Size> cells;
    size_t columns = 0;
    bool row_captions = false; // the rows' values differ: each row names its own
    std::vector<bool> marked;
};

SheetPlan sheet_plan(const Options& options) {
    SheetPlan plan;
    plan.rows = sheet_rows(options);
    std::map<std::string, std::map<std::string, SizeComment>> suggested; // by file
    for (const SheetRow& row : plan.rows) {
        if (suggested.find(row.file) == suggested.end()) {
            suggested[row.file] = size_comments(file_bytes(row.file));
        }
        const std::optional<SizeComment> comment = suggested_size(suggested[row.file], row.section);
        plan.cells.push_back(options.size ? *options.size : comment ? comment->size : default_cell);
        plan.columns = std::max(plan.columns, row.values.size());
        plan.row_captions = plan.row_captions || row.values != plan.rows.front().values;
    }
    const bool wine = under_wine();
    for (const SheetRow& row : plan.rows) {
        const std::string text_template = wine ? section_template(row.file, row.section) : "";
        plan.marked.push_back(
            wine && std::any_of(row.values.begin(), row.values.end(), [&](const std::string& v) {
                return wine_draws_less(expand_template(text_template, v));
            }));
    }
    return plan;
}

uint32_t label_column_width(const SheetPlan& plan, HGDIOBJ font, const std::wstring& mark_label) {
    const DibSurface probe(1, 1);
    const SelectionGuard selected(probe.dc(), font);
    std::vector<std::wstring> labels;
    for (const SheetRow& row : plan.rows) {
        labels.push_back(row.label);
    }
    if (std::find(plan.marked.begin(), plan.marked.end(), true) != plan.marked.end()) {
        labels.push_back(mark_label);
    }
    return widest_label(probe.dc(), labels) + 2 * label_padding_px;
}

// The labels, in black on white: GDI text leaves the alpha byte as it likes,
// so every pixel is made opaque when copied out.
png::Image labelled_sheet(const SheetPlan& plan, const SheetLayout& layout, HGDIOBJ font,
                          const std::wstring& mark_label) {
    DibSurface sheet(layout.image.width, layout.image.height);
    png::Image image{layout.image.width, layout.image.height, image_buffer(layout.image)};
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
    // The box ends a padding short of the column, and a label longer than it
    // is cut there with an ellipsis: a glyph's ink may reach a pixel or two
    // past its advance, and right-aligned up to the column's edge it touched
    // the first cell.
    const uint32_t label_box = layout.label_width - label_padding_px;
    for (size_t row = 0; row < plan.rows.size(); ++row) {
        const Point inside = row_label_origin(layout, row);
        const uint32_t height = plan.cells[row].height;
        const uint32_t half = plan.marked[row] ? height / 2 : height;
        draw_label(sheet.dc(), plan.rows[row].label, inside, label_box, half, DT_RIGHT);
        if (plan.marked[row]) {
            SetTextColor(sheet.dc(), mark_ink);
            draw_label(sheet.dc(), mark_label, Point{inside.x, inside.y + half}, label_box,
                       height - half, DT_RIGHT);
            SetTextColor(sheet.dc(), label_ink);
        }
    }
    for (size_t row = 0; row < (plan.row_captions ? plan.rows.size() : 1); ++row) {
        for (size_t column = 0; column < plan.rows[row].values.size(); ++column) {
            draw_label(sheet.dc(), L"\"" + win::widen(plan.rows[row].values[column]) + L"\"",
                       value_label_origin(layout, row, column), layout.column_width,
                       layout.header_height, DT_CENTER);
        }
    }
    const uint8_t* drawn = sheet.pixels();
    for (size_t i = 0; i < count; ++i) {
        image.rgba[i * 4 + 0] = drawn[i * 4 + 2];
        image.rgba[i * 4 + 1] = drawn[i * 4 + 1];
        image.rgba[i * 4 + 2] = drawn[i * 4 + 0];
        image.rgba[i * 4 + 3] = 255;
    }
    return image;
}

// Where a row's meters draw into the sheet, and what they leave noted.
struct SheetCanvas {
    const SheetLayout& layout;
    Background background;
    png::Image& image;
    std::vector<std::vector<std::vector<std::string>>>& notes; // by row and column
};

void place_cell(SheetCanvas& canvas, const DibSurface& surface, size_t row, size_t column,
                Size cell) {
    const Point origin = cell_origin(canvas.layout, row, column);
    composite_block(surface.pixels(), cell.width, cell.height, canvas.background,
                    canvas.image.rgba.data(), canvas.layout.image.width, origin.x, origin.y);
}

// One row's cells; false when a meter's thread ended in one of them. That
// cell shows as empty with a red corner, and the row goes on with a new
// meter on a new thread.
bool draw_row(const PluginExports& exports, const SheetRow& row, size_t index, Size cell,
              SheetCanvas& canvas) {
    bool whole = true;
    canvas.notes[index].resize(row.values.size());
    DibSurface surface(cell.width, cell.height);
    size_t column = 0;
    while (column < row.values.size()) {
        try {
            const win::MeterSession meter = start_meter(exports, row.section);
            meter.load_settings(row.file, row.section);
            for (; column < row.values.size(); ++column) {
                meter.repaint(surface.dc(), row.values[column].c_str(),
                              static_cast<int>(cell.width), static_cast<int>(cell.height));
                place_cell(canvas, surface, index, column, cell);
                const std::vector<std::string> notes = preview_notes(preview_facts(
                    row.file, row.section, row.values[column], cell, anything_drawn(surface)));
                if (!notes.empty()) {
                    mark_corner(canvas.image, cell_origin(canvas.layout, index, column), cell);
                    canvas.notes[index][column] = notes;
                }
            }
        } catch (const ThreadEnded& ended) {
            report(ended);
            whole = false;
            std::memset(surface.pixels(), 0, static_cast<size_t>(cell.width) * cell.height * 4);
            place_cell(canvas, surface, index, column, cell);
            mark_corner(canvas.image, cell_origin(canvas.layout, index, column), cell);
            ++column;
        }
    }
    return whole;
}

} // namespace

int run_sheet(const Options& options) {
    const win::LoadedPlugin plugin = visualisation_plugin(options.dll);
    const SheetPlan plan = sheet_plan(options);
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    const std::wstring mark_label = win::widen(wine_first_line_mark);
    const SheetLayout layout = sheet_layout(
        plan.cells, plan.columns, label_column_width(plan, font, mark_label), plan.row_captions);
    png::Image image = labelled_sheet(plan, layout, font, mark_label);
    std::vector<std::vector<std::vector<std::string>>> cell_notes(plan.rows.size());
    SheetCanvas canvas{layout, options.background.value_or(Background{BackgroundKind::checker, {}}),
                       image, cell_notes};
    bool any_ended = false;
    for (size_t row = 0; row < plan.rows.size(); ++row) {
        any_ended =
            !draw_row(plugin.exports, plan.rows[row], row, plan.cells[row], canvas) || any_ended;
    }
    write_png(options.typed.out, image);
    std::vector<std::string> row_names;
    std::vector<std::vector<std::string>> row_values;
    for (const SheetRow& row : plan.rows) {
        row_names.push_back(win::narrow(row.label));
        row_values.push_back(row.values);
    }
    std::vector<std::string> notes = marked_cells_legend(row_names, row_values, cell_notes);
    if (const std::optional<std::string> note = value_code_page_note(options)) {
        notes.insert(notes.begin(), *note);
    }
    print_notes("sheet", notes);
    std::printf("sheet: wrote %s (%s x %s%s, %s)\n", options.out.c_str(),
                counted(plan.rows.size(), "section", "sections").c_str(),
                plan.row_captions ? "up to " : "", counted(plan.columns, "value", "values").c_str(),
                size_text(layout.image).c_str());
    return any_ended ? exit_code::thread_ended : exit_code::ok;
}

} // namespace scrivlet::host
