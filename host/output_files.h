#pragma once
// What the commands write (PNG files, the author's settings file) and, in
// the user's terms, why a file could not be written or read.

#include "command_line.h"
#include "common/png.h"

#include <cstdint>
#include <string>
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

} // namespace scrivlet::host
