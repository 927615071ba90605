// Update dates: the Last-Modified text of one favorite or of every check-marked one, asked of
// its web server and shown in column 3 of the grid. The dates live only in the grid.

#include "MainWindow.h"

#include "ShellTreeView.h"
#include "favorites/MessagePump.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "ui/CheckBoxGrid.h"
#include "ui/StatusProgressBar.h"
#include "web/ProbeRunner.h"

#include <QAction>
#include <QApplication>
#include <QScopeGuard>

#include <algorithm>

namespace mv {
namespace {

constexpr int kMarkCol = 0;
constexpr int kSiteCol = 1;
constexpr int kUrlCol = 2;
constexpr int kDateCol = 3;

// What the date cell shows for a probe: the server's text as it came, or what went wrong.
std::string DateCellText(const UrlProbeResult& result) {
    if (!result.sessionOpened) return fromQt(QStringLiteral("接続準備ミス"));
    if (!result.urlOpened) return fromQt(QStringLiteral("接続ミス"));
    if (result.lastModified.empty()) return fromQt(QStringLiteral("日付の取得に失敗"));
    return result.lastModified;
}

// Message processing inside cleanup: it runs while an error may be unwinding, so nothing may
// escape from it.
void PumpQuietly() noexcept {
    ignoreFailure("cleanup runs while another error may be unwinding", [] { PumpMessages(); });
}

} // namespace

void TForm1::TB_GetDateClick() {
    // A listing or another date command is under way; its rows must not change beneath it.
    if (Busy()) return;
    fetchingDates_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([this] {
        ShellTreeView1->setEnabled(true);
        StringGrid1->setEnabled(true);
        PumpQuietly();
        QApplication::restoreOverrideCursor();
        fetchingDates_ = false;
    });
    ShellTreeView1->setEnabled(false);
    StringGrid1->setEnabled(false);
    PumpMessages();

    const int row = StringGrid1->Row();
    // The title row of an empty folder is current then; its "URL" is no favorite's.
    if (row < 1 || row >= StringGrid1->RowCount()) return;
    const std::string site = StringGrid1->Cells(kSiteCol, row);
    const std::string url = StringGrid1->Cells(kUrlCol, row);
    UrlProbeResult result;
    RunProbe(url, result);
    // Events run during the probe; a new listing may have put another favorite in this row.
    if (row >= StringGrid1->RowCount() || StringGrid1->Cells(kSiteCol, row) != site ||
        StringGrid1->Cells(kUrlCol, row) != url)
        return;
    StringGrid1->setCells(kDateCol, row, DateCellText(result));
    WidenColumnToFit(kDateCol, row);
}

void TForm1::TB_CheckGetDateClick() {
    // One batch at a time, and none while a listing or a single fetch is under way.
    if (Busy()) return;
    fetchingDates_ = true;
    QAction* cancelItem = Action("TB_CheckGetDateCancel");
    cancelItem->setVisible(true);
    dateCancel_ = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // With a maximum of 0 the bar would turn into an endless busy animation.
    StatusProgressBar1->setMaximum(std::max(1, StringGrid1->RowCount() - 1));
    const auto restore = qScopeGuard([this, cancelItem] {
        ShellTreeView1->setEnabled(true);
        StringGrid1->setEnabled(true);
        PumpQuietly();
        StatusProgressBar1->setValue(0);
        QApplication::restoreOverrideCursor();
        cancelItem->setVisible(false);
        PumpQuietly();
        fetchingDates_ = false;
    });
    ShellTreeView1->setEnabled(false);
    StringGrid1->setEnabled(false);
    PumpMessages();

    const bool wasVisible = isVisible();
    // One record for the whole loop: every probe overwrites all of it.
    UrlProbeResult result;
    for (int r = 0; r < StringGrid1->RowCount(); ++r) {
        StatusProgressBar1->setValue(r);
        PumpMessages();
        // The window was closed: nobody is left to tell, and nothing to fetch for.
        if (wasVisible && !isVisible()) break;
        if (dateCancel_) {
            Dialogs::current().message(MsgType::Information, QStringLiteral("キャンセルされました"),
                                       mbOK);
            break;
        }
        // Row 0 is the title row, even while its check cell briefly holds "1".
        if (r < 1 || StringGrid1->Cells(kMarkCol, r) != "1") continue;
        const std::string site = StringGrid1->Cells(kSiteCol, r);
        const std::string url = StringGrid1->Cells(kUrlCol, r);
        RunProbe(url, result);
        // A listing during the probe may have put another favorite in this row.
        if (r < StringGrid1->RowCount() && StringGrid1->Cells(kSiteCol, r) == site &&
            StringGrid1->Cells(kUrlCol, r) == url) {
            StringGrid1->setCells(kDateCol, r, DateCellText(result));
            WidenColumnToFit(kDateCol, r);
        }
        PumpMessages();
    }
}

void TForm1::TB_CheckGetDateCancelClick() {
    dateCancel_ = true;
}

} // namespace mv
