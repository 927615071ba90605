#include "source_files.h"

#include "error.h"
#include "file_io.h"
#include "output_log.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
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

// Why a file is left out; the words are part of the documented log form (unlha32.h).
constexpr std::string_view kMissing = "missing";
constexpr std::string_view kDanglingLink = "dangling link";
constexpr std::string_view kNotRegular = "not a regular file";
constexpr std::string_view kUnreadable = "unreadable";
constexpr std::string_view kUnreadableFolder = "unreadable folder";
constexpr std::string_view kSameStoredName = "same name as another file";

bool isInside(const std::string& real, const std::string& base) {
    if (base == "/") return true;
    return real == base || (real.starts_with(base) && real[base.size()] == '/');
}

std::string realPath(const std::string& path) {
    char* real = ::realpath(path.empty() ? "." : path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string r = real;
    std::free(real);
    return r;
}

// The name a file gets in the archive: one that Windows tools extract as a file and that
// reads back the same. "\" would be a folder separator on Windows, so it is stored as the
// full-width U+FF3C; bytes that are not UTF-8 are stored as U+FFFD.
std::string storedName(std::string_view part) {
    std::string s = isValidUtf8(part) ? std::string(part) : decodeLossy(part, "UTF-8");
    for (std::size_t at = 0; (at = s.find('\\', at)) != std::string::npos; at += 3)
        s.replace(at, 1, "\xEF\xBC\xBC");
    return s;
}

// Archive names that Windows would take for the same file.
std::string foldedName(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class Collector {
public:
    explicit Collector(const CommandLine& cl) : cl_(cl) {
        prefix_ = cl_.baseFolder ? cl_.baseFolder->fs : std::string();
        baseReal_ = realPath(prefix_);
        if (baseReal_.empty())
            throw LhaError(UNLHA_ERROR_NOT_EXIST,
                           errnoMessage("cannot open the base folder " +
                                            (cl_.baseFolder ? cl_.baseFolder->utf8 : "."),
                                        errno));
    }

    void addName(const PathArg& name) {
        const auto parts = splitPath(name.utf8);
        const auto fsParts = splitPath(name.fs);
        if (parts.empty())
            throw LhaError(UNLHA_ERROR_NOT_EXIST, "empty file name \"" + name.utf8 + "\"");
        // Names are relative to the base folder and never leave it, whatever they say.
        if (name.utf8.starts_with('/') || name.fs.starts_with('/') ||
            std::find(fsParts.begin(), fsParts.end(), "..") != fsParts.end())
            throw LhaError(UNLHA_ERROR_COMMAND,
                           "name leaves the base folder: \"" + name.utf8 + "\"");
        const std::string fsPath = prefix_ + join(fsParts, fsParts.size());
        const std::string fsDir = prefix_ + join(fsParts, fsParts.size() - 1);
        // The folders on the way may be links: where they lead must still be inside.
        const std::string dirReal = realPath(fsDir);
        if (!dirReal.empty() && !isInside(dirReal, baseReal_)) leavesBase(name);

        struct stat lst;
        if (::lstat(fsPath.c_str(), &lst) != 0) {
            const int err = errno;
            if ((err == ENOENT || err == ENOTDIR) && hasWildcard(parts.back())) {
                addMask(name, parts, fsDir);
                return;
            }
            leaveOut(err == ENOENT || err == ENOTDIR ? kMissing : kUnreadable, name.utf8);
            return;
        }
        struct stat st = lst;
        if (S_ISLNK(lst.st_mode) && ::stat(fsPath.c_str(), &st) != 0) {
            leaveOut(kDanglingLink, name.utf8);
            return;
        }
        if (S_ISDIR(st.st_mode)) {
            if (cl_.switches.r < 2)
                throw LhaError(UNLHA_ERROR_FILE_OPEN,
                               "\"" + name.utf8 + "\" is a folder; -r2 packs folders");
            if (!isInside(realPath(fsPath), baseReal_)) leavesBase(name);
            walk(fsPath, parts, "*", true, true);
            return;
        }
        addFile(fsPath, parts, false);
    }

    Collected take() { return std::move(out_); }

private:
    [[noreturn]] static void leavesBase(const PathArg& name) {
        throw LhaError(UNLHA_ERROR_COMMAND,
                       "name leads outside the base folder through a link: \"" + name.utf8 + "\"");
    }

    void leaveOut(std::string_view reason, const std::string& name) {
        out_.warnings.push_back(leftOutText(reason, name));
    }

    void addMask(const PathArg& name, const std::vector<std::string>& parts,
                 const std::string& fsDir) {
        for (std::size_t i = 0; i + 1 < parts.size(); ++i)
            if (hasWildcard(parts[i]))
                throw LhaError(UNLHA_ERROR_NOT_EXIST,
                               "wildcards match only in the last part of a name: " + name.utf8);
        const std::vector<std::string> dirParts(parts.begin(), parts.end() - 1);
        const std::size_t before = out_.files.size();
        walk(fsDir.empty() ? "." : fsDir, dirParts, parts.back(), cl_.switches.r >= 1, false);
        if (out_.files.size() == before) out_.warnings.push_back("no file matches " + name.utf8);
    }

    // Adds a regular file (or a link to one) after opening it: what cannot be read is left
    // out and named, never packed as an empty or partial entry.
    void addFile(const std::string& fsPath, const std::vector<std::string>& parts,
                 bool skipHidden) {
        const std::string shown = join(parts, parts.size());
        OpenedFile f = openRegularFile(fsPath);
        if (f.notRegular) return leaveOut(kNotRegular, shown);
        if (!f.fd) {
            const struct stat none {};
            if (skipHidden && (dosAttribute(fsPath, none) & 0x06) != 0) return;
            return leaveOut(f.error == ENOENT ? kMissing : kUnreadable, shown);
        }
        if (skipHidden && (dosAttribute(f.fd.get(), f.st) & 0x06) != 0) return;
        SourceFile src;
        src.fsPath = fsPath;
        src.name = shown;
        std::vector<std::string> stored;
        for (const auto& p : parts)
            stored.push_back(storedName(p));
        src.storedPath = cl_.switches.x >= 1 ? join(stored, stored.size()) : stored.back();
        src.st = f.st;
        if (!seen_.insert(foldedName(src.storedPath)).second) {
            if (seenFiles_.count({f.st.st_dev, f.st.st_ino}) != 0)
                out_.warnings.push_back("given twice, packed once: " + src.storedPath);
            else
                leaveOut(kSameStoredName, shown);
            return;
        }
        seenFiles_.insert({f.st.st_dev, f.st.st_ino});
        out_.files.push_back(std::move(src));
    }

    // Adds the files of `dir` that match `mask`, sorted by name; descends into subfolders
    // when `recurse` (never through symbolic links to folders).
    void walk(const std::string& dir, const std::vector<std::string>& parts,
              const std::string& mask, bool recurse, bool wholeTree) {
        DIR* d = ::opendir(dir.c_str());
        if (d == nullptr)
            return leaveOut(kUnreadableFolder, parts.empty() ? "." : join(parts, parts.size()));
        std::vector<std::string> names;
        errno = 0;
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        const int err = errno;
        ::closedir(d);
        if (err != 0) return leaveOut(kUnreadableFolder, join(parts, parts.size()));
        std::sort(names.begin(), names.end());
        std::vector<std::string> subdirs;
        for (const std::string& n : names) {
            const std::string path = childPath(dir, n);
            auto p = parts;
            p.push_back(toUtf8Name(n));
            const bool matches = wholeTree || maskMatches(mask, p.back());
            struct stat lst;
            if (::lstat(path.c_str(), &lst) != 0) {
                if (matches) leaveOut(kMissing, join(p, p.size())); // vanished meanwhile
                continue;
            }
            if (S_ISDIR(lst.st_mode)) {
                if (recurse) subdirs.push_back(n);
                continue;
            }
            if (!matches) continue;
            struct stat st = lst;
            if (S_ISLNK(lst.st_mode) && ::stat(path.c_str(), &st) != 0) {
                leaveOut(kDanglingLink, join(p, p.size()));
                continue;
            }
            if (S_ISDIR(st.st_mode)) continue; // a link to a folder is never followed
            addFile(path, p, cl_.switches.a == 0);
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
    std::string prefix_;   // the base folder as given, ending in "/", or empty
    std::string baseReal_; // the base folder with every link resolved
    Collected out_;
    std::set<std::string> seen_;
    std::set<std::pair<dev_t, ino_t>> seenFiles_;
};

} // namespace

bool maskMatches(std::string_view mask, std::string_view name) {
    if (mask == "*.*" || mask == "*") return true;
    return matchFrom(mask, 0, name, 0);
}

namespace {

std::uint32_t le32(const unsigned char* b) {
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

// Read-only from the permissions; the rest from user.DOSATTRIB when it holds a word.
std::uint16_t attributeFrom(ssize_t n, const char* value, const struct stat& st) {
    std::uint32_t word = 0;
    std::uint16_t attr = 0x20;
    if (n > 0 && parseDosAttrib(value, static_cast<std::size_t>(n), word))
        attr = static_cast<std::uint16_t>(word & 0x27); // read-only, hidden, system, archive
    if ((st.st_mode & 0222) == 0) attr |= 0x01;
    return attr;
}

constexpr std::size_t kAttribMax = 256;

} // namespace

bool parseDosAttrib(const char* data, std::size_t size, std::uint32_t& word) {
    if (size >= 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X')) {
        // Hex digits only, one terminating zero at most, and no more than 32 bits: a sign,
        // a cut-off high part or trailing text would make another word.
        const char* end = data + size;
        if (end[-1] == '\0') --end;
        const char* digits = data + 2;
        std::uint32_t v = 0;
        const auto [stop, ec] = std::from_chars(digits, end, v, 16);
        if (digits == end || ec != std::errc{} || stop != end) return false;
        word = v;
        return true;
    }
    // Samba's blob: the version (u16) twice, then for versions 4 and 5 the valid-fields mask
    // and the attribute word (u32 each).
    if (size >= 12) {
        const auto* b = reinterpret_cast<const unsigned char*>(data);
        const unsigned version = b[0] | (b[1] << 8);
        if (version == 4 || version == 5) {
            word = le32(b + 8);
            return true;
        }
    }
    return false;
}

std::uint16_t dosAttribute(const std::string& path, const struct stat& st) {
    char value[kAttribMax];
    return attributeFrom(::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value), value,
                         st);
}

std::uint16_t dosAttribute(int fd, const struct stat& st) {
    char value[kAttribMax];
    return attributeFrom(::fgetxattr(fd, "user.DOSATTRIB", value, sizeof value), value, st);
}

Collected collectSources(const CommandLine& cl) {
    Collector c(cl);
    for (const PathArg& name : cl.names)
        c.addName(name);
    return c.take();
}

} // namespace lha
