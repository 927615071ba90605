#pragma once
// The folder tree: the favorites folder as the single top node with its folders below
// (hidden ones included), read as they are opened and watched for changes.

#include <QTreeView>

#include <string>

namespace mv {

class FolderTreeModel;

// The favorites folder: $MARKVANE_FAVORITES, else ~/Favorites; created when missing.
QString favoritesFolder();

class TShellTreeView : public QTreeView {
    Q_OBJECT
public:
    static inline const QString kFavoritesToken = QStringLiteral("rfFavorites");

    explicit TShellTreeView(QWidget* parent = nullptr);

    // The root as set: the token "rfFavorites" or a folder path.
    QString Root() const { return root_; }
    // Rebuilds the tree on `root` and selects its top node, unless it equals the current root
    // without regard to case. Throws mv::Error "パス設定エラー : "<path>"" for a root that is
    // not an existing folder; the tree then keeps its root.
    void setRoot(const QString& root);

    QString RootPath() const { return rootPath_; }
    // The file-system path of the selected folder (empty when nothing is selected).
    std::string SelectedPath() const;
    QString SelectedQPath() const;
    bool selectPath(const QString& path);
    // The folder at a view index, or empty.
    QString PathAt(const QModelIndex& index) const;
    // The view index of a folder, invalid when it is not under the root.
    QModelIndex IndexOf(const QString& path) const;

    // Re-reads the folders from disk in place: opened folders stay open, the view keeps its
    // scroll position and the selected folder stays selected (or its nearest ancestor that is
    // still there); the selection is reported again.
    void Refresh();
    // Opens the folders above `path` and scrolls it into view, without selecting it.
    bool revealPath(const QString& path);

signals:
    // The selected folder changed (also when the root changed). Emitted from the event loop
    // once the selection has settled, never from within selectPath or setRoot.
    void Change();
    // A folder of this tree was dropped at `pos` (viewport coordinates).
    void DropRequested(const QPoint& pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // Only folders dragged within this tree may be dropped on it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Rebuild(const QString& path);
    void OnCurrentChanged();
    // Emits Change when the selected folder differs from the one last reported.
    void SettleSelection();
    // Rows holding the selected folder are leaving the model; SettleSelection decides, once
    // they are gone, whether the folder is really gone or only dropped by a stale read, and
    // selects its nearest remaining ancestor when it is gone.
    void OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);

    FolderTreeModel* model_ = nullptr;
    QString root_ = kFavoritesToken;
    QString rootPath_;
    QString lastSelected_;
    QString keepSelected_; // the selected folder while its rows are being removed
    bool settlePending_ = false;
};

} // namespace mv
