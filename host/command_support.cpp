#include "command_support.h"

#include "commands.h"
#include "common/file_bytes.h"
#include "common/win/handles.h"
#include "common/win/paths.h"
#include "dpi.h"
#include "meter/font_style.h"
#include "render/layout.h"
#include "section_edit.h"
#include "settings/settings_keys.h"
#include "settings/value_list.h"
#include "settings_file.h"
#include "text/template.h"
#include "text/value_format.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <system_error>

namespace scrivlet::host {

namespace {

using win::SelectionGuard;

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

// "X:" or "X:\\": a drive's root, which is missing only when the drive is.
bool is_drive_root(const std::string& folder) {
    return folder.size() >= 2 && folder.size() <= 3 && folder[1] == ':' &&
           (folder.size() == 2 || folder[2] == '\\' || folder[2] == '/');
}

// Why the C library could not write `path`, in the user's terms. Windows
// refuses a folder as "access denied", so that is told apart first.
std::string write_failure_reason(const std::string& path, std::error_code error) {
    if (is_folder(path)) {
        return "it is a folder";
    }
    const std::string folder = folder_of(path);
    if (!folder.empty() && !is_folder(folder)) {
        return missing_folder_reason(folder);
    }
    if (error == std::errc::permission_denied) {
        return "access denied";
    }
    return error.message();
}

// mingw's system category does not map Windows errors to errno values, and
// write_failure_reason speaks of the one a person can act on.
std::error_code windows_write_error(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
               ? std::make_error_code(std::errc::permission_denied)
               : std::error_code(static_cast<int>(error), std::system_category());
}

// OPEN_ALWAYS, not CREATE_ALWAYS: the file keeps the attributes the author
// gave it.
std::error_code write_whole_file(const std::wstring& path, std::string_view bytes) {
    const win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return windows_write_error(GetLastError());
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        !SetEndOfFile(file.get())) {
        return windows_write_error(GetLastError());
    }
    return {};
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

// The section's lists as the plug-in reads them, stored in a record as a
// load stores them.
MeterRecord section_lists(const std::string& file, const std::string& section) {
    MeterRecord record;
    for (const SettingsKey& key : settings_keys) {
        if (key.kind == KeyKind::list) {
            store_list(record, key.fields,
                       read_value_list(key_value(file, section, key), list_positions(key.fields)));
        }
    }
    return record;
}

// GDI+ lays a path's text out at the face's design size and scales the
// result to the em: measured there, the widths are free of the hinting of
// small sizes and break where the library's do.
constexpr int design_em_px = 2048;

double extent_px(HDC dc, std::string_view text) {
    SIZE extent{};
    if (text.empty() ||
        !GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent)) {
        return 0;
    }
    return extent.cx;
}

// Each line of `text` at the meter's face and style, `em_px` to the em.
std::vector<LineExtent> line_extents(const std::string& text, const std::string& face,
                                     int32_t style, double em_px) {
    const win::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const win::UniqueGdiObject font(CreateFontA(
        -design_em_px, 0, 0, 0, (style & style_bold) != 0 ? FW_BOLD : FW_NORMAL,
        (style & style_italic) != 0 ? 1 : 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str()));
    if (!dc || !font) {
        return {};
    }
    const SelectionGuard selected(dc.get(), font.get());
    const double scale = em_px / design_em_px;
    std::vector<LineExtent> lines;
    const std::string_view all = text;
    for (size_t start = 0; start <= all.size();) {
        const size_t end = std::min(all.find('\n', start), all.size());
        const std::string_view line = all.substr(start, end - start);
        LineExtent measured{extent_px(dc.get(), line) * scale, 0, {}};
        for (size_t word_start = 0; word_start < line.size();) {
            const size_t word_end = std::min(line.find(' ', word_start), line.size());
            const std::string_view word = line.substr(word_start, word_end - word_start);
            const double width = extent_px(dc.get(), word) * scale;
            if (width > measured.widest_word_px) {
                measured.widest_word_px = width;
                measured.widest_word = word;
            }
            word_start = word_end + 1;
        }
        lines.push_back(std::move(measured));
        start = end + 1;
    }
    return lines;
}

const char* narrowed_by(const MeterRecord& record) {
    if (record.shadow_enabled != 0) {
        return record.border_enabled != 0 ? "the shadow and border" : "the shadow";
    }
    return record.border_enabled != 0 ? "the border" : "";
}

// The height GDI gives a line of the face at its size, at the resolution of
// `screen`; 0 when the font cannot be made.
double line_height_px(HDC screen, const std::string& face, int32_t size_pt) {
    const int size_px = MulDiv(size_pt, GetDeviceCaps(screen, LOGPIXELSY), 72);
    if (size_pt <= 0 || size_px <= 0) {
        return 0;
    }
    const win::UniqueGdiObject font(CreateFontA(-size_px, 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                                DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str()));
    if (!font) {
        return 0;
    }
    const SelectionGuard selected(screen, font.get());
    TEXTMETRICA metrics{};
    if (!GetTextMetricsA(screen, &metrics)) {
        return 0;
    }
    return static_cast<double>(metrics.tmHeight + metrics.tmExternalLeading);
}

} // namespace

