#include "ShellTreeView.h"

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/favoritesfolder.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMetaObject>
#include <QMouseEvent>

#include <utility>

namespace mv {
namespace {

// Shows, at the top level, only the root folder; below it every folder.
class RootOnlyProxy final : public QSortFilterProxyModel {
public:
    QString rootPath;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* fs = static_cast<QFileSystemModel*>(sourceModel());
        const QModelIndex index = fs->index(row, 0, parent);
        const QString path = fs->filePath(index);
        if (QDir::cleanPath(fs->filePath(parent)) ==
            QDir::cleanPath(QFileInfo(rootPath).absolutePath()))
            return path == rootPath;
        return true;
    }
};

} // namespace

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
    Rebuild(favoritesFolder());
    lastSelected_ = SelectedQPath(); // nobody listens yet: the owner lists the first folder itself
}

void TShellTreeView::Rebuild(const QString& path) {
    auto* oldModel = model_;
    auto* oldProxy = proxy_;
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    model_->setReadOnly(true);
    model_->setResolveSymlinks(false);
    const QString parentPath = QFileInfo(path).absolutePath();
    model_->setRootPath(path);
    auto* proxy = new RootOnlyProxy;
    proxy->setParent(this);
    proxy->rootPath = path;
    proxy->setSourceModel(model_);
    proxy->setDynamicSortFilter(true);
    proxy->sort(0, Qt::AscendingOrder);
    proxy_ = proxy;
    // Connected before the view's selection model is, so this sees the selection as it was.
    connect(proxy_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &TShellTreeView::OnRowsAboutToBeRemoved);
    QItemSelectionModel* oldSelection = selectionModel();
    setModel(proxy_);
    delete oldSelection;
    for (int c = 1; c < proxy_->columnCount(); ++c)
        hideColumn(c);
    setRootIndex(proxy_->mapFromSource(model_->index(parentPath)));
    rootPath_ = path;
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TShellTreeView::OnCurrentChanged);
    delete oldProxy;
    delete oldModel;
    lastSelected_.clear();
    keepSelected_.clear();
    const QModelIndex top = proxy_->mapFromSource(model_->index(path));
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
    if (!index.isValid() || !proxy_) return {};
    return model_->filePath(proxy_->mapToSource(index));
}

QModelIndex TShellTreeView::IndexOf(const QString& path) const {
    const QModelIndex source = model_->index(path);
    return source.isValid() ? proxy_->mapFromSource(source) : QModelIndex();
}

bool TShellTreeView::selectPath(const QString& path) {
    const QModelIndex index = IndexOf(path);
    if (!index.isValid()) return false;
    setCurrentIndex(index);
    scrollTo(index);
    return true;
}

void TShellTreeView::Refresh() {
    const QString selected = SelectedQPath();
    Rebuild(rootPath_);
    if (!selected.isEmpty() && selected != rootPath_ && QFileInfo(selected).isDir()) {
        // The model loads folders lazily; reveal the parents so the folder can be selected.
        QString p = QFileInfo(selected).absolutePath();
        while (p.startsWith(rootPath_) && p != rootPath_) {
            model_->fetchMore(model_->index(p));
            p = QFileInfo(p).absolutePath();
        }
        selectPath(selected);
    }
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
    // A folder read begun before the selected folder was made drops it from the model until
    // the next change notice; the folder is still on disk, so it stays selected.
    if (!kept.isEmpty() && QFileInfo(kept).isDir()) selectPath(kept);
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
