#pragma once
// Windows file names compare without regard to case; Linux ones do not. A path whose last
// components do not exist as spelled is resolved to the existing entries whose names differ
// only in case, so "Site.url" reaches "Site.URL".

#include <string>

namespace mv {

// `path` itself when it exists (or cannot be resolved); else the existing spelling.
std::string resolvePathCase(const std::string& path);

} // namespace mv
