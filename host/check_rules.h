#pragma once
// What `scrivlet-host check` finds in a section of a settings file: what the
// plug-in or its settings dialog would not keep or draw as written. Free of
// any Windows header: the Windows side hands over the section's lines as the
// profile functions list them and says which faces are installed, and
// everything else is decided here, by the plug-in's own portable rules.

#include "command_line.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::host {

// One line of a section as the profile functions list it.
struct SectionLine {
    std::string key;
    std::optional<std::string> value; // none: the line holds no "="
};

// Split at the first "=".
SectionLine split_section_line(std::string_view line);

// The line the profile functions read for `key`: the first whose key is the
// same regardless of case, even one without a value.
std::optional<size_t> line_read_for(const std::vector<SectionLine>& lines, std::string_view key);

// Where the size that the geometry is judged at came from.
enum class SizeSource { option, comment, fallback };

struct CheckSize {
    Size size;
    SizeSource source = SizeSource::fallback;
    bool operator==(const CheckSize&) const = default;
};

// --size when given, for every section alike, as the sheet takes it; else
// the section's "; size: WxH" comment; else default_cell.
CheckSize check_size(const std::optional<Size>& option, const std::optional<Size>& comment);

struct SectionToCheck {
    std::string name;
    // For each key of the plug-in, the line it reads holds the value as the
    // profile reader hands it over (quotes round it removed).
    std::vector<SectionLine> lines;
    // The name of an earlier section that is the same regardless of case:
    // the profile functions always find that one, never this.
    std::optional<std::string> hidden_by;
    CheckSize size;
    // Every face the system has, to suggest the nearest to one it lacks.
    std::vector<std::string> installed_families;
    float dpi_x = 0;
    float dpi_y = 0;
};

// Whether the system has a face of this name for the graphics library to
// draw with.
using FaceInstalled = std::function<bool(const std::string& face)>;

// One line per finding, "[Section] Key=Value: what and why": the section's
// own findings first, then each line's in file order, then what the
// geometry leaves undrawn.
std::vector<std::string> section_findings(const SectionToCheck& section,
                                          const FaceInstalled& face_installed);

// The installed faces spelt most like `face` (case aside), nearest first, at
// most `count`, and none that are nothing like it.
std::vector<std::string> closest_faces(std::string_view face,
                                       const std::vector<std::string>& installed, size_t count = 3);

// "check: 3 findings in 2 of 5 sections", "check: nothing found in 5 sections".
std::string check_summary(size_t findings, size_t sections_with_findings, size_t sections);

// What read_number makes of a field's text, beyond its value.
struct NumberText {
    bool digits = false;         // there are digits where read_number looks for them
    bool beyond_32_bits = false; // their value saturates
    bool trailing = false;       // something follows the number (or stands in for it)
    bool operator==(const NumberText&) const = default;
};

NumberText number_text(std::string_view field);

} // namespace scrivlet::host
