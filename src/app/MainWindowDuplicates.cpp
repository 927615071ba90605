// Duplicates: the favorites anywhere in the favorites folder that share a URL, listed in the
// grid group by group with their folders in the date column, all but the oldest of each group
// check-marked so the delete and move commands take them; the empty folders are named too.

#include "MainWindow.h"

#include "ShellTreeView.h"
#include "favorites/DuplicateFinder.h"
#include "favorites/MessagePump.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/fileattr.h"
#include "ui/CheckBoxGrid.h"
#include "ui/StatusProgressBar.h"

#include <QApplication>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>

namespace mv {
namespace {

// Empty folders named in the message at most; the rest are counted.
constexpr size_t kMaxNamedFolders = 30;

} // namespace

void TForm1::TB_FindDuplicatesClick() {
    const QString root = ShellTreeView1->RootPath();
    if (root.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DuplicateReport report;
    {
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        report = FindDuplicates(fromQt(root));
    }
    // Whether a "#fragment" tells pages apart is asked only when it makes a difference.
    const bool fragmentsDiffer =
        std::any_of(report.Groups.begin(), report.Groups.end(), [](const DuplicateGroup& g) {
            return std::any_of(g.Items.begin(), g.Items.end(), [&](const DuplicateItem& item) {
                return NormalizeUrl(item.Url, true) != NormalizeUrl(g.Items.front().Url, true);
            });
        });
    if (fragmentsDiffer &&
        Dialogs::current().message(MsgType::Confirmation,
                                   QStringLiteral("URLの「#」以降だけが違うお気に入りがあります\r\n"
                                                  "同じページとして扱いますか?"),
                                   mbYes | mbNo) != mbYes) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        report = FindDuplicates(fromQt(root), true);
    }

    // The list shows the groups until the next listing; edits and commands act on the files.
    ForgetRow();
    ClearGridRows();
    favorites_.Clear();
    size_t group = 0;
    for (const DuplicateGroup& g : report.Groups) {
        ++group;
        for (size_t i = 0; i < g.Items.size(); ++i) {
            const DuplicateItem& item = g.Items[i];
            const auto slash = item.Path.rfind('/');
            const std::string folder = item.Path.substr(0, slash + 1);
            const std::string name = item.Path.substr(slash + 1);
            favorites_.Add(ReadFavorite(folder, name, fileattr::getStored(item.Path, false)));
            const size_t index = favorites_.Count() - 1;
            const QString where =
                item.Folder.empty() ? QStringLiteral("(お気に入り)") : toQt(item.Folder);
            favorites_.SetDateText(index,
                                   fromQt(QStringLiteral("重複%1: %2").arg(group).arg(where)));
            favorites_.SetChecked(index, i > 0);
        }
    }
    const int n = int(favorites_.Count());
    StringGrid1->setRowCount(n + 1);
    StringGrid1->setFixedRows(n > 0 ? 1 : 0);
    ShowEntries();
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= 3; ++c)
            WidenColumnToFit(c, r);
    RememberRow(StringGrid1->Row());

    StatusBar1->setPanelText(1,
                             fromQt(QStringLiteral("重複 %1 組 %2 件 (%3 件中)、空のフォルダ %4 個")
                                        .arg(report.Groups.size())
                                        .arg(n)
                                        .arg(report.Favorites)
                                        .arg(report.EmptyFolders.size())));
    if (!report.EmptyFolders.empty()) {
        QStringList names;
        for (size_t i = 0; i < report.EmptyFolders.size() && i < kMaxNamedFolders; ++i)
            names << toQt(report.EmptyFolders[i]);
        if (report.EmptyFolders.size() > kMaxNamedFolders)
            names
                << QStringLiteral("ほか %1 個").arg(report.EmptyFolders.size() - kMaxNamedFolders);
        Dialogs::current().message(
            MsgType::Information,
            QStringLiteral("空のフォルダ:\r\n") + names.join(QStringLiteral("\r\n")), mbOK);
    }
}

} // namespace mv
