#pragma once
// "サイトの追加": a site name, a URL and a comment become a new favorite in the folder
// selected in the main window. Shown without a modal loop; the owner (the main window) is
// disabled while it is visible.

#include "ui/OwnerBlockingDialog.h"
#include <QPointer>

#include <functional>
#include <string>

class QAction;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace mv {

class TfrmAdd : public TOwnerBlockingDialog {
    Q_OBJECT
public:
    explicit TfrmAdd(QWidget* owner);

    QLineEdit* txtSiteName;
    QLineEdit* txtUrl;
    QToolBar* TBToolbar1;
    QAction *TBItem1, *TBItem2, *TBItem3, *TBItem4, *TBItem5;
    QLineEdit* txtComment;
    QPushButton* btnAdd;
    QPushButton* btnCancel;

    // The folder the favorite goes into (the main window's selected folder), in the
    // program's code page; empty when none is selected.
    std::function<std::string()> SelectedFolder;
    // Lists the selected folder again once the favorite is written.
    std::function<void()> Relist;

    void FormShow();
    void btnAddClick();
    void btnCancelClick();

    // The file a site name gives in `folder`: a "\" in the name separates folders, as in
    // the Windows Favorites folder.
    static std::string FavoritePath(const std::string& folder, const std::string& siteName);

protected:
    void Opened() override { FormShow(); }

private:
    // Raises mv::Error when the file cannot be written.
    void AddFavorite();
};

} // namespace mv
