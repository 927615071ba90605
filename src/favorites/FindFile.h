#pragma once
// A file search component: walks a folder (optionally its subfolders) and reports every file
// that passes a list of wildcard masks and an optional time filter, one call per file.

#include "platform/filesearch.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

enum TTimeFunc { tmNone, tmOlder, tmNewer };
enum TTimeKind { tmCreate, tmLastWrite, tmLastAccess };

// Days since 1899-12-30, the fraction the time of day (local time).
using TDateTime = double;

struct TSearchRec {
    int32_t Time = 0; // last write as a DOS date and time, local
    uint64_t Size = 0;
    uint32_t Attr = 0;
    std::string Name;
    ::mv::FindData FindData;
};

// fileName, path (the folder searched, ending in "/"), the file's record, cancel.
using TOnFindEvent =
    std::function<void(const std::string&, const std::string&, const TSearchRec&, bool&)>;

class TFindFile {
public:
    TFindFile();

    std::string FolderName = "/";
    std::vector<std::string> FileMask; // empty: every file
    bool IsFindSub = true;
    TTimeFunc CheckTimeIs = tmNone;
    TTimeKind CheckTimeKind = tmLastWrite;
    TDateTime CheckedTime; // the local date and time at construction
    // Full: each record carries times and size; Attributes: name and attribute word only,
    // which is all a caller that reads the files itself needs (a time filter takes Full).
    FindDetail Detail = FindDetail::Full;
    TOnFindEvent OnFind;
    // Called once per directory entry so the caller can keep its window alive.
    std::function<void()> OnIdle;

    // Searches and returns the number of files reported, or -1 when FolderName is empty.
    int Execute();
    int FoundCount() const { return FoundCount_; }
    bool CancelFlag() const { return CancelFlag_; }

    bool MatchesAnyMask(std::string_view name) const;

private:
    void SearchFolder(const std::string& folder);

    int FoundCount_ = 0;
    bool CancelFlag_ = false;
};

// Windows' mask rules: case-insensitive for ASCII letters, name and extension matched apart
// at the last "." (a name without one is all name); "*" and "*.*" match every name whose part
// before that "." is not empty.
bool MatchMask(std::string_view name, std::string_view mask);
// The same, character by character whatever the mask (MatchMask looks at the name's end alone
// for a plain "*.ext" where that gives the same answer).
bool MatchMaskByCharacters(std::string_view name, std::string_view mask);
bool MatchWild(std::string_view subject, std::string_view pattern);
bool MatchWildReverse(std::string_view subject, std::string_view pattern);

TDateTime FileTimeToDateTime(uint64_t fileTime);
TDateTime NowAsDateTime();

} // namespace mv
