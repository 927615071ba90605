#pragma once
// The shell's file operation: move, copy, delete and rename of files and folder trees, with
// the shell's own questions asked in Japanese through mv::Dialogs.
//
// - Deletes with FOF_ALLOWUNDO go to the desktop's trash (platform/trash). An item that cannot
//   be trashed is reported and left where it is; it is never deleted for good instead.
// - Nothing is overwritten without a Yes (or FOF_NOCONFIRMATION). A file is copied into a
//   temporary file beside the target and renamed into place (platform/atomicfile's
//   placeNewEntry), so a failed copy leaves the old target whole; a copy onto itself gets a
//   new name and never touches the source.
// - A move within one file system is a rename; across file systems each file is copied,
//   compared with its source, and only then is the source removed.
// - Folder trees are walked without following symbolic links: a link is copied as a link.
// - Copies keep the permission bits, the extended attributes (the hidden attribute lives in
//   user.DOSATTRIB) and the access and modification times.
// - Paths are bytes handed to system calls as they are; wildcards are not expanded (a name on
//   Linux may contain "*" and "?"), so FOF_FILESONLY has nothing to act on. No progress window
//   is shown, so FOF_SILENT, FOF_SIMPLEPROGRESS and the progress title change nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace mv {

// Operation codes.
constexpr unsigned FO_MOVE = 1;
constexpr unsigned FO_COPY = 2;
constexpr unsigned FO_DELETE = 3;
constexpr unsigned FO_RENAME = 4;

// Operation flags.
constexpr uint16_t FOF_MULTIDESTFILES = 0x1;
constexpr uint16_t FOF_SILENT = 0x4;
constexpr uint16_t FOF_RENAMEONCOLLISION = 0x8;
constexpr uint16_t FOF_NOCONFIRMATION = 0x10;
constexpr uint16_t FOF_ALLOWUNDO = 0x40;
constexpr uint16_t FOF_FILESONLY = 0x80;
constexpr uint16_t FOF_SIMPLEPROGRESS = 0x100;
constexpr uint16_t FOF_NOCONFIRMMKDIR = 0x200;

// Result when the user declined or cancelled a question (the Windows ERROR_CANCELLED).
constexpr int kShfCancelled = 1223;

struct SHFILEOPSTRUCTA {
    void* hwnd = nullptr;
    unsigned wFunc = 0;
    // Zero-separated paths ended by an empty one (two zero bytes).
    const char* pFrom = nullptr;
    // FO_MOVE, FO_COPY: the destination folder, or with FOF_MULTIDESTFILES one target path per
    // source. FO_RENAME: the new path (or bare name in the source's folder) per source.
    const char* pTo = nullptr;
    uint16_t fFlags = 0;
    int fAnyOperationsAborted = 0;
    void* hNameMappings = nullptr;
    const char* lpszProgressTitle = nullptr;
};

// Runs the operation and returns when it is over. Returns 0 when every item was done; the
// errno of the first item that failed (each failure is shown to the user); kShfCancelled when
// nothing failed but the user declined something. fAnyOperationsAborted is set when the user
// answered No or Cancel to any question (the items concerned are left alone).
int SHFileOperationA(SHFILEOPSTRUCTA* op);

// Renames `existing` to `newName` and never replaces what is there: fails with EEXIST when
// `newName` exists (a change of case only on a case-insensitive file system is allowed),
// EXDEV across file systems. Uses renameat2(RENAME_NOREPLACE), and on file systems without
// it link + unlink, or a rename after checking that the target is absent.
std::error_code MoveFileA(const std::string& existing, const std::string& newName);

// The entries of a zero-separated, double-zero-terminated list.
std::vector<std::string> splitPathList(const char* list);

// `name` cut to at most `maxBytes` bytes at a character boundary of the active code page.
std::string cutName(std::string_view name, size_t maxBytes);

} // namespace mv
