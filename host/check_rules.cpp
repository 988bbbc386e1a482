#include "check_rules.h"

#include "common/ascii_case.h"
#include "common/utf8.h"

#include "dialog/dialog_rules.h"
#include "render/layout.h"
#include "settings/settings_keys.h"
#include "settings/value_list.h"
#include "text/decimal_number.h"
#include "text/template.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <span>

namespace scrivlet::host {

namespace {

// Values longer than this are shown cut, with an ellipsis.
constexpr size_t shown_value_chars = 64;
constexpr std::string_view ellipsis = "...";

// A key this close to one of the plug-in's (in edits, case aside) is taken
// for a misspelling of it.
constexpr size_t misspelling_distance = 3;
constexpr std::string_view product_prefix = "scrivlet";

// Edits (insert, delete, replace, swap of neighbours) from a to b, case aside.
size_t edit_distance(std::string_view a, std::string_view b) {
    const size_t columns = b.size() + 1;
    std::vector<size_t> d((a.size() + 1) * columns);
    auto at = [&](size_t i, size_t j) -> size_t& { return d[i * columns + j]; };
    for (size_t i = 0; i <= a.size(); ++i) {
        at(i, 0) = i;
    }
    for (size_t j = 0; j <= b.size(); ++j) {
        at(0, j) = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = ascii_lower(a[i - 1]) == ascii_lower(b[j - 1]) ? 0 : 1;
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
            if (i > 1 && j > 1 && ascii_lower(a[i - 1]) == ascii_lower(b[j - 2]) &&
                ascii_lower(a[i - 2]) == ascii_lower(b[j - 1])) {
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
            }
        }
    }
    return at(a.size(), b.size());
}

std::optional<size_t> our_key(std::string_view key) {
    for (size_t k = 0; k < settings_keys.size(); ++k) {
        if (same_ignoring_case(key, settings_keys[k].name)) {
            return k;
        }
    }
    return std::nullopt;
}

std::string shown(std::string_view value) {
    if (value.size() <= shown_value_chars) {
        return std::string(value);
    }
    return std::string(value.substr(0, shown_value_chars - ellipsis.size())) +
           std::string(ellipsis);
}

std::string quoted(std::string_view text) {
    return "\"" + shown(text) + "\"";
}

std::string line_text(const SectionLine& line) {
    return line.value ? line.key + "=" + shown(*line.value) : line.key;
}

// One decimal, rounded half away from zero whatever the C library's
// printf does with a tie.
std::string points(double value) {
    double tenths = std::round(value * 10) / 10;
    if (tenths == 0) {
        tenths = 0; // no "-0.0"
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", tenths);
    return text;
}

std::string plain(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Faces that ship with every Windows desktop since Windows 7.
constexpr std::string_view windows_desktop_faces[] = {
    "Arial",
    "Arial Black",
    "Calibri",
    "Cambria",
    "Candara",
    "Comic Sans MS",
    "Consolas",
    "Constantia",
    "Corbel",
    "Courier New",
    "Georgia",
    "Impact",
    "Lucida Console",
    "Lucida Sans Unicode",
    "Microsoft Sans Serif",
    "Palatino Linotype",
    "Segoe UI",
    "Symbol",
    "Tahoma",
    "Times New Roman",
    "Trebuchet MS",
    "Verdana",
    "Webdings",
    "Wingdings",
};

// The code points of `bytes` when they are UTF-8 with at least one
// character beyond ASCII; none when any byte above 0x7F is not part of a
// well-formed sequence (then the bytes are most likely meant as they are).
std::optional<std::vector<uint32_t>> utf8_beyond_ascii(std::string_view bytes) {
    std::vector<uint32_t> points;
    bool beyond = false;
    for (size_t i = 0; i < bytes.size();) {
        const Utf8Sequence sequence = utf8_sequence(bytes, i);
        if (sequence.length == 0) {
            return std::nullopt;
        }
        beyond = beyond || sequence.length > 1;
        points.push_back(sequence.point);
        i += sequence.length;
    }
    if (!beyond) {
        return std::nullopt;
    }
    return points;
}

// Each byte as the character of the same number, as the plug-in widens
// text for the graphics library, written in UTF-8 for the reader.
std::string drawn_as(std::string_view bytes) {
    std::string text;
    for (const char byte : bytes) {
        append_utf8(text, static_cast<unsigned char>(byte));
    }
    return text;
}

// What one section's findings are written with.
class Findings {
public:
    explicit Findings(const SectionToCheck& section) : section_(section) {}

    void add_for_section(const std::string& message) {
        push("", section_.header_line, "[" + section_.name + "]: ", message, false);
    }
    void add(const SectionLine& line, const std::string& message, bool note = false,
             bool hides_text = false) {
        push(line.key, line.file_line, "[" + section_.name + "] " + line_text(line) + ": ", message,
             note, hides_text);
    }
    // A finding of the key's line; of the section as a whole when no key
    // is named or the section has no line for it.
    void add_for_key(std::string_view key, const std::string& message, bool hides_text = false) {
        const std::optional<size_t> line =
            key.empty() ? std::nullopt : line_read_for(section_.lines, key);
        if (line) {
            add(section_.lines[*line], message, false, hides_text);
        } else {
            push("", section_.header_line, "[" + section_.name + "] ", message, false, hides_text);
        }
    }
    // A note about a line of the file that is no key of the section.
    void add_at(size_t file_line, const std::string& message) {
        push("", file_line, "[" + section_.name + "]: ", message, true);
    }

    std::vector<Finding> take() { return std::move(found_); }

private:
    void push(const std::string& key, std::optional<size_t> line, const std::string& head,
              const std::string& message, bool note, bool hides_text = false) {
        found_.push_back(
            Finding{section_.name, key, line, message, head + message, note, hides_text});
    }

    const SectionToCheck& section_;
    std::vector<Finding> found_;
};

// Only the low 8 bits of a channel reach the colour the plug-in draws with.
int32_t drawn_channel(int32_t value) {
    return static_cast<int32_t>(pack_argb(value, 0, 0, 0) >> 24);
}

bool in_channel_range(int32_t value) {
    return value >= 0 && value <= max_channel;
}

// The three colour lists: alpha, red, green, blue.
bool colour_key(const SettingsKey& key) {
    for (const std::span<const ListField> colour :
         {std::span<const ListField>(font_color_fields),
          std::span<const ListField>(border_color_fields),
          std::span<const ListField>(shadow_color_fields)}) {
        if (key.fields.data() == colour.data()) {
            return true;
        }
    }
    return false;
}

// "font_red" -> "red".
std::string_view channel_name(const ListField& field) {
    const std::string_view name = field.name;
    return name.substr(name.find('_') + 1);
}

std::string rule_reason(NumberRule rule, std::string_view name, int32_t value) {
    const std::string named = std::string(name) + " " + std::to_string(value);
    switch (rule) {
    case NumberRule::channel:
        return named + " is outside 0.." + std::to_string(max_channel);
    case NumberRule::at_most_ten:
        return named + " is above " + std::to_string(max_decimals);
    case NumberRule::zero_is_one:
        return std::string(name) + " is 0";
    case NumberRule::as_read:
        break;
    }
    return named;
}

void check_field(Findings& findings, const SectionLine& line, const ListField& position,
                 std::string_view text, int32_t value, bool colour) {
    const std::string name = position.name;
    if (position.kind == FieldKind::flag) {
        if (text != "0" && text != "1") {
            findings.add(line, name + " " + quoted(text) + " reads as " + std::to_string(value) +
                                   ": a flag is 0 only when its field begins with 0");
        }
        return;
    }
    const NumberScan number = scan_number(text);
    if (number.saturated) {
        findings.add(line, name + " " + quoted(text) + " is beyond 32 bits: it reads as " +
                               std::to_string(value));
    } else if (!number.digits) {
        findings.add(line, name + " " + quoted(text) + " holds no digits: it reads as 0");
    } else if (number.trailing) {
        findings.add(line, name + " " + quoted(text) + " reads as " + std::to_string(value) +
                               ": what follows the digits is ignored");
    }
    const FieldRule* rule = ok_number_rule(position.number);
    // An alpha of 256 draws as 0: the text is not drawn at all.
    const bool hides_text = position.number == &MeterRecord::font_alpha &&
                            !in_channel_range(value) && drawn_channel(value) == 0;
    const std::string draws = colour && !in_channel_range(value)
                                  ? ": it draws as " + std::to_string(drawn_channel(value)) +
                                        " (only the low 8 bits count)"
                                  : "";
    if (rule) {
        const RuledNumber ruled = apply_number_rule(rule->rule, value);
        if (ruled.value != value) {
            findings.add(line,
                         rule_reason(rule->rule, name, value) + draws +
                             "; the settings dialog's OK saves it as " +
                             std::to_string(ruled.value) + (ruled.warn ? " and warns" : ""),
                         false, hides_text);
        }
    } else if (!draws.empty()) {
        findings.add(line, rule_reason(NumberRule::channel, name, value) + draws, false,
                     hides_text);
    }
    if (position.number == &MeterRecord::alignment && !alignment_in_range(value)) {
        // OK takes the last cell when none of the first eight buttons is
        // checked, and a value off the grid leaves them all unchecked.
        findings.add(line, "alignment " + std::to_string(value) + " is outside 0.." +
                               std::to_string(alignment_count - 1) +
                               ": it draws top left, and the first repaint makes it 0, which "
                               "the next save writes; the settings dialog opened before any "
                               "repaint checks no alignment button, and its OK saves " +
                               std::to_string(alignment_count - 1) + " (bottom right)");
    }
}

// A colour is alpha first: "255,128,0" meant as orange is not red 255.
std::string colour_channels(const SettingsKey& key, const std::string& value) {
    const std::vector<int32_t> read = read_value_list(value, list_positions(key.fields));
    std::vector<std::string> channels;
    for (size_t i = 0; i < key.fields.size(); ++i) {
        channels.push_back(std::string(channel_name(key.fields[i])) + " " +
                           std::to_string(read[i]));
    }
    return "; colours are alpha, red, green, blue, so it draws " + listed(channels);
}

void check_list(Findings& findings, const SectionLine& line, const SettingsKey& key,
                const std::string& value, MeterRecord& values) {
    const std::vector<std::string_view> fields =
        split_value_list(value, std::numeric_limits<size_t>::max());
    const size_t positions = key.fields.size();
    if (fields.size() < positions) {
        std::string rest;
        for (size_t i = fields.size(); i < positions; ++i) {
            rest += (rest.empty() ? "" : ", ") + std::string(key.fields[i].name) + " " +
                    std::to_string(key.fields[i].missing);
        }
        findings.add(line, std::to_string(fields.size()) + " of its " + std::to_string(positions) +
                               " fields: the rest take their defaults (" + rest + ")" +
                               (colour_key(key) ? colour_channels(key, value) : ""));
    } else if (fields.size() > positions) {
        const std::string_view last = fields[positions - 1];
        const size_t tail = static_cast<size_t>(last.data() + last.size() - value.data()) + 1;
        findings.add(line, std::to_string(fields.size()) + " fields where the plug-in reads " +
                               std::to_string(positions) + ": the rest, " +
                               quoted(std::string_view(value).substr(tail)) + ", is never read");
    }
    const std::vector<int32_t> read = read_value_list(value, list_positions(key.fields));
    store_list(values, key.fields, read);
    for (size_t i = 0; i < positions; ++i) {
        if (i < fields.size()) {
            check_field(findings, line, key.fields[i], fields[i], read[i], colour_key(key));
        }
    }
}

void check_face(Findings& findings, const SectionToCheck& section, const SectionLine& line,
                const std::string& value, const FaceInstalled& face_installed) {
    if (value.size() > face_name_limit) {
        findings.add(line, std::to_string(value.size()) + " characters, more than the " +
                               std::to_string(face_name_limit) +
                               " a face name holds: the plug-in keeps " +
                               quoted(value.substr(0, face_name_limit)));
    }
    const std::string face = value.substr(0, face_name_limit);
    if (face.empty()) {
        findings.add(line, "no face name: the text draws nothing", false, true);
    } else if (!face_installed(face) && on_every_windows_desktop(face)) {
        findings.add(line,
                     "the face " + quoted(face) + " is not installed " +
                         (section.under_wine ? "in this Wine prefix" : "on this system") +
                         ", so a preview here draws no text; every Windows desktop has it, so "
                         "there the meter draws as written",
                     true, true);
    } else if (!face_installed(face)) {
        std::string message =
            "the face " + quoted(face) + " is not installed: the text draws nothing";
        const std::vector<std::string> closest = closest_faces(face, section.installed_families);
        for (size_t i = 0; i < closest.size(); ++i) {
            message += (i == 0 ? "; installed faces spelt like it: " : ", ") + quoted(closest[i]);
        }
        findings.add(line, message, false, true);
    }
}

// A file saved as UTF-8 without a BOM: its characters beyond ASCII are
// several bytes each, and the plug-in draws every byte.
void check_encoding(Findings& findings, const SectionToCheck& section, const SectionLine& line,
                    const std::string& value) {
    if (section.file_has_bom) {
        return;
    }
    const std::optional<std::vector<uint32_t>> points = utf8_beyond_ascii(value);
    if (!points) {
        return;
    }
    std::string beyond_latin1;
    for (const uint32_t point : *points) {
        if (point > 0xFF) {
            append_utf8(beyond_latin1, point);
        }
    }
    findings.add(line,
                 "it draws " + quoted(drawn_as(value)) + " where " + quoted(value) +
                     " was meant: the file is UTF-8 without a BOM, and the plug-in draws each "
                     "byte as one Latin-1 character; save it as Windows-1252, or as UTF-8 with "
                     "a BOM, which the profile reader converts" +
                     (beyond_latin1.empty() ? ""
                                            : "; " + quoted(beyond_latin1) +
                                                  " is beyond Latin-1, which no encoding of the "
                                                  "file makes it draw"));
}

// '%' words the expansion leaves as they are; a '%' before a digit, a
// blank or the end is text ("50 %").
std::vector<std::string> literal_percent_words(const std::string& value) {
    // A value without '%' or letters, so that it neither forms nor hides one.
    const std::string expanded = expand_template(value, "0");
    std::vector<std::string> words;
    for (size_t at = expanded.find('%'); at != std::string::npos; at = expanded.find('%', at + 1)) {
        size_t end = at + 1;
        while (end < expanded.size() && std::isalpha(static_cast<unsigned char>(expanded[end]))) {
            ++end;
        }
        const std::string word = expanded.substr(at, end - at);
        if (end > at + 1 && std::find(words.begin(), words.end(), word) == words.end()) {
            words.push_back(word);
        }
    }
    return words;
}

void check_template(Findings& findings, const SectionLine& line, const std::string& value) {
    const std::vector<std::string> words = literal_percent_words(value);
    if (!words.empty()) {
        std::vector<std::string> named;
        for (const std::string& word : words) {
            named.push_back(quoted(word));
        }
        findings.add(line, listed(named) + (words.size() == 1 ? " is" : " are") +
                               " drawn as written: only %v, %b and %tab, in lower case, are "
                               "replaced");
    }
    if (value.empty()) {
        findings.add(line, "an empty template: the meter draws no text", false, true);
    } else if (value.size() > static_cast<size_t>(template_read_chars)) {
        findings.add(line, std::to_string(value.size()) + " characters, more than the " +
                               std::to_string(template_read_chars) +
                               " the settings dialog's box reads: OK after an edit there keeps "
                               "the first " +
                               std::to_string(template_read_chars));
    }
}

void check_lookalike(Findings& findings, const SectionToCheck& section, const SectionLine& line) {
    size_t nearest = 0;
    size_t distance = std::numeric_limits<size_t>::max();
    for (size_t k = 0; k < settings_keys.size(); ++k) {
        const size_t d = edit_distance(line.key, settings_keys[k].name);
        if (d < distance) {
            distance = d;
            nearest = k;
        }
    }
    // "FontColor" for "Scrivlet_FontColor": the plug-in reads only its own
    // prefixed names.
    for (size_t k = 0; k < settings_keys.size(); ++k) {
        const std::string_view name = settings_keys[k].name;
        if (same_ignoring_case(line.key, name.substr(name.find('_') + 1))) {
            distance = 0;
            nearest = k;
        }
    }
    const bool close = distance <= misspelling_distance;
    if (!close && !same_ignoring_case(std::string_view(line.key).substr(0, product_prefix.size()),
                                      product_prefix)) {
        return; // the host's own key, or another plug-in's
    }
    std::string message = "not a key the plug-in reads";
    if (close) {
        const SettingsKey& key = settings_keys[nearest];
        message += std::string("; did you mean ") + key.name + "?";
        if (!line_read_for(section.lines, key.name)) {
            message += " The section lacks it, so its default " + missing_text(key) + " stands";
        }
    }
    findings.add(line, message);
}

void check_line(Findings& findings, const SectionToCheck& section, size_t index,
                const FaceInstalled& face_installed, MeterRecord& values) {
    const SectionLine& line = section.lines[index];
    if (line.key.starts_with('#')) {
        findings.add(
            line,
            "only ';' begins a comment: the profile functions read this line as the key '" +
                line.key + "', which the plug-in never asks for",
            true);
        return;
    }
    if (line.key.starts_with('[')) {
        findings.add(line, "no ']' closes it, so it is no header: the profile functions read it "
                           "as a key of this section, and the lines below it as more of its keys");
        return;
    }
    const std::optional<size_t> k = our_key(line.key);
    if (!k) {
        check_lookalike(findings, section, line);
        return;
    }
    const SettingsKey& key = settings_keys[*k];
    if (line_read_for(section.lines, key.name) != index) {
        findings.add(line, std::string("an earlier line holds ") + key.name +
                               " too; the profile functions read only the first, never this one");
        return;
    }
    if (line.key != key.name) {
        findings.add(line, std::string("the plug-in spells it ") + key.name +
                               "; key names match whatever their case, so it is read");
    }
    if (!line.value) {
        findings.add(line, "no \"=\": the profile functions read no value, so the default " +
                               missing_text(key) + " stands");
        return;
    }
    switch (key.kind) {
    case KeyKind::list:
        check_list(findings, line, key, *line.value, values);
        break;
    case KeyKind::font_face:
        check_encoding(findings, section, line, *line.value);
        check_face(findings, section, line, *line.value, face_installed);
        break;
    case KeyKind::text_template:
        check_encoding(findings, section, line, *line.value);
        check_template(findings, line, *line.value);
        break;
    }
}

// The numbers render_text hands to the layout rules.
DrawableInputs drawable_inputs(const MeterRecord& values, Size size, float dpi_x, float dpi_y,
                               bool shadow_enabled, bool border_enabled, LayoutRect& rect) {
    const int32_t width = static_cast<int32_t>(size.width);
    const int32_t height = static_cast<int32_t>(size.height);
    const SurfacePoints surface = surface_points(width, height, dpi_x, dpi_y);
    rect = layout_rectangle(surface, LayoutRoom{shadow_enabled, values.shadow_size,
                                                values.shadow_offset_x, values.shadow_offset_y,
                                                border_enabled, values.border_width});
    return DrawableInputs{dpi_x,
                          dpi_y,
                          width,
                          height,
                          rect,
                          static_cast<float>(values.font_size),
                          values.shadow_size,
                          values.shadow_offset_x,
                          values.shadow_offset_y,
                          values.border_width};
}

bool room_shows(DrawableInputs in) {
    in.em_size_pt = 1; // always within the em bound: only the rectangle decides
    return drawable_geometry(in).text;
}

std::string size_source(const SectionToCheck& section) {
    switch (section.size.source) {
    case SizeSource::option:
        return "from --size";
    case SizeSource::comment:
        if (section.size_comment) {
            const SizeComment& comment = *section.size_comment;
            return "from the '; size:' comment on line " + std::to_string(comment.line) +
                   (comment.inside.empty() ? ""
                                           : ", which stands among the keys of [" + comment.inside +
                                                 "] and applies to the next section");
        }
        return "from its '; size:' comment";
    case SizeSource::fallback:
        break;
    }
    return "the default size";
}

// The section's geometry at the size it is checked at, which the parts of
// check_geometry judge.
struct Geometry {
    const SectionToCheck& section;
    const MeterRecord& values;
    bool shadow_enabled = false;
    bool border_enabled = false;
    LayoutRect rect;
    DrawableInputs in;
    std::string at; // "at WxH px (whence, N dpi) ", which each finding begins with
};

std::string twice_the_largest_surface() {
    return "twice the largest surface (" + std::to_string(max_surface_side_px) + " px a side)";
}

void check_em(Findings& findings, const Geometry& g, const std::string& nothing) {
    DrawableInputs any_room = g.in;
    any_room.rect = LayoutRect{0, 0, 1, 1};
    if (drawable_geometry(any_room).text) {
        return;
    }
    const float em = g.in.em_size_pt;
    findings.add_for_key("Scrivlet_FontSettings",
                         nothing + "font size " + plain(em) + " pt " +
                             (em > 0 ? "is more than " + plain(em_bound_per_side) +
                                           " times the surface's longer side (up to " +
                                           plain(min_em_bound_pt) + " pt always draws)"
                                     : std::string("is not above 0")),
                         true);
}

// The insets that take the text's room: those without which it would show;
// both when either alone would leave room.
void check_room(Findings& findings, const Geometry& g, const std::string& nothing) {
    const MeterRecord& values = g.values;
    const Size size = g.section.size.size;
    LayoutRect ignored;
    auto shows_with = [&](bool shadow, bool border) {
        return room_shows(drawable_inputs(values, size, g.section.dpi_x, g.section.dpi_y, shadow,
                                          border, ignored));
    };
    const bool without_shadow = g.shadow_enabled && shows_with(false, g.border_enabled);
    const bool without_border = g.border_enabled && shows_with(g.shadow_enabled, false);
    const bool without_both = g.shadow_enabled && g.border_enabled && shows_with(false, false);
    const std::string shadow_inset = "the shadow (size " + std::to_string(values.shadow_size) +
                                     ", offset " + std::to_string(values.shadow_offset_x) + "," +
                                     std::to_string(values.shadow_offset_y) + ")";
    const std::string border_inset =
        "the border (width " + std::to_string(values.border_width) + ")";
    std::string key;
    std::string insets;
    if (without_shadow != without_border) {
        key = without_shadow ? "Scrivlet_ShadowSettings" : "Scrivlet_BorderSettings";
        insets = without_shadow ? shadow_inset : border_inset;
    } else if (without_both) {
        key = "Scrivlet_ShadowSettings";
        insets = shadow_inset + " and " + border_inset;
    }
    const LayoutRect& rect = g.rect;
    const std::string rect_text = "(at " + points(rect.x) + "," + points(rect.y) + " pt, " +
                                  points(rect.width) + " x " + points(rect.height) + " pt)";
    const std::string too_far = " further from the surface than the largest surface (" +
                                std::to_string(max_surface_side_px) + " px a side) is wide";
    if (key.empty()) {
        findings.add_for_key(
            "", nothing + "the surface's own rectangle " + rect_text + " reaches" + too_far, true);
    } else {
        findings.add_for_key(key,
                             nothing + "the insets for " + insets + " move its rectangle " +
                                 rect_text + too_far,
                             true);
    }
}

void check_shadow(Findings& findings, const Geometry& g, const Drawable& drawable) {
    const std::string nothing = g.at + "the shadow draws nothing: ";
    DrawableInputs unmoved = g.in;
    unmoved.shadow_offset_x = 0;
    unmoved.shadow_offset_y = 0;
    DrawableInputs thin = g.in;
    thin.shadow_size = 0;
    if (!drawable_geometry(unmoved).shadow) {
        findings.add_for_key("Scrivlet_ShadowSettings",
                             nothing + "its pen (size " + std::to_string(g.in.shadow_size) +
                                 ") is wider than " + twice_the_largest_surface());
    }
    if (!drawable_geometry(thin).shadow) {
        findings.add_for_key("Scrivlet_ShadowSettings",
                             nothing + "its offset " + std::to_string(g.in.shadow_offset_x) + "," +
                                 std::to_string(g.in.shadow_offset_y) +
                                 " moves it as far as the largest surface's side (" +
                                 std::to_string(max_surface_side_px) + " px) or further");
    }
    const Size size = g.section.size.size;
    BitmapSize bitmap;
    if (drawable.shadow &&
        !shadow_bitmap_size(static_cast<float>(size.width), static_cast<float>(size.height),
                            g.values.shadow_softness, bitmap)) {
        findings.add_for_key("Scrivlet_ShadowSettings",
                             nothing + "softness " + std::to_string(g.values.shadow_softness) +
                                 " leaves its reduced bitmap no pixel");
    }
}

void check_geometry(Findings& findings, const SectionToCheck& section, const MeterRecord& values) {
    Geometry g{section, values, values.shadow_enabled != 0, values.border_enabled != 0, {}, {}, ""};
    const Size size = section.size.size;
    g.in = drawable_inputs(values, size, section.dpi_x, section.dpi_y, g.shadow_enabled,
                           g.border_enabled, g.rect);
    const Drawable drawable = drawable_geometry(g.in);
    const std::string dpi = section.dpi_x == section.dpi_y
                                ? plain(section.dpi_x)
                                : plain(section.dpi_x) + "x" + plain(section.dpi_y);
    g.at = "at " + size_text(size) + " px (" + size_source(section) + ", " + dpi + " dpi) ";
    if (!drawable.text) {
        const std::string nothing = g.at + "the text draws nothing: ";
        check_em(findings, g, nothing);
        if (!room_shows(g.in)) {
            check_room(findings, g, nothing);
        }
        return; // neither pass draws without the text
    }
    if ((g.shadow_enabled || g.border_enabled) && !drawable.passes) {
        findings.add_for_key("", g.at + "neither shadow nor border draws: the surface is beyond " +
                                     std::to_string(max_surface_side_px) + " px a side");
        return;
    }
    if (g.shadow_enabled) {
        check_shadow(findings, g, drawable);
    }
    if (g.border_enabled && !drawable.border) {
        findings.add_for_key("Scrivlet_BorderSettings",
                             g.at + "the border draws nothing: its band (2 x width " +
                                 std::to_string(g.in.border_width) + ") is wider than " +
                                 twice_the_largest_surface());
    }
}

} // namespace

SectionLine split_section_line(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return SectionLine{std::string(line), std::nullopt, std::nullopt};
    }
    return SectionLine{std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)),
                       std::nullopt};
}