std::string missing_folder_reason(const std::string& folder) {
    return is_drive_root(folder) ? "the drive '" + folder.substr(0, 2) + "' does not exist"
                                 : "the folder '" + folder + "' does not exist";
}

std::string missing_file_reason(const std::string& typed_path) {
    const std::string folder = folder_of(typed_path);
    const DWORD attributes = GetFileAttributesW(win::wide_from_utf8(folder).c_str());
    if (folder.empty() ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        return "no such file";
    }
    return missing_folder_reason(win::ansi_from_utf8(folder));
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(win::absolute_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void write_png(const std::string& typed_path, const png::Image& image) {
    const std::string shown = win::ansi_from_utf8(typed_path);
    std::vector<uint8_t> bytes;
    std::error_code error;
    try {
        error = png::encode_file(image, bytes);
    } catch (const std::bad_alloc&) {
        throw Failure{exit_code::output, "out of memory writing a " +
                                             size_text(Size{image.width, image.height}) + " PNG"};
    }
    if (!error) {
        error = write_whole_file(
            win::wide_from_utf8(typed_path),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    if (error) {
        throw Failure{exit_code::output,
                      "cannot write '" + shown + "': " + write_failure_reason(shown, error)};
    }
}

void save_section(const std::string& absolute_path, const std::string& shown_path,
                  const std::string& section, const std::vector<std::string>& before,
                  const std::vector<std::string>& after) {
    const std::string had = file_bytes(absolute_path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    // file_bytes answers an unreadable file as an empty one: writing the
    // section alone would lose the rest of the author's file.
    if (had.empty() && GetFileAttributesExA(absolute_path.c_str(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0)) {
        throw Failure{exit_code::output,
                      "cannot write '" + shown_path + "': it could not be read first"};
    }
    const std::string wanted = with_section_changes(had, section, before, after);
    const std::error_code error = write_whole_file(win::widen(absolute_path), wanted);
    if (error) {
        throw Failure{exit_code::output, "cannot write '" + shown_path +
                                             "': " + write_failure_reason(shown_path, error)};
    }
    // A write that reports success is believed only once the file holds it.
    if (file_bytes(absolute_path) != wanted) {
        throw Failure{exit_code::output,
                      "cannot write '" + shown_path + "': it does not hold what was written"};
    }
}

void create_settings_file(const std::string& typed_path) {
    const std::wstring wide = win::wide_from_utf8(typed_path);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return;
    }
    const std::string shown = win::ansi_from_utf8(typed_path);
    const win::UniqueFile file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw Failure{exit_code::output,
                      "cannot create '" + shown +
                          "': " + write_failure_reason(shown, windows_write_error(GetLastError()))};
    }
    std::printf("configure: created %s\n", shown.c_str());
}

std::vector<uint8_t> image_buffer(Size size) {
    try {
        return std::vector<uint8_t>(static_cast<size_t>(size.width) * size.height * 4);
    } catch (const std::bad_alloc&) {
        throw Failure{exit_code::output, "out of memory for a " + size_text(size) + " image"};
    }
}

// Settings file and section as render and configure need them.
std::string settings_with_section(const Options& options, bool section_must_exist,
                                  bool& section_exists) {
    const std::string file = readable_settings_file(options.typed.inis.front());
    section_exists =
        section_in_file(section_names(file), options.section(), options.typed.sections.front())
            .has_value();
    if (section_must_exist && !section_exists) {
        throw Failure{exit_code::settings_file,
                      "no section [" + options.section() + "] in '" + options.ini + "'"};
    }
    return file;
}

std::string section_as_in_file(const std::string& file, const Options& options,
                               std::vector<std::string>& notes) {
    const std::string& typed = options.typed.sections.front();
    const std::optional<std::string> found =
        section_in_file(section_names(file), options.section(), typed);
    if (found && *found != options.section()) {
        notes.push_back("[" + options.section() + "] is not in the file in the ANSI code page (" +
                        win::ansi_code_page() + "); its UTF-8 form is, as in a file saved as " +
                        "UTF-8, and that section was used");
    }
    return found.value_or(options.section());
}

std::optional<std::string> value_code_page_note(const Options& options) {
    std::vector<std::string> typed_texts = options.typed.values;
    if (options.typed.value) {
        typed_texts.push_back(*options.typed.value);
    }
    const char* option = options.typed.value ? "--value" : "--values";
    std::vector<std::string> outside;
    for (const std::string& text : typed_texts) {
        for (std::string& name : win::outside_ansi(win::wide_from_utf8(text))) {
            if (std::find(outside.begin(), outside.end(), name) == outside.end()) {
                outside.push_back(std::move(name));
            }
        }
    }
    if (outside.empty()) {
        return std::nullopt;
    }
    std::string names;
    for (const std::string& name : outside) {
        names += (names.empty() ? "" : " ") + name;
    }
    return std::string(option) + " has characters the ANSI code page (" + win::ansi_code_page() +
           ") cannot hold, and the plug-in takes its value in that code page: " + names +
           " drawn as \"?\"";
}

// With --dpi, the command runs again in a child that sees that resolution;
// its exit code is this one's.
int report(const Failure& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "scrivlet-host: %s\n", failure.message.c_str());
    return failure.exit_code;
}

// The template the plug-in reads for the section, as it reads it.
std::string section_template(const std::string& file, const std::string& section) {
    return key_value(file, section, text_key(KeyKind::text_template));
}

MeterLook meter_look(const std::string& file, const std::string& section) {
    return MeterLook{section_lists(file, section),
                     key_value(file, section, text_key(KeyKind::font_face)),
                     section_template(file, section)};
}

std::string meter_text(const MeterLook& look, const std::string& value) {
    return expand_template(look.text_template, format_meter_value(value, look.lists.decimals));
}

PreviewFacts preview_facts(const std::string& file, const std::string& section,
                           const std::string& value, Size size, bool drawn) {
    const MeterLook look = meter_look(file, section);
    const MeterRecord& record = look.lists;
    PreviewFacts facts;
    facts.under_wine = under_wine();
    facts.expanded_text = meter_text(look, value);
    facts.anything_drawn = drawn;
    if (!drawn) {
        facts.findings = text_hiding_findings(file, section, size);
    }
    facts.surface_height_px = size.height;
    facts.surface_width_px = size.width;
    // Only the low byte of each channel reaches the library's colour.
    facts.text_alpha_zero = (record.font_alpha & 0xFF) == 0;
    const win::UniqueMemoryDc screen(CreateCompatibleDC(nullptr));
    facts.line_height_px = line_height_px(screen.get(), look.face, record.font_size);
    const float dpi_x = static_cast<float>(GetDeviceCaps(screen.get(), LOGPIXELSX));
    const float dpi_y = static_cast<float>(GetDeviceCaps(screen.get(), LOGPIXELSY));
    if (!(dpi_x > 0 && dpi_y > 0) || record.font_size <= 0) {
        return facts;
    }
    constexpr double points_per_inch = 72.0;
    const LayoutRect rect = layout_rectangle(
        surface_points(static_cast<int32_t>(size.width), static_cast<int32_t>(size.height), dpi_x,
                       dpi_y),
        LayoutRoom{record.shadow_enabled != 0, record.shadow_size, record.shadow_offset_x,
                   record.shadow_offset_y, record.border_enabled != 0, record.border_width});
    facts.layout_width_px = rect.width * dpi_x / points_per_inch;
    facts.narrowed_by = narrowed_by(record);
    facts.lines = line_extents(facts.expanded_text, look.face, record.font_style,
                               record.font_size * dpi_x / points_per_inch);
    return facts;
}

bool anything_drawn(const win::DibSurface& surface) {
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

} // namespace scrivlet::host
