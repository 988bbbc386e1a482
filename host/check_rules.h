#pragma once
// What `scrivlet-host check` finds in a section of a settings file: what the
// plug-in or its settings dialog would not keep or draw as written, each at
// the file line it is about. Free of
// any Windows header: the Windows side hands over the section's lines as the
// profile functions list them and says which faces are installed, and
// everything else is decided here, by the plug-in's own portable rules.

#include "command_line.h"
#include "size_comments.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scrivlet::host {

// One line of a section as the profile functions list it.
struct SectionLine {
    std::string key;
    std::optional<std::string> value; // none: the line holds no "="
    std::optional<size_t> file_line;  // from 1; none when the file's lines do not show it
};

// Split at the first "=".
SectionLine split_section_line(std::string_view line);

// The line the profile functions read for `key`: the first whose key is the
// same regardless of case, even one without a value.
std::optional<size_t> line_read_for(const std::vector<SectionLine>& lines, std::string_view key);

// Gives each line the file line of its key: `keys` are the key lines of the
// section's place in the file, in order, which the listing follows with
// blank and comment lines left out.
void place_lines(std::vector<SectionLine>& lines,
                 const std::vector<std::pair<std::string, size_t>>& keys);

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
    // The section's "; size:" comment, whether or not the size came from it.
    std::optional<SizeComment> size_comment;
    // Its header's line in the file, from 1.
    std::optional<size_t> header_line;
    // A file that begins with a UTF-8 BOM is converted by the profile
    // reader; one without hands its bytes over as they are.
    bool file_has_bom = false;
    // Whether the faces installed are a Wine prefix's.
    bool under_wine = false;
    // Every face the system has, to suggest the nearest to one it lacks.
    std::vector<std::string> installed_families;
    float dpi_x = 0;
    float dpi_y = 0;
};

// Whether the system has a face of this name for the graphics library to
// draw with.
using FaceInstalled = std::function<bool(const std::string& face)>;

// What check says about one line of a section, or the section as a whole.
struct Finding {
    std::string section;
    std::string key;            // as the line writes it; empty for the section as a whole
    std::optional<size_t> line; // in the file, from 1; none when the file's lines do not show it
    std::string message;        // what and why
    std::string text;           // "[Section] Key=Value: message", as printed
    // A note is true of this machine only (a face every Windows desktop has
    // but this one lacks) or of the tools, not of the plug-in: it does not
    // make check fail.
    bool note = false;
    // What it names keeps the text from being drawn at all (a face the
    // system lacks, alpha 0, no room): it explains an empty picture.
    bool hides_text = false;
    bool operator==(const Finding&) const = default;
};

// The section's own findings first, then each line's in file order, then
// what the geometry leaves undrawn.
std::vector<Finding> section_findings(const SectionToCheck& section,
                                      const FaceInstalled& face_installed);

// "FILE:LINE: " and the finding's text; "FILE: (no line) " when none.
std::string located_text(std::string_view file, const Finding& finding);

struct CheckCounts {
    size_t findings = 0;
    size_t notes = 0;
    size_t sections_with_findings = 0;
    size_t sections = 0;
};

// The same findings for scripts: one object with every finding (file, line
// or null, section, key or null, kind, message, text) and the summary.
std::string findings_json(std::string_view file, const std::vector<Finding>& findings,
                          const CheckCounts& counts);

// Faces every Windows desktop has: missing here, they still draw there.
bool on_every_windows_desktop(std::string_view face);

// The installed faces spelt most like `face` (case aside), nearest first, at
// most `count`, and none that are nothing like it.
std::vector<std::string> closest_faces(std::string_view face,
                                       const std::vector<std::string>& installed, size_t count = 3);

// "check: 3 findings in 2 of 5 sections", "check: nothing found in 5 sections",
// with "(1 note)" after either when there are notes.
std::string check_summary(const CheckCounts& counts);

} // namespace scrivlet::host
