#pragma once
// Runs a peer tool for the web benchmarks.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <optional>
#include <string>
#include <vector>

extern char** environ;

// Runs args[0], found on PATH, with its standard output discarded (its error output too when
// `discardErrors`); its exit status, or nothing when it could not be started or did not exit.
inline std::optional<int> RunTool(const std::vector<std::string>& args, bool discardErrors) {
    std::vector<char*> argv;
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    if (discardErrors) posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return std::nullopt;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}
