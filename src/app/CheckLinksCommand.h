#pragma once
// The command-line form "markvane --check-links FOLDER [--json]": checks every favorite under
// FOLDER without opening a window, prints the results as a table or as JSON, and exits with 1
// when a link is dead (2 when it cannot check), so it can run from cron.

#include "web/LinkChecker.h"

#include <optional>
#include <ostream>
#include <string>

namespace mv {

// The exit status when the arguments are the link-check form; nothing when they are not.
std::optional<int> RunCheckLinksCommand(int argc, char** argv);

// The form's work: `folder` searched with its subfolders, favorites in path order.
int CheckLinks(const std::string& folder, bool json, std::ostream& out, std::ostream& err,
               const LinkCheckLimits& limits = {});

} // namespace mv
