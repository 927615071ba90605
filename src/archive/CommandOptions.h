#pragma once
// File arguments of mixed kinds and the builder that turns options and names into one
// archiver command line.

#include <QVariant>

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mv {

// One value of the open file-argument list: a text, a null-terminated array of character
// pointers, a string list, or a variant (a variant list gives each element's text).
class TFileArg {
public:
    TFileArg(std::string text) : value_(std::move(text)) {}
    TFileArg(std::string_view text) : value_(std::string(text)) {}
    TFileArg(const char* text) : value_(std::string(text ? text : "")) {}
    TFileArg(const char* const* array) : value_(array) {}
    TFileArg(std::vector<std::string> list) : value_(std::move(list)) {}
    TFileArg(QVariant variant) : value_(std::move(variant)) {}

    // Appends the texts this value stands for, in order, leaving out empty ones.
    void AppendTo(std::vector<std::string>& out) const;

private:
    std::variant<std::string, const char* const*, std::vector<std::string>, QVariant> value_;
};
using TFileArgs = std::vector<TFileArg>;

std::vector<std::string> FlattenFileArgs(const TFileArgs& args);

// Builds a command line piece by piece; each operation appends with a leading blank.
class TCmdOpt {
public:
    using NameConversion = std::function<std::string(const std::string&)>;

    const std::string& Text() const { return text_; }
    void Clear() { text_.clear(); }

    // Switch names written as `-name "value"` instead of `"-namevalue"`.
    bool QuoteStyle = false;
    // Applied to every name of AddFileList (none: names as they are).
    NameConversion ConvertName;

    // A blank and `s` as it is (an empty `s` still gives the blank).
    void AddText(std::string_view s);
    // ` -<name><v>`; nothing when v is negative.
    void AddNumOption(std::string_view name, int v);
    // Nothing for the not-set text. Without a name ` "v"`; with one ` "-namev"` (or
    // ` -name "v"` in the quoting style). A name starting with a blank loses it and gets no dash.
    void AddStrOption(std::string_view name, const std::string& v);
    // A folder: as AddStrOption with "/" appended unless it already ends with one. Nothing for
    // an empty or not-set folder.
    void AddPathOption(std::string_view name, const std::string& dir);
    void AddFileList(std::string_view name, const std::vector<std::string>& files);
    // Writes the names, each quoted and ended by CR LF, into `responseFile` (replacing it in one
    // step) and appends ` "@responseFile"`. Returns the number of names. Throws mv::Error when
    // the file cannot be written; an existing file is then unchanged.
    int AddResponseFile(const std::vector<std::string>& files, const std::string& responseFile);

private:
    std::string text_;
};

} // namespace mv
