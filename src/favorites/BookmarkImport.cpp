#include "BookmarkImport.h"

#include "ShortcutFile.h"
#include "WindowsNames.h"
#include "platform/codepage.h"
#include "platform/error.h"

#include <QScopeGuard>
#include <QString>
#include <QUrl>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace mv {
namespace {

// Deeper markup is read as if it were flat: the tree's walk, and every walk of the result,
// stays far from the stack's end.
constexpr int kMaxDepth = 256;

const xmlChar* xml(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

bool is(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, xml(name)) == 0;
}

// Control characters as spaces, blanks at both ends gone.
std::string cleaned(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Elements that shape the tree; their text is never part of a title.
bool structural(const xmlNode* node) {
    for (const char* name : {"a", "h3", "dt", "dd", "dl", "hr"})
        if (is(node, name)) return true;
    return false;
}

void appendText(const xmlNode* node, std::string& out, int depth) {
    for (const xmlNode* c = node->children; c; c = c->next) {
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            out += reinterpret_cast<const char*>(c->content);
        else if (c->type == XML_ELEMENT_NODE && !structural(c) && depth < kMaxDepth)
            appendText(c, out, depth + 1);
    }
}

// The text of an item, without what the parser put inside it from the items after it (an
// unclosed <A>, a <DD> holding the list that follows).
std::string textOf(const xmlNode* node) {
    std::string text;
    appendText(node, text, 0);
    return cleaned(std::move(text));
}

std::string attribute(const xmlNode* node, const char* name) {
    // The HTML parser gives attribute names in lower case, however the file spells them.
    std::unique_ptr<xmlChar, decltype(xmlFree)> value(xmlGetProp(node, xml(name)), xmlFree);
    return value ? cleaned(reinterpret_cast<const char*>(value.get())) : std::string();
}

std::int64_t dateAttribute(const xmlNode* node, const char* name) {
    const std::string text = attribute(node, name);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value > 0 ? value : 0;
}

// The document in order: <H3> names a folder whose list is the next <DL>, <A> is a bookmark
// of the list we are in, <DD> describes the item before it. Where the parser put each element
// after closing what the file left open does not matter, only the order.
class Reader {
public:
    explicit Reader(BookmarkNode& root) { lists_.push_back(&root); }

    void visit(const xmlNode* node, int depth) {
        for (; node; node = node->next) {
            if (node->type != XML_ELEMENT_NODE) continue;
            if (is(node, "h3")) {
                BookmarkNode folder;
                folder.isFolder = true;
                folder.title = textOf(node);
                folder.addDate = dateAttribute(node, "add_date");
                folder.lastModified = dateAttribute(node, "last_modified");
                last_ = pending_ = add(std::move(folder));
                if (depth < kMaxDepth) visit(node->children, depth + 1);
                continue;
            }
            if (is(node, "a")) {
                BookmarkNode bookmark;
                bookmark.title = textOf(node);
                bookmark.url = attribute(node, "href");
                bookmark.addDate = dateAttribute(node, "add_date");
                bookmark.lastModified = dateAttribute(node, "last_modified");
                last_ = add(std::move(bookmark));
                pending_ = nullptr;
                if (depth < kMaxDepth) visit(node->children, depth + 1);
                continue;
            }
            if (is(node, "dd") && last_) {
                last_->description = textOf(node);
                last_ = nullptr;
            }
            if (depth >= kMaxDepth) continue;
            if (is(node, "dl")) {
                lists_.push_back(pending_ ? pending_ : lists_.back());
                pending_ = nullptr;
                visit(node->children, depth + 1);
                lists_.pop_back();
                pending_ = nullptr;
                continue;
            }
            visit(node->children, depth + 1);
        }
    }

private:
    // Added items stay where they are: a folder's children grow only while it is the last
    // item of its list or the list being read, and then no pointer to a later sibling exists.
    BookmarkNode* add(BookmarkNode node) {
        std::vector<BookmarkNode>& children = lists_.back()->children;
        children.push_back(std::move(node));
        return &children.back();
    }

    std::vector<BookmarkNode*> lists_;
    BookmarkNode* pending_ = nullptr;
    BookmarkNode* last_ = nullptr;
};

// Text in the program's bytes; each character the code page has no form for becomes
// `missing`.
std::string programBytes(const QString& text, const QString& missing) {
    const CodePage& cp = CodePage::active();
    if (auto exact = cp.fromQString(text)) return *exact;
    QString kept;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        kept += cp.fromQString(one) ? one : missing;
    }
    return cp.fromQStringLossy(kept);
}

std::string nameBytes(const QString& name) {
    return programBytes(name, QStringLiteral("_"));
}

class Writer {
public:
    Writer(size_t total, const ImportProgress& progress) : total_(total), progress_(progress) {}

