// Packs a generated tree of 10,000 favorites and a 20 MiB text corpus with this library,
// with jlha (c2o5: level-2 headers, -lh5-) and with gzip -6 (one member per file), and prints
// time, throughput and size side by side.
#include "fixtures/corpus.h"
#include "run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// User and system CPU seconds of this process or of its waited-for children.
double cpuSeconds(int who) {
    rusage ru{};
    ::getrusage(who, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Runs argv in cwd with stdout to `out` (or /dev/null); returns the exit status.
int run(const std::vector<std::string>& argv, const fs::path& cwd, const std::string& out) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int o =
            ::open(out.empty() ? "/dev/null" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int n = ::open("/dev/null", O_WRONLY);
        ::dup2(o, 1);
        ::dup2(n, 2);
        if (::chdir(cwd.c_str()) != 0) ::_exit(126);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Result {
    double time = 0;
    double cpu = 0;
    std::uintmax_t size = 0;
    bool ok = false;
};

Result packOurs(const fs::path& base, const std::vector<std::string>& names, const fs::path& arc) {
    fs::remove(arc);
    // The program's form, with the names in a response file instead of on the line.
    const fs::path list = arc.string() + ".list";
    {
        std::ofstream l(list, std::ios::binary);
        for (const auto& n : names)
            l << '"' << n << "\"\r\n";
    }
    const std::string cmd = "u -+ -p1 -x1 -jso1  \"" + arc.string() + "\" \"" + base.string() +
                            "/\" \"@" + list.string() + "\" ";
    std::string log(8192, 0);
    const double cpu = cpuSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    const int rc = lha::runCommand(cmd.c_str(), log.data(), log.size());
    Result r{seconds(start), cpuSeconds(RUSAGE_SELF) - cpu, 0, rc == 0};
    if (rc != 0) std::fprintf(stderr, "ours failed: %s\n", log.c_str());
    fs::remove(list);
    r.size = fs::file_size(arc);
    return r;
}

Result packJlha(const fs::path& base, const std::vector<std::string>& names, const fs::path& arc) {
    fs::remove(arc);
    std::vector<std::string> argv = {"jlha", "c2o5", arc.string()};
    argv.insert(argv.end(), names.begin(), names.end());
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    const auto start = std::chrono::steady_clock::now();
    const int rc = run(argv, base, "");
    Result r{seconds(start), cpuSeconds(RUSAGE_CHILDREN) - cpu, 0, rc == 0 && fs::exists(arc)};
    // Names starting with "-" are files to jlha too; check that it packed every one.
    if (r.ok) {
        const std::string listing = arc.string() + ".txt";
        run({"lhasa", "l", arc.string()}, base, listing);
        std::ifstream in(listing);
        std::string line, last;
        while (std::getline(in, line))
            if (!line.empty()) last = line;
        r.ok = last.find(" " + std::to_string(names.size()) + " file") != std::string::npos;
        if (!r.ok) std::fprintf(stderr, "jlha packed fewer files: %s\n", last.c_str());
        fs::remove(listing);
    }
    if (r.ok) r.size = fs::file_size(arc);
    return r;
}

Result packGzip(const fs::path& base, const std::vector<std::string>& names, const fs::path& out) {
    // One gzip member per file, like one LHA entry per file; -n leaves names out of them.
    std::vector<std::string> argv = {"gzip", "-6", "-n", "-c", "--"};
    argv.insert(argv.end(), names.begin(), names.end());
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    const auto start = std::chrono::steady_clock::now();
    const int rc = run(argv, base, out.string());
    Result r{seconds(start), cpuSeconds(RUSAGE_CHILDREN) - cpu, 0, rc == 0};
    r.size = fs::file_size(out);
    return r;
}

template <typename F> Result best(int runs, F f) {
    Result b;
    for (int i = 0; i < runs; ++i) {
        Result r = f();
        if (i == 0 || r.time < b.time) b = r;
    }
    return b;
}

void report(const char* dataset, std::uintmax_t input, const char* tool, const Result& r) {
    if (!r.ok) {
        std::printf("%-22s %-8s failed\n", dataset, tool);
        return;
    }
    std::printf("%-18s %-8s %8.3f s wall %8.3f s cpu %7.1f MB/s %11ju bytes %7.2f%%\n", dataset,
                tool, r.time, r.cpu, input / r.time / 1e6, r.size, 100.0 * r.size / input);
}

void bench(const char* dataset, const fs::path& base, const std::vector<std::string>& names,
           const fs::path& work) {
    std::uintmax_t input = 0;
    for (const auto& n : names)
        input += fs::file_size(base / n);
    std::printf("%s: %zu files, %ju bytes\n", dataset, names.size(), input);
    report(dataset, input, "ours",
           best(3, [&] { return packOurs(base, names, work / "ours.lzh"); }));
    report(dataset, input, "jlha",
           best(1, [&] { return packJlha(base, names, work / "jlha.lzh"); }));
    report(dataset, input, "gzip -6",
           best(3, [&] { return packGzip(base, names, work / "gzip.gz"); }));
}

} // namespace

int main(int argc, char** argv) {
    fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "lha_bench";
    fs::remove_all(work);
    fs::create_directories(work);

    {
        // Wall times depend on what else runs; the load shows how much that was.
        std::ifstream load("/proc/loadavg");
        std::string avg;
        std::getline(load, avg);
        std::printf("load average: %s\n", avg.c_str());
    }
    const fs::path favorites = work / "Favorites";
    lha::fixtures::FavoriteTreeOptions opt;
    opt.count = 10000;
    const auto names = lha::fixtures::writeFavoriteTree(favorites, opt);
    bench("10,000 favorites", favorites, names, work);

    const fs::path text = work / "text";
    fs::create_directories(text);
    {
        std::ofstream out(text / "corpus.txt", std::ios::binary);
        out << lha::fixtures::generateText(20u << 20, 1);
    }
    bench("20 MiB text", text, {"corpus.txt"}, work);

    if (argc <= 1) fs::remove_all(work);
    return 0;
}
