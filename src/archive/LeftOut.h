#pragma once
// A file that matched but was not packed, and why: the archive command tells the user.

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace mv {

enum class TLeftOutReason {
    Vanished,          // gone between listing and reading
    DanglingLink,      // a symbolic link whose target does not exist
    NotAFile,          // a FIFO, socket or device: reading could block or never end
    Unreadable,        // cannot be opened for reading (error: errno)
    FolderUnreadable,  // a folder that cannot be listed: what it holds is unknown
    FolderLink,        // a link to a folder: never followed
    SameNameOtherCase, // differs only in case from `other` (when known), which is packed
    Changed,           // changed while the library packed it
    Library,           // the archiver library left it out (`other`: its reason)
};

struct TLeftOut {
    std::string name; // program's code page; "?" where a character has no form there
    TLeftOutReason reason = TLeftOutReason::Unreadable;
    int error = 0;
    std::string other;
    bool byLibrary = false; // named in the library's log (it was handed over)
    bool operator==(const TLeftOut&) const = default;
};
using TLeftOutList = std::vector<TLeftOut>;

// The files the LHA library's log names as left out: lines
// "warning: left out: <reason>: <name>", the name with %XX for control bytes and "%".
TLeftOutList ParseLibraryLeftOut(std::string_view log);

// One line for the user: the name and the reason, in Japanese.
QString DescribeLeftOut(const TLeftOut& item);

} // namespace mv
