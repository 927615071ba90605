#include "OtherArchivers.h"

#include "ArchiverErrors.h"
#include "CommandOptions.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/library.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace mv {
namespace {

namespace fs = std::filesystem;

// One library object per format for the whole process, like the LHA one.
template <typename Dll, typename... Args> TCustomArchiverDll& shared(Args&&... args) {
    static Dll dll(std::forward<Args>(args)...);
    return dll;
}

// A file opened for reading, closed when this goes.
class SourceFile {
public:
    explicit SourceFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC)) {}
    ~SourceFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    bool open() const { return fd_ >= 0; }
    int fd() const { return fd_; }

private:
    int fd_;
};

bool besideProgram(const std::string& file) {
    std::error_code ec;
    return fs::is_regular_file(library::executableFolder() + "/" + file, ec);
}

} // namespace

TAlternativeDll::TAlternativeDll(std::vector<std::pair<std::string, std::string>> candidates,
                                 QString missing)
    : missing_(std::move(missing)) {
    for (auto& [file, prefix] : candidates)
        candidates_.push_back(std::make_unique<TArchiverDll>(std::string(), prefix, file));
}

void TAlternativeDll::Load() {
    if (Loaded()) return;
    for (auto& candidate : candidates_) {
        try {
            candidate->Load();
            active_ = candidate.get();
            return;
        } catch (const ENoArchiverDLL&) {
        }
    }
    throw ENoArchiverDLL(missing_);
}

void TAlternativeDll::Unload() {
    if (active_) active_->Unload();
    active_ = nullptr;
}

void* TAlternativeDll::Entry(TArcFunc f) {
    Load();
    return active_->Entry(f);
}

TZipDll::TZipDll(bool forCreating)
    : TAlternativeDll(
          forCreating ? std::vector<std::pair<std::string, std::string>>{{"ZIP32J.DLL", "Zip"},
                                                                         {"LMZIP32.DLL", "Zip"}}
                      : std::vector<std::pair<std::string, std::string>>{{"UNZIP32.DLL", "UnZip"},
                                                                         {"LMZIP32.DLL", "UnZip"}},
          forCreating ? u"ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。"_s
                      : u"ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。"_s) {}

TYZ1Dll::TYZ1Dll()
    : TAlternativeDll({{"YZ1.DLL", "Yz1"}, {"YYZ32.DLL", "Yz1"}},
                      u"YZ1 形式書庫 を扱うには YZ1.DLL が 必要です。"_s) {}

void TPlainArchiver::LoadDLL() {
    Dll(opPack).Load();
}

void TPlainArchiver::FreeDLL() {
    for (Op op : {opExtract, opPack})
        Dll(op).Unload();
}

int TPlainArchiver::Execute(Op op, void* owner, const std::string& arcFile, TOutputBuffer& output,
                            bool useResFile, const std::vector<std::string>& files,
                            bool withBaseDir, const std::string& baseDir,
                            const TArchiverOptions& options) {
    commandLine_.clear();
    TCmdOpt cmd;
    cmd.AddText(options.UserOptions);
    cmd.AddStrOption({}, arcFile);
    if (withBaseDir) cmd.AddPathOption({}, baseDir);
    if (useResFile && !options.ResFileName.empty() && !IsNotSet(options.ResFileName))
        cmd.AddResponseFile(files, options.ResFileName);
    else
        cmd.AddFileList({}, files);
    cmd.AddText(options.UserFileList);
    return Run(Dll(op), owner, Word(op, options) + cmd.Text(), output);
}

int TPlainArchiver::ExtractFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                                 bool useResFile, const std::vector<std::string>& files,
                                 const std::string& baseDir, const TArchiverOptions& options) {
    if (!Word(opExtract, options))
        return TArchiver::ExtractFiles(owner, arcFile, output, useResFile, files, baseDir, options);
    return Execute(opExtract, owner, arcFile, output, useResFile, files, true, baseDir, options);
}

int TPlainArchiver::PackFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                              bool useResFile, const std::vector<std::string>& files,
                              const std::string& baseDir, const TArchiverOptions& options) {
    if (!Word(opPack, options))
        return TArchiver::PackFiles(owner, arcFile, output, useResFile, files, baseDir, options);
    return Execute(opPack, owner, arcFile, output, useResFile, files, true, baseDir, options);
}

int TPlainArchiver::RemoveItems(void* owner, const std::string& arcFile, TOutputBuffer& output,
                                bool useResFile, const std::vector<std::string>& files,
                                const TArchiverOptions& options) {
    if (!Word(opRemove, options))
        return TArchiver::RemoveItems(owner, arcFile, output, useResFile, files, options);
    return Execute(opRemove, owner, arcFile, output, useResFile, files, false, {}, options);
}

int TPlainArchiver::UpdateFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                                bool useResFile, const std::vector<std::string>& files,
                                const std::string& baseDir, const TArchiverOptions& options) {
    if (!Word(opUpdate, options))
        return TArchiver::UpdateFiles(owner, arcFile, output, useResFile, files, baseDir, options);
    return Execute(opUpdate, owner, arcFile, output, useResFile, files, true, baseDir, options);
}

int TPlainArchiver::MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                            const std::string& baseDir, const TArchiverOptions& options) {
    if (!Word(opSfx, options)) return TArchiver::MakeSfx(owner, arcFile, output, baseDir, options);
    return Execute(opSfx, owner, arcFile, output, false, {}, true, baseDir, options);
}

void TPlainArchiver::RequireHelper(const std::string& format, const std::string& file,
                                   const std::string& platform) {
    if (!besideProgram(file)) throw ESfxNoRequiredFile(format, file, platform);
}

