#pragma once
// How a name typed by the user names something below a folder: a "\" separates folders, as
// in the Windows Favorites folder. The add-site dialog and the new-folder command share it.

#include <string>

namespace mv {

// `folder` + "/" + `name`, each single-byte "\" of `name` taken as "/". In Shift-JIS the byte
// 0x5C also ends characters like "ソ"; those stay as they are.
std::string PathBelow(const std::string& folder, const std::string& name);

} // namespace mv
