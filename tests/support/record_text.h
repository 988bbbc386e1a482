#pragma once
// Every field of a meter record as "name=value" lines, so that tests can
// compare whole records exactly and read the difference when they fail.

#include "meter/meter_record.h"

#include <string>
#include <vector>

namespace scrivlet::test {

// The fields a settings file holds (every number and text, and of the font
// description its face), in the record's order, the numbers before the texts.
std::vector<std::string> persisted_lines(const MeterRecord& record);

// Every field: those a settings file does not hold (the window, the LOGFONTA
// members but the face), then the persisted ones.
std::vector<std::string> record_lines(const MeterRecord& record);

} // namespace scrivlet::test
