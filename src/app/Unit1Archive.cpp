// Packing every favorite of the favorites folder into one LHA archive.

#include "Unit1.h"

#include "archive/ARCHIVES.h"
#include "archive/ArcHelp.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"

namespace mv {

void TForm1::TBArchiveClick() {
    const auto chosen = Dialogs::current().saveFileName(
        {QStringLiteral("LHA圧縮ファイル(*.lzh)|*.lzh")}, QStringLiteral("*.lzh"));
    if (!chosen) return;

    ArcHelp1->ProbeAll();
    if (!ArcHelp1->CanUselha()) {
        Dialogs::current().message(MsgType::Error,
                                   QStringLiteral("UNLHA32.DLLが無いか使用中のため、利用できません。"),
                                   mbOK);
        return;
    }
    const std::vector<std::string> masks{"*.url"};
    TArchiverOptions& options = ArchiveFile1->Options();
    options.x = 1;
    options.r = 1;
    options.jso = 1;
    ArchiveFile1->SetOutputSize(8192);
    ArchiveFile1->SetFileName(fromQt(*chosen));
    const int result = ArchiveFile1->PackFiles(nullptr, nullptr, StartupRootPath, {masks});
    // A failed packing must not pass for a finished archive: say so, with the library's log.
    if (result != 0 && result != TArchiveFile::kAbortedResult) {
        QString text = QStringLiteral("圧縮ファイルを作成できませんでした (エラー %1)").arg(result);
        const QString log = toQt(ArchiveFile1->OutputText()).trimmed();
        if (!log.isEmpty()) text += QStringLiteral("\r\n") + log;
        Dialogs::current().message(MsgType::Error, text, mbOK);
    }
}

} // namespace mv
