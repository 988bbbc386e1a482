#include "support/record_text.h"

#include "support/record_fields.h"

#include <cstring>

namespace scrivlet::test {

namespace {

using Lines = std::vector<std::string>;

// A record as lines, split by what a settings file holds of each field.
struct RecordLines {
    Lines numbers;
    Lines texts;
    Lines unpersisted;
};

std::string line(const char* name, long long value) {
    return std::string(name) + "=" + std::to_string(value);
}

void add(RecordLines& lines, const char* name, HWND window) {
    lines.unpersisted.push_back(line(name, reinterpret_cast<long long>(window)));
}

// Of the font description the file holds the face alone.
void add(RecordLines& lines, const char*, const LOGFONTA& f) {
    lines.unpersisted.insert(
        lines.unpersisted.end(),
        {line("lfHeight", f.lfHeight), line("lfWidth", f.lfWidth),
         line("lfEscapement", f.lfEscapement), line("lfOrientation", f.lfOrientation),
         line("lfWeight", f.lfWeight), line("lfItalic", f.lfItalic),
         line("lfUnderline", f.lfUnderline), line("lfStrikeOut", f.lfStrikeOut),
         line("lfCharSet", f.lfCharSet), line("lfOutPrecision", f.lfOutPrecision),
         line("lfClipPrecision", f.lfClipPrecision), line("lfQuality", f.lfQuality),
         line("lfPitchAndFamily", f.lfPitchAndFamily)});
    lines.texts.push_back("font_face=" +
                          std::string(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE)));
}

void add(RecordLines& lines, const char* name, int32_t value) {
    lines.numbers.push_back(line(name, value));
}

void add(RecordLines& lines, const char* name, uint8_t value) {
    lines.numbers.push_back(line(name, value));
}

void add(RecordLines& lines, const char* name, const std::string& value) {
    lines.texts.push_back(std::string(name) + "=" + value);
}

// A field of another type needs its own lines, and a word on whether the
// settings file holds it.
template <typename T> void add(RecordLines&, const char*, const T&) = delete;

RecordLines lines_of(const MeterRecord& r) {
    RecordLines lines;
    for_each_meter_field([&](const auto& field) { add(lines, field.name, r.*field.member); });
    return lines;
}

} // namespace

std::vector<std::string> persisted_lines(const MeterRecord& r) {
    RecordLines lines = lines_of(r);
    lines.numbers.insert(lines.numbers.end(), lines.texts.begin(), lines.texts.end());
    return lines.numbers;
}

std::vector<std::string> record_lines(const MeterRecord& r) {
    Lines lines = lines_of(r).unpersisted;
    const Lines persisted = persisted_lines(r);
    lines.insert(lines.end(), persisted.begin(), persisted.end());
    return lines;
}

} // namespace scrivlet::test
