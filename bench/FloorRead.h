#pragma once
// The floor the favorites benchmarks compare against: each file's bytes read once, nothing else.

#include "platform/atomicfile.h"

#include <string>
#include <vector>

// Reads every file whole, one after the other; the bytes read, so the work is kept.
inline size_t ReadEachFileOnce(const std::vector<std::string>& paths) {
    std::string content;
    size_t bytes = 0;
    for (const auto& p : paths) {
        mv::readFile(p, content);
        bytes += content.size();
    }
    return bytes;
}
