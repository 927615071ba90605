#pragma once
// TSelectFolderDialog: asks for a folder in a tree of the file system. A component with an
// owner; Execute builds the window (TFolderDialogForm), runs it modally and frees it.

#include "RootFolder.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>

namespace mv {

class TFolderDialogForm;

enum TDefaultButton { btNone, btCancel, btOk };
enum TDialogSize { dsCustom, dsDefault };
enum TFocusedControl { fcDefaultButton, fcTreeView };
enum TDialogPosition { dpCustom, dpDesktopCenter, dpOwnerCenter, dpScreenCenter, dpDefault };

class TSelectFolderDialog : public QObject {
    Q_OBJECT
public:
    explicit TSelectFolderDialog(QObject* owner = nullptr);
    ~TSelectFolderDialog() override;

    // Title; empty gives the program's file name without folder and extension.
    QString Caption;
    // The root folder used with rfCustom.
    QString CustomRootFolder;
    TDefaultButton DefaultButton() const { return defaultButton_; }
    void setDefaultButton(TDefaultButton value);
    TDialogSize DialogSize = dsDefault; // dsDefault: 307 x 352
    int DialogHeight = 352;
    int DialogLeft = 0; // with dpCustom
    int DialogTop = 0;
    int DialogWidth = 307;
    TFocusedControl FocusedControl() const { return focusedControl_; }
    void setFocusedControl(TFocusedControl value);
    // On entry the folder to start at; after a successful Execute the chosen folder, ending
    // in "/".
    QString Path;
    TDialogPosition Position = dpScreenCenter;
    TRootFolder Root = rfDesktop;
    bool Sizeable = true;
    // The message above the tree; a change shows at once in an open dialog.
    const QString& Text() const { return text_; }
    void setText(const QString& value);

    // Events; the tree's pass the folder's path ending in "/".
    std::function<void(bool& canClose)> OnCanClose;
    std::function<void()> OnClose;
    std::function<void(const QString& path)> OnCollapsed;
    std::function<void(const QString& path)> OnCollapsing;
    std::function<void(const QString& path)> OnExpanded;
    std::function<void(const QString& path)> OnExpanding;
    std::function<void(const QString& path)> OnSelect;
    std::function<void()> OnShow;

    // Shows the dialog modally; true when a folder was chosen with OK (then in Path).
    bool Execute();

    // The open dialog window, or nullptr.
    TFolderDialogForm* Form() const;

    // Runs the prepared window instead of its modal loop (tests): returns the window's
    // result (QDialog::Accepted for OK). An empty function restores the modal loop.
    using ExecuteHook = std::function<int(TFolderDialogForm& form)>;
    static void setExecuteHookForTesting(ExecuteHook hook);

protected:
    virtual void DoCollapsed(const QString& path);
    virtual void DoCollapsing(const QString& path);
    virtual void DoSelect(const QString& path);
    virtual void DoExpanded(const QString& path);
    virtual void DoExpanding(const QString& path);
    virtual void DoCanClose(bool& canClose);
    virtual void DoClose();
    virtual void DoShow();

private:
    QWidget* OwnerWindow() const;
    void Prepare(TFolderDialogForm& form, QWidget* owner);
    void Place(TFolderDialogForm& form, QWidget* owner) const;
    void ApplyFocus(TFolderDialogForm& form) const;

    TDefaultButton defaultButton_ = btNone;
    TFocusedControl focusedControl_ = fcTreeView;
    QString text_;
    QPointer<TFolderDialogForm> form_;
};

// The folder to start at for `path`: `path` when it names a folder, else its nearest existing
// parent (cut after a "/"), else empty.
QString NearestExistingFolder(QString path);

// Top-left corner of a window of `size` centred on `owner`, then moved inside the screen: not
// left of 0 nor right of `screenWidth`, not above 0 nor below `workAreaBottom`.
QPoint OwnerCenteredPosition(const QRect& owner, const QSize& size, int screenWidth,
                             int workAreaBottom);

} // namespace mv
