#include "preview_notes.h"

#include <algorithm>
#include <cmath>

namespace scrivlet::host {

bool wine_draws_less(const std::string& expanded_text) {
    return expanded_text.find_first_of("\n\t") != std::string::npos;
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
        if (facts.findings.empty()) {
            notes.push_back("nothing was drawn: the text is empty or its colours are invisible "
                            "(alpha 0)");
        } else {
            notes.push_back("nothing was drawn; what check finds in the section:");
            for (const std::string& finding : facts.findings) {
                notes.push_back("  " + finding);
            }
        }
    }
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
