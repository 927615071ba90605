#include "VersionOption.h"

#include "platform/versioninfo.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace mv {

namespace {
constexpr int kProductName = 9;
constexpr int kProductVersion = 10;
} // namespace

std::optional<int> HandleVersionOption(int argc, const char* const* argv) {
    if (argc != 2 || std::strcmp(argv[1], "--version") != 0) return std::nullopt;
    const std::string line =
        GetVersionString(kProductName) + " " + GetVersionString(kProductVersion) + "\n";
    // A closed or full standard output is a failure the caller should see.
    if (std::fputs(line.c_str(), stdout) < 0 || std::fflush(stdout) != 0) return 1;
    return 0;
}

} // namespace mv
