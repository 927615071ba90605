#include "web/StatusLine.h"

namespace mv {

int StatusCodeOf(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' ||
                             line.back() == '\t'))
        line.remove_suffix(1);
    const auto space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    std::string_view rest = line.substr(space);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    if (rest.size() < 3 || (rest.size() > 3 && rest[3] != ' ')) return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (rest[i] < '0' || rest[i] > '9') return 0;
        code = code * 10 + (rest[i] - '0');
    }
    return code >= 100 ? code : 0;
}

} // namespace mv
