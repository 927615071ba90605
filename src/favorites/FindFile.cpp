#include "FindFile.h"

#include "MessagePump.h"
#include "platform/codepage.h"
#include "platform/fileattr.h"

#include <algorithm>
#include <ctime>
#include <optional>

namespace mv {
namespace {

constexpr uint64_t kEpochDiff = 116444736000000000ULL;
constexpr double kUnixEpochAsDateTime = 25569.0; // 1970-01-01 in days since 1899-12-30

// ASCII letters upper-cased; multi-byte characters are stepped over untouched.
std::string upperSingleBytes(std::string_view s) {
    const CodePage& cp = CodePage::active();
    std::string out(s);
    for (size_t pos = 0; pos < out.size();) {
        size_t len = cp.charLength(out, pos);
        if (len == 1 && out[pos] >= 'a' && out[pos] <= 'z')
            out[pos] = static_cast<char>(out[pos] - 32);
        pos += len;
    }
    return out;
}

// Splits at the last "." that starts a character.
void splitAtLastDot(std::string_view s, std::string_view& name, std::string_view& ext) {
    const CodePage& cp = CodePage::active();
    size_t dot = std::string_view::npos;
    for (size_t pos = 0; pos < s.size(); pos += cp.charLength(s, pos))
        if (s[pos] == '.') dot = pos;
    if (dot == std::string_view::npos) {
        name = s;
        ext = {};
    } else {
        name = s.substr(0, dot);
        ext = s.substr(dot + 1);
    }
}

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// "*.ext" with an extension of ASCII letters and digits, the mask of every listing, decided by
// a look at the name's end; nothing when that look may differ from the match by characters.
// It cannot where every "." byte starts a character and no letter after it is a trail byte:
// in UTF-8, or in a name of ASCII bytes only (in CP932 a lead byte would take the "." in).
std::optional<bool> matchPlainExtension(std::string_view name, std::string_view mask) {
    if (mask.size() < 3 || mask[0] != '*' || mask[1] != '.') return std::nullopt;
    const std::string_view ext = mask.substr(2);
    for (const char c : ext)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return std::nullopt;
    if (&CodePage::active() != &CodePage::utf8() &&
        !std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::nullopt;
    // A name part before the dot, the dot, the extension.
    if (name.size() < ext.size() + 2) return false;
    const size_t dot = name.size() - ext.size() - 1;
    if (name[dot] != '.') return false;
    for (size_t i = 0; i < ext.size(); ++i)
        if (upperAscii(name[dot + 1 + i]) != upperAscii(ext[i])) return false;
    return true;
}

// Local time broken down from Unix seconds.
std::tm localTm(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

int32_t dosDateTime(uint64_t fileTime) {
    if (fileTime < kEpochDiff) return 0;
    std::tm tm = localTm(static_cast<int64_t>((fileTime - kEpochDiff) / 10000000ULL));
    if (tm.tm_year < 80) return 0;
    const uint32_t date = ((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday;
    const uint32_t time = (tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2);
    return static_cast<int32_t>((date << 16) | time);
}

double daysFromCivil(int y, unsigned m, unsigned d) {
    // Days since 1970-01-01 of a proleptic Gregorian date.
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097.0 + static_cast<double>(doe) - 719468.0;
}

TDateTime localDateTime(int64_t seconds, uint32_t hundredNs) {
    std::tm tm = localTm(seconds);
    const double days = daysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    const double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + hundredNs / 1e7;
    return kUnixEpochAsDateTime + days + secs / 86400.0;
}

} // namespace

TDateTime FileTimeToDateTime(uint64_t fileTime) {
    if (fileTime == 0) return 0;
    const int64_t units = static_cast<int64_t>(fileTime) - static_cast<int64_t>(kEpochDiff);
    int64_t seconds = units / 10000000;
    int64_t rest = units % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    return localDateTime(seconds, static_cast<uint32_t>(rest));
}

TDateTime NowAsDateTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return localDateTime(ts.tv_sec, static_cast<uint32_t>(ts.tv_nsec / 100));
}

TFindFile::TFindFile() : CheckedTime(NowAsDateTime()) {}

int TFindFile::Execute() {
    if (FolderName.empty()) return -1;
    FoundCount_ = 0;
    CancelFlag_ = false;
    SearchFolder(FolderName);
    return FoundCount_;
}

void TFindFile::SearchFolder(const std::string& folder) {
    std::string base = folder;
    // "/" is never a trail byte of a double-byte character, so a byte test is a character test.
    if (!base.empty() && base.back() == '/') base.pop_back();
    const std::string prefix = base + "/";
    auto entries = listFolder(prefix, CheckTimeIs == tmNone ? Detail : FindDetail::Full);
    if (!entries || entries->empty()) return;
    for (const FindData& e : *entries) {
        if (OnIdle)
            OnIdle();
        else
            PumpMessages();
        if (CancelFlag_) return;
        if (e.attributes & fileattr::Directory) {
            // Links to folders are never followed, so a link to a parent cannot loop.
            if (IsFindSub && !e.name.starts_with('.') && !(e.attributes & fileattr::ReparsePoint))
                SearchFolder(prefix + e.name + "/");
            continue;
        }
        if (!FileMask.empty() && !MatchesAnyMask(e.name)) continue;
        if (CheckTimeIs != tmNone) {
            const uint64_t ft = CheckTimeKind == tmCreate       ? e.creationTime
                                : CheckTimeKind == tmLastAccess ? e.lastAccessTime
                                                                : e.lastWriteTime;
            const TDateTime t = FileTimeToDateTime(ft);
            if (CheckTimeIs == tmOlder ? !(t < CheckedTime) : !(t > CheckedTime)) continue;
        }
        ++FoundCount_;
        if (OnFind) {
            TSearchRec rec;
            rec.Time = dosDateTime(e.lastWriteTime);
            rec.Size = e.size;
            rec.Attr = e.attributes;
            rec.Name = e.name;
            rec.FindData = e;
            OnFind(e.name, prefix, rec, CancelFlag_);
        }
    }
}

bool TFindFile::MatchesAnyMask(std::string_view name) const {
    for (const auto& mask : FileMask)
        if (MatchMask(name, mask)) return true;
    return false;
}

bool MatchMask(std::string_view name, std::string_view mask) {
    if (const std::optional<bool> match = matchPlainExtension(name, mask)) return *match;
    return MatchMaskByCharacters(name, mask);
}

bool MatchMaskByCharacters(std::string_view name, std::string_view mask) {
    const std::string upName = upperSingleBytes(name), upMask = upperSingleBytes(mask);
    std::string_view nName, nExt, mName, mExt;
    splitAtLastDot(upName, nName, nExt);
    splitAtLastDot(upMask, mName, mExt);
    if (nName.empty() || mName.empty()) return false;
    if (mask == "*" || mask == "*.*") return true;
    return MatchWild(nName, mName) && MatchWild(nExt, mExt);
}

bool MatchWild(std::string_view subject, std::string_view pattern) {
    if (!pattern.empty() && pattern.front() == '*')
        return pattern.size() == 1 || MatchWildReverse(subject, pattern);
    size_t j = 0;
    for (size_t i = 0; i < subject.size(); ++i, ++j) {
        if (j >= pattern.size()) return false;
        if (pattern[j] == '*') {
            if (j + 1 == pattern.size()) return true;
            return MatchWildReverse(subject.substr(i), pattern.substr(j));
        }
        if (pattern[j] != '?' && pattern[j] != subject[i]) return false;
    }
    return j == pattern.size() || pattern[j] == '*';
}

bool MatchWildReverse(std::string_view subject, std::string_view pattern) {
    // Walks both from their ends.
    size_t i = subject.size(), j = pattern.size();
    while (i > 0) {
        if (j == 0) return false;
        const char p = pattern[j - 1];
        if (p == '*') return true;
        if (p != '?' && p != subject[i - 1]) return false;
        --i;
        --j;
    }
    return j == 0 || pattern[j - 1] == '*';
}

} // namespace mv
