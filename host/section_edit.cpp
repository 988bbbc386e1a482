#include "section_edit.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace scrivlet::host {

namespace {

constexpr char bom[] = "\xEF\xBB\xBF";

struct Line {
    std::string content;
    std::string end; // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> split_lines(const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        if (newline == std::string::npos) {
            lines.push_back({text.substr(start), ""});
            break;
        }
        const bool crlf = newline > start && text[newline - 1] == '\r';
        const size_t content_end = crlf ? newline - 1 : newline;
        lines.push_back({text.substr(start, content_end - start), crlf ? "\r\n" : "\n"});
        start = newline + 1;
    }
    return lines;
}

std::string trimmed(const std::string& text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && blank(text[first])) {
        ++first;
    }
    while (last > first && blank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

// The profile reader compares names without regard to ASCII case.
bool same_name(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<std::string> header_name(const std::string& content) {
    const std::string line = trimmed(content);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const size_t close = line.find(']');
    return trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// Comments and blank lines have no key.
std::optional<std::string> key_of(const std::string& content) {
    const std::string line = trimmed(content);
    if (line.empty() || line.front() == ';' || line.front() == '#') {
        return std::nullopt;
    }
    return trimmed(line.substr(0, line.find('=')));
}

struct Change {
    std::string key;
    std::string line;
    bool written = false;
};

std::vector<Change> changes_between(const std::vector<std::string>& before,
                                    const std::vector<std::string>& after) {
    std::vector<Change> changes;
    for (const std::string& line : after) {
        const std::string key = trimmed(line.substr(0, line.find('=')));
        const auto old = std::find_if(before.begin(), before.end(), [&](const std::string& b) {
            return same_name(trimmed(b.substr(0, b.find('='))), key);
        });
        if (old == before.end() || *old != line) {
            changes.push_back({key, line});
        }
    }
    return changes;
}

std::string line_end_of(const std::vector<Line>& lines) {
    return lines.empty() || lines.front().end.empty() ? "\r\n" : lines.front().end;
}

std::string joined(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) {
        text += line.content + line.end;
    }
    return text;
}

} // namespace

std::string with_section_changes(const std::string& text, const std::string& section,
                                 const std::vector<std::string>& before,
                                 const std::vector<std::string>& after) {
    std::vector<Change> changes = changes_between(before, after);
    if (changes.empty()) {
        return text;
    }
    const bool has_bom = text.compare(0, 3, bom) == 0;
    std::vector<Line> lines = split_lines(has_bom ? text.substr(3) : text);
    const std::string end = line_end_of(lines);
    const auto header = std::find_if(lines.begin(), lines.end(), [&](const Line& line) {
        const auto name = header_name(line.content);
        return name && same_name(*name, section);
    });
    if (header == lines.end()) {
        if (!lines.empty() && lines.back().end.empty()) {
            lines.back().end = end;
        }
        if (!lines.empty() && !trimmed(lines.back().content).empty()) {
            lines.push_back({"", end});
        }
        lines.push_back({"[" + section + "]", end});
        for (const Change& change : changes) {
            lines.push_back({change.line, end});
        }
        return (has_bom ? bom : "") + joined(lines);
    }
    auto last_key = header;
    auto line = std::next(header);
    for (; line != lines.end() && !header_name(line->content); ++line) {
        const auto key = key_of(line->content);
        if (!key) {
            continue;
        }
        last_key = line;
        for (Change& change : changes) {
            if (!change.written && same_name(change.key, *key)) {
                line->content = change.line;
                change.written = true;
            }
        }
    }
    std::vector<Line> added;
    for (const Change& change : changes) {
        if (!change.written) {
            added.push_back({change.line, end});
        }
    }
    if (!added.empty() && last_key->end.empty()) {
        last_key->end = end;
    }
    lines.insert(std::next(last_key), added.begin(), added.end());
    return (has_bom ? bom : "") + joined(lines);
}

} // namespace scrivlet::host
