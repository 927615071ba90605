#include "lha_test_support.h"

#include "file_io.h"
#include "header_reader.h"
#include "run.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lha::test {

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "lhatest.XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only folders behind; open them up before removing.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

ToolResult runTool(const std::vector<std::string>& argv, const fs::path& cwd) {
    TempDir io;
    const std::string outPath = (io.path() / "out").string();
    const std::string errPath = (io.path() / "err").string();
    // Everything the child needs is prepared before fork: only async-signal-safe calls follow.
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        const int o = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::dup2(in, 0);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ToolResult r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(outPath);
    r.err = readFile(errPath);
    return r;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& p, const std::string& data) {
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << data;
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it)
        if (it->is_regular_file())
            files[fs::relative(it->path(), root).string()] = readFile(it->path());
    return files;
}

fs::path testData() {
    const char* d = std::getenv("MARKVANE_TESTDATA");
    return d ? fs::path(d) : fs::path();
}

std::string programCommandLine(const std::string& archive, const std::string& base,
                               const std::vector<std::string>& names) {
    // As the program's builder writes it: the switches, an empty user-options slot (a lone
    // blank), the quoted archive and base folder, the quoted names, an empty file-list slot.
    std::string cmd = "u -+ -p1 -x1 -jso1 ";
    cmd += " \"" + archive + "\"";
    cmd += " \"" + base + (base.ends_with('/') ? "" : "/") + "\"";
    for (const auto& n : names)
        cmd += " \"" + n + "\"";
    cmd += " ";
    return cmd;
}

RunResult runLha(const std::string& cmdLine) {
    std::string buf(8192, '\xAA');
    RunResult r;
    r.code = runCommand(cmdLine.c_str(), buf.data(), buf.size());
    r.log = buf.c_str();
    return r;
}

std::vector<std::string> archiveNames(const fs::path& arc) {
    FileDescriptor fd(::open(arc.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0) throw std::runtime_error("cannot open " + arc.string());
    std::vector<std::string> names;
    for (const auto& e : readArchive(fd.get(), static_cast<std::uint64_t>(st.st_size)))
        names.push_back(e.path);
    return names;
}

void setMtime(const fs::path& p, std::int64_t seconds) {
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = static_cast<time_t>(seconds);
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    if (::utimensat(AT_FDCWD, p.c_str(), ts, 0) != 0)
        throw std::runtime_error("utimensat failed for " + p.string());
}

} // namespace lha::test
