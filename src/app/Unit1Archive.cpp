#include "Unit1.h"

// These commands are not wired to their behaviour yet.

namespace mv {

void TForm1::TBArchiveClick() {}

} // namespace mv
