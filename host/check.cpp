// check: reads the settings file as the plug-in would, through the profile
// functions, and judges what it holds by the portable rules of
// check_rules.h. It loads no plug-in and writes nothing.

#include "check_rules.h"
#include "commands.h"
#include "dpi.h"
#include "settings_file.h"
#include "settings_text.h"
#include "size_comments.h"

#include "common/file_bytes.h"
#include "common/win/buffer.h"
#include "common/win/handles.h"
#include "settings/settings_keys.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace scrivlet::host {

namespace {

std::vector<SectionLine> read_section(const std::string& file, const std::string& section) {
    std::vector<SectionLine> lines;
    for (const std::string& line : section_lines(file, section)) {
        lines.push_back(split_section_line(line));
    }
    // The listing keeps quotes round a value; the plug-in gets the value as
    // the reader hands it over, without them.
    for (const SettingsKey& key : settings_keys) {
        const std::optional<size_t> read = line_read_for(lines, key.name);
        if (read && lines[*read].value) {
            lines[*read].value = profile_value(file, section, key.name);
        }
    }
    return lines;
}

bool same_face(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// Every family the system's font enumeration lists: a face counts as
// installed when one of them has its name, as the graphics library looks its
// families up the same way. Wine lists the prefix's replacements (Arial for
// Liberation Sans) under the replaced name, so those count. A name that
// CreateFont merely substitutes another face for does not: the graphics
// library finds no family by it, and the plug-in then draws no text.
int CALLBACK add_family(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
    auto& families = *reinterpret_cast<std::vector<std::string>*>(data);
    // '@' names are the vertical forms of the same families.
    if (font->lfFaceName[0] != '@') {
        families.emplace_back(font->lfFaceName);
    }
    return 1;
}

std::vector<std::string> installed_families(HDC dc) {
    std::vector<std::string> families;
    LOGFONTA every{};
    every.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &every, add_family, reinterpret_cast<LPARAM>(&families), 0);
    std::sort(families.begin(), families.end());
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}

// What the file's own lines say: where each section and key stands, the
// size comments, whether it begins with a BOM.
struct FileLines {
    std::vector<SectionPlace> places;
    std::map<std::string, SizeComment> sizes;
    bool bom = false;
};

FileLines file_lines(const std::string& file) {
    const std::string bytes = file_bytes(file);
    return FileLines{section_places(bytes), size_comments(bytes), bytes.starts_with(utf8_bom)};
}

// What check needs of the system, found once: the screen's resolution (a
// meter's DIB section is drawn at it) and the faces the plug-in finds.
class CheckContext {
public:
    CheckContext()
        : screen_(CreateCompatibleDC(nullptr)),
          dpi_x_(static_cast<float>(GetDeviceCaps(screen_.get(), LOGPIXELSX))),
          dpi_y_(static_cast<float>(GetDeviceCaps(screen_.get(), LOGPIXELSY))),
          families_(installed_families(screen_.get())) {}

    // The findings for section `index` of `names`, the file's sections.
    std::vector<Finding> findings(const std::string& file, const FileLines& lines,
                                  const std::vector<std::string>& names, size_t index,
                                  const std::optional<Size>& size_option) {
        SectionToCheck section;
        section.name = names[index];
        // The same name earlier makes this the next occurrence in the file.
        size_t occurrence = 0;
        for (size_t earlier = 0; earlier < index; ++earlier) {
            if (same_profile_name(names[earlier], names[index])) {
                section.hidden_by = section.hidden_by.value_or(names[earlier]);
                ++occurrence;
            }
        }
        const std::optional<SectionPlace> place =
            section_place(lines.places, section.name, occurrence);
        if (!section.hidden_by) {
            section.lines = read_section(file, names[index]);
            if (place) {
                place_lines(section.lines, place->keys);
            }
        }
        if (place) {
            section.header_line = place->header_line;
        }
        section.size_comment = suggested_size(lines.sizes, section.name);
        section.size =
            check_size(size_option, section.size_comment ? std::optional(section.size_comment->size)
                                                         : std::nullopt);
        section.file_has_bom = lines.bom;
        section.under_wine = under_wine();
        section.installed_families = families_;
        section.dpi_x = dpi_x_;
        section.dpi_y = dpi_y_;
        return section_findings(section, [this](const std::string& face) {
            return std::any_of(families_.begin(), families_.end(),
                               [&](const std::string& family) { return same_face(family, face); });
        });
    }

private:
    win::UniqueMemoryDc screen_;
    float dpi_x_;
    float dpi_y_;
    std::vector<std::string> families_;
};

} // namespace

std::vector<std::string> text_hiding_findings(const std::string& file, const std::string& section,
                                              Size size) {
    const std::vector<std::string> names = section_names(file);
    for (size_t i = 0; i < names.size(); ++i) {
        if (same_profile_name(names[i], section)) {
            std::vector<std::string> texts;
            for (const Finding& finding :
                 CheckContext().findings(file, file_lines(file), names, i, size)) {
                if (finding.hides_text) {
                    texts.push_back(finding.text);
                }
            }
            return texts;
        }
    }
    return {};
}

int run_check(const Options& options) {
    const std::string file = readable_settings_file(options.typed.inis.front());
    const std::vector<std::string> names = section_names(file);
    // As render finds it: in the UTF-8 bytes typed when the file has only those.
    const std::string wanted =
        options.sections.empty()
            ? std::string()
            : section_in_file(names, options.section(), options.typed.sections.front())
                  .value_or(options.section());
    std::vector<size_t> chosen;
    for (size_t i = 0; i < names.size(); ++i) {
        if (options.sections.empty() || (chosen.empty() && same_profile_name(names[i], wanted))) {
            chosen.push_back(i);
        }
    }
    if (chosen.empty()) {
        throw Failure{exit_code::settings_file,
                      options.sections.empty()
                          ? "no sections in '" + options.ini + "'"
                          : no_section_text(options.section(), options.ini, names)};
    }
    const FileLines lines = file_lines(file);
    CheckContext context;
    std::vector<Finding> all;
    CheckCounts counts;
    counts.sections = chosen.size();
    for (const size_t i : chosen) {
        const std::vector<Finding> found = context.findings(file, lines, names, i, options.size);
        const size_t notes = static_cast<size_t>(
            std::count_if(found.begin(), found.end(), [](const Finding& f) { return f.note; }));
        counts.notes += notes;
        counts.findings += found.size() - notes;
        counts.sections_with_findings += found.size() > notes ? 1 : 0;
        all.insert(all.end(), found.begin(), found.end());
    }
    // Named as the user gave it, so that an editor finds it from where it
    // was run.
    if (options.json) {
        std::fputs(findings_json(options.ini, all, counts).c_str(), stdout);
    } else {
        for (const Finding& finding : all) {
            std::printf("%s\n", located_text(options.ini, finding).c_str());
        }
        std::printf("%s\n", check_summary(counts).c_str());
    }
    return counts.findings == 0 ? exit_code::ok : exit_code::findings;
}

} // namespace scrivlet::host
