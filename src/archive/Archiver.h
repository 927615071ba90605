#pragma once
// The abstract archiver: one per archive format. It turns an operation and options into the
// format library's command line and runs it. Operations a format does not offer refuse with
// EArchiver.

#include "ArchiverDll.h"
#include "ArchiverOptions.h"

#include <string>
#include <vector>

namespace mv {

// The output text buffer handed to the library (empty: none).
using TOutputBuffer = std::vector<char>;

class TArchiver {
public:
    TArchiver() = default;
    virtual ~TArchiver() = default;
    TArchiver(const TArchiver&) = delete;
    TArchiver& operator=(const TArchiver&) = delete;

    virtual void LoadDLL();
    virtual void FreeDLL();

    virtual int Version() { return 0; }
    virtual int FileCount(const std::string& /*arcFile*/) { return -1; }
    virtual int Ratio(const std::string& /*arcFile*/) { return -1; }
    virtual int Running() { return 0; }

    // Each returns the library's result unchanged.
    virtual int ExtractFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                             bool useResFile, const std::vector<std::string>& files,
                             const std::string& baseDir, const TArchiverOptions& options);
    virtual int PackFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                          bool useResFile, const std::vector<std::string>& files,
                          const std::string& baseDir, const TArchiverOptions& options);
    virtual int RemoveItems(void* owner, const std::string& arcFile, TOutputBuffer& output,
                            bool useResFile, const std::vector<std::string>& files,
                            const TArchiverOptions& options);
    virtual int UpdateFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                            bool useResFile, const std::vector<std::string>& files,
                            const std::string& baseDir, const TArchiverOptions& options);
    virtual int MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                        const std::string& baseDir, const TArchiverOptions& options);
    virtual int ExtractMem(void* owner, const std::string& arcFile, const std::string& name,
                           std::vector<char>& data, const TArchiverOptions& options);
    virtual bool CheckArchive(const std::string& arcFile, int mode);

    // Registers `window` for the library's progress reports, which go to `proc`. Throws when
    // the library cannot report progress; the window is then not registered.
    virtual void SetOwnerWindow(void* window, ARCHIVERPROC proc);
    virtual void RemoveOwnerWindow();
    // Loads the library (kept for callers that only want the library ready).
    void Prepare() { LoadDLL(); }

    void* OwnerWindow() const { return ownerWindow_; }
    // Whether a window for progress is registered (the library then shows none of its own).
    bool ProgressRegistered() const { return progressRegistered_; }
    // The command line the last operation built (also when the library failed).
    const std::string& CommandLine() const { return commandLine_; }

protected:
    // Runs `cmdLine` through `dll`, remembering it first.
    int Run(TCustomArchiverDll& dll, void* owner, const std::string& cmdLine,
            TOutputBuffer& output);

    std::string commandLine_;
    void* ownerWindow_ = nullptr;
    bool progressRegistered_ = false;
};

} // namespace mv
