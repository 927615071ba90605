#pragma once
// The LHA archiver: turns operations and options into UNLHA32.DLL command lines.

#include "Archiver.h"

#include <string>
#include <vector>

namespace mv {

// The LHA library's result when it wrote the archive without some files (its log names them).
constexpr int kLhaPartialResult = 0x8001;

// The command line for command word `word`: the switches of `options` in the family's order,
// the quoted archive name, the base folder (when `withBaseDir`) with a trailing "/", the names
// (or a response file) and the free texts. `progressWindow` forces -n1. Throws
// EAssertionFailed when jso is unset (any command) or jse is unset (extract, "x").
std::string LhaCommandLine(const std::string& word, const std::string& arcFile,
                           const std::vector<std::string>& files, bool withBaseDir,
                           const std::string& baseDir, bool useResFile,
                           const TArchiverOptions& options, bool progressWindow);

class TLha32 : public TArchiver {
public:
    // Loads the library process-wide; every TLha32 shares it. Throws ENoArchiverDLL.
    void LoadDLL() override;
    // Unloads the shared library (the next command loads it again).
    void FreeDLL() override;

    int ExtractFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                     bool useResFile, const std::vector<std::string>& files,
                     const std::string& baseDir, const TArchiverOptions& options) override;
    int PackFiles(void* owner, const std::string& arcFile, TOutputBuffer& output, bool useResFile,
                  const std::vector<std::string>& files, const std::string& baseDir,
                  const TArchiverOptions& options) override;
    int RemoveItems(void* owner, const std::string& arcFile, TOutputBuffer& output, bool useResFile,
                    const std::vector<std::string>& files,
                    const TArchiverOptions& options) override;
    int UpdateFiles(void* owner, const std::string& arcFile, TOutputBuffer& output, bool useResFile,
                    const std::vector<std::string>& files, const std::string& baseDir,
                    const TArchiverOptions& options) override;
    int MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                const std::string& baseDir, const TArchiverOptions& options) override;

    void SetOwnerWindow(void* window, ARCHIVERPROC proc) override;
    void RemoveOwnerWindow() override;

    // The process-wide library object of this format (created on first use, not loaded).
    virtual TArchiverDll& Dll();
    // The shared LHA library object, if it exists (tests, diagnostics).
    static TArchiverDll* SharedDll();

protected:
    int Execute(const char* word, void* owner, const std::string& arcFile, TOutputBuffer& output,
                bool useResFile, const std::vector<std::string>& files, bool withBaseDir,
                const std::string& baseDir, const TArchiverOptions& options);
};

// ARJ through UNARJ32J.DLL: the LHA family's command lines with a library of its own.
class TArj32 : public TLha32 {
public:
    TArchiverDll& Dll() override;
};

} // namespace mv
