#include "pathcase.h"

#include "codepage.h"

#include <QString>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace mv {
namespace {

bool exists(const std::string& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` without regard to case; exact match first.
std::string findNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return {};
    const QString wanted = toQt(name);
    std::string found;
    while (dirent* e = ::readdir(dir)) {
        if (wanted.compare(toQt(e->d_name), Qt::CaseInsensitive) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::string resolvePathCase(const std::string& path) {
    if (path.empty() || exists(path)) return path;
    // Peel components off the end until an existing folder is reached.
    std::vector<std::string> tail;
    std::string head = path;
    while (!head.empty() && !exists(head)) {
        auto slash = head.rfind('/');
        if (slash == std::string::npos) {
            tail.push_back(head);
            head.clear();
            break;
        }
        tail.push_back(head.substr(slash + 1));
        head = head.substr(0, slash);
        if (head.empty() && path.front() == '/') break; // reached the root "/"
    }
    std::string resolved = head;
    for (auto it = tail.rbegin(); it != tail.rend(); ++it) {
        if (it->empty()) return path;
        const std::string folder = resolved.empty() ? (path.front() == '/' ? "/" : ".") : resolved;
        std::string match = findNoCase(folder, *it);
        if (match.empty()) return path;
        resolved = (resolved.empty() && path.front() != '/') ? match : resolved + "/" + match;
    }
    return resolved;
}

} // namespace mv
