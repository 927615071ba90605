#include "ArchiveFile.h"

#include "DiskNames.h"
#include "LhaArchiver.h"
#include "OtherArchivers.h"
#include "PackCollector.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/library.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace mv {
namespace {

struct ExtensionType {
    const char* extension;
    TArchiverType type;
};
constexpr ExtensionType kExtensions[] = {
    {".lzh", atLha}, {".cab", atCab}, {".zip", atZip},  {".jar", atZip},       {".war", atZip},
    {".arj", atArj}, {".rar", atRar}, {".yz1", atYz1},  {".gca", atGCA},       {".gza", atBga},
    {".bza", atBga}, {".bz2", atBZ2}, {".tar", atTar},  {".a", atTar},         {".lib", atTar},
    {".deb", atTar}, {".rpm", atTar}, {".cpio", atTar}, {".gz", atTgz},        {".z", atTgz},
    {".tgz", atTgz}, {".taz", atTgz}, {".7z", at7z},    {".exe", atAutoDetect}};

// The libraries asked, in this order, whether they recognise an archive.
struct CheckingLibrary {
    TArchiverType type;
    const char* library;
    const char* prefix;
};
constexpr CheckingLibrary kCheckers[] = {
    {atLha, "UNLHA32.DLL", "Unlha"},  {atZip, "UNZIP32.DLL", "UnZip"},
    {atCab, "CAB32.DLL", "Cab"},      {atArj, "UNARJ32J.DLL", "Unarj"},
    {atTar, "TAR32.DLL", "Tar"},      {atRar, "UNRAR32.DLL", "Unrar"},
    {atBga, "BGA32.DLL", "Bga"},      {atYz1, "YZ1.DLL", "Yz1"},
    {at7z, "7-zip32.dll", "SevenZip"}};

std::unique_ptr<TArchiver> createArchiver(TArchiverType type) {
    switch (type) {
    case atLha:
        return std::make_unique<TLha32>();
    case atZip:
        return std::make_unique<TZip32>();
    case atCab:
        return std::make_unique<TCab32>();
    case atArj:
        return std::make_unique<TArj32>();
    case atTar:
        return std::make_unique<TTar32>();
    case atTgz:
        return std::make_unique<TTgz32>();
    case atBZ2:
        return std::make_unique<TBZ232>();
    case atRar:
        return std::make_unique<TRar32>();
    case atBga:
        return std::make_unique<TBGA32>();
    case atYz1:
        return std::make_unique<TYZ1>();
    case at7z:
        return std::make_unique<TSevenZip32>();
    default:
        return nullptr;
    }
}

// The component whose library call is running, for the library's progress callback.
thread_local TArchiveFile* gProgressTarget = nullptr;

int progressProc(void*, unsigned, unsigned state, void* lpEis) {
    bool abort = false;
    if (TArchiveFile* target = gProgressTarget; target && target->OnProgress)
        target->OnProgress(target, static_cast<int>(state), static_cast<LPEXTRACTINGINFOEX>(lpEis),
                           abort);
    return abort ? 0 : 1;
}

// The list of names for the LHA library, in its exact form: a UTF-8 byte order mark, then
// each name in UTF-8 byte for byte, ended by a line feed, or by a zero byte when a name holds
// a line break. Written private (mode 0600, unique name) in the temporary folder, removed
// when this goes.
class TemporaryList {
public:
    explicit TemporaryList(const std::vector<std::string>& diskNames) {
        std::error_code ec;
        std::string folder = std::filesystem::temp_directory_path(ec).string();
        if (ec || folder.empty()) folder = "/tmp";
        diskPath_ = folder + "/markvane-names-XXXXXX";
        const int fd = ::mkstemp(diskPath_.data());
        if (fd < 0) throw cannotWriteError(ProgramNameLossy(diskPath_));
        std::string text = "\xEF\xBB\xBF";
        const bool lineBreaks = std::any_of(diskNames.begin(), diskNames.end(), [](auto& n) {
            return n.find('\n') != std::string::npos;
        });
        for (const std::string& name : diskNames)
            text += Utf8NameOf(name) + (lineBreaks ? '\0' : '\n');
        const std::error_code written = writeAll(fd, text);
        if (::close(fd) != 0 || written) {
            ::unlink(diskPath_.c_str());
            throw cannotWriteError(ProgramNameLossy(diskPath_));
        }
    }
    ~TemporaryList() { ::unlink(diskPath_.c_str()); }
    TemporaryList(const TemporaryList&) = delete;
    TemporaryList& operator=(const TemporaryList&) = delete;
    // The argument naming it, in the program's code page as the whole command line.
    std::string Argument() const { return '@' + ProgramNameLossy(diskPath_); }

private:
    std::string diskPath_;
};

} // namespace

TArchiverType ArchiverTypeOfName(std::string_view fileName) {
    const size_t slash = fileName.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return atNone;
    std::string ext(name.substr(dot));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    for (const auto& [extension, type] : kExtensions)
        if (ext == extension) return type;
    return atNone;
}

