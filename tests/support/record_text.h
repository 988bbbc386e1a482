#pragma once
// Every field of a meter record as "name=value" lines, so that tests can
// compare whole records exactly and read the difference when they fail.

#include "plugin/meter_record.h"

#include <string>
#include <vector>

namespace scrivlet::test {

std::vector<std::string> record_lines(const MeterRecord& record);

} // namespace scrivlet::test