std::optional<size_t> line_read_for(const std::vector<SectionLine>& lines, std::string_view key) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (same_ignoring_case(lines[i].key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

void place_lines(std::vector<SectionLine>& lines,
                 const std::vector<std::pair<std::string, size_t>>& keys) {
    size_t next = 0;
    for (SectionLine& line : lines) {
        for (size_t k = next; k < keys.size(); ++k) {
            if (same_ignoring_case(keys[k].first, line.key)) {
                line.file_line = keys[k].second;
                next = k + 1;
                break;
            }
        }
    }
}

CheckSize check_size(const std::optional<Size>& option, const std::optional<Size>& comment) {
    if (option) {
        return CheckSize{*option, SizeSource::option};
    }
    if (comment) {
        return CheckSize{*comment, SizeSource::comment};
    }
    return CheckSize{default_cell, SizeSource::fallback};
}

std::vector<Finding> section_findings(const SectionToCheck& section,
                                      const FaceInstalled& face_installed) {
    Findings findings(section);
    const size_t first_bracket = section.name.find(']');
    if (first_bracket != std::string::npos) {
        findings.add_for_section("the profile functions take a header's name to its last ']': "
                                 "the plug-in reads this section as '" +
                                 section.name + "' (as --section takes it), not as '" +
                                 section.name.substr(0, first_bracket) + "'");
    }
    if (section.hidden_by) {
        findings.add_for_section("[" + *section.hidden_by +
                                 "] above has the same name, case aside; the profile functions "
                                 "read only that one, so this section is never read");
        return findings.take();
    }
    const bool any_key = std::any_of(section.lines.begin(), section.lines.end(),
                                     [](const SectionLine& line) { return our_key(line.key); });
    if (!any_key) {
        findings.add_for_section(
            "none of the plug-in's keys; a meter of this section takes every default");
    }
    // Every list field's value as the plug-in loads it; the record's other
    // fields are never looked at.
    MeterRecord values;
    for (const SettingsKey& key : settings_keys) {
        std::vector<int32_t> missing;
        for (const ListField& position : key.fields) {
            missing.push_back(position.missing);
        }
        store_list(values, key.fields, missing);
    }
    if (section.size_comment && !section.size_comment->inside.empty()) {
        const SizeComment& comment = *section.size_comment;
        findings.add_at(comment.line,
                        "the '; size: " + size_text(comment.size) + "' comment on line " +
                            std::to_string(comment.line) + " stands among the keys of [" +
                            comment.inside +
                            "] above, yet it applies to this section, the next one below it");
    }
    for (size_t i = 0; i < section.lines.size(); ++i) {
        check_line(findings, section, i, face_installed, values);
    }
    check_geometry(findings, section, values);
    return findings.take();
}

std::vector<std::string> closest_faces(std::string_view face,
                                       const std::vector<std::string>& installed, size_t count) {
    // Beyond half the name's length (at least 3 edits), a face is another
    // name altogether, not a misspelling of it.
    const size_t furthest = std::max<size_t>(3, face.size() / 2);
    std::vector<std::pair<size_t, std::string>> nearby;
    for (const std::string& name : installed) {
        const size_t distance = edit_distance(face, name);
        if (distance <= furthest) {
            nearby.emplace_back(distance, name);
        }
    }
    std::sort(nearby.begin(), nearby.end());
    nearby.erase(std::unique(nearby.begin(), nearby.end(),
                             [](const auto& a, const auto& b) {
                                 return same_ignoring_case(a.second, b.second);
                             }),
                 nearby.end());
    std::vector<std::string> closest;
    for (size_t i = 0; i < nearby.size() && closest.size() < count; ++i) {
        closest.push_back(nearby[i].second);
    }
    return closest;
}

std::string check_summary(const CheckCounts& counts) {
    const std::string sections = counted(counts.sections, "section", "sections");
    const std::string noted =
        counts.notes == 0 ? "" : " (" + counted(counts.notes, "note", "notes") + ")";
    if (counts.findings == 0) {
        return "check: nothing found in " + sections + noted;
    }
    return "check: " + counted(counts.findings, "finding", "findings") + " in " +
           std::to_string(counts.sections_with_findings) + " of " + sections + noted;
}

std::string located_text(std::string_view file, const Finding& finding) {
    const std::string at =
        finding.line ? ":" + std::to_string(*finding.line) + ": " : std::string(": (no line) ");
    return std::string(file) + at + finding.text;
}

namespace {

// A JSON string: well-formed UTF-8 as it is, any other byte as the Latin-1
// character the plug-in would make of it.
std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            const size_t length = utf8_sequence(text, i).length;
            if (length > 0) {
                out += text.substr(i, length);
                i += length;
            } else {
                append_utf8(out, byte);
                ++i;
            }
            continue;
        }
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += static_cast<char>(byte);
        }
        ++i;
    }
    return out + "\"";
}

} // namespace

