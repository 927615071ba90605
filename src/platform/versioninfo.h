#pragma once
// The program's version block, as a Windows version resource holds it: a translation table
// (language, code page) and string tables keyed "\StringFileInfo\<lang><cp>\<Name>".
// The build generates the block; tests may put another in its place.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mv {

struct VersionBlock {
    std::vector<uint32_t> translations;        // low 16 bits language, high 16 bits code page
    std::map<std::string, std::string> values; // full sub-block path to text
};

// The block of the running program, or nothing when it carries none.
const VersionBlock* versionBlock();
// Replaces the block (nullptr: none at all) until `resetVersionBlockForTesting`.
void setVersionBlockForTesting(const VersionBlock* block);
void resetVersionBlockForTesting();

// The value of a sub-block, or nothing.
std::optional<std::string> queryVersionValue(const VersionBlock& block, const std::string& path);

// The key names in index order: 0 "Comments" ... 9 "ProductName", 10 "ProductVersion".
const std::vector<std::string>& versionKeyNames();

// The version text for a key index; empty when the program has no version block or the key
// is missing. Throws mv::Error "情報の取得に失敗しました" when the block has no translation.
std::string GetVersionString(int keyIndex);

} // namespace mv
