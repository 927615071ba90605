#include "FolderTreeModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QStyle>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>

namespace mv {
namespace {

QString childPath(const QString& parent, const QString& name) {
    return parent.endsWith(QLatin1Char('/')) ? parent + name : parent + QLatin1Char('/') + name;
}

// Folders sort as a Windows user sees them, without regard to case; names that differ in
// case only (possible on Linux) keep a fixed order between them.
bool lessByName(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

// Calls `found` with the name of each folder directly inside `path` until it returns false.
// The entry type from the directory read is trusted; only links and unknown types are looked
// up, so a folder full of files costs one pass over its names.
template <class Found> void forEachSubfolder(const QString& path, Found found) {
    const QByteArray dirName = QFile::encodeName(path);
    DIR* dir = ::opendir(dirName.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            const QByteArray full = dirName + '/' + name;
            isDir = ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir && !found(QFile::decodeName(name))) break;
    }
    ::closedir(dir);
}

} // namespace

std::vector<QString> subfolderNames(const QString& path) {
    std::vector<QString> names;
    forEachSubfolder(path, [&names](QString name) {
        names.push_back(std::move(name));
        return true;
    });
    std::sort(names.begin(), names.end(), lessByName);
    return names;
}

bool hasSubfolder(const QString& path) {
    bool any = false;
    forEachSubfolder(path, [&any](const QString&) {
        any = true;
        return false;
    });
    return any;
}

struct FolderTreeModel::Node {
    QString name;
    QString path;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children; // sorted by name
    bool loaded = false;
    mutable int hasSubfolders = -1; // until loaded: -1 not looked yet, else 0 or 1

