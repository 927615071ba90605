#include "source_files.h"

#include "error.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <set>
#include <sys/xattr.h>

namespace lha {
namespace {

std::size_t charLength(std::string_view s, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80             ? 1
                    : (c & 0xE0) == 0xC0 ? 2
                    : (c & 0xF0) == 0xE0 ? 3
                    : (c & 0xF8) == 0xF0 ? 4
                                         : 1;
    return std::min(n, s.size() - i);
}

bool sameChar(std::string_view a, std::size_t i, std::size_t na, std::string_view b, std::size_t j,
              std::size_t nb) {
    if (na != nb) return false;
    if (na == 1)
        return std::tolower(static_cast<unsigned char>(a[i])) ==
               std::tolower(static_cast<unsigned char>(b[j]));
    return a.substr(i, na) == b.substr(j, nb);
}

bool matchFrom(std::string_view m, std::size_t i, std::string_view s, std::size_t j) {
    while (i < m.size()) {
        if (m[i] == '*') {
            while (i < m.size() && m[i] == '*')
                ++i;
            if (i == m.size()) return true;
            for (std::size_t k = j; k <= s.size(); k += (k < s.size() ? charLength(s, k) : 1))
                if (matchFrom(m, i, s, k)) return true;
            return false;
        }
        if (j >= s.size()) return false;
        const std::size_t ns = charLength(s, j);
        if (m[i] == '?') {
            ++i;
            j += ns;
            continue;
        }
        const std::size_t nm = charLength(m, i);
        if (!sameChar(m, i, nm, s, j, ns)) return false;
        i += nm;
        j += ns;
    }
    return j == s.size();
}

std::string childPath(const std::string& dir, const std::string& name) {
    if (dir == ".") return name;
    return dir.ends_with('/') ? dir + name : dir + "/" + name;
}

bool hasWildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

std::vector<std::string> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty() && part != ".") parts.emplace_back(part);
        start = end + 1;
    }
    return parts;
}

std::string join(const std::vector<std::string>& parts, std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) s += '/';
        s += parts[i];
    }
    return s;
}

class Collector {
public:
    explicit Collector(const CommandLine& cl) : cl_(cl) {}

    void addName(const PathArg& name) {
        const bool absolute = name.utf8.starts_with('/');
        const auto parts = splitPath(name.utf8);
        const auto fsParts = splitPath(name.fs);
        if (parts.empty())
            throw LhaError(UNLHA_ERROR_NOT_EXIST, "empty file name \"" + name.utf8 + "\"");
        if (std::find(parts.begin(), parts.end(), "..") != parts.end())
            throw LhaError(UNLHA_ERROR_COMMAND,
                           "name leaves the base folder: \"" + name.utf8 + "\"");
        const std::string prefix =
            absolute ? "/" : (cl_.baseFolder ? cl_.baseFolder->fs : std::string());
        const std::string fsPath = prefix + join(fsParts, fsParts.size());
        struct stat st;
        const bool found = ::stat(fsPath.c_str(), &st) == 0;
        const int err = errno;
        if (found) {
            if (S_ISDIR(st.st_mode)) {
                if (cl_.switches.r < 2)
                    throw LhaError(UNLHA_ERROR_FILE_OPEN,
                                   "\"" + name.utf8 + "\" is a folder; -r2 packs folders");
                walk(fsPath, parts, "*", true, true);
                return;
            }
            if (!S_ISREG(st.st_mode))
                throw LhaError(UNLHA_ERROR_FILE_OPEN,
                               "\"" + name.utf8 + "\" is not a regular file");
            add(fsPath, parts, st);
            return;
        }
        if (err != ENOENT && err != ENOTDIR)
            throw LhaError(UNLHA_ERROR_FILE_OPEN, errnoMessage("cannot open " + name.utf8, err));
        if (!hasWildcard(parts.back())) {
            throw LhaError(UNLHA_ERROR_NOT_EXIST, "file not found: " + name.utf8);
        }
        for (std::size_t i = 0; i + 1 < parts.size(); ++i)
            if (hasWildcard(parts[i]))
                throw LhaError(UNLHA_ERROR_NOT_EXIST,
                               "wildcards match only in the last part of a name: " + name.utf8);
        std::vector<std::string> dirParts(parts.begin(), parts.end() - 1);
        std::vector<std::string> fsDirParts(fsParts.begin(), fsParts.end() - 1);
        const std::string dir = prefix + join(fsDirParts, fsDirParts.size());
        const std::size_t before = out_.files.size();
        walk(dir.empty() ? "." : dir, dirParts, parts.back(), cl_.switches.r >= 1, false);
        if (out_.files.size() == before) out_.warnings.push_back("no file matches " + name.utf8);
    }

