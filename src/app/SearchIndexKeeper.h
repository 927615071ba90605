#pragma once
// Keeps the search index of the favorites folder: reads it once on a worker thread, then
// follows the disk through a watcher on every folder it holds and through the program's own
// writes, which it is told of. Everything but the first read runs on the window's thread.

#include "favorites/SearchIndex.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QThread;

namespace mv {

class SearchIndexKeeper : public QObject {
    Q_OBJECT
public:
    explicit SearchIndexKeeper(QObject* parent = nullptr);
    ~SearchIndexKeeper() override;

    // Starts reading `root` in the background, unless it is the root already held or being
    // read. A read under way for another root is given up.
    void setRoot(const std::string& root);
    // Whether a root was given: the index is read only once the search is first used, so a
    // window never searching never reads the whole tree.
    bool Started() const { return !root_.empty(); }
    // The index once the read of the root is done; null before.
    const SearchIndex* Index() const { return index_.get(); }

    // Folders, or files, the program itself changed are read again now (after the first read
    // when it is still under way). True when the index changed.
    bool NoteChanged(const std::vector<std::string>& folders);
    bool NoteFiles(const std::vector<std::string>& files);
    // Reads again each held folder whose entries changed; true when the index changed.
    bool SyncStale();

signals:
    // The first read of the root is done.
    void IndexReady();
    // The watcher saw a change that changed the index.
    void IndexChanged();

private:
    void StopBuild();
    void OnBuilt(unsigned generation, std::shared_ptr<SearchIndex> built);
    void OnDirectoryChanged(const QString& path);
    void SyncChanged();
    // Watches exactly the folders the index holds; true when it added any.
    bool WatchHeldFolders();
    void Rewatch();

    std::string root_;
    std::unique_ptr<SearchIndex> index_;
    QThread* builder_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
    unsigned generation_ = 0;
    // Folders changed while the first read runs, read again once it is done.
    std::vector<std::string> pending_;
    QFileSystemWatcher watcher_;
    QSet<QString> changed_;
    QTimer changeTimer_; // gathers a burst of change notices into one read
};

} // namespace mv