    int row() const {
        if (!parent) return 0;
        const auto& siblings = parent->children;
        for (size_t i = 0; i < siblings.size(); ++i)
            if (siblings[i].get() == this) return static_cast<int>(i);
        return -1;
    }
    Node* child(const QString& childName) const {
        for (const auto& c : children)
            if (c->name == childName) return c.get();
        return nullptr;
    }
};

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {
    changeTimer_.setSingleShot(true);
    changeTimer_.setInterval(50);
    connect(&changeTimer_, &QTimer::timeout, this, &FolderTreeModel::SyncChanged);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            &FolderTreeModel::OnDirectoryChanged);
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::setRootPath(const QString& path) {
    beginResetModel();
    if (root_) forgetWatches(root_.get());
    changed_.clear();
    root_ = std::make_unique<Node>();
    root_->path = QDir::cleanPath(path);
    root_->name = QFileInfo(root_->path).fileName();
    if (root_->name.isEmpty()) root_->name = root_->path;
    endResetModel();
    load(root_.get());
}

QString FolderTreeModel::rootPath() const {
    return root_ ? root_->path : QString();
}

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOfNode(Node* node) const {
    return node ? createIndex(node->row(), 0, node) : QModelIndex();
}

QString FolderTreeModel::pathOf(const QModelIndex& index) const {
    const Node* node = nodeOf(index);
    return node ? node->path : QString();
}

QModelIndex FolderTreeModel::indexOf(const QString& path) {
    if (!root_ || path.isEmpty()) return {};
    const QString clean = QDir::cleanPath(path);
    const QString& top = root_->path;
    if (clean == top) return indexOfNode(root_.get());
    const QString prefix = top.endsWith(QLatin1Char('/')) ? top : top + QLatin1Char('/');
    if (!clean.startsWith(prefix)) return {};
    Node* node = root_.get();
    for (const QString& part : clean.mid(prefix.size()).split(QLatin1Char('/'))) {
        if (!node->loaded) load(node);
        Node* next = node->child(part);
        // Made since the folder was read, and its change notice is still on the way.
        if (!next && QFileInfo(childPath(node->path, part)).isDir()) {
            sync(node, false);
            next = node->child(part);
        }
        if (!next) return {};
        node = next;
    }
    return indexOfNode(node);
}

FolderTreeModel::Node* FolderTreeModel::findNode(const QString& path) const {
    if (!root_) return nullptr;
    const QString& top = root_->path;
    if (path == top) return root_.get();
    const QString prefix = top.endsWith(QLatin1Char('/')) ? top : top + QLatin1Char('/');
    if (!path.startsWith(prefix)) return nullptr;
    Node* node = root_.get();
    for (const QString& part : path.mid(prefix.size()).split(QLatin1Char('/'))) {
        node = node->child(part);
        if (!node) return nullptr;
    }
    return node;
}

void FolderTreeModel::load(Node* node) {
    if (node->loaded) return;
    const std::vector<QString> names = subfolderNames(node->path);
    const int count = static_cast<int>(names.size());
    if (count > 0) beginInsertRows(indexOfNode(node), 0, count - 1);
    node->loaded = true;
    for (const QString& name : names) {
        auto child = std::make_unique<Node>();
        child->name = name;
        child->path = childPath(node->path, name);
        child->parent = node;
        node->children.push_back(std::move(child));
    }
    if (count > 0) endInsertRows();
    watcher_.addPath(node->path);
}

void FolderTreeModel::sync(Node* node, bool deep) {
    if (!node->loaded) {
        node->hasSubfolders = -1;
        return;
    }
    const std::vector<QString> names = subfolderNames(node->path);
    const QModelIndex parentIndex = indexOfNode(node);
    auto& children = node->children;
    for (int i = static_cast<int>(children.size()) - 1; i >= 0; --i) {
        if (std::binary_search(names.begin(), names.end(), children[i]->name, lessByName)) continue;
        beginRemoveRows(parentIndex, i, i);
        forgetWatches(children[i].get());
        children.erase(children.begin() + i);
        endRemoveRows();
    }
    // What is left is in the order of `names`; the new folders go in between.
    size_t at = 0;
    for (const QString& name : names) {
        if (at < children.size() && children[at]->name == name) {
            ++at;
            continue;
        }
        const int row = static_cast<int>(at);
        beginInsertRows(parentIndex, row, row);
        auto child = std::make_unique<Node>();
        child->name = name;
        child->path = childPath(node->path, name);
        child->parent = node;
        children.insert(children.begin() + row, std::move(child));
        endInsertRows();
        ++at;
    }
    if (deep)
        for (const auto& c : children)
            sync(c.get(), true);
}

void FolderTreeModel::reread() {
    if (root_) sync(root_.get(), true);
}

void FolderTreeModel::forgetWatches(Node* node) {
    if (!node->loaded) return;
    watcher_.removePath(node->path);
    for (const auto& c : node->children)
        forgetWatches(c.get());
}

void FolderTreeModel::OnDirectoryChanged(const QString& path) {
    changed_.insert(path);
    changeTimer_.start();
}

void FolderTreeModel::SyncChanged() {
    const QSet<QString> paths = std::exchange(changed_, {});
    for (const QString& path : paths) {
        Node* node = findNode(path);
        // A folder that is gone is taken out by a read of its parent.
        while (node && node->parent && !QFileInfo(node->path).isDir())
            node = node->parent;
        if (node) sync(node, false);
    }
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid())
        return row == 0 && root_ ? createIndex(0, 0, root_.get()) : QModelIndex();
    const Node* node = nodeOf(parent);
    if (static_cast<size_t>(row) >= node->children.size()) return {};
    return createIndex(row, 0, node->children[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const Node* node = nodeOf(child);
    return node ? indexOfNode(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return root_ ? 1 : 0;
    if (parent.column() != 0) return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return root_ != nullptr;
    const Node* node = nodeOf(parent);
    if (node->loaded) return !node->children.empty();
    if (node->hasSubfolders < 0) node->hasSubfolders = hasSubfolder(node->path) ? 1 : 0;
    return node->hasSubfolders == 1;
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node && !node->loaded;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (Node* node = nodeOf(parent)) load(node);
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const Node* node = nodeOf(index);
    if (!node) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->name;
    case Qt::DecorationRole:
        return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

Qt::DropActions FolderTreeModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions FolderTreeModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

} // namespace mv
