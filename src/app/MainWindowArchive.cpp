// Packing every favorite of the favorites folder into one LHA archive.

#include "MainWindow.h"

#include "archive/ArchiveFile.h"
#include "archive/ArchiverProbe.h"
#include "archive/LhaArchiver.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace mv {
namespace {

enum class Existing { None, Update, Replace, Cancel };

// An archive that is there already: the command would add to it, so favorites deleted since
// stay in it. Say so and let the user choose.
Existing askAboutExisting(const QString& path) {
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) return Existing::None;
    const QString text = QStringLiteral("「%1」は既にあります。\r\n\r\n"
                                        "更新: 今のお気に入りをこの書庫に加えます。"
                                        "その後で削除したお気に入りも書庫に残ります。\r\n"
                                        "置き換え: 今のお気に入りだけで新しい書庫を作り、"
                                        "できあがってから元の書庫と置き換えます。")
                             .arg(QDir::toNativeSeparators(path));
    const MsgButton answer = Dialogs::current().choose(MsgType::Confirmation, text,
                                                       {{mbYes, QStringLiteral("更新")},
                                                        {mbNo, QStringLiteral("置き換え")},
                                                        {mbCancel, QStringLiteral("キャンセル")}});
    return answer == mbYes  ? Existing::Update
           : answer == mbNo ? Existing::Replace
                            : Existing::Cancel;
}

QString leftOutLines(const TLeftOutList& leftOut) {
    QString text;
    for (const TLeftOut& item : leftOut)
        text += QStringLiteral("\r\n") + DescribeLeftOut(item);
    return text;
}

} // namespace

void TForm1::TBArchiveClick() {
    const auto chosen = Dialogs::current().saveFileName(
        {QStringLiteral("LHA圧縮ファイル(*.lzh)|*.lzh")}, QStringLiteral("*.lzh"));
    if (!chosen) return;
    const Existing existing = askAboutExisting(*chosen);
    if (existing == Existing::Cancel) return;

    ArcHelp1->ProbeAll();
    if (!ArcHelp1->CanUselha()) {
        Dialogs::current().message(
            MsgType::Error, QStringLiteral("UNLHA32.DLLが無いか使用中のため、利用できません。"),
            mbOK);
        return;
    }

    // Replacing never deletes the old archive first: the new one is written into a private
    // folder beside it and renamed over it only when it is complete.
    std::optional<QTemporaryDir> scratch;
    QString target = *chosen;
    if (existing == Existing::Replace) {
        scratch.emplace(QFileInfo(*chosen).absolutePath() + QStringLiteral("/.markvane-XXXXXX"));
        if (!scratch->isValid()) {
            Dialogs::current().message(MsgType::Error,
                                       QStringLiteral("一時フォルダを作成できませんでした。\r\n%1")
                                           .arg(scratch->errorString()),
                                       mbOK);
            return;
        }
        target = scratch->filePath(QFileInfo(*chosen).fileName());
    }

    const std::vector<std::string> masks{"*.url"};
    TArchiverOptions& options = ArchiveFile1->Options();
    options.x = 1;
    options.r = 1;
    options.jso = 1;
    ArchiveFile1->SetOutputSize(8192);
    ArchiveFile1->SetFileName(fromQt(target));
    const int result = ArchiveFile1->PackFiles(nullptr, nullptr, StartupRootPath, {masks});
    const TLeftOutList& leftOut = ArchiveFile1->LeftOut();
    if (result == TArchiveFile::kAbortedResult) return;

    const bool written = ArchiveFile1->NamesPassed() > 0 &&
                         (result == 0 || result == kLhaPartialResult) && QFileInfo::exists(target);
    if (ArchiveFile1->NamesPassed() > 0 && !written) {
        // A failed packing must not pass for a finished archive: say so, with the library's log.
        QString text = QStringLiteral("圧縮ファイルを作成できませんでした (エラー %1)").arg(result);
        const QString log = toQt(ArchiveFile1->OutputText()).trimmed();
        if (!log.isEmpty()) text += QStringLiteral("\r\n") + log;
        Dialogs::current().message(MsgType::Error, text, mbOK);
        return;
    }
    if (written && scratch &&
        std::rename(QFile::encodeName(target).constData(),
                    QFile::encodeName(*chosen).constData()) != 0) {
        const std::error_code error = lastError();
        Dialogs::current().message(
            MsgType::Error,
            QStringLiteral("書庫を置き換えられませんでした: %1\r\n元の書庫はそのままです。")
                .arg(reasonText(error)),
            mbOK);
        return;
    }

    if (!written) {
        // Nothing to pack: nothing written, and nothing to say unless something was left out.
        if (!leftOut.empty())
            Dialogs::current().message(MsgType::Warning,
                                       QStringLiteral("圧縮できるお気に入りがありませんでした。"
                                                      "次のものは入れられませんでした:") +
                                           leftOutLines(leftOut),
                                       mbOK);
        return;
    }
    // Files the collector left out were never handed over; those the library left out were.
    const auto dropped = std::count_if(leftOut.begin(), leftOut.end(),
                                       [](const TLeftOut& item) { return item.byLibrary; });
    const size_t packed =
        ArchiveFile1->NamesPassed() - std::min<size_t>(ArchiveFile1->NamesPassed(), dropped);
    QString text = QStringLiteral("%1 件のお気に入りを圧縮しました。\r\n%2")
                       .arg(packed)
                       .arg(QDir::toNativeSeparators(*chosen));
    if (leftOut.empty()) {
        Dialogs::current().message(MsgType::Information, text, mbOK);
        return;
    }
    text += QStringLiteral("\r\n\r\n次の %1 件は入れられませんでした:").arg(leftOut.size()) +
            leftOutLines(leftOut);
    Dialogs::current().message(MsgType::Warning, text, mbOK);
}

} // namespace mv