std::string findings_json(std::string_view file, const std::vector<Finding>& findings,
                          const CheckCounts& counts) {
    std::string json = "{\"findings\": [";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        json += std::string(i == 0 ? "\n" : ",\n") + "  {\"file\": " + json_string(file) +
                ", \"line\": " + (f.line ? std::to_string(*f.line) : "null") +
                ", \"section\": " + json_string(f.section) +
                ", \"key\": " + (f.key.empty() ? "null" : json_string(f.key)) +
                ", \"kind\": " + (f.note ? "\"note\"" : "\"finding\"") +
                ", \"message\": " + json_string(f.message) + ", \"text\": " + json_string(f.text) +
                "}";
    }
    json += findings.empty() ? "],\n" : "\n],\n";
    json += " \"summary\": {\"findings\": " + std::to_string(counts.findings) +
            ", \"notes\": " + std::to_string(counts.notes) +
            ", \"sections_with_findings\": " + std::to_string(counts.sections_with_findings) +
            ", \"sections\": " + std::to_string(counts.sections) +
            ", \"text\": " + json_string(check_summary(counts)) + "}}\n";
    return json;
}

bool on_every_windows_desktop(std::string_view face) {
    return std::any_of(std::begin(windows_desktop_faces), std::end(windows_desktop_faces),
                       [&](std::string_view name) { return same_ignoring_case(name, face); });
}

} // namespace scrivlet::host
