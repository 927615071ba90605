#pragma once
// The four secondary windows, kept for the run once made: the version window, the add-site
// dialog, the property window and the column width window.

#include "organize/dialogs/AddSiteWindow.h"
#include "organize/dialogs/PropertyWindow.h"
#include "ui/ColumnWidthWindow.h"
#include "ui/VersionWindow.h"

namespace mv {

class TForm1;

struct SecondaryForms {
    TfrmVersion* frmVersion = nullptr;
    TfrmAdd* frmAdd = nullptr;
    TfrmProperty* frmProperty = nullptr;
    TForm2* Form2 = nullptr;
};

// Creates the four windows in start-up order and hands them to the main window, which they
// disable while they are shown. They are windows of their own (a disabled main window would
// disable its child windows too) and go with the main window.
SecondaryForms CreateSecondaryForms(TForm1& form);

// The same four windows, made when the first command that shows one of them runs instead
// of at start, where they would hold up the main window's first paint.
void CreateSecondaryFormsOnFirstUse(TForm1& form);

} // namespace mv
