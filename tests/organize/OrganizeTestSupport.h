#pragma once
// Shared pieces of the file operation and trash tests: a private home with its trash, the
// shell call with its buffers built from lists, and readers of trash entries.

#include "ScriptedDialogs.h"
#include "platform/shellfileop.h"
#include "platform/trash.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace mvtest {

// Sets an environment variable for the scope of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A temporary folder with a home of its own, whose trash is <root>/home/.local/share/Trash.
class TrashHome {
public:
    TrashHome()
        : home_(dir_ / "home"), homeEnv_("HOME", home_), xdgEnv_("XDG_DATA_HOME", std::nullopt) {
        std::filesystem::create_directories(home_);
    }
    const TempDir& dir() const { return dir_; }
    std::string operator/(const std::string& name) const { return dir_ / name; }
    std::string trash() const { return home_ + "/.local/share/Trash"; }

private:
    TempDir dir_;
    std::string home_;
    ScopedEnv homeEnv_, xdgEnv_;
};

struct ShellResult {
    int code = 0;
    bool aborted = false;
};

inline std::string pathList(const std::vector<std::string>& paths) {
    std::string list;
    for (const auto& p : paths) {
        list += p;
        list += '\0';
    }
    list += '\0';
    return list;
}

inline ShellResult shell(unsigned func, const std::vector<std::string>& from,
                         const std::vector<std::string>& to, uint16_t flags) {
    const std::string f = pathList(from), t = pathList(to);
    mv::SHFILEOPSTRUCTA op;
    op.wFunc = func;
    op.pFrom = f.c_str();
    op.pTo = to.empty() ? nullptr : t.c_str();
    op.fFlags = flags;
    const int code = mv::SHFileOperationA(&op);
    return {code, op.fAnyOperationsAborted != 0};
}

inline bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Original path (decoded) -> the trashed file, for every entry of a trash folder.
inline std::map<std::string, std::string> trashEntries(const std::string& trash) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(trash + "/info", ec)) {
        const std::string info = e.path().string();
        const std::string content = readBytes(info);
        const auto at = content.find("\nPath=");
        if (content.rfind("[Trash Info]\n", 0) != 0 || at == std::string::npos) continue;
        const auto end = content.find('\n', at + 1);
        auto path = mv::trash::decodePath(content.substr(at + 6, end - at - 6));
        const std::string name = e.path().filename().string();
        out[path.value_or("?")] =
            trash + "/files/" + name.substr(0, name.size() - std::string(".trashinfo").size());
    }
    return out;
}

inline size_t countEntries(const std::string& folder) {
    std::error_code ec;
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

} // namespace mvtest
