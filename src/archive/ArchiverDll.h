#pragma once
// The entry points of an archiver library loaded at run time. Every function of the family
// is named by the library's prefix ("Unlha") and a suffix ("GetVersion"); each is looked up on
// first use and cached until the library is unloaded.

#include "platform/library.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mv {

constexpr int FNAME_MAX32 = 512;

// The progress record the archiver libraries hand to their progress callbacks. The
// component fills one of its own while it collects names (the name in szSourceFileName).
struct EXTRACTINGINFO {
    uint32_t dwFileSize;
    uint32_t dwWriteSize;
    char szSourceFileName[FNAME_MAX32 + 1];
    char dummy1[3];
    char szDestFileName[FNAME_MAX32 + 1];
    char dummy[3];
};
struct EXTRACTINGINFOEX {
    EXTRACTINGINFO exinfo;
    uint32_t dwCompressedSize;
    uint32_t dwCRC;
    unsigned uOSType;
    uint16_t wRatio;
    uint16_t wDate;
    uint16_t wTime;
    char szAttribute[8];
    char szMode[8];
};
using LPEXTRACTINGINFOEX = EXTRACTINGINFOEX*;
static_assert(offsetof(EXTRACTINGINFO, szSourceFileName) == 8);

// The progress callback a library calls while it works: non-zero to go on, 0 to abort.
using ARCHIVERPROC = int (*)(void* window, unsigned message, unsigned state, void* lpEis);

// The functions of the family, in the order of their suffixes below.
enum class TArcFunc {
    Main, // the prefix alone: runs one command line
    GetVersion,
    GetRunning,
    OpenArchive,
    CloseArchive,
    FindFirst,
    FindNext,
    CheckArchive,
    SetOwnerWindowEx,
    KillOwnerWindowEx,
    ExtractMem,
    GetWriteTimeEx,
    GetCreateTimeEx,
    GetAccessTimeEx,
    GetOriginalSizeEx,
    GetCompressedSizeEx,
    GetArchiveType,
    Count
};
const char* ArcFuncSuffix(TArcFunc f);

// The calls a format's archiver makes, whatever library or libraries stand behind them.
class TCustomArchiverDll {
public:
    virtual ~TCustomArchiverDll() = default;

    virtual void Load() = 0;
    virtual void Unload() = 0;
    virtual bool Loaded() const = 0;

    // Runs one command line; the output buffer is passed as null when `size` is 0.
    int Command(void* owner, const std::string& cmdLine, char* output, unsigned long size);
    unsigned short GetVersion();
    bool GetRunning();
    bool CheckArchive(const std::string& fileName, int mode);
    bool SetOwnerWindowEx(void* window, ARCHIVERPROC proc);
    bool KillOwnerWindowEx(void* window);

    // The address of a function; loads the library first. Throws ENoArchiverDLL or
    // EEntryNotFound.
    virtual void* Entry(TArcFunc f) = 0;
};

// One archiver library.
class TArchiverDll : public TCustomArchiverDll {
public:
    // `description` names the format in messages ("LHA 形式書庫"), `prefix` the functions
    // ("Unlha"), `libraryName` the library ("UNLHA32.DLL").
    TArchiverDll(std::string description, std::string prefix, std::string libraryName);
    ~TArchiverDll() override;
    TArchiverDll(const TArchiverDll&) = delete;
    TArchiverDll& operator=(const TArchiverDll&) = delete;

    // Throws ENoArchiverDLL when the library cannot be loaded.
    void Load() override;
    void Unload() override;
    bool Loaded() const override { return handle_ != nullptr; }

    const std::string& Description() const { return description_; }
    const std::string& Prefix() const { return prefix_; }
    const std::string& LibraryName() const { return libraryName_; }
    // The loaded module's full path (empty while not loaded).
    std::string ModulePath() const;

    void* Entry(TArcFunc f) override;

private:
    std::string description_, prefix_, libraryName_;
    library::Handle handle_ = nullptr;
    std::array<void*, static_cast<size_t>(TArcFunc::Count)> entries_{};
};

} // namespace mv
