#include "SubPath.h"

#include "platform/codepage.h"

namespace mv {

std::string PathBelow(const std::string& folder, const std::string& name) {
    std::string rest = name;
    const CodePage& cp = CodePage::active();
    for (size_t i = 0; i < rest.size(); i += cp.charLength(rest, i))
        if (rest[i] == '\\') rest[i] = '/';
    return folder + "/" + rest;
}

} // namespace mv
