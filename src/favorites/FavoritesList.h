#pragma once
// The favorites of the listed folder as the user sees and edits them: each favorite's file
// with its values as last read or written, the values shown for it (typed, not yet written),
// its update date and check mark; the favorite being edited and the commit of its edits;
// sorting; and the two clipboards. It shows nothing itself: the window displays it and turns
// its results into messages.

#include "FolderListing.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace mv {

enum class FavoriteField { SiteName, Url, Comment };

struct ListedFavorite {
    // The file and its values as last read or written.
    FavoriteEntry Entry;
    // What is shown for it: equal to Entry's values until the user types.
    std::string SiteName;
    std::string Url;
    std::string Comment;
    // The update date fetched for it; it lives only as long as the listing.
    std::string DateText;
    bool Checked = false;

    const std::string& Shown(FavoriteField field) const;
};

// What a commit did when it could not do all it was asked. The favorite's shown values stay
// as typed after a failed write (to be corrected and tried again); a refused rename shows the
// file's own name again.
enum class CommitError {
    None,
    Unreadable,   // the file could not be read when listed; nothing written, values restored
    WriteFailed,  // WriteError says why; the edit stays pending
    BlankName,    // the site name is empty or blanks only
    SlashInName,  // the site name holds "/"
    NameTaken,    // Target exists (also in another case)
    RenameFailed, // the system refused; SystemError says why
};

struct CommitResult {
    CommitError Error = CommitError::None;
    // The favorite's file when the commit began; Target is the file a rename asked for.
    std::string Path;
    std::string Target;
    QString WriteError;
    std::error_code SystemError;
    // The favorite whose shown values the commit changed (a name shown again after a refused
    // rename, values restored), so its row can be shown again.
    std::optional<size_t> Restored;
};

// A hidden attribute that could not be changed, with the system's reason.
struct HiddenToggleFailure {
    std::string Path;
    std::error_code SystemError;
};

class FavoritesList {
public:
    // The listing. Clear also ends the edit, without writing; the clipboards are kept.
    void Clear();
    void Add(FavoriteEntry entry);
    // Room for `count` favorites at once: a large listing then never holds two copies of the
    // list while it grows.
    void Reserve(size_t count) { items_.reserve(count); }
    size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    const ListedFavorite& At(size_t index) const { return items_.at(index); }
    const std::vector<ListedFavorite>& Items() const { return items_; }
    std::optional<size_t> IndexOf(const std::string& path) const;
    // Every listed favorite's file, in list order.
    std::vector<std::string> Paths() const;

    // What the user typed for a favorite; nothing is written until Commit.
    void Stage(size_t index, FavoriteField field, std::string text);
    void SetDateText(size_t index, std::string text);

    // The edit: the favorite, named by its file, whose shown values the next Commit compares
    // with its values as last read or written. It follows the favorite when the list is
    // sorted and ends when the favorite leaves the list.
    bool BeginEdit(size_t index);
    void EndEdit();
    std::optional<size_t> EditIndex() const;
    const std::string& EditPath() const { return editPath_; }

    // Writes the edited favorite's changed URL and comment into its file, then renames the
    // file for a changed site name (never over another file; a change of case only is
    // allowed). Ends the edit unless a write failed.
    CommitResult Commit();

    // Ascending by the shown site name or URL, ignoring case as the user's locale does; equal
    // keys keep their order. Check marks, dates and pending edits move with their favorite.
    void Sort(FavoriteField key);

    void SetChecked(size_t index, bool checked);
    void CheckAll();
    void CheckNone();
    void InvertChecks();
    bool AnyChecked() const;
    std::vector<std::string> CheckedPaths() const;

    // Inverts the hidden attribute of each file and notes the new state of those listed.
    std::vector<HiddenToggleFailure> ToggleHidden(const std::vector<std::string>& paths);

    // The clipboards: favorites' files, or one folder; at most one holds anything. Mode true
    // copies, false moves.
    void PutItems(std::vector<std::string> paths, bool copy);
    void PutFolder(std::string path, bool copy);
    void ClearItemClipboard() { itemClipboard_.clear(); }
    void ClearFolderClipboard() { folderClipboard_.clear(); }
    const std::vector<std::string>& ItemClipboard() const { return itemClipboard_; }
    const std::string& FolderClipboard() const { return folderClipboard_; }
    bool ClipboardMode() const { return clipboardMode_; }

private:
    std::vector<ListedFavorite> items_;
    std::string editPath_;
    // Where the edited favorite was last found; checked against its path before use.
    mutable size_t editHint_ = 0;
    std::vector<std::string> itemClipboard_;
    std::string folderClipboard_;
    bool clipboardMode_ = false;
};

} // namespace mv
