#include "section_edit.h"

#include "settings_text.h"

#include <algorithm>

namespace scrivlet::host {

namespace {

struct Change {
    std::string key;
    std::string line;
    bool written = false;
};

// The key of a "key=value" line as the plug-in saves it.
std::string key_of(const std::string& line) {
    const std::vector<SettingsLine> read = settings_lines(line);
    return read.empty() ? std::string() : std::string(read.front().name);
}

std::vector<Change> changes_between(const std::vector<std::string>& before,
                                    const std::vector<std::string>& after) {
    std::vector<Change> changes;
    for (const std::string& line : after) {
        const std::string key = key_of(line);
        const auto old = std::find_if(before.begin(), before.end(), [&](const std::string& b) {
            return same_profile_name(key_of(b), key);
        });
        if (old == before.end() || *old != line) {
            changes.push_back({key, line});
        }
    }
    return changes;
}

// The file with a new section after its last line, a blank line between.
std::string with_section_appended(const std::string& text, const std::vector<SettingsLine>& lines,
                                  const std::string& section, const std::vector<Change>& changes,
                                  const std::string& end) {
    std::string out = text;
    if (!lines.empty() && lines.back().end.empty()) {
        out += end;
    }
    if (!lines.empty() && lines.back().kind != LineKind::blank) {
        out += end;
    }
    out += "[" + section + "]" + end;
    for (const Change& change : changes) {
        out += change.line + end;
    }
    return out;
}

} // namespace

std::string with_section_changes(const std::string& text, const std::string& section,
                                 const std::vector<std::string>& before,
                                 const std::vector<std::string>& after) {
    std::vector<Change> changes = changes_between(before, after);
    if (changes.empty()) {
        return text;
    }
    const std::vector<SettingsLine> lines = settings_lines(text);
    const std::string end =
        lines.empty() || lines.front().end.empty() ? "\r\n" : std::string(lines.front().end);
    const auto header = std::find_if(lines.begin(), lines.end(), [&](const SettingsLine& line) {
        return line.kind == LineKind::header && same_profile_name(line.name, section);
    });
    if (header == lines.end()) {
        return with_section_appended(text, lines, section, changes, end);
    }
    // Keys the section lacks go after its last key line, or its header.
    auto last_key = header;
    for (auto line = std::next(header); line != lines.end() && line->kind != LineKind::header;
         ++line) {
        last_key = line->kind == LineKind::entry ? line : last_key;
    }
    std::string out = text.substr(0, text.starts_with(utf8_bom) ? utf8_bom.size() : 0);
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        const auto change = std::find_if(changes.begin(), changes.end(), [&](const Change& c) {
            return line > header && line <= last_key && line->kind == LineKind::entry &&
                   !c.written && same_profile_name(c.key, line->name);
        });
        if (change != changes.end()) {
            change->written = true;
        }
        out += change != changes.end() ? change->line : std::string(line->text);
        out += line->end;
        if (line != last_key) {
            continue;
        }
        bool added = false;
        for (const Change& c : changes) {
            if (!c.written) {
                out += (added || !line->end.empty() ? "" : end) + c.line + end;
                added = true;
            }
        }
    }
    return out;
}

} // namespace scrivlet::host
