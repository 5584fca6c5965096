// The value types of the GPD language, read from an attribute's value text.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace gpd {

// A text string: its quoted pieces joined, <hex> bytes and % escapes decoded. Nullopt when the
// value is not a well-formed text string.
std::optional<std::string> TextValue(const std::string& value);
// TRUE or FALSE, in any case.
std::optional<bool> BooleanValue(const std::string& value);
// An integer: decimal with an optional leading '-', or 0x hex.
std::optional<long long> IntegerValue(const std::string& value);
// PAIR(a, b) of integers.
std::optional<std::pair<long long, long long>> PairValue(const std::string& value);

// A command's *Order: "JOB_SETUP.30" is the section JOB_SETUP, 30th.
struct OrderValue {
    std::string section;
    long long order = 0;
};
std::optional<OrderValue> ParseOrder(const std::string& value);

// Whether the value is a reference to a macro that stayed unresolved (=NAME), as the WDK's
// StdNames.gpd names resource ids that no file here defines.
bool IsMacroReference(const std::string& value);

}  // namespace gpd
