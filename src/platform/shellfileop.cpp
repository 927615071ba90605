#include "shellfileop.h"

#include "atomicfile.h"

#include "codepage.h"
#include "dialogs.h"
#include "error.h"
#include "pathcase.h"
#include "trash.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace mv {
namespace {

constexpr size_t kNameMax = 255;

// ---- Paths -------------------------------------------------------------------------------

std::string stripSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool sameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folders on the way to `path` are created with the usual permissions.
bool makeFolders(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    if (errno == EEXIST) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    if (errno != ENOENT || path == "/" || path == ".") return false;
    if (!makeFolders(parentOf(path))) return false;
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

std::optional<std::vector<std::string>> childNames(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::vector<std::string> names;
    errno = 0;
    while (dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    const int err = errno;
    ::closedir(dir);
    if (err) {
        errno = err;
        return std::nullopt;
    }
    return names;
}

bool readLink(const std::string& path, std::string& target) {
    std::string buf(256, '\0');
    for (;;) {
        ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) return false;
        if (static_cast<size_t>(n) < buf.size()) {
            target.assign(buf.data(), static_cast<size_t>(n));
            return true;
        }
        buf.resize(buf.size() * 2);
    }
}

ssize_t readSome(int fd, char* buf, size_t size) {
    for (;;) {
        ssize_t n = ::read(fd, buf, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

// Every extended attribute we may read and write; the hidden bit is user.DOSATTRIB. A target
// file system without them loses them silently, as a copy to such a medium must.
void copyXattrs(int from, int to) {
    ssize_t len = ::flistxattr(from, nullptr, 0);
    if (len <= 0) return;
    std::vector<char> names(static_cast<size_t>(len));
    len = ::flistxattr(from, names.data(), names.size());
    for (ssize_t i = 0; i < len;) {
        const char* name = names.data() + i;
        i += static_cast<ssize_t>(std::strlen(name)) + 1;
        ssize_t vlen = ::fgetxattr(from, name, nullptr, 0);
        if (vlen < 0) continue;
        std::vector<char> value(static_cast<size_t>(vlen) + 1);
        vlen = ::fgetxattr(from, name, value.data(), value.size());
        if (vlen >= 0) ::fsetxattr(to, name, value.data(), static_cast<size_t>(vlen), 0);
    }
}

// Whether the copy `b` holds what `a` holds (bytes of a file, target of a link).
bool sameContent(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::lstat(a.c_str(), &sa) != 0 || ::lstat(b.c_str(), &sb) != 0) return false;
    if ((sa.st_mode & S_IFMT) != (sb.st_mode & S_IFMT)) return false;
    if (S_ISLNK(sa.st_mode)) {
        std::string ta, tb;
        return readLink(a, ta) && readLink(b, tb) && ta == tb;
    }
    if (!S_ISREG(sa.st_mode) || sa.st_size != sb.st_size) return false;
    int fa = ::open(a.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    int fb = ::open(b.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    bool same = fa >= 0 && fb >= 0;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    while (same) {
        ssize_t na = readSome(fa, ba.data(), ba.size());
        if (na <= 0) {
            same = na == 0 && readSome(fb, bb.data(), 1) == 0;
            break;
        }
        size_t got = 0;
        while (got < static_cast<size_t>(na)) {
            ssize_t nb = readSome(fb, bb.data() + got, static_cast<size_t>(na) - got);
            if (nb <= 0) break;
            got += static_cast<size_t>(nb);
        }
        same = got == static_cast<size_t>(na) && std::memcmp(ba.data(), bb.data(), got) == 0;
    }
    if (fa >= 0) ::close(fa);
    if (fb >= 0) ::close(fb);
    return same;
}

// Closes a descriptor when the scope ends.
class ReadFd {
public:
    explicit ReadFd(int fd) : fd_(fd) {}
    ~ReadFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    ReadFd(const ReadFd&) = delete;
    ReadFd& operator=(const ReadFd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Copies the file or link `source` to `target` through a temporary entry beside it, so a
// failed copy leaves nothing half written under the target's name and an existing target
// whole. `replace` false never replaces an existing target. `move` is for a copy whose source
// is deleted next: it is flushed to disk, keeps the owner where allowed, and is compared with
// the source before it takes the name (`differs` set, EIO, when it does not read back the same).
std::error_code copyEntry(const std::string& source, const struct stat& st,
                          const std::string& target, bool replace, bool move, bool& differs) {
    differs = false;
    const timespec times[2] = {st.st_atim, st.st_mtim};
    NewEntry entry;
    entry.replace = replace;
    entry.durable = move;
    auto verify = [&](const std::string& temp) -> std::error_code {
        if (!move || sameContent(source, temp)) return {};
        differs = true;
        return std::make_error_code(std::errc::io_error);
    };
    if (S_ISLNK(st.st_mode)) {
        std::string linkTarget;
        if (!readLink(source, linkTarget)) return lastError();
        entry.linkTarget = std::move(linkTarget);
        entry.ready = [&](const std::string& temp) -> std::error_code {
            if (move && ::lchown(temp.c_str(), st.st_uid, st.st_gid) != 0)
                ignoreFailure("not ours to give away", lastError());
            if (::utimensat(AT_FDCWD, temp.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
                ignoreFailure("a link's times are kept where the file system allows", lastError());
            return verify(temp);
        };
        return placeNewEntry(target, entry);
    }
    // Devices, pipes and sockets are no favorites.
    if (!S_ISREG(st.st_mode)) return std::make_error_code(std::errc::operation_not_supported);
    ReadFd in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0) return lastError();
    struct stat now {};
    if (::fstat(in.get(), &now) != 0 || !S_ISREG(now.st_mode))
        return std::make_error_code(std::errc::operation_not_supported);
    entry.fill = [&](int out) -> std::error_code {
        if (auto ec = copyAll(in.get(), out)) return ec;
        // Attributes before the mode: a read-only mode would refuse them afterwards.
        copyXattrs(in.get(), out);
        if (move && ::fchown(out, st.st_uid, st.st_gid) != 0)
            ignoreFailure("not ours to give away", lastError());
        if (::fchmod(out, st.st_mode & 07777) != 0 || ::futimens(out, times) != 0)
            return lastError();
        return {};
    };
    entry.ready = verify;
    return placeNewEntry(target, entry);
}

// Deletes a tree for good, never following a link out of it.
std::error_code removeTree(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return lastError();
    if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0 ? std::error_code() : lastError();
    auto names = childNames(path);
    if (!names) return lastError();
    for (const auto& name : *names)
        if (auto ec = removeTree(join(path, name))) return ec;
    return ::rmdir(path.c_str()) == 0 ? std::error_code() : lastError();
}

// "stem<insert>ext" cut to fit a file name; a folder's name has no extension.
std::string nameWith(const std::string& name, bool folder, const std::string& insert) {
    std::string stem = name, ext;
    auto dot = name.rfind('.');
    if (!folder && dot != std::string::npos && dot > 0 && name.size() - dot <= 16) {
        stem = name.substr(0, dot);
        ext = name.substr(dot);
    }
    return cutName(stem, kNameMax - insert.size() - ext.size()) + insert + ext;
}

// The first free name "X - コピー", "X - コピー (2)", ... (for a copy onto itself) or
// "X (2)", "X (3)", ... (for a name that is taken) beside `target`.
std::string freeName(const std::string& target, bool folder, bool copyOfItself) {
    const std::string dir = parentOf(target), name = baseName(target);
    const std::string copy = fromQt(QStringLiteral(" - コピー"));
    for (int n = copyOfItself ? 1 : 2; n < 100000; ++n) {
        std::string insert = copyOfItself ? copy : std::string();
        if (n > 1) insert += " (" + std::to_string(n) + ")";
        std::string candidate = join(dir, nameWith(name, folder, insert));
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) != 0 && errno == ENOENT) return candidate;
    }
    return target;
}

// ---- Texts -------------------------------------------------------------------------------

enum class Verb { Move, Copy, Trash, Delete, Rename };

const QString kCopyDiffers = QStringLiteral("コピーした内容が元のファイルと一致しません。");

QString nameText(const std::string& path) {
    return toQt(baseName(path));
}

QString reasonOf(int err) {
    return reasonText(std::error_code(err, std::generic_category()));
}

QString failureText(Verb verb, const QString& name, const QString& reason) {
    switch (verb) {
    case Verb::Move:
        return QStringLiteral("'%1' を移動できません: %2").arg(name, reason);
    case Verb::Copy:
        return QStringLiteral("'%1' をコピーできません: %2").arg(name, reason);
    case Verb::Trash:
        return QStringLiteral("'%1' をごみ箱に移動できません: %2").arg(name, reason);
    case Verb::Delete:
        return QStringLiteral("'%1' を削除できません: %2").arg(name, reason);
    case Verb::Rename:
        return QStringLiteral("'%1' の名前を変更できません: %2").arg(name, reason);
    }
    return reason;
}

// ---- The operation -----------------------------------------------------------------------

enum class Step { Done, Skipped, Stop };
enum class Answer { Yes, No, Cancel };

class Operation {
public:
    explicit Operation(uint16_t flags) : flags_(flags), dialogs_(Dialogs::current()) {}

    void transferAll(const std::vector<std::string>& from, const std::vector<std::string>& to,
                     bool move);
    void deleteAll(const std::vector<std::string>& from);
    void renameAll(const std::vector<std::string>& from, const std::vector<std::string>& to);

    bool aborted() const { return aborted_; }
    int result() const { return firstError_ ? firstError_ : (aborted_ ? kShfCancelled : 0); }

private:
    bool has(uint16_t flag) const { return (flags_ & flag) != 0; }

    Step report(int code, const QString& text);
    Step fail(Verb verb, const std::string& path, int code, const QString& reason) {
        return report(code, failureText(verb, nameText(path), reason));
    }
    Step failCode(Verb verb, const std::string& path, std::error_code ec) {
        return fail(verb, path, ec.value(), reasonText(ec));
    }
    Step failErrno(Verb verb, const std::string& path) { return failCode(verb, path, lastError()); }
    Answer confirmReplace(const std::string& existing, bool folder);
    bool ensureFolder(const std::string& folder, Verb verb, const std::string& item);

    Step transferTop(const std::string& source, std::string target, bool move);
    Step transfer(const std::string& source, const struct stat& st, std::string target, bool move,
                  bool anyCase);
    Step transferChildren(const std::string& source, const std::string& target, bool move);
    Step copyNew(const std::string& source, const struct stat& st, const std::string& target,
                 Verb verb, bool durable);
    Step moveAcross(const std::string& source, const struct stat& st, const std::string& target);
    Step replace(const std::string& source, const struct stat& st, const std::string& existing,
                 bool move);
    void finishFolder(const std::string& source, const struct stat& st, const std::string& target);

    uint16_t flags_;
    Dialogs& dialogs_;
    bool replaceAll_ = false;
    bool mergeAll_ = false;
    bool aborted_ = false;
    int firstError_ = 0;
    bool moreItems_ = false; // top-level items follow the current one
    int depth_ = 0;          // inside a folder being walked
    std::set<std::pair<dev_t, ino_t>> created_;
};

// Shows a failure. When more work follows, the user chooses whether it goes on.
Step Operation::report(int code, const QString& text) {
    if (!firstError_) firstError_ = code ? code : EIO;
    if (moreItems_ || depth_ > 0) {
        const QString question = text + QStringLiteral("\r\n\r\n続行しますか?");
        if (dialogs_.message(MsgType::Error, question, mbYes | mbNo) == mbYes) return Step::Skipped;
        aborted_ = true;
        return Step::Stop;
    }
    dialogs_.message(MsgType::Error, text, mbOK);
    return Step::Skipped;
}

Answer Operation::confirmReplace(const std::string& existing, bool folder) {
    if (has(FOF_NOCONFIRMATION) || (folder ? mergeAll_ : replaceAll_)) return Answer::Yes;
    const QString text =
        folder ? QStringLiteral("このフォルダーには既に '%1' という名前のフォルダーがあります。"
                                "\r\n既存のフォルダーに統合しますか? 同じ名前のファイルは、"
                                "置き換える前に確認します。")
               : QStringLiteral("このフォルダーには既に '%1' という名前のファイルがあります。"
                                "\r\n既存のファイルを置き換えますか?");
    switch (dialogs_.message(MsgType::Confirmation, text.arg(nameText(existing)),
                             mbYes | mbYesToAll | mbNo | mbCancel)) {
    case mbYesToAll:
        (folder ? mergeAll_ : replaceAll_) = true;
        return Answer::Yes;
    case mbYes:
        return Answer::Yes;
    case mbNo:
        aborted_ = true;
        return Answer::No;
    default:
        aborted_ = true;
        return Answer::Cancel;
    }
}

// The destination folder exists, or is made after asking (unless told not to ask).
bool Operation::ensureFolder(const std::string& folder, Verb verb, const std::string& item) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        fail(verb, item, ENOTDIR,
             QStringLiteral("'%1' はフォルダーではありません。").arg(toQt(folder)));
        return false;
    }
    if (errno != ENOENT) {
        failErrno(verb, item);
        return false;
    }
    if (!has(FOF_NOCONFIRMMKDIR) && !has(FOF_NOCONFIRMATION)) {
        const QString text =
            QStringLiteral("フォルダー '%1' は存在しません。\r\n作成しますか?").arg(toQt(folder));
        if (dialogs_.message(MsgType::Confirmation, text, mbYes | mbNo) != mbYes) {
            aborted_ = true;
            return false;
        }
    }
    if (makeFolders(folder)) return true;
    const std::error_code ec = lastError();
    report(
        ec.value(),
        QStringLiteral("フォルダー '%1' を作成できません: %2").arg(toQt(folder), reasonText(ec)));
    return false;
}

void Operation::transferAll(const std::vector<std::string>& from,
                            const std::vector<std::string>& to, bool move) {
    const Verb verb = move ? Verb::Move : Verb::Copy;
    std::vector<std::pair<std::string, std::string>> pairs;
    if (has(FOF_MULTIDESTFILES)) {
        if (to.size() < from.size()) {
            fail(verb, from.front(), EINVAL,
                 move ? QStringLiteral("移動先の数が移動元の数より少なくなっています。")
                      : QStringLiteral("コピー先の数がコピー元の数より少なくなっています。"));
            return;
        }
        for (size_t i = 0; i < from.size(); ++i) {
            const std::string target = stripSlashes(to[i]);
            const std::string folder = resolvePathCase(parentOf(target));
            pairs.emplace_back(resolvePathCase(stripSlashes(from[i])),
                               join(folder, baseName(target)));
        }
    } else {
        const std::string folder = to.empty() ? std::string() : stripSlashes(to.front());
        if (folder.empty()) {
            fail(verb, from.front(), ENOENT,
                 move ? QStringLiteral("移動先が指定されていません。")
                      : QStringLiteral("コピー先が指定されていません。"));
            return;
        }
        const std::string resolved = resolvePathCase(folder);
        std::set<std::string> seen;
        for (const auto& f : from) {
            std::string source = resolvePathCase(stripSlashes(f));
            if (!seen.insert(source).second) continue; // the same item twice is one item
            pairs.emplace_back(source, join(resolved, baseName(source)));
        }
    }

    std::set<std::string> checked;
    for (const auto& [source, target] : pairs) {
        const std::string folder = parentOf(target);
        if (checked.insert(folder).second && !ensureFolder(folder, verb, source)) return;
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        moreItems_ = i + 1 < pairs.size();
        if (transferTop(pairs[i].first, pairs[i].second, move) == Step::Stop) return;
    }
}

Step Operation::transferTop(const std::string& source, std::string target, bool move) {
    const Verb verb = move ? Verb::Move : Verb::Copy;
    struct stat st {};
    const std::string name = baseName(source);
    if (name.empty() || name == "." || name == ".." || source == "/")
        return fail(verb, source, EINVAL, reasonOf(EINVAL));
    if (::lstat(source.c_str(), &st) != 0) return failErrno(verb, source);

    if (S_ISDIR(st.st_mode)) {
        // A folder cannot go into itself or anywhere below itself.
        char* realSource = ::realpath(source.c_str(), nullptr);
        char* realFolder = ::realpath(parentOf(target).c_str(), nullptr);
        bool inside = false;
        if (realSource && realFolder) {
            const std::string s = realSource, f = realFolder;
            inside = f == s || f.compare(0, s.size() + 1, s + "/") == 0;
        }
        std::free(realSource);
        std::free(realFolder);
        if (inside)
            return fail(
                verb, source, EINVAL,
                move
                    ? QStringLiteral("移動先のフォルダーは移動元のフォルダーの中にあります。")
                    : QStringLiteral("コピー先のフォルダーはコピー元のフォルダーの中にあります。"));
    }

    struct stat ts {};
    std::string existing = target;
    if (::lstat(existing.c_str(), &ts) != 0) existing = resolvePathCase(target);
    if (::lstat(existing.c_str(), &ts) == 0 && sameEntry(st, ts)) {
        if (move) {
            // A new spelling of the same name is a rename; the same name is nothing to do.
            if (existing != target && existing == source)
                return transfer(source, st, target, move, false);
            return fail(verb, source, EINVAL, QStringLiteral("移動元と移動先が同じです。"));
        }
        // A copy onto itself gets a name of its own; the source is only read.
        target = freeName(target, S_ISDIR(st.st_mode), true);
        return copyNew(source, st, target, verb, false);
    }
    return transfer(source, st, target, move, true);
}

// `target` may exist; with `anyCase` an entry whose name differs only in case counts too.
Step Operation::transfer(const std::string& source, const struct stat& st, std::string target,
                         bool move, bool anyCase) {
    const Verb verb = move ? Verb::Move : Verb::Copy;
    struct stat ts {};
    std::string existing = target;
    bool exists = ::lstat(target.c_str(), &ts) == 0;
    if (!exists && anyCase) {
        existing = resolvePathCase(target);
        exists = existing != target && ::lstat(existing.c_str(), &ts) == 0 && !sameEntry(st, ts);
    }
    if (exists) {
        if (sameEntry(st, ts))
            return fail(verb, source, EINVAL, QStringLiteral("移動元と移動先が同じです。"));
        const bool folder = S_ISDIR(st.st_mode), targetFolder = S_ISDIR(ts.st_mode);
        if (folder != targetFolder)
            return fail(verb, source, EEXIST,
                        targetFolder
                            ? QStringLiteral("同じ名前のフォルダーがあるため、置き換えられません。")
                            : QStringLiteral("同じ名前のファイルがあるため、置き換えられません。"));
        if (has(FOF_RENAMEONCOLLISION)) {
            target = freeName(existing, folder, false);
        } else {
            switch (confirmReplace(existing, folder)) {
            case Answer::No:
                return Step::Skipped;
            case Answer::Cancel:
                return Step::Stop;
            case Answer::Yes:
                break;
            }
            if (!folder) return replace(source, st, existing, move);
            Step r = transferChildren(source, existing, move);
            if (move && r != Step::Stop && ::rmdir(source.c_str()) != 0 && errno != ENOTEMPTY &&
                errno != EEXIST)
                return failErrno(verb, source);
            return r;
        }
    }
    if (!move) return copyNew(source, st, target, verb, false);
    const std::error_code ec = MoveFileA(source, target);
    if (!ec) return Step::Done;
    if (ec == std::errc::cross_device_link) return moveAcross(source, st, target);
    return failCode(verb, source, ec);
}

Step Operation::transferChildren(const std::string& source, const std::string& target, bool move) {
    auto names = childNames(source);
    if (!names) return failErrno(move ? Verb::Move : Verb::Copy, source);
    ++depth_;
    Step worst = Step::Done;
    for (const auto& name : *names) {
        const std::string child = join(source, name);
        struct stat st {};
        Step r;
        if (::lstat(child.c_str(), &st) != 0) {
            r = failErrno(move ? Verb::Move : Verb::Copy, child);
        } else if (S_ISDIR(st.st_mode) && created_.count({st.st_dev, st.st_ino})) {
            continue; // never walk into a folder this operation made
        } else {
            r = transfer(child, st, join(target, name), move, false);
        }
        if (r == Step::Stop) {
            worst = Step::Stop;
            break;
        }
        if (r == Step::Skipped) worst = Step::Skipped;
    }
    --depth_;
    return worst;
}

// `target` does not exist. `durable` is for a move: the copy is flushed and compared with its
// source before it takes the name.
Step Operation::copyNew(const std::string& source, const struct stat& st, const std::string& target,
                        Verb verb, bool durable) {
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(target.c_str(), 0700) != 0) return failErrno(verb, source);
        struct stat made {};
        if (::lstat(target.c_str(), &made) == 0) created_.insert({made.st_dev, made.st_ino});
        Step r = transferChildren(source, target, verb == Verb::Move);
        finishFolder(source, st, target);
        return r;
    }
    bool differs = false;
    const std::error_code ec = copyEntry(source, st, target, false, durable, differs);
    if (differs) return fail(verb, source, EIO, kCopyDiffers);
    if (ec) return failCode(verb, source, ec);
    return Step::Done;
}

// A move to another file system: copy, compare, and only then remove the source. A folder
// is made anew and its entries moved one by one; it is removed when it has become empty.
Step Operation::moveAcross(const std::string& source, const struct stat& st,
                           const std::string& target) {
    if (S_ISDIR(st.st_mode)) {
        Step r = copyNew(source, st, target, Verb::Move, true);
        if (r != Step::Stop && ::rmdir(source.c_str()) != 0 && errno != ENOTEMPTY &&
            errno != EEXIST)
            return failErrno(Verb::Move, source);
        return r;
    }
    Step r = copyNew(source, st, target, Verb::Move, true);
    if (r != Step::Done) return r;
    if (::unlink(source.c_str()) != 0) {
        // The source stays, so the copy goes again: a failed move leaves things as they were.
        const int err = errno;
        ::unlink(target.c_str());
        errno = err;
        return failErrno(Verb::Move, source);
    }
    return Step::Done;
}

// The user said Yes to replacing the file or link `existing`.
Step Operation::replace(const std::string& source, const struct stat& st,
                        const std::string& existing, bool move) {
    const Verb verb = move ? Verb::Move : Verb::Copy;
    if (move) {
        if (::rename(source.c_str(), existing.c_str()) == 0) return Step::Done;
        if (errno != EXDEV) return failErrno(verb, source);
    }
    bool differs = false;
    const std::error_code ec = copyEntry(source, st, existing, true, move, differs);
    if (differs) return fail(verb, source, EIO, kCopyDiffers);
    if (ec) return failCode(verb, source, ec);
    if (move && ::unlink(source.c_str()) != 0) return failErrno(verb, source);
    return Step::Done;
}

// A copied folder takes its source's attributes, mode and times once its content is in.
void Operation::finishFolder(const std::string& source, const struct stat& st,
                             const std::string& target) {
    int to = ::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (to < 0) return;
    int from = ::open(source.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (from >= 0) {
        copyXattrs(from, to);
        ::close(from);
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(to, st.st_mode & 07777) != 0 || ::futimens(to, times) != 0)
        ignoreFailure("the folder and its content are there; its mode and times are a courtesy",
                      lastError());
    ::close(to);
}

void Operation::deleteAll(const std::vector<std::string>& from) {
    const bool undo = has(FOF_ALLOWUNDO);
    std::vector<std::string> items;
    std::set<std::string> seen;
    for (const auto& f : from) {
        std::string item = resolvePathCase(stripSlashes(f));
        if (seen.insert(item).second) items.push_back(std::move(item));
    }
    if (!has(FOF_NOCONFIRMATION)) {
        QString text;
        if (items.size() == 1)
            text = (undo ? QStringLiteral("'%1' をごみ箱に移動しますか?")
                         : QStringLiteral("'%1' を完全に削除しますか?"))
                       .arg(nameText(items.front()));
        else
            text = (undo ? QStringLiteral("これらの %1 個の項目をごみ箱に移動しますか?")
                         : QStringLiteral("これらの %1 個の項目を完全に削除しますか?"))
                       .arg(items.size());
        if (dialogs_.message(MsgType::Confirmation, text, mbYes | mbNo) != mbYes) {
            aborted_ = true;
            return;
        }
    }
    const Verb verb = undo ? Verb::Trash : Verb::Delete;
    for (size_t i = 0; i < items.size(); ++i) {
        moreItems_ = i + 1 < items.size();
        const std::string& item = items[i];
        struct stat st {};
        Step r = Step::Done;
        if (::lstat(item.c_str(), &st) != 0)
            r = failErrno(verb, item);
        else if (const auto ec = undo ? trash::moveToTrash(item) : removeTree(item))
            r = failCode(verb, item, ec);
        if (r == Step::Stop) return;
    }
}

void Operation::renameAll(const std::vector<std::string>& from,
                          const std::vector<std::string>& to) {
    if (to.size() < from.size()) {
        fail(Verb::Rename, from.front(), EINVAL, reasonOf(EINVAL));
        return;
    }
    for (size_t i = 0; i < from.size(); ++i) {
        moreItems_ = i + 1 < from.size();
        const std::string source = resolvePathCase(stripSlashes(from[i]));
        std::string target = stripSlashes(to[i]);
        if (target.find('/') == std::string::npos) target = join(parentOf(source), target);
        struct stat st {
        }, ts{};
        Step r = Step::Done;
        if (::lstat(source.c_str(), &st) != 0) {
            r = failErrno(Verb::Rename, source);
        } else if (target != source) {
            if (::lstat(target.c_str(), &ts) == 0 && !sameEntry(st, ts) &&
                has(FOF_RENAMEONCOLLISION))
                target = freeName(target, S_ISDIR(st.st_mode), false);
            if (const auto ec = MoveFileA(source, target)) r = failCode(Verb::Rename, source, ec);
        }
        if (r == Step::Stop) return;
    }
}

// A same-inode target that is a single-linked entry is the source itself under another case
// on a case-insensitive file system.
std::error_code renameCaseOnly(const std::string& existing, const std::string& newName) {
    struct stat a {
    }, b{};
    if (::lstat(existing.c_str(), &a) != 0 || ::lstat(newName.c_str(), &b) != 0) return lastError();
    if (!sameEntry(a, b) || existing == newName || (!S_ISDIR(a.st_mode) && a.st_nlink != 1))
        return std::make_error_code(std::errc::file_exists);
    return ::rename(existing.c_str(), newName.c_str()) == 0 ? std::error_code() : lastError();
}

} // namespace

std::error_code MoveFileA(const std::string& existing, const std::string& newName) {
    if (::renameat2(AT_FDCWD, existing.c_str(), AT_FDCWD, newName.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno == EEXIST) return renameCaseOnly(existing, newName);
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return lastError();

    // A file system without RENAME_NOREPLACE (EINVAL is also what moving a folder into itself
    // gives; the rename below then reports it again).
    struct stat st {};
    if (::lstat(existing.c_str(), &st) != 0) return lastError();
    if (!S_ISDIR(st.st_mode)) {
        // link() refuses an existing target atomically.
        if (::link(existing.c_str(), newName.c_str()) == 0) {
            if (::unlink(existing.c_str()) == 0) return {};
            const std::error_code ec = lastError();
            if (::unlink(newName.c_str()) != 0)
                ignoreFailure("the failure that led here is the one to report", lastError());
            return ec;
        }
        if (errno == EEXIST) return renameCaseOnly(existing, newName);
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != ENOSYS)
            return lastError();
    }
    // No hard links either: rename after checking, the best such a file system allows.
    struct stat ts {};
    if (::lstat(newName.c_str(), &ts) == 0) return renameCaseOnly(existing, newName);
    if (errno != ENOENT) return lastError();
    return ::rename(existing.c_str(), newName.c_str()) == 0 ? std::error_code() : lastError();
}

std::vector<std::string> splitPathList(const char* list) {
    std::vector<std::string> out;
    if (!list) return out;
    while (*list) {
        out.emplace_back(list);
        list += out.back().size() + 1;
    }
    return out;
}

std::string cutName(std::string_view name, size_t maxBytes) {
    if (name.size() <= maxBytes) return std::string(name);
    const CodePage& cp = CodePage::active();
    size_t end = 0;
    while (end < name.size()) {
        const size_t next = end + cp.charLength(name, end);
        if (next > maxBytes) break;
        end = next;
    }
    return std::string(name.substr(0, end));
}

int SHFileOperationA(SHFILEOPSTRUCTA* op) {
    if (!op) return EINVAL;
    op->fAnyOperationsAborted = 0;
    const std::vector<std::string> from = splitPathList(op->pFrom);
    const std::vector<std::string> to = splitPathList(op->pTo);
    if (from.empty()) return EINVAL;
    Operation operation(op->fFlags);
    switch (op->wFunc) {
    case FO_MOVE:
        operation.transferAll(from, to, true);
        break;
    case FO_COPY:
        operation.transferAll(from, to, false);
        break;
    case FO_DELETE:
        operation.deleteAll(from);
        break;
    case FO_RENAME:
        operation.renameAll(from, to);
        break;
    default:
        return EINVAL;
    }
    op->fAnyOperationsAborted = operation.aborted() ? 1 : 0;
    return operation.result();
}

} // namespace mv
