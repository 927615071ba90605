#include "modFileAttr.h"

#include "platform/fileattr.h"
#include "platform/pathcase.h"

namespace mv {

bool IsHiddenFile(const std::string& path) {
    const uint32_t attrs = fileattr::get(resolvePathCase(path));
    return attrs != fileattr::Invalid && !(attrs & fileattr::Directory) &&
           (attrs & fileattr::Hidden);
}

void ToggleHiddenAttribute(const std::string& rawPath) {
    const std::string path = resolvePathCase(rawPath);
    const uint32_t attrs = fileattr::get(path);
    if (attrs == fileattr::Invalid || (attrs & fileattr::Directory)) return;
    fileattr::set(path, attrs ^ fileattr::Hidden);
}

} // namespace mv
