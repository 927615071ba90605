#include "Unit1.h"

// These commands are not wired to their behaviour yet.

namespace mv {

void TForm1::TB_CopyClick() {}
void TForm1::TB_CutClick() {}
void TForm1::TB_PasteClick() {}
void TForm1::TB_CheckCopyClick() {}
void TForm1::TB_CheckCutClick() {}
void TForm1::TB_DeleteClick() {}
void TForm1::TB_CheckDeleteClick() {}
void TForm1::TB_HideChangeClick() {}
void TForm1::TB_CheckHideChangeClick() {}
void TForm1::TB_Folder_HideClick() {}
void TForm1::TB_Folder_NewClick() {}
void TForm1::TB_Folder_CopyClick() {}
void TForm1::TB_Folder_CutClick() {}
void TForm1::TB_Folder_PasteClick() {}
void TForm1::TB_Folder_DeleteClick() {}

} // namespace mv
