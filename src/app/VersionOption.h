#pragma once
// `markvane --version`: answered before any window or display is needed, so it works on a
// machine without a desktop session (package checks, scripts).

#include <optional>

namespace mv {

// Prints "<product name> <product version>" to standard output and returns the exit code
// when the only argument is "--version"; nothing otherwise.
std::optional<int> HandleVersionOption(int argc, const char* const* argv);

} // namespace mv
