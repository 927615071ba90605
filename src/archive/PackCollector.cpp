#include "PackCollector.h"

#include "DiskNames.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/fileattr.h"
#include "platform/filesearch.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace mv {
namespace {

constexpr uint32_t kVolumeId = 0x8;
constexpr uint64_t kEpochDiff = 116444736000000000ULL;

// A name as the library gets it (program's code page, "?" where it has no form there), as
// the disk spells it, and as text for comparing.
struct NameKey {
    std::string name;
    std::string disk;
    QString text;
};

// Sorted by the user's collation without regard to case; names the collation cannot tell
// apart are still kept apart unless they differ in case alone, so "ａ.url" never swallows
// "a.url" and "あ" never swallows "ア".
struct NameLess {
    bool operator()(const NameKey& a, const NameKey& b) const {
        thread_local QCollator collator = [] {
            QCollator c{QLocale::system()};
            c.setCaseSensitivity(Qt::CaseInsensitive);
            return c;
        }();
        if (int c = collator.compare(a.text, b.text)) return c < 0;
        return QString::compare(a.text, b.text, Qt::CaseInsensitive) < 0;
    }
};
using NameSet = std::set<NameKey, NameLess>;

NameKey keyOf(const std::string& diskName) {
    return {ProgramNameLossy(diskName), diskName, DiskCodePage().toQString(diskName)};
}

std::string join(const std::string& dir, const std::string& name) {
    // "/" is never part of a double-byte character, so a byte test is a character test.
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + '/' + name;
}

// Last-write time as local YYYYMMDDhhmmss.
int64_t localStamp(uint64_t fileTime) {
    const int64_t units = static_cast<int64_t>(fileTime) - static_cast<int64_t>(kEpochDiff);
    int64_t seconds = units / 10000000;
    if (units % 10000000 < 0) --seconds;
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return (tm.tm_year + 1900) * 10000000000LL + (tm.tm_mon + 1) * 100000000LL +
           tm.tm_mday * 1000000LL + tm.tm_hour * 10000LL + tm.tm_min * 100LL + tm.tm_sec;
}

int number(const std::string& text, size_t pos, size_t len) {
    const std::string part = text.substr(pos, len);
    int value = 0;
    for (char ch : part) {
        if (ch < '0' || ch > '9') throw Error(u"'%1' は整数値ではありません。"_s.arg(toQt(part)));
        value = value * 10 + (ch - '0');
    }
    return value;
}

int currentYear() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

TLeftOut because(TLeftOutReason reason, int error = 0, std::string other = {}) {
    return {{}, reason, error, std::move(other), false};
}

// Why the library could not pack the file at `path`, or nothing when it can. A FIFO or a
// device is never opened for reading (that could block for ever), a link is followed.
std::optional<TLeftOut> unpackable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int err = errno;
        struct stat link {};
        if (err == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            return because(TLeftOutReason::DanglingLink);
        if (err == ENOENT) return because(TLeftOutReason::Vanished);
        return because(TLeftOutReason::Unreadable, err);
    }
    if (!S_ISREG(st.st_mode)) return because(TLeftOutReason::NotAFile);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        return because(err == ENOENT ? TLeftOutReason::Vanished : TLeftOutReason::Unreadable, err);
    }
    // Swapped for something else between the two looks.
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular) return because(TLeftOutReason::NotAFile);
    return std::nullopt;
}

bool hasWildcard(std::string_view mask) {
    return mask.find_first_of("*?") != std::string_view::npos;
}

// Splits into characters, ASCII letters upper-cased.
std::vector<std::string_view> characters(std::string_view s, std::string& folded) {
    const CodePage& cp = CodePage::active();
    folded.assign(s);
    std::vector<std::string_view> out;
    for (size_t pos = 0; pos < folded.size();) {
        const size_t len = cp.charLength(folded, pos);
        if (len == 1 && folded[pos] >= 'a' && folded[pos] <= 'z') folded[pos] -= 'a' - 'A';
        out.push_back(std::string_view(folded).substr(pos, len));
        pos += len;
    }
    return out;
}

} // namespace

