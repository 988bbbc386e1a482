#pragma once
// Every field of a meter record as "name=value" lines, so that tests can
// compare whole records exactly and read the difference when they fail.

#include "meter/meter_record.h"

#include <string>
#include <vector>

namespace scrivlet::test {

// The fields a settings file holds, in the record's order.
std::vector<std::string> persisted_lines(const MeterRecord& record);

// Every field: the window, the LOGFONTA members, then the persisted ones.
std::vector<std::string> record_lines(const MeterRecord& record);

} // namespace scrivlet::test
