#include "Unit1.h"

// These commands are not wired to their behaviour yet.

namespace mv {

void TForm1::TB_GetDateClick() {}
void TForm1::TB_CheckGetDateClick() {}
void TForm1::TB_CheckGetDateCancelClick() {}

} // namespace mv
