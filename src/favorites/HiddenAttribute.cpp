#include "HiddenAttribute.h"

#include "platform/fileattr.h"
#include "platform/pathcase.h"

namespace mv {

bool IsHiddenFileAttributes(uint32_t attributes) {
    return attributes != fileattr::Invalid && !(attributes & fileattr::Directory) &&
           (attributes & fileattr::Hidden);
}

bool IsHiddenFile(const std::string& path) {
    return IsHiddenFileAttributes(fileattr::get(resolvePathCase(path)));
}

std::error_code ToggleHiddenAttribute(const std::string& rawPath) {
    const std::string path = resolvePathCase(rawPath);
    const uint32_t attrs = fileattr::get(path);
    if (attrs == fileattr::Invalid || (attrs & fileattr::Directory)) return {};
    return fileattr::set(path, attrs ^ fileattr::Hidden);
}

} // namespace mv
