#pragma once
// The archive component's own error family. Every one of them is an mv::Error, so the
// application's error display shows its text like any other handler failure.

#include "platform/error.h"

#include <string>

namespace mv {

class EArchiver : public Error {
public:
    using Error::Error;
};

// The archiver library cannot be loaded.
class ENoArchiverDLL : public EArchiver {
public:
    using EArchiver::EArchiver;
};

// The loaded archiver library lacks a function the component needs.
class EEntryNotFound : public EArchiver {
public:
    using EArchiver::EArchiver;
};

// A file that a self-extracting archive is built from is missing.
class ESfxNoRequiredFile : public EArchiver {
public:
    // e.g. ("7z", "7z.sfx", "Win32"): "7z 書庫からのWin32自己解凍書庫の作成には '7z.sfx'
    // ファイルが必要です。"
    ESfxNoRequiredFile(std::string formatName, std::string fileName, std::string platform = {});
    // The same, with a message of the format's own.
    ESfxNoRequiredFile(std::string formatName, std::string fileName, std::string platform,
                       QString message);
    const std::string& FormatName() const { return formatName_; }
    const std::string& FileName() const { return fileName_; }
    const std::string& Platform() const { return platform_; }

private:
    std::string formatName_, fileName_, platform_;
};

// A broken precondition of a command (an option every command of a format needs). Not an
// archiver error: it means the caller configured the component wrongly.
class EAssertionFailed : public Error {
public:
    using Error::Error;
};

// "%0:s を扱うには %1:s が 必要です。"
ENoArchiverDLL noArchiverDllError(const std::string& description, const std::string& libraryName);
// "%0:s に %1:s のエントリが見つかりません。"
EEntryNotFound entryNotFoundError(const std::string& modulePath, const std::string& function);

} // namespace mv