    void writeChildren(const BookmarkNode& from, const std::string& folder, FolderNames names) {
        for (const BookmarkNode& node : from.children) {
            if (node.isFolder)
                writeFolder(node, folder, names);
            else
                writeBookmark(node, folder, names);
        }
    }

    ImportSummary summary;

private:
    void writeFolder(const BookmarkNode& node, const std::string& folder, FolderNames& names) {
        QString base = ValidWindowsName(QString::fromUtf8(node.title));
        if (base.isEmpty()) base = QStringLiteral("新しいフォルダ");
        base = toQt(nameBytes(base));
        for (;;) {
            const QString name = names.Unique(base, {});
            names.Take(name);
            const std::string path = folder + "/" + fromQt(name);
            if (::mkdir(path.c_str(), 0777) == 0) {
                ++summary.folders;
                writeChildren(node, path, FolderNames());
                return;
            }
            if (errno == EEXIST) continue; // made meanwhile: the next number
            summary.failed.push_back(path);
            skip(CountBookmarks(node));
            return;
        }
    }

    void writeBookmark(const BookmarkNode& node, const std::string& folder, FolderNames& names) {
        const auto step = qScopeGuard([this] { skip(1); });
        if (!IsWebBookmark(node.url)) {
            ++summary.leftOut;
            return;
        }
        const QString url = QString::fromUtf8(node.url);
        QString base = ValidWindowsName(QString::fromUtf8(node.title));
        if (base.isEmpty()) base = ValidWindowsName(QUrl(url).host());
        if (base.isEmpty()) base = QStringLiteral("無題");
        base = toQt(nameBytes(base));
        // A URL the code page cannot hold is written in its percent-encoded form.
        std::optional<std::string> urlBytes = CodePage::active().fromQString(url);
        if (!urlBytes) urlBytes = QUrl(url, QUrl::TolerantMode).toEncoded().toStdString();
        const std::string comment =
            programBytes(QString::fromUtf8(node.description), QStringLiteral("?"));
        for (;;) {
            const QString name = names.Unique(base, QStringLiteral(".url"));
            names.Take(name);
            const std::string path = folder + "/" + fromQt(name);
            try {
                if (!CreateNewShortcut(path, *urlBytes, comment, false)) continue;
            } catch (const Error&) {
                summary.failed.push_back(path);
                return;
            }
            ++summary.favorites;
            setTime(path, node.lastModified ? node.lastModified : node.addDate);
            return;
        }
    }

    static void setTime(const std::string& path, std::int64_t seconds) {
        if (seconds <= 0) return;
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
        if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
            ignoreFailure("the bookmark's date is a nicety; the favorite is made", lastError());
    }

    void skip(size_t n) {
        done_ += n;
        if (progress_) progress_(done_, total_);
    }

    size_t total_;
    size_t done_ = 0;
    const ImportProgress& progress_;
};

} // namespace

BookmarkNode ParseBookmarkFile(std::string_view html) {
    BookmarkNode root;
    root.isFolder = true;
    // Bytes that are not UTF-8 become U+FFFD and NUL a space: the parser then never stops
    // early on them.
    QByteArray text = QString::fromUtf8(html.data(), qsizetype(html.size())).toUtf8();
    text.replace('\0', ' ');
    if (text.size() > INT_MAX) return root;
    xmlInitParser();
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        htmlReadMemory(text.constData(), int(text.size()), nullptr, "UTF-8",
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                           HTML_PARSE_NONET | HTML_PARSE_COMPACT),
        xmlFreeDoc);
    if (!doc) return root;
    Reader(root).visit(xmlDocGetRootElement(doc.get()), 0);
    return root;
}

bool IsWebBookmark(const std::string& url) {
    const QUrl u(QString::fromUtf8(url), QUrl::TolerantMode);
    const QString scheme = u.scheme();
    return u.isValid() && !u.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
            scheme == QLatin1String("ftp"));
}

ImportSummary ImportBookmarks(const BookmarkNode& root, const std::string& folder,
                              const ImportProgress& progress) {
    Writer writer(CountBookmarks(root), progress);
    writer.writeChildren(root, folder, FolderNames(folder));
    // The files were made without a flush each; one flush of the file system makes them all
    // durable at a fraction of the cost.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        if (::syncfs(fd) != 0)
            ignoreFailure("the files are in place; the flush is best effort", lastError());
        ::close(fd);
    }
    return std::move(writer.summary);
}

} // namespace mv
