#pragma once
// What the host's commands share: sizes as text, PNG output, the settings
// file and section a command works on, what the plug-in reads of a section,
// and how notes and failures reach standard error.

#include "command_line.h"
#include "common/png.h"
#include "meter/meter_record.h"
#include "common/win/dib_surface.h"
#include "preview_notes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::host {

// Whether the path names a folder that is there.
bool is_folder(const std::string& path);

// "the drive 'Q:' does not exist" or "the folder 'FOLDER' does not exist":
// why a file in a folder that is not there cannot be read or written.
std::string missing_folder_reason(const std::string& folder);

// Why a file that is not there (its path as typed, in UTF-8) cannot be read:
// its folder or drive is missing, or else there is no such file.
std::string missing_file_reason(const std::string& typed_path);

// Writes the image to the path as typed (UTF-8), or throws the one line that
// says why it could not.
void write_png(const std::string& typed_path, const png::Image& image);

// Writes [section]'s changes from `before` to `after` (as the plug-in saves
// the section) into the author's file, all else in it byte for byte, and
// reads it back; throws the one line that says why (exit_code::output) when
// the file does not then hold them. `shown_path` is the path as the user gave
// it.
void save_section(const std::string& absolute_path, const std::string& shown_path,
                  const std::string& section, const std::vector<std::string>& before,
                  const std::vector<std::string>& after);

// A new theme starts from a file that is not there yet: made empty, and said
// so on standard output. Throws (exit_code::output) when it cannot be made.
void create_settings_file(const std::string& typed_path);

// Room for a size's RGBA pixels, or the one line that says there is none.
std::vector<uint8_t> image_buffer(Size size);

// Settings file and section as render and configure need them.
std::string settings_with_section(const Options& options, bool section_must_exist,
                                  bool& section_exists);

// The (first) section as the file spells it (see section_in_file), with a
// note in `notes` when that is the UTF-8 form of what was typed; the ANSI
// form when the file has neither.
std::string section_as_in_file(const std::string& file, const Options& options,
                               std::vector<std::string>& notes);

// The note for a --value or --values (as typed) with characters the ANSI
// code page cannot hold, which the plug-in draws as "?"; none when they have
// none.
std::optional<std::string> value_code_page_note(const Options& options);

// The failure's one line on standard error; its exit code.
int report(const Failure& failure);

// The template the plug-in reads for the section, as it reads it.
std::string section_template(const std::string& file, const std::string& section);

// What the plug-in reads of a section for its text, read once: the lists
// (size, style, decimals, colours, border, shadow), the face and the
// template.
struct MeterLook {
    MeterRecord lists;
    std::string face;
    std::string text_template;
};
MeterLook meter_look(const std::string& file, const std::string& section);

// The text the plug-in draws for the value: the template expanded with the
// value as the section's decimals write it.
std::string meter_text(const MeterLook& look, const std::string& value);

// What a preview notes about the section drawn with `value` at `size` (at
// the screen's resolution), the surface holding something or not.
PreviewFacts preview_facts(const std::string& file, const std::string& section,
                           const std::string& value, Size size, bool drawn);

// Whether any pixel of the surface has some alpha.
bool anything_drawn(const win::DibSurface& surface);

// Each note on standard error, after what standard output holds.
void print_notes(const char* command, const std::vector<std::string>& notes);

} // namespace scrivlet::host
