#include "ArchiverDll.h"

#include "ArchiverErrors.h"

#include <dlfcn.h>
#include <link.h>

namespace mv {
namespace {

constexpr const char* kSuffixes[] = {"",
                                     "GetVersion",
                                     "GetRunning",
                                     "OpenArchive",
                                     "CloseArchive",
                                     "FindFirst",
                                     "FindNext",
                                     "CheckArchive",
                                     "SetOwnerWindowEx",
                                     "KillOwnerWindowEx",
                                     "ExtractMem",
                                     "GetWriteTimeEx",
                                     "GetCreateTimeEx",
                                     "GetAccessTimeEx",
                                     "GetOriginalSizeEx",
                                     "GetCompressedSizeEx",
                                     "GetArchiveType"};
static_assert(std::size(kSuffixes) == static_cast<size_t>(TArcFunc::Count));

template <typename Fn> Fn as(void* p) {
    return reinterpret_cast<Fn>(p);
}

} // namespace

const char* ArcFuncSuffix(TArcFunc f) {
    return kSuffixes[static_cast<size_t>(f)];
}

int TCustomArchiverDll::Command(void* owner, const std::string& cmdLine, char* output,
                                unsigned long size) {
    auto fn = as<int (*)(void*, const char*, char*, unsigned long)>(Entry(TArcFunc::Main));
    return fn(owner, cmdLine.c_str(), size == 0 ? nullptr : output, size);
}

unsigned short TCustomArchiverDll::GetVersion() {
    return as<unsigned short (*)()>(Entry(TArcFunc::GetVersion))();
}

bool TCustomArchiverDll::GetRunning() {
    return as<int (*)()>(Entry(TArcFunc::GetRunning))() != 0;
}

bool TCustomArchiverDll::CheckArchive(const std::string& fileName, int mode) {
    return as<int (*)(const char*, int)>(Entry(TArcFunc::CheckArchive))(fileName.c_str(), mode) !=
           0;
}

bool TCustomArchiverDll::SetOwnerWindowEx(void* window, ARCHIVERPROC proc) {
    return as<int (*)(void*, ARCHIVERPROC)>(Entry(TArcFunc::SetOwnerWindowEx))(window, proc) != 0;
}

bool TCustomArchiverDll::KillOwnerWindowEx(void* window) {
    return as<int (*)(void*)>(Entry(TArcFunc::KillOwnerWindowEx))(window) != 0;
}

TArchiverDll::TArchiverDll(std::string description, std::string prefix, std::string libraryName)
    : description_(std::move(description)), prefix_(std::move(prefix)),
      libraryName_(std::move(libraryName)) {}

TArchiverDll::~TArchiverDll() {
    Unload();
}

void TArchiverDll::Load() {
    if (handle_) return;
    handle_ = library::load(libraryName_);
    if (!handle_) throw noArchiverDllError(description_, libraryName_);
}

void TArchiverDll::Unload() {
    entries_.fill(nullptr);
    if (!handle_) return;
    library::release(handle_);
    handle_ = nullptr;
}

std::string TArchiverDll::ModulePath() const {
    // What the loader actually opened: beside the program or somewhere on its path.
    link_map* map = nullptr;
    if (!handle_ || ::dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
        return {};
    return map->l_name;
}

void* TArchiverDll::Entry(TArcFunc f) {
    void*& cached = entries_[static_cast<size_t>(f)];
    if (cached) return cached;
    Load();
    const std::string name = prefix_ + ArcFuncSuffix(f);
    cached = library::symbol(handle_, name.c_str());
    if (!cached) throw entryNotFoundError(ModulePath(), name);
    return cached;
}

} // namespace mv
