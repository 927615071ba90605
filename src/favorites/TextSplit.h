#pragma once
// Cutting text at the first or last occurrence of a delimiter, character-wise.

#include "platform/codepage.h"

#include <string>
#include <string_view>

namespace mv {

enum SplitMode { BeforeDelimiter = 0, ThroughDelimiter = 1, AfterDelimiter = 2, FromDelimiter = 3 };

std::string SplitTake(std::string_view s, std::string_view delimiter, int mode,
                      bool firstOccurrence, const CodePage& cp = CodePage::active());

} // namespace mv
