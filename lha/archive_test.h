// The t command: decodes every entry and checks its CRC.
#pragma once

#include "command_line.h"
#include "output_log.h"

namespace lha {

struct TestStats {
    unsigned passed = 0;
    unsigned failed = 0;
    unsigned untested = 0; // methods this library cannot decode
};

// Throws LhaError when the archive cannot be read, an entry fails (UNLHA_ERROR_DATA_CRC) or
// uses a method that cannot be checked (UNLHA_ERROR_NOT_SUPPORTED).
TestStats testArchive(const CommandLine& cl, OutputLog& log);

} // namespace lha