bool MatchFileMask(std::string_view name, std::string_view mask) {
    if (mask == "*" || mask == "*.*") return true;
    if (mask.size() > 1 && mask.back() == '.') {
        if (name.find('.') != std::string_view::npos) return false;
        mask.remove_suffix(1);
    }
    std::string nameBuf, maskBuf;
    const auto n = characters(name, nameBuf);
    const auto m = characters(mask, maskBuf);
    // Greedy match with one backtrack point, the last "*".
    size_t i = 0, j = 0, starJ = std::string::npos, starI = 0;
    while (i < n.size()) {
        if (j < m.size() && m[j] == "*") {
            starJ = j++;
            starI = i;
        } else if (j < m.size() && (m[j] == "?" || m[j] == n[i])) {
            ++i;
            ++j;
        } else if (starJ != std::string::npos) {
            j = starJ + 1;
            i = ++starI;
        } else {
            return false;
        }
    }
    while (j < m.size() && m[j] == "*")
        ++j;
    return j == m.size();
}

std::optional<int64_t> ParseDateBound(const std::string& text, int defaultTime) {
    if (IsNotSet(text)) return std::nullopt;
    std::string s = text;
    if (!s.empty() && s.front() == 'l') s.erase(0, 1);
    int year = 0;
    size_t pos = 0;
    if (s.size() == 6 || s.size() == 12) {
        // Two-digit years fall into the hundred years starting 50 years before this one.
        const int pivot = currentYear() - 50;
        year = number(s, 0, 2) + pivot / 100 * 100;
        if (year < pivot) year += 100;
        pos = 2;
    } else if (s.size() == 8 || s.size() == 14) {
        year = number(s, 0, 4);
        pos = 4;
    } else {
        return std::nullopt;
    }
    const int month = number(s, pos, 2), day = number(s, pos + 2, 2);
    int time = defaultTime;
    if (s.size() - pos == 10) {
        const int hh = number(s, pos + 4, 2), mm = number(s, pos + 6, 2),
                  ss = number(s, pos + 8, 2);
        if (hh > 23 || mm > 59 || ss > 59)
            throw Error(u"'%1' は正しい日時ではありません。"_s.arg(toQt(text)));
        time = hh * 10000 + mm * 100 + ss;
    }
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1] ||
        (month == 2 && day == 29 && !leap))
        throw Error(u"'%1' は正しい日時ではありません。"_s.arg(toQt(text)));
    return year * 10000000000LL + month * 100000000LL + day * 1000000LL + time;
}

struct TPackCollector::Pass {
    NameSet result;
    const NameSet* exclude = nullptr;
    bool report = false;
};

TPackCollector::TPackCollector(std::string baseDir, TCollectProgress progress)
    : baseDir_(DiskNameOf(baseDir)), progress_(std::move(progress)) {}

std::string TPackCollector::OnDisk(const std::string& dir) const {
    if (!dir.empty() && dir.front() == '/') return dir;
    if (baseDir_.empty()) return dir.empty() ? std::string(".") : dir;
    return dir.empty() ? baseDir_ : join(baseDir_, dir);
}

std::vector<std::string> TPackCollector::Collect(TArchiverOptions& options,
                                                 const std::vector<std::string>& masks) {
    aborted_ = false;
    leftOut_.clear();
    options_ = &options;
    if (!baseDir_.empty()) {
        // A base folder that is not there is an error, not an empty archive.
        struct stat st {};
        const std::string shown = ProgramNameLossy(baseDir_);
        if (::stat(baseDir_.c_str(), &st) != 0) throw fileError(shown, lastError());
        if (!S_ISDIR(st.st_mode))
            throw fileError(shown, std::make_error_code(std::errc::not_a_directory));
    }
    lowerBound_ = ParseDateBound(options.jo, 0);
    upperBound_ = ParseDateBound(options.job, 235959);
    fileAttr_ = fileattr::ReadOnly | fileattr::Archive;
    if (options.a >= 1) fileAttr_ |= fileattr::Hidden | fileattr::System;

    Pass exclusion;
    for (const std::string& mask : options.jx)
        if (!mask.empty()) WalkMask(exclusion, mask);

    Pass inclusion;
    inclusion.exclude = &exclusion.result;
    inclusion.report = true;
    if (masks.empty()) Walk(inclusion, {}, "*.*");
    for (const std::string& mask : masks)
        WalkMask(inclusion, mask);

    options.r = -1;
    options.jo = NotSetText();
    options.job = NotSetText();
    options.p = 1;
    options_ = nullptr;
    // Each mask walks the tree again: say each thing once.
    std::stable_sort(leftOut_.begin(), leftOut_.end(), [](const TLeftOut& a, const TLeftOut& b) {
        return NameLess{}({{}, {}, toQt(a.name)}, {{}, {}, toQt(b.name)});
    });
    leftOut_.erase(std::unique(leftOut_.begin(), leftOut_.end()), leftOut_.end());

    std::vector<std::string> names;
    names.reserve(inclusion.result.size());
    diskNames_.clear();
    diskNames_.reserve(inclusion.result.size());
    for (const NameKey& key : inclusion.result) {
        names.push_back(key.name);
        diskNames_.push_back(key.disk);
    }
    return names;
}

