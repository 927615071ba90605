#pragma once
// The archivers of the other formats. Their libraries are Windows libraries; where no stand-in
// is installed, choosing the format reports the missing library. Commands take the plain form
// `word [UserOptions] "archive" "base/" "name"... [UserFileList]`.

#include "Archiver.h"

#include <QString>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mv {

// A library object that uses the first of several libraries that loads.
class TAlternativeDll : public TCustomArchiverDll {
public:
    // Candidates as (library file, function prefix); `missing` is the message when none loads.
    TAlternativeDll(std::vector<std::pair<std::string, std::string>> candidates, QString missing);
    void Load() override;
    void Unload() override;
    bool Loaded() const override { return active_ && active_->Loaded(); }
    void* Entry(TArcFunc f) override;

private:
    std::vector<std::unique_ptr<TArchiverDll>> candidates_;
    TArchiverDll* active_ = nullptr;
    QString missing_;
};

// ZIP: UNZIP32.DLL or LMZIP32.DLL to extract, ZIP32J.DLL or LMZIP32.DLL to create.
class TZipDll : public TAlternativeDll {
public:
    explicit TZipDll(bool forCreating);
};

// YZ1: YZ1.DLL or YYZ32.DLL.
class TYZ1Dll : public TAlternativeDll {
public:
    TYZ1Dll();
};

class TPlainArchiver : public TArchiver {
public:
    void LoadDLL() override;
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

protected:
    enum Op { opExtract, opPack, opRemove, opUpdate, opSfx };
    // The command word of an operation, or nullptr when the format does not offer it.
    virtual const char* Word(Op op, const TArchiverOptions& options) const = 0;
    virtual TCustomArchiverDll& Dll(Op op) = 0;
    int Execute(Op op, void* owner, const std::string& arcFile, TOutputBuffer& output,
                bool useResFile, const std::vector<std::string>& files, bool withBaseDir,
                const std::string& baseDir, const TArchiverOptions& options);
    // Fails with ESfxNoRequiredFile unless `file` is beside the program.
    static void RequireHelper(const std::string& format, const std::string& file,
                              const std::string& platform);
};

class TZip32 : public TPlainArchiver {
public:
    void LoadDLL() override;
    int MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                const std::string& baseDir, const TArchiverOptions& options) override;

protected:
    const char* Word(Op op, const TArchiverOptions& options) const override;
    TCustomArchiverDll& Dll(Op op) override;
};

class TCab32 : public TPlainArchiver {
protected:
    const char* Word(Op op, const TArchiverOptions& options) const override;
    TCustomArchiverDll& Dll(Op op) override;
};

class TTar32 : public TPlainArchiver {
public:
    int MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                const std::string& baseDir, const TArchiverOptions& options) override;

protected:
    const char* Word(Op op, const TArchiverOptions& options) const override;
    TCustomArchiverDll& Dll(Op op) override;
};
class TTgz32 : public TTar32 {};
class TBZ232 : public TTar32 {
public:
    int MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                const std::string& baseDir, const TArchiverOptions& options) override;
};

class TRar32 : public TPlainArchiver {
protected:
    const char* Word(Op op, const TArchiverOptions& options) const override;
    TCustomArchiverDll& Dll(Op op) override;
};

class TBGA32 : public TPlainArchiver {
protected:
    const char* Word(Op op, const TArchiverOptions& options) const override;
    TCustomArchiverDll& Dll(Op op) override;
};

class TYZ1 : public TPlainArchiver {
public:
    int MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                const std::string& baseDir, const TArchiverOptions& options) override;

protected:
    const char* Word(Op op, const TArchiverOptions& options) const override;
    TCustomArchiverDll& Dll(Op op) override;
};

class TSevenZip32 : public TPlainArchiver {
public:
    // Copies the self-extractor module 7z.sfx (beside the program, else on PATH) to the archive's
    // name with ".exe" and appends the archive. Only a Win32 one (gw 1 or more) can be made.
    int MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                const std::string& baseDir, const TArchiverOptions& options) override;

protected:
    const char* Word(Op op, const TArchiverOptions& options) const override;
    TCustomArchiverDll& Dll(Op op) override;
};

} // namespace mv
