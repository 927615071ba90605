#pragma once
// The desktop's trash, laid out as freedesktop.org's Trash layout 1.0 describes it, so that
// every file manager lists what we put there and can restore it:
//   home trash        $XDG_DATA_HOME/Trash (~/.local/share/Trash), for the home file system
//   other file systems $topdir/.Trash/$uid when $topdir/.Trash is a real folder with the
//                      sticky bit, else $topdir/.Trash-$uid
// Each trashed item lies in <trash>/files/<name>; <trash>/info/<name>.trashinfo holds its
// original Path (percent-encoded) and DeletionDate.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <system_error>

namespace mv::trash {

struct Trashed {
    std::string file; // <trash>/files/<name>
    std::string info; // <trash>/info/<name>.trashinfo
};

// Moves `path` (a file, a folder with everything in it, or a symbolic link as itself) into
// the trash of the file system it lies on, and tells where it went through `trashed` when
// given. The info file is written first and removed again when the move fails. Nothing is
// ever copied or deleted: on failure the item stays where it was and no info file remains.
std::error_code moveToTrash(const std::string& path, Trashed* trashed = nullptr);

// $XDG_DATA_HOME/Trash, or $HOME/.local/share/Trash when XDG_DATA_HOME is unset or relative.
std::string homeTrashPath();

// The trash folder of the file system whose top folder is `topdir`, created when missing:
// "$topdir/.Trash/$uid" when "$topdir/.Trash" is a folder (not a link) with the sticky bit,
// otherwise "$topdir/.Trash-$uid". A trash folder that exists must be a real folder owned by
// `uid`. Fails, `out` empty, when neither can be used.
std::error_code topdirTrashPath(const std::string& topdir, uid_t uid, std::string& out);

// The Path key's escaping: every byte except letters, digits and "-_.~/" as %XX.
std::string encodePath(std::string_view path);
// Undoes encodePath; nothing when a "%" is not followed by two hex digits.
std::optional<std::string> decodePath(std::string_view encoded);

// "YYYY-MM-DDThh:mm:ss" in local time.
std::string deletionDate(std::time_t when);

} // namespace mv::trash
