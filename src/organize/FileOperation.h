#pragma once
// TShfOperation: the one gateway of the program to the shell's file operation. It turns its
// path lists into the zero-separated buffers the shell takes, its options into the flag word,
// runs the operation and reports whether the user aborted any part of it. Every question,
// error box and the trash belong to the shell (platform/shellfileop).

#include "platform/shellfileop.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mv {

enum TwFunc { foMOVE, foCOPY, foDELETE, foRENAME };

// The Boolean options, in the order their flags are added to the flag word.
struct TfFlags {
    bool ALLOWUNDO = false;         // 0x40: deletes go to the trash
    bool FILESONLY = false;         // 0x80
    bool MUILIDESTFILES = false;    // 0x1: ToFiles holds one target path per source
    bool NOCONFIRMATION = false;    // 0x10: every question answered "yes to all"
    bool NOCONFIRMMKDIR = false;    // 0x200: missing destination folders made without asking
    bool RENAMEONCOLLISION = false; // 0x8: a taken target name gives the item a new name
    bool SILENT = false;            // 0x4
    bool SIMPLEPROGRESS = false;    // 0x100
};

class TShfOperation {
public:
    using ShellFunction = std::function<int(SHFILEOPSTRUCTA*)>;

    // Assigning a list copies its entries; callers may also work on the lists directly.
    std::vector<std::string> FromFFList;
    TwFunc OperationF = foMOVE;
    std::string ToFolder; // used when MUILIDESTFILES is off
    std::vector<std::string> ToFiles;
    TfFlags Options;
    std::string ProgressTitle; // passed on only when not empty

    // Runs the operation and returns the shell's result unchanged (0: success). Raises
    // mv::Error before reaching the shell when FromFFList is empty, when MUILIDESTFILES is on
    // and ToFiles is empty, or when a buffer cannot be allocated.
    int Execute();

    // After Execute: whether the user aborted any part of the operation.
    bool fAbort() const { return fAbort_; }

    // The flag word of Options.
    uint16_t FlagWord() const;
    // The entries, each followed by its zero byte, then 10 more zero bytes.
    static std::vector<char> BuildPathBuffer(const std::vector<std::string>& paths);
    static unsigned OperationCode(TwFunc func);

    // Replaces the shell call (tests of the callers record what they would hand the shell);
    // an empty function restores SHFileOperationA.
    void setShellForTesting(ShellFunction shell) { shell_ = std::move(shell); }

private:
    bool fAbort_ = false;
    ShellFunction shell_;
};

} // namespace mv
