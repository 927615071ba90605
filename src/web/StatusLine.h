#pragma once
// The status code of an HTTP status line, as the URL probe and the link checker read it.

#include <string_view>

namespace mv {

// "HTTP/1.1 200 OK" -> 200: the three digits after the version, standing alone; 0 when the
// line holds no such code or it is below 100. Blanks and the line end around it are allowed.
int StatusCodeOf(std::string_view line);

} // namespace mv
