#include "Unit1.h"

// These commands are not wired to their behaviour yet.

namespace mv {

void TForm1::TB_AddClick() {}
void TForm1::TB_PropertyClick() {}
void TForm1::TB_ChangeFavoiteDirClick() {}
void TForm1::TB_ColClick() {}
void TForm1::TB_FontClick() {}
void TForm1::TB_VersionClick() {}
void TForm1::TB_ShowBrowserClick() {}
void TForm1::TBHelpClick() {}

} // namespace mv
