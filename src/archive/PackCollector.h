#pragma once
// The component-side filter: finds the files to pack itself, so the archiver library gets an
// explicit, sorted list of names and neither recurses nor filters again.

#include "ArchiverOptions.h"
#include "LeftOut.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// Called for each newly collected name; setting the flag stops the collection at once.
using TCollectProgress = std::function<void(const std::string& name, bool& abort)>;

class TPackCollector {
public:
    // `baseDir` is the folder relative masks and names start from (empty: the current folder),
    // in the program's code page like the masks. The process's current folder is never changed.
    TPackCollector(std::string baseDir, TCollectProgress progress = {});

    // Collects the files the masks name under the rules of `options` (a, r, p, jo, job, jx),
    // then adjusts `options` so the library does not filter again: r unset, jo and job unset,
    // p 1. Names are in the program's code page ("?" for a character without a form there),
    // sorted and unique without regard to case. A matching entry that cannot be read is left
    // out and listed in LeftOut(). Throws mv::Error when the base folder does not exist or a
    // date bound is malformed.
    std::vector<std::string> Collect(TArchiverOptions& options,
                                     const std::vector<std::string>& masks);
    bool Aborted() const { return aborted_; }
    // The collected names as the disk spells them, in the same order: exact where the
    // program's code page has no form for a character.
    const std::vector<std::string>& DiskNames() const { return diskNames_; }
    // What matched but was left out, sorted by name.
    const TLeftOutList& LeftOut() const { return leftOut_; }

private:
    struct Pass;
    void WalkMask(Pass& pass, const std::string& mask);
    void Walk(Pass& pass, const std::string& dir, const std::string& mask);
    std::string OnDisk(const std::string& dir) const;

    std::string baseDir_;
    TCollectProgress progress_;
    bool aborted_ = false;
    TLeftOutList leftOut_;
    std::vector<std::string> diskNames_;
    const TArchiverOptions* options_ = nullptr;
    uint32_t fileAttr_ = 0;
    std::optional<int64_t> lowerBound_, upperBound_;
};

// Wildcard match of one file name the way the Windows find functions match: "*" any run,
// "?" one character (a double-byte character counts as one), ASCII letters without regard to
// case, "*.*" everything, a mask ending in "." only names without a dot.
bool MatchFileMask(std::string_view name, std::string_view mask);

// A date bound as YYYYMMDDhhmmss: an optional leading "l", then 6 or 12 digits (two-digit
// year) or 8 or 14 digits; `defaultTime` (hhmmss) when the time is missing. Nothing for the
// not-set text or any other length; throws mv::Error for a position that is not a number or
// a date that does not exist.
std::optional<int64_t> ParseDateBound(const std::string& text, int defaultTime);

} // namespace mv
