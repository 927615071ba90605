#include "FolderTree.h"

#include "RootFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace mv {
namespace {

// At the level of the root folder's parent, shows only the root folder.
class RootOnlyProxy final : public QSortFilterProxyModel {
public:
    QPersistentModelIndex rootParent;
    QString rootPath;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (parent != QModelIndex(rootParent)) return true;
        auto* fs = static_cast<QFileSystemModel*>(sourceModel());
        return fs->filePath(fs->index(row, 0, parent)) == rootPath;
    }
};

} // namespace

TFolderTree::TFolderTree(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::NoContextMenu);
    setUniformRowHeights(true);
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& i) { emit folderExpanded(PathAt(i)); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& i) { emit folderCollapsed(PathAt(i)); });
    setRoot(QStringLiteral("rfDesktop"));
}

void TFolderTree::setRoot(const QString& root) {
    if (!root_.isNull() && root.compare(root_, Qt::CaseInsensitive) == 0) return;
    root_ = root;
    Rebuild(RootFolderPath(root));
}

void TFolderTree::Rebuild(const QString& path) {
    auto* oldModel = model_;
    auto* oldProxy = proxy_;
    QItemSelectionModel* oldSelection = selectionModel();

    model_ = new QFileSystemModel(this);
    model_->setOption(QFileSystemModel::DontWatchForChanges);
    model_->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot);
    model_->setReadOnly(true);
    model_->setRootPath(path);
    // Folders are read in the background; once a parent of the selection is read, the rows
    // above it have moved, so the selection is brought into view again.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        const QString selected = SelectedPath();
        if (selected.startsWith(loaded) && currentIndex().isValid())
            scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    auto* proxy = new RootOnlyProxy;
    proxy->setParent(this);
    const QModelIndex rootIndex = model_->index(path);
    proxy->rootParent = rootIndex.parent();
    proxy->rootPath = model_->filePath(rootIndex);
    proxy->setSourceModel(model_);
    proxy->setDynamicSortFilter(true);
    proxy->sort(0, Qt::AscendingOrder);
    proxy_ = proxy;
    setModel(proxy_);
    delete oldSelection;
    for (int c = 1; c < proxy_->columnCount(); ++c)
        hideColumn(c);
    setRootIndex(proxy_->mapFromSource(rootIndex.parent()));
    rootPath_ = path;
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { emit folderSelected(PathAt(current)); });
    delete oldProxy;
    delete oldModel;
    selectTopNode();
}

QString TFolderTree::SelectedPath() const {
    return PathAt(currentIndex());
}

QString TFolderTree::PathAt(const QModelIndex& index) const {
    if (!index.isValid() || !proxy_) return {};
    return model_->filePath(proxy_->mapToSource(index));
}

QModelIndex TFolderTree::ViewIndex(const QString& path) const {
    const QString clean = QDir::cleanPath(path);
    // Only folders at or below the root are in the tree.
    if (rootPath_ != QDir::rootPath() && clean != rootPath_ &&
        !clean.startsWith(rootPath_ + QLatin1Char('/')))
        return {};
    if (!QFileInfo(clean).isDir()) return {};
    return proxy_->mapFromSource(model_->index(clean));
}

bool TFolderTree::selectPath(const QString& path) {
    const QModelIndex index = ViewIndex(path);
    if (!index.isValid()) return false;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        expand(p);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}

void TFolderTree::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    // A selection made before the first layout is brought into view now.
    if (currentIndex().isValid()) scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
}

void TFolderTree::selectTopNode() {
    const QModelIndex top = proxy_->index(0, 0, rootIndex());
    if (!top.isValid()) return;
    expand(top);
    setCurrentIndex(top);
}

} // namespace mv
