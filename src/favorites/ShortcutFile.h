#pragma once
// Internet Shortcut files (*.url): how a favorite's file is named and the two values the
// program reads and writes in it ("URL" of [InternetShortcut], "Comment" of [Comment]).
//
// Files from Windows are usually CP932 while the program may run in UTF-8. A file starting
// with FF FE is UTF-16LE, one whose bytes are valid UTF-8 (a BOM allowed) is UTF-8, anything
// else CP932; values are handed to the program in its own code page and written back in the
// file's encoding. Every other line of the file is kept (a UTF-16 file is rewritten in
// UTF-16 with the same text).
//
// Windows keeps a URL that the ANSI code page cannot hold in three sections: "URL" of
// [InternetShortcut] and of [InternetShortcut.A] with "?" for what is missing, and "URL" of
// [InternetShortcut.W] in UTF-7, which Windows' own readers take first. The URL is read from
// .W when it is there, and a write keeps the three in step.

#include <cstdint>
#include <string>

namespace mv {

// folder + "/" + site name + ".url"
std::string ItemPath(const std::string& folder, const std::string& siteName);
// The file name less its last "." and what follows ("My.Site.url" gives "My.Site").
std::string SiteNameOf(const std::string& fileName);

// Values read are at most 2047 bytes of the file (of the program's code page for a UTF-16
// file or the URL of .W), less a character the cut would split; a missing or unreadable
// file, section or key reads empty.
std::string ReadShortcutUrl(const std::string& path);
std::string ReadShortcutComment(const std::string& path);

struct ShortcutValues {
    std::string Url;
    std::string Comment;
    // False when the file exists but could not be read (the values are then empty and must
    // not be taken for the file's content).
    bool Readable = true;
};
// Both values from one read of the file, whole (not cut at 2047 bytes): the listing shows
// them and an edit compares against them, so a commit never cuts what was not shown. A
// listing reads thousands of files, and reading one costs more than parsing its bytes twice.
// With `storedAttributes`, the file's stored attribute word (fileattr::getStored) too, asked
// of the file while it is open.
ShortcutValues ReadShortcutValues(const std::string& path, uint32_t* storedAttributes = nullptr);

// Each write reads, changes one key and replaces the file under the file's lock; it creates a
// missing file. A URL with no form in a CP932 file goes in the Windows way above; a comment
// with no form there is refused. Throws mv::Error "%s に書き込めません" when the file cannot
// be read or written or the comment has no form in the file's encoding; nothing is written
// then.
void WriteShortcutUrl(const std::string& path, const std::string& url);
void WriteShortcutComment(const std::string& path, const std::string& comment);
// A new favorite: URL then comment, in CP932 when the comment fits it, else UTF-8.
void WriteNewShortcut(const std::string& path, const std::string& url, const std::string& comment);
// The same content for a file that must not exist yet: false, nothing written, when the name
// is taken. `durable` false skips the flush, for a batch that flushes once at its end.
// Throws mv::Error "%s に書き込めません" when the file cannot be made.
bool CreateNewShortcut(const std::string& path, const std::string& url, const std::string& comment,
                       bool durable);

enum class ShortcutEncoding { Neutral /* ASCII only or empty */, Utf8, Cp932, Utf16 };
ShortcutEncoding DetectShortcutEncoding(const std::string& bytes);

} // namespace mv
