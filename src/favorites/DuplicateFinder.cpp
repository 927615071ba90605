#include "DuplicateFinder.h"

#include "FindFile.h"
#include "FolderListing.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

namespace mv {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

std::string_view defaultPort(std::string_view scheme) {
    if (scheme == "http") return "80";
    if (scheme == "https") return "443";
    if (scheme == "ftp") return "21";
    return {};
}

std::int64_t modifiedNs(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

struct Walk {
    std::string root;
    std::map<std::string, std::vector<DuplicateItem>> byUrl;
    bool keepFragment = false;
    DuplicateReport report;

    // `relative` is "" for the root, else "a/b".
    void folder(const std::string& relative) {
        const std::string dirPath = relative.empty() ? root : root + "/" + relative;
        std::error_code ec;
        std::filesystem::directory_iterator it(dirPath, ec), end;
        if (ec) return; // unreadable: neither empty nor searched
        bool any = false;
        std::vector<std::string> subfolders;
        for (; it != end; it.increment(ec)) {
            any = true;
            const std::string name = it->path().filename().string();
            std::error_code typeError;
            if (it->is_directory(typeError) && !it->is_symlink(typeError)) {
                subfolders.push_back(relative.empty() ? name : relative + "/" + name);
            } else if (MatchMask(name, "*.url") && it->is_regular_file(typeError)) {
                FavoriteEntry e = ReadFavorite(dirPath + "/", name, 0);
                ++report.Favorites;
                if (!e.Readable || e.Url.empty()) continue;
                std::string key = NormalizeUrl(e.Url, keepFragment);
                if (key.empty()) continue;
                DuplicateItem item{e.Path, relative, std::move(e.SiteName), std::move(e.Url), 0};
                byUrl[std::move(key)].push_back(std::move(item));
            }
            if (ec) break;
        }
        if (!any && !relative.empty()) report.EmptyFolders.push_back(relative);
        for (const std::string& sub : subfolders)
            folder(sub);
    }
};

} // namespace

std::string NormalizeUrl(std::string_view url, bool keepFragment) {
    const auto blankOrControl = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!url.empty() && blankOrControl(url.front()))
        url.remove_prefix(1);
    while (!url.empty() && blankOrControl(url.back()))
        url.remove_suffix(1);
    if (!keepFragment) url = url.substr(0, url.find('#'));

    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0) return std::string(url);
    const std::string scheme = lowered(url.substr(0, schemeEnd));
    std::string_view rest = url.substr(schemeEnd + 3);
    const auto authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view path = rest.substr(authorityEnd);

    std::string_view userInfo;
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        userInfo = authority.substr(0, at + 1);
        authority.remove_prefix(at + 1);
    }
    // The port follows the last ':' that is not inside an IPv6 "[...]".
    std::string_view host = authority;
    std::string_view port;
    if (const auto colon = authority.rfind(':');
        colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }

    std::string out = scheme + "://";
    out += userInfo;
    out += lowered(host);
    if (!port.empty() && port != defaultPort(scheme)) {
        out += ':';
        out += port;
    }
    if (path.empty() || path.front() != '/') out += '/';
    out += path;
    return out;
}

DuplicateReport FindDuplicates(const std::string& root, bool keepFragment) {
    Walk walk;
    walk.root = root;
    while (walk.root.size() > 1 && walk.root.back() == '/')
        walk.root.pop_back();
    walk.keepFragment = keepFragment;
    walk.folder({});
    for (auto& [key, items] : walk.byUrl) {
        if (items.size() < 2) continue;
        for (DuplicateItem& item : items)
            item.Modified = modifiedNs(item.Path);
        std::sort(items.begin(), items.end(), [](const DuplicateItem& a, const DuplicateItem& b) {
            return a.Modified != b.Modified ? a.Modified < b.Modified : a.Path < b.Path;
        });
        walk.report.Groups.push_back({key, std::move(items)});
    }
    std::sort(walk.report.EmptyFolders.begin(), walk.report.EmptyFolders.end());
    return std::move(walk.report);
}

} // namespace mv
