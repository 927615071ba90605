#include "CommandOptions.h"

#include "ArchiverOptions.h"
#include "DiskNames.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/error.h"

#include <QStringList>

namespace mv {

void TFileArg::AppendTo(std::vector<std::string>& out) const {
    auto add = [&out](std::string s) {
        if (!s.empty()) out.push_back(std::move(s));
    };
    if (auto* text = std::get_if<std::string>(&value_)) {
        add(*text);
    } else if (auto* array = std::get_if<const char* const*>(&value_)) {
        for (const char* const* p = *array; p && *p; ++p)
            add(*p);
    } else if (auto* list = std::get_if<std::vector<std::string>>(&value_)) {
        for (const auto& s : *list)
            add(s);
    } else {
        const QVariant& v = std::get<QVariant>(value_);
        if (v.typeId() == QMetaType::QVariantList) {
            for (const QVariant& element : v.toList())
                add(fromQt(element.toString()));
        } else if (v.typeId() == QMetaType::QStringList) {
            for (const QString& element : v.toStringList())
                add(fromQt(element));
        } else {
            add(fromQt(v.toString()));
        }
    }
}

std::vector<std::string> FlattenFileArgs(const TFileArgs& args) {
    std::vector<std::string> out;
    for (const TFileArg& arg : args)
        arg.AppendTo(out);
    return out;
}

void TCmdOpt::AddText(std::string_view s) {
    text_ += ' ';
    text_ += s;
}

void TCmdOpt::AddNumOption(std::string_view name, int v) {
    if (v < 0) return;
    text_ += " -";
    text_ += name;
    text_ += std::to_string(v);
}

void TCmdOpt::AddStrOption(std::string_view name, const std::string& v) {
    if (IsNotSet(v)) return;
    text_ += ' ';
    if (name.empty()) {
        text_ += '"' + v + '"';
        return;
    }
    std::string switchName =
        name.front() == ' ' ? std::string(name.substr(1)) : '-' + std::string(name);
    if (QuoteStyle)
        text_ += switchName + " \"" + v + '"';
    else
        text_ += '"' + switchName + v + '"';
}

void TCmdOpt::AddPathOption(std::string_view name, const std::string& dir) {
    if (dir.empty() || IsNotSet(dir)) return;
    // The last character, stepping over double-byte characters as units.
    const CodePage& cp = CodePage::active();
    size_t last = 0;
    for (size_t pos = 0; pos < dir.size(); pos += cp.charLength(dir, pos))
        last = pos;
    const bool endsWithSlash = dir.size() - last == 1 && dir[last] == '/';
    AddStrOption(name, endsWithSlash ? dir : dir + '/');
}

void TCmdOpt::AddFileList(std::string_view name, const std::vector<std::string>& files) {
    for (const std::string& file : files)
        AddStrOption(name, ConvertName ? ConvertName(file) : file);
}

int TCmdOpt::AddResponseFile(const std::vector<std::string>& files,
                             const std::string& responseFile) {
    std::string text;
    for (const std::string& file : files)
        text += '"' + file + "\"\r\n";
    // Replaced whole or not at all: a failed write leaves an older list as it was.
    if (writeFileAtomically(DiskNameOf(responseFile), text)) throw cannotWriteError(responseFile);
    AddStrOption({}, '@' + responseFile);
    return static_cast<int>(files.size());
}

} // namespace mv
