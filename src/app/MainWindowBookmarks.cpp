// Bookmark files to and from browsers: the favorites written as a Netscape bookmark file, and
// such a file read into the selected folder.

#include "MainWindow.h"

#include "ShellTreeView.h"
#include "favorites/BookmarkExport.h"
#include "favorites/BookmarkImport.h"
#include "favorites/MessagePump.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "ui/StatusProgressBar.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace mv {
namespace {

const QString kBookmarkFilter = QStringLiteral("ブックマークファイル(*.html *.htm)|*.html *.htm");
// Failures named in the summary; the rest are counted.
constexpr size_t kFailuresShown = 10;

std::string fileSystemName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString importSummaryText(const ImportSummary& s, const QString& file, const QString& folder) {
    QString text = QStringLiteral("「%1」を「%2」に読み込みました。\r\n\r\n"
                                  "フォルダ: %3\r\nお気に入り: %4\r\n"
                                  "読み込まなかったもの: %5 (Webのアドレスでないもの)")
                       .arg(QFileInfo(file).fileName(), QDir::toNativeSeparators(folder))
                       .arg(s.folders)
                       .arg(s.favorites)
                       .arg(s.leftOut);
    if (s.failed.empty()) return text;
    text += QStringLiteral("\r\n\r\n次の %1 件は作成できませんでした:").arg(s.failed.size());
    for (size_t i = 0; i < std::min(s.failed.size(), kFailuresShown); ++i)
        text += QStringLiteral("\r\n") + QDir::toNativeSeparators(toQt(s.failed[i]));
    if (s.failed.size() > kFailuresShown) text += QStringLiteral("\r\n...");
    return text;
}

} // namespace

void TForm1::TB_BookmarkExportClick() {
    // What was typed into the grid goes into its file first, so the export holds it.
    CommitRowEdits();
    const std::vector<std::string> checked = favorites_.CheckedPaths();
    bool onlyChecked = false;
    if (!checked.empty()) {
        const MsgButton answer = Dialogs::current().choose(
            MsgType::Confirmation,
            QStringLiteral("チェックされた %1 件のお気に入りだけを書き出しますか？\r\n"
                           "すべて: フォルダツリーのすべてのお気に入りを書き出します。")
                .arg(checked.size()),
            {{mbYes, QStringLiteral("チェックされたもの")},
             {mbNo, QStringLiteral("すべて")},
             {mbCancel, QStringLiteral("キャンセル")}});
        if (answer == mbCancel) return;
        onlyChecked = answer == mbYes;
    }
    const auto chosen =
        Dialogs::current().saveFileName({kBookmarkFilter}, QStringLiteral("*.html"));
    if (!chosen) return;
    if (QFileInfo::exists(*chosen) &&
        Dialogs::current().message(MsgType::Confirmation,
                                   QStringLiteral("「%1」は既にあります。\r\n置き換えますか？")
                                       .arg(QDir::toNativeSeparators(*chosen)),
                                   mbYes | mbNo) != mbYes)
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const BookmarkNode root = onlyChecked ? CollectFavoriteFiles(checked)
                                          : CollectFavorites(fromQt(ShellTreeView1->RootPath()));
    const std::string path = fileSystemName(*chosen);
    if (const std::error_code ec = writeFileAtomically(path, BookmarkFileText(root)))
        throw fileError(path, ec);
    Dialogs::current().message(MsgType::Information,
                               QStringLiteral("%1 件のお気に入りを書き出しました。\r\n%2")
                                   .arg(CountBookmarks(root))
                                   .arg(QDir::toNativeSeparators(*chosen)),
                               mbOK);
}

void TForm1::TB_BookmarkImportClick() {
    const std::string folder = ShellTreeView1->SelectedPath();
    if (folder.empty()) return;
    const auto chosen =
        Dialogs::current().openFileName({kBookmarkFilter, QStringLiteral("すべてのファイル(*)|*")});
    if (!chosen) return;
    const std::string file = fileSystemName(*chosen);
    std::string html;
    if (const std::error_code ec = readFile(file, html)) throw fileError(file, ec);
    const BookmarkNode root = ParseBookmarkFile(html);
    html = std::string();
    if (root.children.empty()) {
        Dialogs::current().message(MsgType::Warning,
                                   QStringLiteral("「%1」にブックマークがありません。")
                                       .arg(QDir::toNativeSeparators(*chosen)),
                                   mbOK);
        return;
    }

    ImportSummary summary;
    {
        // The window waits while the files are made; the progress bar moves and is painted.
        CommitRowEdits();
        setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([this] {
            StatusProgressBar1->setValue(0);
            QApplication::restoreOverrideCursor();
            setEnabled(true);
        });
        StatusProgressBar1->setMaximum(int(std::max<size_t>(1, CountBookmarks(root))));
        summary = ImportBookmarks(root, folder, [this](size_t done, size_t total) {
            if (done % 100 != 0 && done != total) return;
            StatusProgressBar1->setValue(int(done));
            PumpMessages();
        });
    }
    ShellTreeView1->Refresh();
    Dialogs::current().message(summary.failed.empty() ? MsgType::Information : MsgType::Warning,
                               importSummaryText(summary, *chosen, toQt(folder)), mbOK);
}

} // namespace mv
