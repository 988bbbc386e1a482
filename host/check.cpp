// check: reads the settings file as the plug-in would, through the profile
// functions, and judges what it holds by the portable rules of
// check_rules.h. It loads no plug-in and writes nothing.

#include "check_rules.h"
#include "commands.h"
#include "settings_file.h"
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

bool same_name(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// A face counts as installed when the system's font enumeration lists a
// family of that name: the graphics library looks its families up the same
// way. Wine lists the prefix's replacements (Arial for Liberation Sans) under
// the replaced name, so those count. A name that CreateFont merely
// substitutes another face for does not: the graphics library finds no
// family by it, and the plug-in then draws no text.
class InstalledFaces {
public:
    explicit InstalledFaces(HDC dc) : dc_(dc) {}

    bool operator()(const std::string& face) {
        const auto known = answers_.find(face);
        if (known != answers_.end()) {
            return known->second;
        }
        return answers_[face] = enumerated(face);
    }

private:
    struct Search {
        const std::string* face;
        bool found;
    };

    static int CALLBACK on_family(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
        auto* search = reinterpret_cast<Search*>(data);
        if (same_name(font->lfFaceName, *search->face)) {
            search->found = true;
            return 0;
        }
        return 1;
    }

    bool enumerated(const std::string& face) const {
        // An empty name would list every family; a longer one cannot be a
        // face name at all.
        if (face.empty() || face.size() >= LF_FACESIZE || dc_ == nullptr) {
            return false;
        }
        LOGFONTA wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        face.copy(wanted.lfFaceName, face.size());
        Search search{&face, false};
        EnumFontFamiliesExA(dc_, &wanted, on_family, reinterpret_cast<LPARAM>(&search), 0);
        return search.found;
    }

    HDC dc_;
    std::map<std::string, bool> answers_;
};

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

// What check needs of the system, found once: the screen's resolution (a
// meter's DIB section is drawn at it) and the faces the plug-in finds.
class CheckContext {
public:
    CheckContext()
        : screen_(CreateCompatibleDC(nullptr)),
          dpi_x_(static_cast<float>(GetDeviceCaps(screen_.get(), LOGPIXELSX))),
          dpi_y_(static_cast<float>(GetDeviceCaps(screen_.get(), LOGPIXELSY))),
          faces_(screen_.get()), families_(installed_families(screen_.get())) {}

    // The findings for section `index` of `names`, the file's sections.
    std::vector<std::string> findings(const std::string& file,
                                      const std::vector<std::string>& names, size_t index,
                                      CheckSize size) {
        SectionToCheck section;
        section.name = names[index];
        for (size_t earlier = 0; earlier < index && !section.hidden_by; ++earlier) {
            if (same_name(names[earlier], names[index])) {
                section.hidden_by = names[earlier];
            }
        }
        if (!section.hidden_by) {
            section.lines = read_section(file, names[index]);
        }
        section.size = size;
        section.installed_families = families_;
        section.dpi_x = dpi_x_;
        section.dpi_y = dpi_y_;
        return section_findings(section, [this](const std::string& face) { return faces_(face); });
    }

private:
    win::UniqueMemoryDc screen_;
    float dpi_x_;
    float dpi_y_;
    InstalledFaces faces_;
    std::vector<std::string> families_;
};

} // namespace

std::vector<std::string> findings_at_size(const std::string& file, const std::string& section,
                                          Size size) {
    const std::vector<std::string> names = section_names(file);
    for (size_t i = 0; i < names.size(); ++i) {
        if (same_name(names[i], section)) {
            return CheckContext().findings(file, names, i, CheckSize{size, SizeSource::option});
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
        if (options.sections.empty() || (chosen.empty() && same_name(names[i], wanted))) {
            chosen.push_back(i);
        }
    }
    if (chosen.empty()) {
        throw Failure{exit_code::settings_file,
                      options.sections.empty()
                          ? "no sections in '" + options.ini + "'"
                          : "no section [" + options.section() + "] in '" + options.ini + "'"};
    }
    const std::map<std::string, Size> sizes = size_comments(file_bytes(file));
    CheckContext context;
    size_t findings = 0;
    size_t sections_with_findings = 0;
    for (const size_t i : chosen) {
        const std::vector<std::string> lines = context.findings(
            file, names, i, check_size(options.size, suggested_size(sizes, names[i])));
        for (const std::string& line : lines) {
            std::printf("%s\n", line.c_str());
        }
        findings += lines.size();
        sections_with_findings += lines.empty() ? 0 : 1;
    }
    std::printf("%s\n", check_summary(findings, sections_with_findings, chosen.size()).c_str());
    return findings == 0 ? exit_code::ok : exit_code::findings;
}

} // namespace scrivlet::host