    Collected take() { return std::move(out_); }

private:
    void add(const std::string& fsPath, const std::vector<std::string>& parts,
             const struct stat& st) {
        SourceFile f;
        f.fsPath = fsPath;
        f.storedPath = cl_.switches.x >= 1 ? join(parts, parts.size()) : parts.back();
        f.st = st;
        if (!seen_.insert(f.storedPath).second) {
            out_.warnings.push_back("given twice, packed once: " + f.storedPath);
            return;
        }
        out_.files.push_back(std::move(f));
    }

    // Adds the files of `dir` that match `mask`, sorted by name; descends into subfolders
    // when `recurse` (never through symbolic links to folders).
    void walk(const std::string& dir, const std::vector<std::string>& parts,
              const std::string& mask, bool recurse, bool wholeTree) {
        DIR* d = ::opendir(dir.c_str());
        if (d == nullptr)
            throw LhaError(UNLHA_ERROR_FILE_OPEN, errnoMessage("cannot read folder " + dir, errno));
        std::vector<std::string> names;
        errno = 0;
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        const int err = errno;
        ::closedir(d);
        if (err != 0)
            throw LhaError(UNLHA_ERROR_FILE_OPEN, errnoMessage("cannot read folder " + dir, err));
        std::sort(names.begin(), names.end());
        std::vector<std::string> subdirs;
        for (const std::string& n : names) {
            const std::string path = childPath(dir, n);
            struct stat lst;
            if (::lstat(path.c_str(), &lst) != 0) continue; // vanished meanwhile
            if (S_ISDIR(lst.st_mode)) {
                if (recurse) subdirs.push_back(n);
                continue;
            }
            struct stat st = lst;
            if (S_ISLNK(lst.st_mode) && (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)))
                continue; // dangling link or link to a folder
            if (!S_ISREG(st.st_mode)) continue;
            if (!wholeTree && !maskMatches(mask, toUtf8Name(n))) continue;
            if (cl_.switches.a == 0 && (dosAttribute(path, st) & 0x06) != 0)
                continue; // hidden or system
            auto p = parts;
            p.push_back(toUtf8Name(n));
            add(path, p, st);
        }
        for (const std::string& n : subdirs) {
            auto p = parts;
            p.push_back(toUtf8Name(n));
            walk(childPath(dir, n), p, mask, recurse, wholeTree);
        }
    }

    // Names read from the disk, in UTF-8 for the archive.
    std::string toUtf8Name(const std::string& n) const {
        if (disk_ == CodePage::Utf8 || isAscii(n)) return n;
        return decodeLossy(n, "CP932");
    }

    const CommandLine& cl_;
    CodePage disk_ = fileSystemCodePage();
    Collected out_;
    std::set<std::string> seen_;
};

} // namespace

bool maskMatches(std::string_view mask, std::string_view name) {
    if (mask == "*.*" || mask == "*") return true;
    return matchFrom(mask, 0, name, 0);
}

namespace {

std::uint16_t attributeFrom(ssize_t n, char* value, const struct stat& st) {
    std::uint16_t attr = 0x20;
    if (n > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        value[n] = 0;
        char* end = nullptr;
        const unsigned long v = std::strtoul(value + 2, &end, 16);
        if (end != value + 2)
            attr = static_cast<std::uint16_t>(v & 0x26); // hidden, system, archive
    }
    if ((st.st_mode & 0222) == 0) attr |= 0x01;
    return attr;
}

} // namespace

std::uint16_t dosAttribute(const std::string& path, const struct stat& st) {
    char value[64];
    return attributeFrom(::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1), value,
                         st);
}

std::uint16_t dosAttribute(int fd, const struct stat& st) {
    char value[64];
    return attributeFrom(::fgetxattr(fd, "user.DOSATTRIB", value, sizeof value - 1), value, st);
}

Collected collectSources(const CommandLine& cl) {
    Collector c(cl);
    for (const PathArg& name : cl.names)
        c.addName(name);
    return c.take();
}

} // namespace lha
