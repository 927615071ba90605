#include "filesearch.h"

#include "fileattr.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace mv {
namespace {

constexpr uint64_t kEpochDiff = 116444736000000000ULL; // 1601 to 1970 in 100 ns units

std::optional<FindData> describe(const std::string& path, std::string name) {
    struct statx lx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME,
                &lx) != 0)
        return std::nullopt;
    struct statx sx = lx;
    bool linkToFolder = false;
    if (S_ISLNK(lx.stx_mode)) {
        struct statx target {};
        if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &target) == 0) {
            linkToFolder = S_ISDIR(target.stx_mode);
            if (!linkToFolder) sx = target; // a link to a file is seen as that file
        }
    }
    FindData d;
    d.name = std::move(name);
    uint32_t attrs = fileattr::get(path);
    if (attrs == fileattr::Invalid) attrs = fileattr::Archive; // a dangling link
    if (linkToFolder) attrs |= fileattr::Directory | fileattr::ReparsePoint;
    d.attributes = attrs;
    d.size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
    d.lastWriteTime = toFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    d.lastAccessTime = toFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    const auto& birth = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime;
    d.creationTime = toFileTime(birth.tv_sec, birth.tv_nsec);
    return d;
}

} // namespace

uint64_t toFileTime(int64_t seconds, uint32_t nanoseconds) {
    return static_cast<uint64_t>(seconds * 10000000LL + nanoseconds / 100) + kEpochDiff;
}

std::optional<std::vector<FindData>> listFolder(const std::string& folder, FindDetail detail) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::nullopt;
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';
    std::vector<FindData> out;
    std::string path;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        path.assign(prefix).append(name);
        // Links and entries of unknown type need the full look to tell what they are.
        if (detail != FindDetail::Full && (e->d_type == DT_REG || e->d_type == DT_DIR)) {
            const bool isFolder = e->d_type == DT_DIR;
            FindData d;
            d.attributes = detail == FindDetail::Attributes ? fileattr::getStored(path, isFolder)
                           : isFolder                       ? fileattr::Directory
                                                            : fileattr::Archive;
            d.name = std::move(name);
            out.push_back(std::move(d));
        } else if (auto d = describe(path, name)) {
            out.push_back(std::move(*d));
        }
    }
    ::closedir(dir);
    return out;
}

std::optional<FindData> statPath(const std::string& path) {
    auto slash = path.rfind('/');
    return describe(path, slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace mv
