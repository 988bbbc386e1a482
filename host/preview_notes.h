#pragma once
// What a preview says besides the picture: where the platform draws less
// than the plug-in asked for, and why a picture came out empty. The
// plug-in makes the same calls everywhere; these notes only explain what
// the platform under the host did with them.

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet::host {

struct PreviewFacts {
    bool under_wine = false;
    std::string expanded_text; // the template expanded with the value, as the plug-in does
    bool anything_drawn = true;
    // What `scrivlet-host check` finds in the section at this size: the
    // reasons for an empty picture, when there are any.
    std::vector<std::string> findings;
    double line_height_px = 0; // of the meter's font; 0 when unknown
    uint32_t surface_height_px = 0;
};

// Lines for standard error, without the program's name; none when the
// picture is what the plug-in means on every platform.
std::vector<std::string> preview_notes(const PreviewFacts& facts);

// Whether Wine draws less of this text than Windows: its GDI+ draws only the
// first line of a path's text and leaves out tabs.
bool wine_draws_less(const std::string& expanded_text);

// The short mark of a sheet's cell that Wine draws less of.
inline constexpr const char* wine_first_line_mark = "Wine draws the first line only";

} // namespace scrivlet::host
