#pragma once
// Small helpers for tests that work on real files in a private temporary folder.

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mvtest {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "mvtest-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        // Undo read-only folders so the tree can be removed.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec)) std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Exit codes of a child that could not give up root (never a body's own result).
constexpr int kCouldNotDropRoot = 99;
constexpr int kStillRoot = 97;

// Runs `body` in a child process as user 65534 without supplementary groups, so permission
// checks apply even when the tests run as root. Returns the child's exit code (body's return
// value); kCouldNotDropRoot or kStillRoot when the child would have run with root's rights.
inline int runUnprivileged(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(kCouldNotDropRoot);
        if (::getuid() == 0 || ::geteuid() == 0) ::_exit(kStillRoot);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

// Opens a folder (and its parents up to /tmp) for the unprivileged user.
inline void shareWithEveryone(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::all, std::filesystem::perm_options::replace);
}

} // namespace mvtest
