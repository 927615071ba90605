#pragma once
// "バージョン情報": the program's icon, product name and version from its version block, the
// makers' notice and the icon credit with their links. Shown without a modal loop; the owner
// (the main window) is disabled while it is visible.

#include "ui/OwnerBlockingDialog.h"
#include <QPointer>

class QLabel;
class QPushButton;
class QFrame;

namespace mv {

class TURLLink;

class TfrmVersion : public TOwnerBlockingDialog {
    Q_OBJECT
public:
    explicit TfrmVersion(QWidget* owner);

    QLabel* Image2;
    QLabel* Label1; // product name
    QLabel* Label2; // "Version: " + product version
    QFrame* Panel1;
    QLabel* NoticeLabel;
    TURLLink* URLLink1; // the makers' page
    QLabel* CreditLabel;
    TURLLink* URLLink3; // the icon designers' page
    QPushButton* btnClose;

    // Fills the labels and the icon from the version block; a block that cannot be read
    // leaves what is not filled yet at its placeholder.
    void FormCreate();
    void btnCloseClick();

private:
    void PlaceLabel2();
};

} // namespace mv
