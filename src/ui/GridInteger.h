#pragma once
// Integer texts of the grid's integer columns and spin editor.

#include "ui/GridColumns.h"

#include <optional>
#include <string>
#include <string_view>

namespace mv {

// A decimal integer: an optional sign and digits, within the range of int.
std::optional<int> ParseGridInteger(std::string_view text);

// What an integer column stores for a typed text: "" stays "", "-" (a number being typed)
// becomes "-0", an integer its canonical decimal form ("0012" -> "12", "+5" -> "5");
// nothing when the text is not an integer.
std::optional<std::string> NormalizeGridInteger(std::string_view text);

// The text after one spin step up or down: an empty text counts as "0"; the result stays
// within MinValue .. MaxValue unless the two are equal. Nothing when the text is not an
// integer.
std::optional<std::string> SpinGridInteger(std::string_view text, const TMOSpinButtonOption& option,
                                           bool up);

} // namespace mv
