#pragma once
// The folder tree of the folder dialog: the root folder as the single top node and its
// folders below, hidden ones left out, read once (no watching for changes).

#include <QPersistentModelIndex>
#include <QTreeView>

class QFileSystemModel;
class QSortFilterProxyModel;

namespace mv {

class TFolderTree : public QTreeView {
    Q_OBJECT
public:
    explicit TFolderTree(QWidget* parent = nullptr);

    // The root as set: a special folder's name (RootFolder.h) or a folder path.
    QString Root() const { return root_; }
    // Rebuilds the tree on `root` and selects its top node, unless `root` equals the current
    // root without regard to case.
    void setRoot(const QString& root);
    QString RootPath() const { return rootPath_; }

    // The folder of the selected node (no trailing "/" except for "/"); empty when none.
    QString SelectedPath() const;
    QString PathAt(const QModelIndex& index) const;
    // Selects `path` when it is a folder shown in the tree, opening its parents.
    bool selectPath(const QString& path);
    void selectTopNode();

signals:
    void folderSelected(const QString& path);
    void folderExpanded(const QString& path);
    void folderCollapsed(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Rebuild(const QString& path);
    QModelIndex ViewIndex(const QString& path) const;

    QFileSystemModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QString root_;
    QString rootPath_;
};

} // namespace mv
