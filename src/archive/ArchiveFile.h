#pragma once
// The archive component: packs files into an archive through the archiver library that the
// archive's name selects, collecting the files itself.

#include "Archiver.h"
#include "ArchiverDll.h"
#include "ArchiverErrors.h"
#include "ArchiverOptions.h"
#include "CommandOptions.h"
#include "LeftOut.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace mv {

enum TArchiverType {
    atLha,
    atZip,
    atCab,
    atArj,
    atTar,
    atTgz,
    atBZ2,
    atRar,
    atBga,
    atYz1,
    atGCA,
    atBel,
    at7z,
    atNone,
    atAutoDetect
};

// The type an archive name's extension selects (ignoring case): atNone for an unknown or
// missing extension, atAutoDetect for ".exe" (self-extracting: the content decides).
TArchiverType ArchiverTypeOfName(std::string_view fileName);
// Asks each installed archiver library whether it recognises the file; atNone when none does.
TArchiverType DetectArchiverType(const std::string& fileName);

class TArchiveFile;
// Sender, State, the progress record, and the flag that aborts when set.
using TArchiverProgressEvent =
    std::function<void(TArchiveFile* Sender, int State, LPEXTRACTINGINFOEX lpEis, bool& Abort)>;

class TArchiveFile {
public:
    // The progress state reported for each name the component collects.
    static constexpr int kCollectingState = 2053;
    // PackFiles' result when the progress handler aborted the collection.
    static constexpr int kAbortedResult = 32800;

    enum : unsigned { csLoading = 1, csDesigning = 2 };

    TArchiveFile();
    ~TArchiveFile();
    TArchiveFile(const TArchiveFile&) = delete;
    TArchiveFile& operator=(const TArchiveFile&) = delete;

    const std::string& FileName() const { return fileName_; }
    // Selects the archiver by the name's extension (loading its library: throws
    // ENoArchiverDLL), then stores the name. An unknown extension keeps the archiver.
    void SetFileName(const std::string& fileName);

    int OutputSize() const { return outputSize_; }
    // n > 0: an n-byte output buffer starting with a zero byte; otherwise none.
    void SetOutputSize(int size);
    // The library's output text (up to the first zero byte).
    std::string OutputText() const;

    TArchiverOptions& Options() { return options_; }
    const TArchiverOptions& Options() const { return options_; }
    void SetOptions(const TArchiverOptions& options) { options_.Assign(options); }

    TArchiverType ArchiverType() const { return type_; }
    // Creates the type's archiver, which loads its library at once, and frees the previous
    // one. atNone changes nothing; atAutoDetect is stored; atGCA and atBel, which have no
    // archiver, raise EArchiver (except while loading). While designing, only stored.
    void SetArchiverType(TArchiverType type);

    TArchiverProgressEvent OnProgress;
    unsigned ComponentState = 0;

    // Packs into FileName. `options` null: the component's own. Returns the library's result
    // unchanged, 0 when no file was found (the library is then not called), kAbortedResult
    // when the progress handler aborted the collection. Names the component collected go to
    // the library in a response file when ResFileUsage allows one: ResFileName when set, else
    // a private temporary list in the library's exact form (every name whole, quotes, blanks,
    // line breaks and characters the code page lacks included), removed after the call.
    int PackFiles(void* owner, const TArchiverOptions* options, const std::string& baseDir,
                  const TFileArgs& files);

    // What the last PackFiles left out, and why: the collector's finds, then those the
    // library's log names.
    const TLeftOutList& LeftOut() const { return leftOut_; }
    // How many names the last PackFiles handed to the library.
    size_t NamesPassed() const { return namesPassed_; }

    // The command line of the last library call.
    const std::string& CommandLine() const { return commandLine_; }
    TArchiver* Archiver() const { return archiver_.get(); }

private:
    void ReportCollected(const std::string& name, bool& abort);

    std::string fileName_;
    int outputSize_ = 0;
    TOutputBuffer output_;
    TArchiverOptions options_;
    TArchiverType type_ = atAutoDetect;
    std::unique_ptr<TArchiver> archiver_;
    std::string commandLine_;
    TLeftOutList leftOut_;
    size_t namesPassed_ = 0;
};

} // namespace mv
