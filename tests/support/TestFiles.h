#pragma once
// Small helpers for tests that work on real files in a private temporary folder.

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
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
            if (it->is_directory(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
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

// A temporary folder directly below the top of a writable mount on another file system than
// `than`, for moves across file systems. Found in /proc/self/mountinfo (/dev/shm, /run, /tmp
// or any other); path() is empty when there is none, as in a minimal root with one mount.
class OtherFileSystemDir {
public:
    explicit OtherFileSystemDir(const std::string& than) {
        struct stat home {};
        if (::stat(than.c_str(), &home) != 0) return;
        std::ifstream info("/proc/self/mountinfo");
        for (std::string line; std::getline(info, line);) {
            std::istringstream fields(line);
            std::string id, parent, devno, root, mount, options, field, type;
            fields >> id >> parent >> devno >> root >> mount >> options;
            while (fields >> field && field != "-") {
            }
            fields >> type;
            static const std::set<std::string> pseudo = {
                "proc",       "sysfs",   "cgroup",      "cgroup2",  "devpts", "devtmpfs", "mqueue",
                "securityfs", "debugfs", "tracefs",     "bpf",      "pstore", "configfs", "fusectl",
                "hugetlbfs",  "autofs",  "binfmt_misc", "efivarfs", "nsfs"};
            if (pseudo.count(type) || ("," + options + ",").find(",ro,") != std::string::npos)
                continue;
            mount = unescape(mount);
            struct stat st {};
            if (mount == "/" || ::stat(mount.c_str(), &st) != 0 || st.st_dev == home.st_dev ||
                ::access(mount.c_str(), W_OK) != 0)
                continue;
            std::string tmpl = mount + "/mvtest-XXXXXX";
            if (!::mkdtemp(tmpl.data())) continue;
            struct stat made {};
            if (::stat(tmpl.c_str(), &made) == 0 && made.st_dev == st.st_dev) {
                path_ = tmpl;
                mount_ = mount;
                return;
            }
            ::rmdir(tmpl.c_str());
        }
    }
    ~OtherFileSystemDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    OtherFileSystemDir(const OtherFileSystemDir&) = delete;
    OtherFileSystemDir& operator=(const OtherFileSystemDir&) = delete;
    const std::string& path() const { return path_; }
    const std::string& mountPoint() const { return mount_; }

private:
    // mountinfo writes blanks and backslashes in paths as octal escapes ("\040").
    static std::string unescape(const std::string& s) {
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\\' && i + 3 < s.size() &&
                std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
                out += static_cast<char>(std::stoi(s.substr(i + 1, 3), nullptr, 8));
                i += 3;
            } else {
                out += s[i];
            }
        }
        return out;
    }
    std::string path_, mount_;
};

// Opens a folder (and its parents up to /tmp) for the unprivileged user.
inline void shareWithEveryone(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::all,
                                 std::filesystem::perm_options::replace);
}

} // namespace mvtest
