#pragma once
// Every field of the meter record by name, for the tests that print, compare
// and scribble whole records. A field added to the record without an entry
// here fails the build of every such test.

#include "meter/meter_record.h"

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

namespace scrivlet::test {

// One field of the record by name.
template <typename T> struct MeterField {
    const char* name;
    T MeterRecord::*member;
};
// Spelt out for compilers that deduce no aggregate's arguments (clang 14).
template <typename T> MeterField(const char*, T MeterRecord::*) -> MeterField<T>;

// Every field of MeterRecord, in its order. A new field is added here too,
// as the checks below demand.
inline constexpr std::tuple meter_fields{
    MeterField{"owner_window", &MeterRecord::owner_window},
    MeterField{"log_font", &MeterRecord::log_font},
    MeterField{"font_size", &MeterRecord::font_size},
    MeterField{"font_style", &MeterRecord::font_style},
    MeterField{"alignment", &MeterRecord::alignment},
    MeterField{"underline", &MeterRecord::underline},
    MeterField{"strikeout", &MeterRecord::strikeout},
    MeterField{"font_alpha", &MeterRecord::font_alpha},
    MeterField{"font_red", &MeterRecord::font_red},
    MeterField{"font_green", &MeterRecord::font_green},
    MeterField{"font_blue", &MeterRecord::font_blue},
    MeterField{"antialias", &MeterRecord::antialias},
    MeterField{"shadow_enabled", &MeterRecord::shadow_enabled},
    MeterField{"shadow_alpha", &MeterRecord::shadow_alpha},
    MeterField{"shadow_red", &MeterRecord::shadow_red},
    MeterField{"shadow_green", &MeterRecord::shadow_green},
    MeterField{"shadow_blue", &MeterRecord::shadow_blue},
    MeterField{"shadow_size", &MeterRecord::shadow_size},
    MeterField{"shadow_softness", &MeterRecord::shadow_softness},
    MeterField{"shadow_offset_x", &MeterRecord::shadow_offset_x},
    MeterField{"shadow_offset_y", &MeterRecord::shadow_offset_y},
    MeterField{"border_enabled", &MeterRecord::border_enabled},
    MeterField{"border_alpha", &MeterRecord::border_alpha},
    MeterField{"border_red", &MeterRecord::border_red},
    MeterField{"border_green", &MeterRecord::border_green},
    MeterField{"border_blue", &MeterRecord::border_blue},
    MeterField{"border_width", &MeterRecord::border_width},
    MeterField{"text_template", &MeterRecord::text_template},
    MeterField{"decimals", &MeterRecord::decimals},
    MeterField{"tab_width", &MeterRecord::tab_width},
};

// Calls visit(field) for every entry of meter_fields, in order.
template <typename Visit> void for_each_meter_field(Visit&& visit) {
    std::apply([&](const auto&... field) { (visit(field), ...); }, meter_fields);
}

namespace meter_fields_check {

// Converts to any member's type, so that an aggregate's members can be
// counted by how many of these it takes in braces: the largest count that
// compiles is the number of members.
struct AnyMember {
    template <typename T> operator T() const;
};

template <typename Aggregate, typename... Given> constexpr size_t member_count() {
    if constexpr (requires { Aggregate{Given{}..., AnyMember{}}; }) {
        return member_count<Aggregate, Given..., AnyMember>();
    } else {
        return sizeof...(Given);
    }
}

// Two entries naming the same member (only entries of one type can).
template <typename A, typename B>
constexpr bool same_member(const MeterField<A>& a, const MeterField<B>& b) {
    if constexpr (std::is_same_v<A, B>) {
        return a.member == b.member;
    } else {
        return false;
    }
}

constexpr bool each_member_once() {
    return std::apply(
        [](const auto&... field) {
            size_t pairs = 0; // each entry pairs with itself alone
            (([&](const auto& one) { pairs += (same_member(one, field) + ...); }(field)), ...);
            return pairs == sizeof...(field);
        },
        meter_fields);
}

} // namespace meter_fields_check

static_assert(std::tuple_size_v<decltype(meter_fields)> ==
                  meter_fields_check::member_count<MeterRecord>(),
              "meter_fields must list every member of MeterRecord");
static_assert(meter_fields_check::each_member_once(),
              "meter_fields names a member of MeterRecord twice");

} // namespace scrivlet::test
