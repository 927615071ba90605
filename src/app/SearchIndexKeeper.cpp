#include "SearchIndexKeeper.h"

#include <QFile>
#include <QThread>

#include <utility>

namespace mv {

SearchIndexKeeper::SearchIndexKeeper(QObject* parent) : QObject(parent) {
    changeTimer_.setSingleShot(true);
    changeTimer_.setInterval(50);
    connect(&changeTimer_, &QTimer::timeout, this, &SearchIndexKeeper::SyncChanged);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            &SearchIndexKeeper::OnDirectoryChanged);
}

SearchIndexKeeper::~SearchIndexKeeper() {
    StopBuild();
}

void SearchIndexKeeper::StopBuild() {
    if (!builder_) return;
    // The read checks the flag between folders, so this waits for one folder at most.
    cancel_->store(true);
    builder_->wait();
    delete builder_;
    builder_ = nullptr;
}

void SearchIndexKeeper::setRoot(const std::string& root) {
    if (root.empty() || root == root_) return;
    StopBuild();
    root_ = root;
    index_.reset();
    pending_.clear();
    changed_.clear();
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());

    const unsigned generation = ++generation_;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto built = std::make_shared<SearchIndex>();
    cancel_ = cancel;
    builder_ =
        QThread::create([root, cancel, built] { *built = SearchIndex::Build(root, cancel.get()); });
    builder_->setObjectName(QStringLiteral("SearchIndexBuilder"));
    connect(builder_, &QThread::finished, this,
            [this, generation, built] { OnBuilt(generation, built); });
    builder_->start(QThread::LowPriority);
}

void SearchIndexKeeper::OnBuilt(unsigned generation, std::shared_ptr<SearchIndex> built) {
    // A read given up for another root may still report.
    if (generation != generation_ || !builder_) return;
    builder_->wait();
    delete builder_;
    builder_ = nullptr;
    index_ = std::make_unique<SearchIndex>(std::move(*built));
    // What the program changed while the read ran; what others changed shows once watched.
    for (const std::string& folder : std::exchange(pending_, {}))
        index_->SyncFolder(folder);
    Rewatch();
    emit IndexReady();
}

bool SearchIndexKeeper::NoteChanged(const std::vector<std::string>& folders) {
    if (!index_) {
        if (builder_) pending_.insert(pending_.end(), folders.begin(), folders.end());
        return false;
    }
    bool changed = false;
    for (const std::string& folder : folders)
        changed = index_->SyncFolder(folder) || changed;
    if (changed) Rewatch();
    return changed;
}

bool SearchIndexKeeper::NoteFiles(const std::vector<std::string>& files) {
    if (!index_) {
        for (const std::string& file : files)
            if (builder_) pending_.push_back(file.substr(0, file.rfind('/')));
        return false;
    }
    bool changed = false;
    for (const std::string& file : files)
        changed = index_->SyncFile(file) || changed;
    if (changed) Rewatch();
    return changed;
}

bool SearchIndexKeeper::SyncStale() {
    if (!index_ || !index_->SyncStale()) return false;
    Rewatch();
    return true;
}

void SearchIndexKeeper::OnDirectoryChanged(const QString& path) {
    changed_.insert(path);
    changeTimer_.start();
}

void SearchIndexKeeper::SyncChanged() {
    std::vector<std::string> folders;
    for (const QString& path : std::exchange(changed_, {})) {
        const QByteArray bytes = QFile::encodeName(path);
        folders.emplace_back(bytes.constData(), size_t(bytes.size()));
    }
    if (NoteChanged(folders)) emit IndexChanged();
}

void SearchIndexKeeper::Rewatch() {
    // A folder read before its watch was in place may have changed in between: such folders
    // are looked at again once watched, until no new folder turns up.
    while (WatchHeldFolders() && index_ && index_->SyncStale()) {
    }
}

bool SearchIndexKeeper::WatchHeldFolders() {
    QSet<QString> wanted;
    if (index_)
        for (const std::string& folder : index_->Folders())
            wanted.insert(QFile::decodeName(QByteArray::fromStdString(folder)));
    const QStringList watched = watcher_.directories();
    QStringList gone;
    for (const QString& path : watched)
        if (!wanted.remove(path)) gone << path;
    if (!gone.isEmpty()) watcher_.removePaths(gone);
    if (wanted.isEmpty()) return false;
    watcher_.addPaths(QStringList(wanted.cbegin(), wanted.cend()));
    return true;
}

} // namespace mv
