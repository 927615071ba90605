// One call of the library: parse, dispatch, log. Behind the exported C functions.
#pragma once

#include <cstddef>

namespace lha {

constexpr unsigned short kVersion = 100; // 1.00

// Runs `cmdLine`; writes the log into output (size bytes, null-terminated). Never throws.
int runCommand(const char* cmdLine, char* output, std::size_t size);

// Calls of runCommand in progress in this process.
int runningCalls();

} // namespace lha
