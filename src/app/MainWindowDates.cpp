// Update dates: the Last-Modified text of one favorite or of every check-marked one, asked of
// its web server and shown in column 3 of the grid. The dates live only as long as the
// listing.

#include "MainWindow.h"

#include "PaneFocusKeeper.h"
#include "ShellTreeView.h"
#include "favorites/MessagePump.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "ui/CheckBoxGrid.h"
#include "ui/StatusProgressBar.h"
#include "web/ProbeAbort.h"
#include "web/ProbeRunner.h"

#include <QAction>
#include <QApplication>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>

namespace mv {
namespace {

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

void TForm1::ShowDate(const std::string& path, const std::string& url, std::string date) {
    // Events run during the probe; a new listing may have dropped the favorite or shown
    // another URL for it.
    const std::optional<size_t> entry = favorites_.IndexOf(path);
    if (!entry || favorites_.At(*entry).Url != url) return;
    favorites_.SetDateText(*entry, std::move(date));
    const int row = int(*entry) + 1;
    if (row >= StringGrid1->RowCount()) return;
    {
        const QScopedValueRollback showing(showingEntries_, true);
        StringGrid1->setCells(kDateCol, row, favorites_.At(*entry).DateText);
    }
    WidenColumnToFit(kDateCol, row);
}

void TForm1::FetchDate(const std::string& path, const std::string& url, UrlProbeResult& result) {
    ProbeAbort abort;
    UrlProbeTimeouts timeouts;
    timeouts.abort = &abort;
    probeAbort_ = &abort;
    const auto forget = qScopeGuard([this] { probeAbort_ = nullptr; });
    RunProbe(url, result, timeouts);
    if (!abort.aborted()) ShowDate(path, url, DateCellText(result));
}

// Refused while a listing or another date command is under way: its rows must not change
// beneath it.
void TForm1::TB_GetDateClick() {
    fetchingDates_ = true;
    dateCancel_ = false;
    QAction* cancelItem = Action("TB_CheckGetDateCancel");
    cancelItem->setVisible(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PaneFocusKeeper focus(ShellTreeView1, StringGrid1);
    const auto restore = qScopeGuard([this, cancelItem] {
        ShellTreeView1->setEnabled(true);
        StringGrid1->setEnabled(true);
        PumpQuietly();
        QApplication::restoreOverrideCursor();
        cancelItem->setVisible(false);
        fetchingDates_ = false;
    });
    ShellTreeView1->setEnabled(false);
    StringGrid1->setEnabled(false);
    PumpMessages();

    // The title row of an empty folder is current then; its "URL" is no favorite's.
    const std::optional<size_t> entry = RowEntry(StringGrid1->Row());
    if (!entry) return;
    const std::string path = favorites_.At(*entry).Entry.Path;
    const std::string url = favorites_.At(*entry).Url;
    UrlProbeResult result;
    FetchDate(path, url, result);
}

// One batch at a time, and none while a listing or a single fetch is under way.
void TForm1::TB_CheckGetDateClick() {
    fetchingDates_ = true;
    QAction* cancelItem = Action("TB_CheckGetDateCancel");
    cancelItem->setVisible(true);
    dateCancel_ = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PaneFocusKeeper focus(ShellTreeView1, StringGrid1);
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
        // Row 0 is the title row, no favorite.
        const std::optional<size_t> entry = RowEntry(r);
        if (!entry || !favorites_.At(*entry).Checked) continue;
        const std::string path = favorites_.At(*entry).Entry.Path;
        const std::string url = favorites_.At(*entry).Url;
        FetchDate(path, url, result);
        PumpMessages();
    }
}

void TForm1::TB_CheckGetDateCancelClick() {
    dateCancel_ = true;
    if (probeAbort_) probeAbort_->abort();
}

} // namespace mv
