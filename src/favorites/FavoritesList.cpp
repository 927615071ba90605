#include "FavoritesList.h"

#include "HiddenAttribute.h"
#include "ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/pathcase.h"
#include "platform/shellfileop.h"

#include <algorithm>
#include <sys/stat.h>
#include <unordered_map>

namespace mv {
namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool isBlank(const std::string& text) {
    return toQt(text).trimmed().isEmpty();
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// Renames without ever replacing another file. Names compare as Windows compares them: a
// target that differs from an existing file only in case counts as taken, unless it is the
// file itself (a change of case only).
CommitError renameFavorite(const std::string& from, const std::string& to,
                           std::error_code& systemError) {
    const std::string source = resolvePathCase(from);
    const std::string taken = resolvePathCase(to);
    if (taken != source && exists(taken)) return CommitError::NameTaken;
    systemError = MoveFileA(source, to);
    return systemError ? CommitError::RenameFailed : CommitError::None;
}

// Shows the file's values again in place of what was typed; true when anything changed.
bool ShowFileValues(ListedFavorite& item) {
    const FavoriteEntry& file = item.Entry;
    if (item.Url == file.Url && item.Comment == file.Comment && item.SiteName == file.SiteName)
        return false;
    item.SiteName = file.SiteName;
    item.Url = file.Url;
    item.Comment = file.Comment;
    return true;
}

// Writes a changed URL and comment into the file under its present name. On a refused
// write the typed values stay shown, so they can be corrected.
bool WriteChangedValues(ListedFavorite& item, CommitResult& result) {
    FavoriteEntry& file = item.Entry;
    try {
        if (item.Url != file.Url) {
            WriteShortcutUrl(file.Path, item.Url);
            file.Url = item.Url;
        }
        if (item.Comment != file.Comment) {
            WriteShortcutComment(file.Path, item.Comment);
            file.Comment = item.Comment;
        }
    } catch (const Error& error) {
        result.Error = CommitError::WriteFailed;
        result.WriteError = error.text();
        return false;
    }
    return true;
}

// Gives the file the shown site name; false (with the reason in `result`) when refused.
bool RenameToShownName(ListedFavorite& item, CommitResult& result) {
    FavoriteEntry& file = item.Entry;
    if (isBlank(item.SiteName)) {
        // The file would become a hidden ".url" (or a name of blanks only).
        result.Error = CommitError::BlankName;
    } else if (item.SiteName.find('/') != std::string::npos) {
        result.Error = CommitError::SlashInName;
    } else {
        result.Target = ItemPath(folderOf(file.Path), item.SiteName);
        result.Error = renameFavorite(file.Path, result.Target, result.SystemError);
    }
    if (result.Error != CommitError::None) return false;
    file.Path = result.Target;
    file.SiteName = item.SiteName;
    return true;
}

} // namespace

const std::string& ListedFavorite::Shown(FavoriteField field) const {
    switch (field) {
    case FavoriteField::SiteName:
        return SiteName;
    case FavoriteField::Url:
        return Url;
    case FavoriteField::Comment:
        break;
    }
    return Comment;
}

void FavoritesList::Clear() {
    items_.clear();
    EndEdit();
}

void FavoritesList::Add(FavoriteEntry entry) {
    ListedFavorite item;
    item.SiteName = entry.SiteName;
    item.Url = entry.Url;
    item.Comment = entry.Comment;
    item.Entry = std::move(entry);
    items_.push_back(std::move(item));
}

std::optional<size_t> FavoritesList::IndexOf(const std::string& path) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].Entry.Path == path) return i;
    return std::nullopt;
}

std::vector<std::string> FavoritesList::Paths() const {
    std::vector<std::string> paths;
    paths.reserve(items_.size());
    for (const ListedFavorite& item : items_)
        paths.push_back(item.Entry.Path);
    return paths;
}

void FavoritesList::Stage(size_t index, FavoriteField field, std::string text) {
    if (index >= items_.size()) return;
    ListedFavorite& item = items_[index];
    switch (field) {
    case FavoriteField::SiteName:
        item.SiteName = std::move(text);
        break;
    case FavoriteField::Url:
        item.Url = std::move(text);
        break;
    case FavoriteField::Comment:
        item.Comment = std::move(text);
        break;
    }
}

