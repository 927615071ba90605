#include "SelectFolderDialog.h"

#include "FolderDialogWindow.h"
#include "FolderTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace mv {
namespace {

TSelectFolderDialog::ExecuteHook& executeHook() {
    static TSelectFolderDialog::ExecuteHook hook;
    return hook;
}

QString withSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace

QString NearestExistingFolder(QString path) {
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        // Search from the second-to-last character backwards, so "/a/b/" goes to "/a/"; the
        // root "/" is the last stop.
        const qsizetype slash =
            path.size() >= 2 ? path.lastIndexOf(QLatin1Char('/'), path.size() - 2) : -1;
        if (slash < 0) {
            path.clear();
            break;
        }
        path.truncate(slash + 1);
    }
    return path;
}

QPoint OwnerCenteredPosition(const QRect& owner, const QSize& size, int screenWidth,
                             int workAreaBottom) {
    int left = owner.left() + owner.width() / 2 - size.width() / 2;
    if (left < 0)
        left = 0;
    else if (left + size.width() > screenWidth)
        left = screenWidth - size.width();
    int top = owner.top() + owner.height() / 2 - size.height() / 2;
    if (top < 0)
        top = 0;
    else if (top + size.height() > workAreaBottom)
        top = workAreaBottom - size.height();
    return {left, top};
}

TSelectFolderDialog::TSelectFolderDialog(QObject* owner) : QObject(owner) {}

TSelectFolderDialog::~TSelectFolderDialog() = default;

TFolderDialogForm* TSelectFolderDialog::Form() const {
    return form_.data();
}

void TSelectFolderDialog::setDefaultButton(TDefaultButton value) {
    defaultButton_ = value;
    if (value == btNone && focusedControl_ == fcDefaultButton) focusedControl_ = fcTreeView;
}

void TSelectFolderDialog::setFocusedControl(TFocusedControl value) {
    focusedControl_ = value;
    if (value == fcDefaultButton && defaultButton_ == btNone) defaultButton_ = btOk;
}

void TSelectFolderDialog::setText(const QString& value) {
    text_ = value;
    if (form_) form_->MessageLabel->setText(value);
}

void TSelectFolderDialog::setExecuteHookForTesting(ExecuteHook hook) {
    executeHook() = std::move(hook);
}

QWidget* TSelectFolderDialog::OwnerWindow() const {
    for (QObject* o = parent(); o; o = o->parent()) {
        if (auto* w = qobject_cast<QWidget*>(o)) return w->window();
    }
    return nullptr;
}

bool TSelectFolderDialog::Execute() {
    QWidget* owner = OwnerWindow();
    TFolderDialogForm form(owner);
    form_ = &form;
    struct Forget {
        QPointer<TFolderDialogForm>& form;
        ~Forget() { form = nullptr; }
    } forget{form_};
    Prepare(form, owner);
    const int result = executeHook() ? executeHook()(form) : form.exec();
    if (result != QDialog::Accepted) return false;
    const QString chosen = form.FolderTree->SelectedPath();
    if (chosen.isEmpty()) return false;
    Path = withSlash(chosen);
    return true;
}

void TSelectFolderDialog::Prepare(TFolderDialogForm& form, QWidget* owner) {
    if (DialogSize == dsDefault)
        form.resize(307, 352);
    else
        form.resize(DialogWidth, DialogHeight);
    Place(form, owner);

    form.setWindowTitle(
        !Caption.isEmpty() ? Caption
                           : QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    if (!Sizeable) form.setFixedSize(form.size());
    form.MessageLabel->setText(text_);

    // The root first: rebuilding the tree would drop a selection made before.
    TFolderTree& tree = *form.FolderTree;
    tree.setRoot(RootFolderText(Root, CustomRootFolder));
    const QString start = NearestExistingFolder(Path);
    bool selected = !start.isEmpty() && tree.selectPath(start);
    // On the whole file system the user's own folder is the natural place to begin.
    if (!selected && Root == rfDesktop) selected = tree.selectPath(QDir::homePath());
    if (!selected) tree.selectTopNode();

    // The selection stays as visible when the tree is not focused.
    QPalette p = tree.palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    tree.setPalette(p);
    form.OkButton->setDefault(defaultButton_ == btOk);
    form.CancelButton->setDefault(defaultButton_ == btCancel);

    ApplyFocus(form);
    form.OnFocus = [this, &form] { ApplyFocus(form); };
    form.OnCloseQuery = [this](bool& canClose) { DoCanClose(canClose); };
    form.OnClose = [this] { DoClose(); };
    form.OnShow = [this] { DoShow(); };
    connect(&tree, &TFolderTree::folderSelected, this,
            [this](const QString& path) { DoSelect(withSlash(path)); });
    connect(&tree, &TFolderTree::folderExpanded, this, [this](const QString& path) {
        // The view reports an expansion only once it is done; "expanding" comes just before.
        DoExpanding(withSlash(path));
        DoExpanded(withSlash(path));
    });
    connect(&tree, &TFolderTree::folderCollapsed, this, [this](const QString& path) {
        DoCollapsing(withSlash(path));
        DoCollapsed(withSlash(path));
    });
}

void TSelectFolderDialog::Place(TFolderDialogForm& form, QWidget* owner) const {
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize size = form.size();
    auto centreOn = [&](const QRect& area) {
        form.move(area.left() + (area.width() - size.width()) / 2,
                  area.top() + (area.height() - size.height()) / 2);
    };
    switch (Position) {
    case dpCustom:
        form.move(DialogLeft, DialogTop);
        break;
    case dpDesktopCenter:
        centreOn(screen->virtualGeometry());
        break;
    case dpScreenCenter:
        centreOn(screen->geometry());
        break;
    case dpDefault:
        break;
    case dpOwnerCenter: {
        if (!owner) {
            centreOn(screen->geometry());
            break;
        }
        const QRect work = screen->availableGeometry();
        const int bottom =
            work.isValid() ? work.top() + work.height() : screen->geometry().height();
        form.move(OwnerCenteredPosition(owner->frameGeometry(), size, screen->geometry().width(),
                                        bottom));
        break;
    }
    }
}

void TSelectFolderDialog::ApplyFocus(TFolderDialogForm& form) const {
    if (focusedControl_ == fcTreeView)
        form.FolderTree->setFocus();
    else if (defaultButton_ == btCancel)
        form.CancelButton->setFocus();
    else
        form.OkButton->setFocus();
}

void TSelectFolderDialog::DoCollapsed(const QString& path) {
    if (OnCollapsed) OnCollapsed(path);
}
void TSelectFolderDialog::DoCollapsing(const QString& path) {
    if (OnCollapsing) OnCollapsing(path);
}
void TSelectFolderDialog::DoSelect(const QString& path) {
    if (OnSelect) OnSelect(path);
}
void TSelectFolderDialog::DoExpanded(const QString& path) {
    if (OnExpanded) OnExpanded(path);
}
void TSelectFolderDialog::DoExpanding(const QString& path) {
    if (OnExpanding) OnExpanding(path);
}
void TSelectFolderDialog::DoCanClose(bool& canClose) {
    if (OnCanClose) OnCanClose(canClose);
}
void TSelectFolderDialog::DoClose() {
    if (OnClose) OnClose();
}
void TSelectFolderDialog::DoShow() {
    if (OnShow) OnShow();
}

} // namespace mv
