#pragma once
// The archiver switches and the component's filter settings. A switch is a signed byte where
// -1 means "not set" (nothing is emitted); a text option holds NotSetText() while unset.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace mv {

// The text an unset text option holds: one character of code 0. Distinct from the empty
// text, which some options use as a real value.
const std::string& NotSetText();
inline bool IsNotSet(const std::string& s) {
    return s.size() == 1 && s[0] == '\0';
}

// Who filters the files to pack: the archiver library, or the component's own collector.
enum TPackFilter { pfArchiver, pfComponent };

// Operations that may hand their file list over in a response file.
enum TResFileUse { ruOnPack, ruOnUnpack, ruOnRemoveItem, ruOnUpdate };

class TResFileUsage {
public:
    TResFileUsage() = default;
    TResFileUsage(std::initializer_list<TResFileUse> uses) {
        for (TResFileUse u : uses)
            Include(u);
    }
    bool Contains(TResFileUse u) const { return bits_ & bit(u); }
    void Include(TResFileUse u) { bits_ |= bit(u); }
    void Exclude(TResFileUse u) { bits_ &= static_cast<uint8_t>(~bit(u)); }
    bool operator==(const TResFileUsage&) const = default;

private:
    static uint8_t bit(TResFileUse u) { return static_cast<uint8_t>(1u << u); }
    uint8_t bits_ = 0;
};

class TArchiverOptions {
public:
    TArchiverOptions() { Reset(); }

    // Every switch unset, every text the not-set text, lists and free texts empty.
    void Reset();
    // Copies every property (the exclusion list line by line).
    void Assign(const TArchiverOptions& source) { *this = source; }
    bool operator==(const TArchiverOptions&) const = default;

    int8_t a, c, e, f, h, i, l, m, n, o, p, r, s, t, u;
    std::string w;
    int8_t x, y, z, jc, jd, je, jf, jh, ji, jm, jn;
    std::string jo, job; // date bounds: files not older than jo, not newer than job
    int8_t jp, jr, jsb, jsc, jsd, jse, jsf, jsl, jso, jss, jst, jsv, jsz, jw;
    std::vector<std::string> jx; // exclusion masks
    int8_t jyc, jyd, jyk, jyn, jyo;
    std::string jz;
    int8_t ga, gd, ge, gf, gj, gm, gn, go, gp;
    std::string gr;
    int8_t gs, gu, gw;

    std::string UserOptions;  // appended to the switches as it is
    std::string UserFileList; // appended after the file names as it is
    TPackFilter PackFilter;
    std::string ResFileName;
    TResFileUsage ResFileUsage;
};

} // namespace mv