void FavoritesList::SetDateText(size_t index, std::string text) {
    if (index < items_.size()) items_[index].DateText = std::move(text);
}

bool FavoritesList::BeginEdit(size_t index) {
    if (index >= items_.size()) return false;
    editPath_ = items_[index].Entry.Path;
    editHint_ = index;
    return true;
}

void FavoritesList::EndEdit() {
    editPath_.clear();
    editHint_ = 0;
}

std::optional<size_t> FavoritesList::EditIndex() const {
    if (editPath_.empty()) return std::nullopt;
    if (editHint_ < items_.size() && items_[editHint_].Entry.Path == editPath_) return editHint_;
    const std::optional<size_t> found = IndexOf(editPath_);
    if (found) editHint_ = *found;
    return found;
}

CommitResult FavoritesList::Commit() {
    CommitResult result;
    if (editPath_.empty()) return result;
    const std::optional<size_t> index = EditIndex();
    if (!index) {
        // The favorite has left the list: nothing of it is shown to be written.
        EndEdit();
        return result;
    }
    ListedFavorite& item = items_[*index];
    result.Path = item.Entry.Path;
    if (!item.Entry.Readable) {
        // What is shown is not the file's content; writing it would replace the file's.
        if (ShowFileValues(item)) {
            result.Error = CommitError::Unreadable;
            result.Restored = index;
        }
        EndEdit();
        return result;
    }
    // Values go into the file under its old name; the rename comes last.
    if (!WriteChangedValues(item, result)) return result; // stays pending, for another try
    if (item.SiteName != item.Entry.SiteName && !RenameToShownName(item, result)) {
        // A favorite always shows its own file's name.
        item.SiteName = item.Entry.SiteName;
        result.Restored = index;
    }
    EndEdit();
    return result;
}

void FavoritesList::Sort(FavoriteField key) {
    const CodePage& cp = CodePage::active();
    std::stable_sort(items_.begin(), items_.end(),
                     [&](const ListedFavorite& a, const ListedFavorite& b) {
                         return cp.compareNoCase(a.Shown(key), b.Shown(key)) < 0;
                     });
}

void FavoritesList::SetChecked(size_t index, bool checked) {
    if (index < items_.size()) items_[index].Checked = checked;
}

void FavoritesList::CheckAll() {
    for (ListedFavorite& item : items_)
        item.Checked = true;
}

void FavoritesList::CheckNone() {
    for (ListedFavorite& item : items_)
        item.Checked = false;
}

void FavoritesList::InvertChecks() {
    for (ListedFavorite& item : items_)
        item.Checked = !item.Checked;
}

bool FavoritesList::AnyChecked() const {
    return std::any_of(items_.cbegin(), items_.cend(),
                       [](const ListedFavorite& item) { return item.Checked; });
}

std::vector<std::string> FavoritesList::CheckedPaths() const {
    std::vector<std::string> paths;
    for (const ListedFavorite& item : items_)
        if (item.Checked) paths.push_back(item.Entry.Path);
    return paths;
}

std::vector<HiddenToggleFailure>
FavoritesList::ToggleHidden(const std::vector<std::string>& paths) {
    std::unordered_map<std::string, size_t> listed;
    for (size_t i = 0; i < items_.size(); ++i)
        listed.emplace(items_[i].Entry.Path, i);
    std::vector<HiddenToggleFailure> failed;
    for (const std::string& path : paths) {
        if (const std::error_code ec = ToggleHiddenAttribute(path)) failed.push_back({path, ec});
        if (const auto it = listed.find(path); it != listed.end())
            items_[it->second].Entry.Hidden = IsHiddenFile(path) ? 1 : 0;
    }
    return failed;
}

void FavoritesList::PutItems(std::vector<std::string> paths, bool copy) {
    folderClipboard_.clear();
    clipboardMode_ = copy;
    itemClipboard_ = std::move(paths);
}

void FavoritesList::PutFolder(std::string path, bool copy) {
    itemClipboard_.clear();
    clipboardMode_ = copy;
    folderClipboard_ = std::move(path);
}

} // namespace mv
