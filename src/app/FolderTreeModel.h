#pragma once
// The folders below one root folder as an item model: the root is the single top row, each
// folder's subfolders (hidden ones included) are read when the view first asks for them, and
// read folders are watched so the rows follow the disk. Files are never listed or looked at.

#include <QAbstractItemModel>
#include <QFileSystemWatcher>
#include <QSet>
#include <QTimer>

#include <memory>
#include <vector>

namespace mv {

class FolderTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Starts over on `path`, with its subfolders read.
    void setRootPath(const QString& path);
    QString rootPath() const;

    QString pathOf(const QModelIndex& index) const;
    // The row of a folder under the root, reading the folders on the way as needed; invalid
    // when the folder is not under the root or not on disk.
    QModelIndex indexOf(const QString& path);
    // Reads every folder read so far again, changing only the rows that differ.
    void reread();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

private:
    struct Node;

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOfNode(Node* node) const;
    void load(Node* node);
    // Brings the rows below `node` in line with the disk; `deep` does the same below each of
    // its read subfolders.
    void sync(Node* node, bool deep);
    void forgetWatches(Node* node);
    void OnDirectoryChanged(const QString& path);
    void SyncChanged();
    Node* findNode(const QString& path) const;

    std::unique_ptr<Node> root_;
    QFileSystemWatcher watcher_;
    QSet<QString> changed_; // folders the watcher reported since the last sync
    QTimer changeTimer_;    // gathers a burst of change notices into one read
};

// The names of the folders directly inside `path` (symbolic links to folders included), sorted.
std::vector<QString> subfolderNames(const QString& path);
// Whether `path` holds at least one folder; stops at the first one.
bool hasSubfolder(const QString& path);

} // namespace mv
