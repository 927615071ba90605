#include "trash.h"

#include "atomicfile.h"
#include "error.h"

#include "shellfileop.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace mv::trash {
namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr size_t kNameMax = 255;
constexpr int kMaxAttempts = 10000;

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join(const std::string& folder, std::string_view name) {
    std::string out = folder;
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

// Where an entry lives: the device, and the mount when the kernel tells it, because a bind
// mount shares the device of its source but rename() still refuses to cross it.
struct Place {
    dev_t dev = 0;
    uint64_t mount = 0;
    bool hasMount = false;
};

bool placeOf(const std::string& path, Place& place) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_MNT_ID,
                &sx) != 0)
        return false;
    place.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    place.hasMount = (sx.stx_mask & STATX_MNT_ID) != 0;
    place.mount = sx.stx_mnt_id;
    return true;
}

bool samePlace(const Place& a, const Place& b) {
    if (a.dev != b.dev) return false;
    return !(a.hasMount && b.hasMount) || a.mount == b.mount;
}

// The place of the deepest folder of `path` that can be looked at: the home trash may not
// exist yet, and one that cannot be reached (a loop of links, a folder we may not search) still
// lies on the home's file system, so it must fail there rather than send the item elsewhere.
bool placeOfExisting(std::string path, Place& place) {
    for (;;) {
        if (placeOf(path, place)) return true;
        if (path == "/" || path == ".") return false;
        path = parentOf(path);
    }
}

// The top folder of the mount that holds `folder` (an absolute path without links).
std::string topdirOf(const std::string& folder, const Place& place) {
    std::string dir = folder;
    while (dir != "/") {
        std::string up = parentOf(dir);
        Place p;
        if (!placeOf(up, p) || !samePlace(p, place)) break;
        dir = up;
    }
    return dir;
}

bool makeFolders(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    if (errno == EEXIST) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    if (errno != ENOENT || path == "/") return false;
    if (!makeFolders(parentOf(path))) return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// "files" and "info" inside a trash folder that exists.
bool prepareTrash(const std::string& trash) {
    for (const char* sub : {"files", "info"}) {
        const std::string p = join(trash, sub);
        if (::mkdir(p.c_str(), 0700) != 0 && errno != EEXIST) return false;
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) return false;
        if (!S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
    }
    return true;
}

// A per-user trash folder on a shared file system: a real folder that belongs to `uid`, made
// when missing. Anything else there may be another user's trap, so it is not used.
bool usableOwnFolder(const std::string& path, uid_t uid) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != uid) {
        errno = EACCES;
        return false;
    }
    return true;
}

// The name of the n-th try: the item's own name, then "stem.n.ext", always short enough to
// leave room for ".trashinfo" (so a 255-byte name can be trashed too).
std::string candidateName(const std::string& name, int attempt) {
    const size_t room = kNameMax - kInfoSuffix.size();
    if (attempt == 1 && name.size() <= room) return name;
    std::string stem = name, ext;
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot <= 16) {
        stem = name.substr(0, dot);
        ext = name.substr(dot);
    }
    const std::string suffix = attempt == 1 ? std::string() : "." + std::to_string(attempt);
    return cutName(stem, room - suffix.size() - ext.size()) + suffix + ext;
}

// The absolute spelling of `path` with its folder's links resolved; the item itself (which
// may be a link) is kept as named.
bool absoluteItemPath(std::string path, std::string& out) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || path == "/") {
        errno = EINVAL;
        return false;
    }
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real) return false;
    out = join(real, name);
    std::free(real);
    return true;
}

std::error_code trashInto(const std::string& trash, const std::string& item,
                          const std::string& pathKey, Trashed& out) {
    const std::string name = item.substr(item.rfind('/') + 1);
    const std::string content = "[Trash Info]\nPath=" + encodePath(pathKey) +
                                "\nDeletionDate=" + deletionDate(std::time(nullptr)) + "\n";
    auto dropInfo = [](const std::string& info) {
        if (::unlink(info.c_str()) != 0)
            ignoreFailure("the failure that led here is the one to report", lastError());
    };
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const std::string candidate = candidateName(name, attempt);
        Trashed t{join(join(trash, "files"), candidate),
                  join(join(trash, "info"), candidate + std::string(kInfoSuffix))};
        // The exclusive create claims the name against other programs trashing at once.
        int fd = ::open(t.info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return lastError();
        }
        std::error_code ec = writeAll(fd, content);
        if (!ec && ::fsync(fd) != 0) ec = lastError();
        if (::close(fd) != 0 && !ec) ec = lastError();
        if (ec) {
            dropInfo(t.info);
            return ec;
        }
        ec = MoveFileA(item, t.file);
        if (!ec) {
            out = std::move(t);
            return {};
        }
        dropInfo(t.info);
        if (ec != std::errc::file_exists) return ec; // EEXIST: a leftover in files/, try on
    }
    return std::make_error_code(std::errc::file_exists);
}

} // namespace

std::string homeTrashPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return join(xdg, "Trash");
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return join(home.empty() ? std::string("/") : home, ".local/share/Trash");
}

std::error_code topdirTrashPath(const std::string& topdir, uid_t uid, std::string& out) {
    out.clear();
    const std::string shared = join(topdir, ".Trash");
    struct stat st {};
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string own = join(shared, std::to_string(uid));
        if (usableOwnFolder(own, uid) && prepareTrash(own)) {
            out = own;
            return {};
        }
    }
    const std::string own = join(topdir, ".Trash-" + std::to_string(uid));
    if (!usableOwnFolder(own, uid) || !prepareTrash(own)) return lastError();
    out = own;
    return {};
}

std::string encodePath(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> decodePath(std::string_view encoded) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            out += encoded[i];
            continue;
        }
        if (i + 2 >= encoded.size()) return std::nullopt;
        int hi = digit(encoded[i + 1]), lo = digit(encoded[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string deletionDate(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::error_code moveToTrash(const std::string& path, Trashed* trashed) {
    Trashed where;
    std::string item;
    if (!absoluteItemPath(path, item)) return lastError();
    struct stat st {};
    if (::lstat(item.c_str(), &st) != 0) return lastError();

    // The entry lives in its folder's file system; that decides the trash.
    const std::string folder = parentOf(item);
    Place itemPlace, homePlace;
    if (!placeOf(folder, itemPlace)) return lastError();
    const std::string home = homeTrashPath();
    if (placeOfExisting(home, homePlace) && homePlace.dev == itemPlace.dev) {
        if (!makeFolders(home) || !prepareTrash(home)) return lastError();
        const std::error_code ec = trashInto(home, item, item, where);
        if (!ec) {
            if (trashed) *trashed = std::move(where);
            return {};
        }
        // A bind mount of the home file system: rename() cannot leave it, so the trash of
        // that mount is tried below. Any other failure is final.
        if (ec != std::errc::cross_device_link) return ec;
    }

    const std::string topdir = topdirOf(folder, itemPlace);
    std::string trash;
    if (auto ec = topdirTrashPath(topdir, ::getuid(), trash)) return ec;
    // Paths in a trash of another file system are relative to its top folder, so they stay
    // right when the medium is mounted elsewhere.
    std::string key = item;
    if (topdir != "/" && item.compare(0, topdir.size() + 1, topdir + "/") == 0)
        key = item.substr(topdir.size() + 1);
    else if (topdir == "/")
        key = item.substr(1);
    if (auto ec = trashInto(trash, item, key, where)) return ec;
    if (trashed) *trashed = std::move(where);
    return {};
}

} // namespace mv::trash
