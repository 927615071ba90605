#pragma once
// The list's look for the rest of the run: TForm2 sets the widths of the four text columns of
// the favorites grid; ChooseFont asks for the font of those columns and the folder tree.

#include "ui/OwnerBlockingDialog.h"
#include <QFont>
#include <QPointer>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QSpinBox;

namespace mv {

class TMOStringGrid;

// "列幅の設定": spin edits for the widths of columns 1 to 4. Shown without a modal loop; the
// owner (the main window) is disabled while it is visible.
class TForm2 : public TOwnerBlockingDialog {
    Q_OBJECT
public:
    TForm2(TMOStringGrid* grid, QWidget* owner);

    QLabel *Label1, *Label2, *Label3, *Label4;
    QSpinBox *spnSite, *spnURL, *spnDate, *spnComment;
    QPushButton *btnSet, *btnCancel;

    void FormShow();
    void btnSetClick();
    void btnCancelClick();

    // A spin edit's text as a decimal integer; anything else reads as 0.
    static int SpinValue(const QSpinBox& spin);

protected:
    void Opened() override { FormShow(); }

private:
    QPointer<TMOStringGrid> grid_;
};

// The system font dialog starting at `initial`, without size limits; nothing when cancelled.
std::optional<QFont> ChooseFont(const QFont& initial, QWidget* parent);

// Answers ChooseFont instead of the dialog (tests); an empty function restores the dialog.
using FontChooser = std::function<std::optional<QFont>(const QFont& initial)>;
void setFontChooserForTesting(FontChooser chooser);

} // namespace mv
