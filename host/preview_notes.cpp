#include "preview_notes.h"

#include "command_line.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace scrivlet::host {

namespace {

// A line's text as a note quotes it: long ones cut, so that a note stays
// one readable line.
constexpr size_t quoted_line_chars = 40;

std::string quoted(std::string_view text) {
    if (text.size() <= quoted_line_chars) {
        return "\"" + std::string(text) + "\"";
    }
    return "\"" + std::string(text.substr(0, quoted_line_chars)) + "...\"";
}

std::string whole_px(double px) {
    return std::to_string(static_cast<long long>(std::ceil(px)));
}

// The library wraps a line wider than its rectangle at the last space that
// fits, and a word wider than the whole line where the line ends; without a
// rectangle of positive width it wraps nothing, and what passes the
// surface's edge is lost.
std::vector<std::string> width_notes(const PreviewFacts& facts) {
    std::vector<std::string> notes;
    if (!facts.anything_drawn || facts.lines.empty()) {
        return notes;
    }
    const std::vector<std::string> texts = split_at(facts.expanded_text, '\n');
    const bool wraps = facts.layout_width_px > 0;
    const double room = wraps ? facts.layout_width_px : facts.surface_width_px;
    const std::string surface = std::to_string(facts.surface_width_px) + " px surface";
    for (size_t i = 0; i < facts.lines.size() && i < texts.size(); ++i) {
        const LineExtent& line = facts.lines[i];
        if (!(line.width_px > room)) {
            continue;
        }
        const std::string needs =
            quoted(texts[i]) + " needs about " + whole_px(line.width_px) + " px";
        if (!wraps) {
            notes.push_back("the text is wider than the " + surface + ": " + needs +
                            "; with no room left inside " +
                            (facts.narrowed_by.empty() ? std::string("it") : facts.narrowed_by) +
                            " it is not wrapped, and what passes the edge is cut off");
            continue;
        }
        const std::string laid_out =
            std::to_string(static_cast<long long>(std::floor(facts.layout_width_px))) +
            (facts.narrowed_by.empty() ? " px to lay out in" : " px inside " + facts.narrowed_by);
        std::string what = needs + " and wraps to a second line";
        if (line.widest_word_px > facts.layout_width_px) {
            what += ", breaking the word " + quoted(line.widest_word) + " where the line ends";
        }
        if (facts.under_wine) {
            what += " (Wine draws only the first line)";
        }
        notes.push_back("the text is wider than the " + surface + " (" + laid_out + "): " + what);
    }
    return notes;
}

bool indented(const std::string& note) {
    return note.rfind("  ", 0) == 0;
}

// Each note with the indented lines beneath it.
std::vector<std::vector<std::string>> note_blocks(const std::vector<std::string>& notes) {
    std::vector<std::vector<std::string>> blocks;
    for (const std::string& note : notes) {
        if (blocks.empty() || !indented(note)) {
            blocks.emplace_back();
        }
        blocks.back().push_back(note);
    }
    return blocks;
}

} // namespace

std::vector<std::string> unsaid_notes(const std::vector<std::string>& notes,
                                      const std::vector<std::string>& said) {
    const std::vector<std::vector<std::string>> before = note_blocks(said);
    std::vector<std::string> unsaid;
    for (const std::vector<std::string>& block : note_blocks(notes)) {
        if (std::find(before.begin(), before.end(), block) == before.end()) {
            unsaid.insert(unsaid.end(), block.begin(), block.end());
        }
    }
    return unsaid;
}

bool wine_draws_less(const std::string& expanded_text) {
    return expanded_text.find_first_of("\n\t") != std::string::npos;
}

std::vector<std::string>
marked_cells_legend(const std::vector<std::string>& rows,
                    const std::vector<std::vector<std::string>>& values,
                    const std::vector<std::vector<std::vector<std::string>>>& notes) {
    std::vector<std::string> legend;
    for (size_t row = 0; row < rows.size(); ++row) {
        const std::vector<std::string>& row_values = values[row];
        std::vector<bool> told(row_values.size());
        for (size_t column = 0; column < row_values.size(); ++column) {
            const std::vector<std::string>& said = notes[row][column];
            if (said.empty() || told[column]) {
                continue;
            }
            std::string cells = "red corner at " + rows[row];
            for (size_t same = column; same < row_values.size(); ++same) {
                if (notes[row][same] == said) {
                    cells +=
                        std::string(same == column ? " " : ", ") + "\"" + row_values[same] + "\"";
                    told[same] = true;
                }
            }
            for (const std::string& note : said) {
                // check's findings under a note stay indented beneath it.
                legend.push_back(indented(note) ? note : cells + ": " + note);
            }
        }
    }
    return legend;
}

std::vector<std::string> preview_notes(const PreviewFacts& facts) {
    std::vector<std::string> notes;
    const size_t lines = 1 + static_cast<size_t>(std::count(facts.expanded_text.begin(),
                                                            facts.expanded_text.end(), '\n'));
    const bool tabs = facts.expanded_text.find('\t') != std::string::npos;
    if (facts.under_wine && (lines > 1 || tabs)) {
        std::string what = lines > 1 ? "the text has " + std::to_string(lines) + " lines" : "";
        if (tabs) {
            what += std::string(what.empty() ? "the text has" : " and") + " tabs";
        }
        notes.push_back("under Wine, GDI+ draws only the first line and leaves tabs out; " + what +
                        ", which Windows draws in full");
    }
    if (!facts.anything_drawn) {
        const std::vector<std::string>& reasons = facts.findings;
        if (facts.expanded_text.empty()) {
            notes.push_back("nothing was drawn: the text is empty");
        } else if (facts.text_alpha_zero) {
            notes.push_back("nothing was drawn: the text's colour has alpha 0");
        } else if (reasons.empty()) {
            notes.push_back("nothing was drawn, and check finds nothing in the section that "
                            "explains it: the text may be blank or lie off the surface");
        } else {
            notes.push_back("nothing was drawn; what check finds in the section:");
            for (const std::string& finding : reasons) {
                notes.push_back("  " + finding);
            }
        }
    }
    const std::vector<std::string> too_wide = width_notes(facts);
    notes.insert(notes.end(), too_wide.begin(), too_wide.end());
    const double needed = std::ceil(static_cast<double>(lines) * facts.line_height_px);
    if (facts.anything_drawn && facts.line_height_px > 0 && needed > facts.surface_height_px) {
        notes.push_back("the text's " + std::to_string(lines) +
                        (lines == 1 ? " line needs" : " lines need") + " about " +
                        std::to_string(static_cast<long long>(needed)) + " px, more than the " +
                        std::to_string(facts.surface_height_px) +
                        " px of the surface: what does not fit is cut off" +
                        (facts.under_wine ? " (Wine moves such text down instead)" : ""));
    }
    return notes;
}

} // namespace scrivlet::host
