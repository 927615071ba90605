#include "ShellTreeView.h"

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/favoritesfolder.h"

#include "FolderTreeModel.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMetaObject>
#include <QMouseEvent>
#include <QScrollBar>

#include <utility>
#include <vector>

namespace mv {

QString favoritesFolder() {
    const QString path = favoritesFolderPath();
    QDir().mkpath(path);
    return path;
}

TShellTreeView::TShellTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false); // no expand button or lines at the root level
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    model_ = new FolderTreeModel(this);
    // Connected before the view's selection model is, so this sees the selection as it was.
    connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &TShellTreeView::OnRowsAboutToBeRemoved);
    setModel(model_);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TShellTreeView::OnCurrentChanged);
    Rebuild(favoritesFolder());
    lastSelected_ = SelectedQPath(); // nobody listens yet: the owner lists the first folder itself
}

void TShellTreeView::Rebuild(const QString& path) {
    model_->setRootPath(path);
    rootPath_ = model_->rootPath();
    lastSelected_.clear();
    keepSelected_.clear();
    const QModelIndex top = model_->index(0, 0);
    expand(top);
    setCurrentIndex(top);
}

void TShellTreeView::setRoot(const QString& root) {
    if (root.compare(root_, Qt::CaseInsensitive) == 0) return;
    QString path;
    if (root.compare(kFavoritesToken, Qt::CaseInsensitive) == 0) {
        path = favoritesFolder();
    } else {
        QFileInfo info(root);
        if (root.isEmpty() || !info.isDir())
            throw Error(QStringLiteral("パス設定エラー : \"%1\"").arg(root));
        path = QDir::cleanPath(info.absoluteFilePath());
    }
    root_ = root;
    Rebuild(path);
}

std::string TShellTreeView::SelectedPath() const {
    return fromQt(SelectedQPath());
}

QString TShellTreeView::SelectedQPath() const {
    return PathAt(currentIndex());
}

QString TShellTreeView::PathAt(const QModelIndex& index) const {
    return model_->pathOf(index);
}

QModelIndex TShellTreeView::IndexOf(const QString& path) const {
    return model_->indexOf(path);
}

bool TShellTreeView::selectPath(const QString& path) {
    const QModelIndex index = IndexOf(path);
    if (!index.isValid()) return false;
    setCurrentIndex(index);
    scrollTo(index);
    return true;
}

bool TShellTreeView::revealPath(const QString& path) {
    const QModelIndex index = IndexOf(path);
    if (!index.isValid()) return false;
    std::vector<QModelIndex> above;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        above.push_back(p);
    for (auto p = above.rbegin(); p != above.rend(); ++p)
        expand(*p);
    scrollTo(index);
    return true;
}

void TShellTreeView::Refresh() {
    const int top = verticalScrollBar()->value();
    const int left = horizontalScrollBar()->value();
    model_->reread();
    // Folders with and without subfolders may have changed places; their arrows are asked
    // again by a new layout.
    doItemsLayout();
    verticalScrollBar()->setValue(top);
    horizontalScrollBar()->setValue(left);
    lastSelected_.clear(); // the selected folder is listed again, as after any re-read
    OnCurrentChanged();
}

void TShellTreeView::OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    for (QModelIndex i = currentIndex(); i.isValid(); i = i.parent()) {
        if (i.parent() == parent && i.row() >= first && i.row() <= last) {
            keepSelected_ = SelectedQPath();
            OnCurrentChanged();
            return;
        }
    }
}

void TShellTreeView::OnCurrentChanged() {
    // Settled from the event loop, not inside the selection model's signal: listing a folder
    // pumps events, and model updates let in there would leave the indexes the view is still
    // working with dangling. Several changes in one pass also make one listing.
    if (settlePending_) return;
    settlePending_ = true;
    QMetaObject::invokeMethod(this, &TShellTreeView::SettleSelection, Qt::QueuedConnection);
}

void TShellTreeView::SettleSelection() {
    settlePending_ = false;
    const QString kept = std::exchange(keepSelected_, QString());
    // A folder that left the model but is on disk again (renamed away and back) stays
    // selected; one that is gone hands the selection to its nearest remaining ancestor.
    if (!kept.isEmpty()) {
        for (QString p = kept; p.startsWith(rootPath_); p = QFileInfo(p).absolutePath()) {
            if (QFileInfo(p).isDir() && selectPath(p)) break;
            if (p == rootPath_) break;
        }
    }
    const QString now = SelectedQPath();
    if (now == lastSelected_) return;
    lastSelected_ = now;
    emit Change();
}

void TShellTreeView::mousePressEvent(QMouseEvent* event) {
    // A right click selects the folder under the mouse before its menu opens.
    if (event->button() == Qt::RightButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) setCurrentIndex(index);
    }
    QTreeView::mousePressEvent(event);
}

void TShellTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TShellTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TShellTreeView::dropEvent(QDropEvent* event) {
    if (event->source() != this) {
        event->ignore();
        return;
    }
    // The move is the program's own (with its question); the view must not move anything.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    emit DropRequested(event->position().toPoint());
}

} // namespace mv