// ZIP
void TZip32::LoadDLL() {
    // Either library makes the format usable; packing is what this program does, so its
    // message is the one shown when neither is there.
    try {
        Dll(opPack).Load();
    } catch (const ENoArchiverDLL&) {
        try {
            Dll(opExtract).Load();
        } catch (const ENoArchiverDLL&) {
            throw ENoArchiverDLL(
                u"ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。"_s);
        }
    }
}

const char* TZip32::Word(Op op, const TArchiverOptions&) const {
    static constexpr const char* words[] = {"-x", "-ru", "-d", "-f", nullptr};
    return words[op];
}

TCustomArchiverDll& TZip32::Dll(Op op) {
    return op == opExtract ? shared<TZipDll>(false) : shared<TZipDll>(true);
}

int TZip32::MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                    const std::string& baseDir, const TArchiverOptions& options) {
    if (options.gw >= 1)
        RequireHelper("ZIP", "sfx32gui.dat", "Win32");
    else
        RequireHelper("ZIP", "sfx16.dat", "DOS");
    return TArchiver::MakeSfx(owner, arcFile, output, baseDir, options);
}

// CAB
const char* TCab32::Word(Op op, const TArchiverOptions&) const {
    static constexpr const char* words[] = {"-x", "-a", nullptr, nullptr, "-f"};
    return words[op];
}

TCustomArchiverDll& TCab32::Dll(Op) {
    return shared<TArchiverDll>("CAB 形式書庫", "Cab", "CAB32.DLL");
}

// TAR, TGZ, BZ2
const char* TTar32::Word(Op op, const TArchiverOptions&) const {
    static constexpr const char* words[] = {"x", "c", nullptr, nullptr, nullptr};
    return words[op];
}

TCustomArchiverDll& TTar32::Dll(Op) {
    return shared<TArchiverDll>("tar/tgz/taz/bz2 形式書庫", "Tar", "TAR32.DLL");
}

int TTar32::MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                    const std::string& baseDir, const TArchiverOptions& options) {
    RequireHelper("tar", "kmtarsef.exe", {});
    return TArchiver::MakeSfx(owner, arcFile, output, baseDir, options);
}

int TBZ232::MakeSfx(void*, const std::string&, TOutputBuffer&, const std::string&,
                    const TArchiverOptions&) {
    throw EArchiver(u"BZ2 形式書庫は自己解凍形式にできません。"_s);
}

// RAR: extraction only; -x keeps the folders, -e drops them.
const char* TRar32::Word(Op op, const TArchiverOptions& options) const {
    if (op != opExtract) return nullptr;
    return options.x >= 1 ? "-x" : "-e";
}

TCustomArchiverDll& TRar32::Dll(Op) {
    return shared<TArchiverDll>("RAR 形式書庫", "Unrar", "UNRAR32.DLL");
}

// BGA
const char* TBGA32::Word(Op op, const TArchiverOptions&) const {
    static constexpr const char* words[] = {"x", "a", "d", nullptr, "s"};
    return words[op];
}

TCustomArchiverDll& TBGA32::Dll(Op) {
    return shared<TArchiverDll>("BGA 形式書庫", "Bga", "BGA32.DLL");
}

// YZ1
const char* TYZ1::Word(Op op, const TArchiverOptions&) const {
    static constexpr const char* words[] = {"x", "c", nullptr, nullptr, nullptr};
    return words[op];
}

TCustomArchiverDll& TYZ1::Dll(Op) {
    return shared<TYZ1Dll>();
}

int TYZ1::MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                  const std::string& baseDir, const TArchiverOptions& options) {
    if (options.gw >= 1) {
        if (!besideProgram("yzw32cui.sfx") && !besideProgram("yzdec.exe"))
            throw ESfxNoRequiredFile(
                "yz1", "yzw32cui.sfx", "Win32",
                u"yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か yzdec.exe が必要です。"_s);
    } else {
        RequireHelper("yz1", "yzdos16.sfx", "DOS");
    }
    return TArchiver::MakeSfx(owner, arcFile, output, baseDir, options);
}

// 7z
const char* TSevenZip32::Word(Op op, const TArchiverOptions&) const {
    static constexpr const char* words[] = {"x", "u", "d", nullptr, nullptr};
    return words[op];
}

TCustomArchiverDll& TSevenZip32::Dll(Op) {
    return shared<TArchiverDll>("7z 形式書庫", "SevenZip", "7-zip32.dll");
}

int TSevenZip32::MakeSfx(void*, const std::string& arcFile, TOutputBuffer& output,
                         const std::string&, const TArchiverOptions& options) {
    if (options.gw < 1) throw EArchiver(u"16bit SFX を作成することはできません。"_s);
    const std::string module = "7z.sfx";
    std::string found;
    if (besideProgram(module)) {
        found = library::executableFolder() + "/" + module;
    } else if (const char* path = std::getenv("PATH")) {
        std::stringstream folders(path);
        std::error_code ec;
        for (std::string folder; std::getline(folders, folder, ':') && found.empty();)
            if (!folder.empty() && fs::is_regular_file(folder + "/" + module, ec))
                found = folder + "/" + module;
    }
    if (found.empty()) throw ESfxNoRequiredFile("7z", module, "Win32");

    const std::string target = fs::path(arcFile).replace_extension(".exe").string();
    const SourceFile sfx(found), arc(arcFile);
    if (!sfx.open() || !arc.open()) throw cannotWriteError(target);
    // The stub, then the archive; an older program of that name stays whole if this fails.
    const std::error_code ec = writeFileAtomicallyFrom(target, [&](int fd) {
        if (auto e = copyAll(sfx.fd(), fd)) return e;
        return copyAll(arc.fd(), fd);
    });
    if (ec) throw cannotWriteError(target);
    if (!output.empty()) output[0] = '\0';
    return 0;
}

} // namespace mv