TArchiverType DetectArchiverType(const std::string& fileName) {
    for (const auto& [type, libraryName, prefix] : kCheckers) {
        library::Handle h = library::load(libraryName);
        if (!h) continue;
        const std::string entry = std::string(prefix) + "CheckArchive";
        auto check = reinterpret_cast<int (*)(const char*, int)>(library::symbol(h, entry.c_str()));
        const bool recognised = check && check(fileName.c_str(), 0) != 0;
        library::release(h);
        if (recognised) return type;
    }
    return atNone;
}

TArchiveFile::TArchiveFile() = default;
TArchiveFile::~TArchiveFile() = default;

void TArchiveFile::SetFileName(const std::string& fileName) {
    TArchiverType type = ArchiverTypeOfName(fileName);
    if (type == atAutoDetect) type = DetectArchiverType(fileName);
    SetArchiverType(type);
    fileName_ = fileName;
}

void TArchiveFile::SetOutputSize(int size) {
    outputSize_ = size;
    output_.assign(size > 0 ? static_cast<size_t>(size) : 0, '\0');
}

std::string TArchiveFile::OutputText() const {
    const auto end = std::find(output_.begin(), output_.end(), '\0');
    return std::string(output_.begin(), end);
}

void TArchiveFile::SetArchiverType(TArchiverType type) {
    if (ComponentState & csDesigning) {
        type_ = type;
        return;
    }
    if (type == atNone) return;
    if (type == atAutoDetect) {
        type_ = type;
        return;
    }
    if (type == atGCA || type == atBel) {
        if (!(ComponentState & csLoading)) throw EArchiver(u"書庫の形式を特定できませんでした。"_s);
        type_ = type;
        return;
    }
    if (type == type_ && archiver_) return;
    std::unique_ptr<TArchiver> archiver = createArchiver(type);
    archiver->LoadDLL(); // a missing library is reported now, and nothing changes
    archiver_ = std::move(archiver);
    type_ = type;
}

void TArchiveFile::ReportCollected(const std::string& name, bool& abort) {
    if (!OnProgress) return;
    EXTRACTINGINFOEX info{};
    // Cut at a character boundary, leaving room for the terminating zero.
    const CodePage& cp = CodePage::active();
    size_t length = 0;
    while (length < name.size()) {
        const size_t next = length + cp.charLength(name, length);
        if (next > FNAME_MAX32) break;
        length = next;
    }
    std::memcpy(info.exinfo.szSourceFileName, name.data(), length);
    OnProgress(this, kCollectingState, &info, abort);
}

int TArchiveFile::PackFiles(void* owner, const TArchiverOptions* options,
                            const std::string& baseDir, const TFileArgs& files) {
    if (type_ == atAutoDetect) SetArchiverType(DetectArchiverType(fileName_));
    if (!archiver_) throw EArchiver(u"書庫の形式を判別できません。"_s);
    TArchiverOptions used = options ? *options : options_;
    archiver_->LoadDLL();

    leftOut_.clear();
    namesPassed_ = 0;
    bool useResFile = used.ResFileUsage.Contains(ruOnPack);
    std::vector<std::string> names = FlattenFileArgs(files);
    std::optional<TemporaryList> list;
    if (used.PackFilter == pfComponent) {
        TPackCollector collector(baseDir, [this](const std::string& name, bool& abort) {
            ReportCollected(name, abort);
        });
        std::vector<std::string> collected = collector.Collect(used, names);
        leftOut_ = collector.LeftOut();
        if (collector.Aborted()) return kAbortedResult;
        if (collected.empty()) {
            if (!output_.empty()) output_[0] = '\0';
            return 0;
        }
        used.jx.clear();
        namesPassed_ = collected.size();
        names = std::move(collected);
        if (useResFile && (used.ResFileName.empty() || IsNotSet(used.ResFileName))) {
            // A name may hold anything but "/" and a zero byte: only the exact list keeps
            // every one whole (quotes and blanks split a command line, a code page may lack
            // a character). The list is the one file argument.
            list.emplace(collector.DiskNames());
            names = {list->Argument()};
            useResFile = false;
        }
    } else {
        namesPassed_ = names.size();
    }

    bool registered = false;
    if (OnProgress) {
        try {
            archiver_->SetOwnerWindow(owner, progressProc);
            registered = true;
        } catch (const std::exception&) {
            // A library without progress reports packs all the same.
        }
    }
    struct Restore {
        TArchiveFile* self;
        bool registered;
        TArchiveFile* previousTarget = gProgressTarget;
        ~Restore() {
            gProgressTarget = previousTarget;
            self->commandLine_ = self->archiver_->CommandLine();
            if (registered) {
                try {
                    self->archiver_->RemoveOwnerWindow();
                } catch (const std::exception&) {
                }
            }
        }
    } restore{this, registered};
    gProgressTarget = this;
    const int result =
        archiver_->PackFiles(owner, fileName_, output_, useResFile, names, baseDir, used);
    // What the library itself had to leave out is told with the rest.
    for (TLeftOut& item : ParseLibraryLeftOut(OutputText()))
        leftOut_.push_back(std::move(item));
    return result;
}

} // namespace mv
