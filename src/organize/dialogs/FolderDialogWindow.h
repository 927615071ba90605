#pragma once
// TFolderDialogForm: the window of the folder dialog. A message above, the folder tree in the
// middle, OK and Cancel at the bottom right. TSelectFolderDialog prepares and runs it.

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace mv {

class TFolderTree;

class TFolderDialogForm : public QDialog {
    Q_OBJECT
public:
    explicit TFolderDialogForm(QWidget* owner = nullptr);

    QWidget* TopPanel;
    QLabel* MessageLabel;
    TFolderTree* FolderTree;
    QWidget* BottomPanel;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    // Asked before the window closes with any result; clearing the flag keeps it open.
    std::function<void(bool& canClose)> OnCloseQuery;
    std::function<void()> OnClose;
    // Run when the window is shown, before OnShow: where the focus goes.
    std::function<void()> OnFocus;
    std::function<void()> OnShow;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace mv
