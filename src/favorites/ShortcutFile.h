#pragma once
// Internet Shortcut files (*.url): how a favorite's file is named and the two values the
// program reads and writes in it ("URL" of [InternetShortcut], "Comment" of [Comment]).
//
// Files from Windows are usually CP932 while the program may run in UTF-8. A file whose
// bytes are valid UTF-8 is read as UTF-8, anything else as CP932; values are handed to the
// program in its own code page and written back in the file's encoding. Every other byte of
// the file is kept.

#include <string>

namespace mv {

// folder + "/" + site name + ".url"
std::string ItemPath(const std::string& folder, const std::string& siteName);
// The file name less its last "." and what follows ("My.Site.url" gives "My.Site").
std::string SiteNameOf(const std::string& fileName);

// Values read are at most 2047 bytes of the file; a missing file, section or key reads empty.
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
ShortcutValues ReadShortcutValues(const std::string& path);

// Each write opens, changes one key and replaces the file; it creates a missing file.
// Throws mv::Error "%s に書き込めません" when the file cannot be written or the value has no
// form in the file's encoding; nothing is written then.
void WriteShortcutUrl(const std::string& path, const std::string& url);
void WriteShortcutComment(const std::string& path, const std::string& comment);
// A new favorite: URL then comment, in CP932 when both fit it, else UTF-8.
void WriteNewShortcut(const std::string& path, const std::string& url, const std::string& comment);

enum class ShortcutEncoding { Neutral /* ASCII only or empty */, Utf8, Cp932 };
ShortcutEncoding DetectShortcutEncoding(const std::string& bytes);

} // namespace mv
