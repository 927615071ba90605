// Helpers for the archiver tests: temporary folders, running the peer tools, reading trees.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace lha::test {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

struct ToolResult {
    int status = -1; // exit status, or -1 when the tool could not run
    std::string out;
    std::string err;
};

// Runs argv[0] (searched on PATH) in `cwd`, capturing both outputs.
ToolResult runTool(const std::vector<std::string>& argv, const fs::path& cwd = {});

std::string readFile(const fs::path& p);
void writeFile(const fs::path& p, const std::string& data);

// Every regular file below root: relative path bytes -> content.
std::map<std::string, std::string> readTree(const fs::path& root);

// The testdata folder (MARKVANE_TESTDATA), or empty when not set.
fs::path testData();

// The command line the program sends: u -+ -p1 -x1 -jso1  "arc" "base/" "n1" ... "nk" .
std::string programCommandLine(const std::string& archive, const std::string& base,
                               const std::vector<std::string>& names);

struct RunResult {
    int code = 0;
    std::string log;
};
// Calls the library's command function with an 8 KiB output buffer.
RunResult runLha(const std::string& cmdLine);

// The entry names of an archive as this library reads them back, in order.
std::vector<std::string> archiveNames(const fs::path& arc);

// Sets the modification time (seconds) of a file.
void setMtime(const fs::path& p, std::int64_t seconds);

// A response file in the library's exact list form: a UTF-8 byte order mark, then one name
// a line.
inline std::string exactList(const std::vector<std::string>& names) {
    std::string text = "\xEF\xBB\xBF";
    for (const auto& n : names)
        text += n + "\n";
    return text;
}

} // namespace lha::test
