#pragma once
// What the plug-in reads of a section for its text, and what a preview notes
// about what it drew.

#include "command_line.h"
#include "common/win/dib_surface.h"
#include "meter/meter_record.h"
#include "preview_notes.h"

#include <string>

namespace scrivlet::host {

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

} // namespace scrivlet::host
