// The commands that write archives: u (add new files, replace older archived copies),
// a (add, replacing whatever is archived) and f (replace older archived copies only).
// Entries not replaced are copied byte for byte; the new archive replaces the old one only
// when it is complete.
#pragma once

#include "archive_output.h"
#include "command_line.h"
#include "lh5_encoder.h"
#include "output_log.h"

#include <functional>
#include <memory>
#include <string>

namespace lha {

using OutputFactory = std::function<std::unique_ptr<ArchiveOutput>(const std::string& target,
                                                                   const struct stat* oldArchive)>;

struct UpdateStats {
    unsigned added = 0;
    unsigned replaced = 0;
    unsigned unchanged = 0; // old entries copied as they were
    unsigned notNewer = 0;  // files skipped because the archived copy is not older
    bool written = false;   // false when there was nothing to do
};

// Runs u, a or f for a parsed command line. Throws LhaError; the archive is then untouched.
UpdateStats updateArchive(const CommandLine& cl, OutputLog& log, const Lh5Tuning& tuning = {},
                          const OutputFactory& makeOutput = {});

} // namespace lha