void TPackCollector::WalkMask(Pass& pass, const std::string& mask) {
    const std::string diskMask = DiskNameOf(mask);
    const uint32_t attrs = fileattr::get(OnDisk(diskMask));
    if (options_->r > 1 && attrs != fileattr::Invalid && (attrs & fileattr::Directory)) {
        Walk(pass, diskMask, "*.*");
        return;
    }
    const auto slash = mask.rfind('/');
    if (slash == std::string::npos)
        Walk(pass, {}, mask);
    else
        Walk(pass, DiskNameOf(mask.substr(0, slash + 1)), mask.substr(slash + 1));
}

// `dir` is spelled as on disk, `mask` in the program's code page.
void TPackCollector::Walk(Pass& pass, const std::string& dir, const std::string& mask) {
    if (aborted_) return;
    auto leaveOut = [&](const std::string& diskName, TLeftOut item) {
        item.name = ProgramNameLossy(diskName);
        leftOut_.push_back(std::move(item));
    };
    errno = 0;
    const auto entries = listFolder(OnDisk(dir));
    if (!entries) {
        const int err = errno;
        if (pass.report)
            leaveOut(dir.empty() ? OnDisk(dir) : dir,
                     because(TLeftOutReason::FolderUnreadable, err));
        return;
    }
    const uint32_t excluded =
        ~fileAttr_ & (fileattr::Hidden | fileattr::System | fileattr::Directory | kVolumeId);
    for (const FindData& e : *entries) {
        if ((e.attributes & excluded) || !MatchFileMask(ProgramNameLossy(e.name), mask)) continue;
        if (lowerBound_ || upperBound_) {
            const int64_t stamp = localStamp(e.lastWriteTime);
            if ((lowerBound_ && stamp < *lowerBound_) || (upperBound_ && stamp > *upperBound_))
                continue;
        }
        const std::string diskName = join(dir, e.name);
        NameKey key = keyOf(diskName);
        if (pass.exclude && pass.exclude->contains(key)) continue;
        if (!pass.report) {
            pass.result.insert(std::move(key));
            continue;
        }
        // The library reads each file itself: one it could not read is left out and said.
        if (auto why = unpackable(OnDisk(diskName))) {
            leaveOut(diskName, *why);
            continue;
        }
        auto [it, added] = pass.result.insert(key);
        if (!added) {
            // The same file through two masks is simply once; a second file whose name
            // differs only in case cannot go in beside the first and is named.
            if (it->name != key.name)
                leaveOut(diskName, because(TLeftOutReason::SameNameOtherCase, 0, it->name));
            continue;
        }
        if (progress_) {
            progress_(it->name, aborted_);
            if (aborted_) return;
        }
    }
    if (options_->r < 1 || (options_->p > 0 && !hasWildcard(mask))) return;
    for (const FindData& e : *entries) {
        if (!(e.attributes & fileattr::Directory)) continue;
        // Links to folders are never followed: a link to an ancestor would never end.
        if (e.attributes & fileattr::ReparsePoint) {
            if (pass.report) leaveOut(join(dir, e.name), because(TLeftOutReason::FolderLink));
            continue;
        }
        Walk(pass, join(dir, e.name), mask);
        if (aborted_) return;
    }
}

} // namespace mv
