#pragma once
// `markvane --open FILE.url...`, the command the desktop runs for a double-clicked shortcut
// file: each file's URL goes to the default browser and no window is shown.

#include <optional>
#include <string>

namespace mv {

// Nothing when the arguments are no --open command; else the exit code: 0 when every file
// was handed to the browser.
std::optional<int> RunOpenCommand(int argc, char** argv);

// Opens one file's URL: only http, https and ftp addresses with a host; anything else, or a
// file that cannot be read, is refused with a message naming the file. `path` is the file's
// name as the system spells it.
bool OpenShortcutFile(const std::string& path);

} // namespace mv
