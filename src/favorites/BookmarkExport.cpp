#include "BookmarkExport.h"

#include "ShortcutFile.h"
#include "platform/codepage.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace mv {
namespace {

bool endsWithUrl(const std::string& name) {
    constexpr std::string_view ext = ".url";
    if (name.size() <= ext.size()) return false;
    return std::equal(ext.begin(), ext.end(), name.end() - ext.size(), [](char a, char b) {
        return a == (b >= 'A' && b <= 'Z' ? char(b - 'A' + 'a') : b);
    });
}

// Birth time where the file system keeps one, else the last change; and the last change.
void setDates(BookmarkNode& node, const std::string& path) {
    struct statx st {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_MTIME | STATX_BTIME, &st) != 0) return;
    node.lastModified = st.stx_mtime.tv_sec;
    node.addDate = (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec;
}

BookmarkNode favoriteOf(const std::string& path, const std::string& fileName) {
    const CodePage& cp = CodePage::active();
    const ShortcutValues values = ReadShortcutValues(path);
    BookmarkNode node;
    node.title = cp.toUtf8(SiteNameOf(fileName));
    node.url = cp.toUtf8(values.Url);
    node.description = cp.toUtf8(values.Comment);
    setDates(node, path);
    return node;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void collect(BookmarkNode& into, const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    // Folders first, then favorites, each by name as the tree and the listing show them.
    const CodePage& cp = CodePage::active();
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return cp.compareNoCase(a, b) < 0;
    });
    std::vector<BookmarkNode> favorites;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            BookmarkNode sub;
            sub.isFolder = true;
            sub.title = cp.toUtf8(name);
            setDates(sub, path);
            collect(sub, path);
            into.children.push_back(std::move(sub));
        } else if (endsWithUrl(name) && SiteNameOf(name).size() > 0) {
            favorites.push_back(favoriteOf(path, name));
        }
    }
    for (BookmarkNode& f : favorites)
        into.children.push_back(std::move(f));
}

void escapeInto(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
}

void dates(std::string& out, const BookmarkNode& node) {
    if (node.addDate > 0) out += " ADD_DATE=\"" + std::to_string(node.addDate) + "\"";
    if (node.lastModified > 0)
        out += " LAST_MODIFIED=\"" + std::to_string(node.lastModified) + "\"";
}

void writeList(std::string& out, const BookmarkNode& folder, int level) {
    const std::string indent(size_t(level) * 4, ' ');
    out += indent + "<DL><p>\n";
    for (const BookmarkNode& node : folder.children) {
        out += indent + "    <DT>";
        if (node.isFolder) {
            out += "<H3";
            dates(out, node);
            out += ">";
            escapeInto(out, node.title);
            out += "</H3>\n";
        } else {
            out += "<A HREF=\"";
            escapeInto(out, node.url);
            out += "\"";
            dates(out, node);
            out += ">";
            escapeInto(out, node.title);
            out += "</A>\n";
        }
        if (!node.description.empty()) {
            out += indent + "    <DD>";
            escapeInto(out, node.description);
            out += "\n";
        }
        if (node.isFolder) writeList(out, node, level + 1);
    }
    out += indent + "</DL><p>\n";
}

} // namespace

BookmarkNode CollectFavorites(const std::string& folder) {
    BookmarkNode root;
    root.isFolder = true;
    root.title = CodePage::active().toUtf8(fileNameOf(folder));
    collect(root, folder);
    return root;
}

BookmarkNode CollectFavoriteFiles(const std::vector<std::string>& paths) {
    BookmarkNode root;
    root.isFolder = true;
    for (const std::string& path : paths)
        root.children.push_back(favoriteOf(path, fileNameOf(path)));
    return root;
}

std::string BookmarkFileText(const BookmarkNode& root) {
    std::string out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                      "<!-- This is an automatically generated file.\n"
                      "     It will be read and overwritten.\n"
                      "     DO NOT EDIT! -->\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                      "<TITLE>Bookmarks</TITLE>\n"
                      "<H1>Bookmarks</H1>\n";
    writeList(out, root, 0);
    return out;
}

} // namespace mv
