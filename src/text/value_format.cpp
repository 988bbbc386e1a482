#include "text/value_format.h"

namespace scrivlet {

// Placeholder until the formatter lands: every value is drawn as it came.
bool is_numeric_value(std::string_view) {
    return false;
}

std::string format_meter_value(std::string_view meter_value, int32_t) {
    return std::string(meter_value);
}

} // namespace scrivlet
