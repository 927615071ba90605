#include "library.h"

#include <dlfcn.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace mv::library {
namespace {

std::mutex gMutex;
std::string gSearchFolder;

} // namespace

std::string mapName(const std::string& windowsName) {
    std::string base = windowsName;
    if (auto slash = base.find_last_of("/\\"); slash != std::string::npos)
        base = base.substr(slash + 1);
    for (auto& c : base)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0)
        base.resize(base.size() - 4);
    return "lib" + base + ".so";
}

Handle load(const std::string& windowsName) {
    const std::string file = mapName(windowsName);
    std::string folder;
    {
        std::lock_guard lock(gMutex);
        folder = gSearchFolder.empty() ? executableFolder() : gSearchFolder;
    }
    const std::string beside = folder + "/" + file;
    struct stat st {};
    if (::stat(beside.c_str(), &st) == 0) return ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* symbol(Handle handle, const char* name) {
    return handle ? ::dlsym(handle, name) : nullptr;
}

bool release(Handle handle) {
    return handle && ::dlclose(handle) == 0;
}

std::string executablePath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string executableFolder() {
    std::string p = executablePath();
    auto slash = p.rfind('/');
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

void setSearchFolderForTesting(const std::string& folder) {
    std::lock_guard lock(gMutex);
    gSearchFolder = folder;
}

} // namespace mv::library
