#include "OpenCommand.h"

#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "web/shellexec.h"

#include <QFile>

#include <string_view>
#include <unistd.h>

namespace mv {
namespace {

void refuse(const QString& text) {
    Dialogs::current().message(MsgType::Warning, text, mbOK);
}

} // namespace

bool OpenShortcutFile(const std::string& path) {
    const QString shown = QFile::decodeName(QByteArray::fromStdString(path));
    // A missing file reads as empty, so it is looked for first.
    if (::access(path.c_str(), R_OK) != 0) {
        refuse(QStringLiteral("「%1」を読み込めません。").arg(shown));
        return false;
    }
    const ShortcutValues values = ReadShortcutValues(path);
    if (!values.Readable) {
        refuse(QStringLiteral("「%1」を読み込めません。").arg(shown));
        return false;
    }
    const QString text = toQt(values.Url);
    // Only web addresses: a URL can name a program or a local file, which the desktop would
    // run or open.
    const QUrl url = WebAddress(text);
    if (!url.isValid()) {
        refuse(QStringLiteral("「%1」は開きません。\r\nURL: %2\r\n"
                              "http、https、ftp のアドレスだけをブラウザで開きます。")
                   .arg(shown, text));
        return false;
    }
    if (!ShellOpen(url)) {
        refuse(QStringLiteral("「%1」のURLをブラウザに渡せませんでした。\r\nURL: %2")
                   .arg(shown, text));
        return false;
    }
    return true;
}

std::optional<int> RunOpenCommand(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]) != "--open") return std::nullopt;
    int result = 0;
    // The file names exactly as given: they name files, whatever the program's code page.
    for (int i = 2; i < argc; ++i)
        if (!OpenShortcutFile(argv[i])) result = 1;
    return result;
}

} // namespace mv
