// Link check: the state of the check-marked favorites (or of all listed ones) asked of their
// servers all at once and shown in the date column, with the HTTP detail as the cell's
// tooltip; dead ones are check-marked for the delete and move commands. Permanent redirects
// found can then be written into the favorites' files.

#include "MainWindow.h"

#include "LinkStateText.h"
#include "ShellTreeView.h"
#include "favorites/MessagePump.h"
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "ui/CheckBoxGrid.h"
#include "ui/StatusProgressBar.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QScopeGuard>
#include <QToolTip>

#include <algorithm>
#include <atomic>
#include <thread>

namespace mv {
namespace {

constexpr int kDateCol = 3;

// Shows the text `tip` gives for the cell under the mouse.
class CellToolTips : public QObject {
public:
    CellToolTips(TMOStringGrid* grid, std::function<QString(int col, int row)> tip)
        : QObject(grid), grid_(grid), tip_(std::move(tip)) {
        grid->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
        auto* help = static_cast<QHelpEvent*>(event);
        int col = -1, row = -1;
        grid_->MouseToCell(help->pos().x(), help->pos().y(), col, row);
        const QString text = col >= 0 && row > 0 ? tip_(col, row) : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, grid_->viewport());
        return true;
    }

private:
    TMOStringGrid* grid_;
    std::function<QString(int, int)> tip_;
};

void PumpQuietly() noexcept {
    ignoreFailure("cleanup runs while another error may be unwinding", [] { PumpMessages(); });
}

} // namespace

void TForm1::SetupLinkCommands() {
    Connect("TB_CheckLinks", &TForm1::TB_CheckLinksClick);
    Connect("TB_CheckLinksCancel", &TForm1::TB_CheckLinksCancelClick);
    Connect("TB_ApplyRedirects", &TForm1::TB_ApplyRedirectsClick);
    Connect("TB_FindDuplicates", &TForm1::TB_FindDuplicatesClick);
    Action("TB_CheckLinksCancel")->setVisible(false);
    new CellToolTips(StringGrid1, [this](int col, int row) {
        const std::optional<size_t> entry = RowEntry(row);
        const LinkResult* result = entry && col == kDateCol ? LinkResultOf(*entry) : nullptr;
        return result ? LinkDetailText(*result) : QString();
    });
}

const LinkResult* TForm1::LinkResultOf(size_t index) const {
    if (index >= favorites_.Count()) return nullptr;
    const ListedFavorite& f = favorites_.At(index);
    const auto found = linkResults_.find(f.Entry.Path);
    if (found == linkResults_.end() || found->second.first != f.Url) return nullptr;
    // A date fetched since, or a new listing, has replaced what the check showed.
    if (f.DateText != fromQt(LinkCellText(found->second.second))) return nullptr;
    return &found->second.second;
}

void TForm1::ShowLinkResult(const std::string& path, const std::string& url,
                            const LinkResult& result) {
    const std::optional<size_t> entry = favorites_.IndexOf(path);
    if (!entry || favorites_.At(*entry).Url != url) return;
    linkResults_[path] = {url, result};
    ShowDate(path, url, fromQt(LinkCellText(result)));
    if (IsDead(result.State) && !favorites_.At(*entry).Checked) {
        favorites_.SetChecked(*entry, true);
        ShowEntry(*entry);
    }
}

// The check runs on a worker thread; its results come back as posted calls, so the window
// paints, the progress bar moves and the cancel button answers meanwhile.
void TForm1::TB_CheckLinksClick() {
    std::vector<std::string> paths, urls;
    const bool onlyChecked = favorites_.AnyChecked();
    for (const ListedFavorite& f : favorites_.Items()) {
        if (onlyChecked && !f.Checked) continue;
        paths.push_back(f.Entry.Path);
        urls.push_back(f.Url);
    }
    if (urls.empty()) return;

    LinkChecker checker;
    // Busy as a date batch is: commands that change files or list again wait for the end.
    fetchingDates_ = true;
    linkChecker_ = &checker;
    QAction* cancelItem = Action("TB_CheckLinksCancel");
    cancelItem->setVisible(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StatusProgressBar1->setMaximum(int(urls.size()));
    StatusProgressBar1->setValue(0);
    const auto restore = qScopeGuard([this, cancelItem] {
        ShellTreeView1->setEnabled(true);
        StringGrid1->setEnabled(true);
        StatusProgressBar1->setValue(0);
        QApplication::restoreOverrideCursor();
        cancelItem->setVisible(false);
        PumpQuietly();
        linkChecker_ = nullptr;
        fetchingDates_ = false;
    });
    ShellTreeView1->setEnabled(false);
    StringGrid1->setEnabled(false);
    PumpMessages();

    const bool wasVisible = isVisible();
    QObject receiver;
    std::atomic<bool> done{false};
    size_t finished = 0, dead = 0;
    std::exception_ptr error;
    {
        std::jthread worker([&] {
            try {
                checker.Check(urls, [&](size_t i, const LinkResult& result) {
                    QMetaObject::invokeMethod(
                        &receiver,
                        [&, i, result] {
                            ShowLinkResult(paths[i], urls[i], result);
                            dead += IsDead(result.State) ? 1 : 0;
                            StatusProgressBar1->setValue(int(++finished));
                        },
                        Qt::QueuedConnection);
                });
            } catch (...) {
                error = std::current_exception();
            }
            done.store(true, std::memory_order_release);
            QMetaObject::invokeMethod(
                &receiver, [] {}, Qt::QueuedConnection);
        });
        while (!done.load(std::memory_order_acquire)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            // The window was closed: nobody is left to show the results to.
            if (wasVisible && !isVisible()) checker.Cancel();
        }
    }
    // The results posted last are shown before the check is over.
    QCoreApplication::sendPostedEvents(&receiver);
    if (error) std::rethrow_exception(error);
    StatusBar1->setPanelText(
        1, fromQt(QStringLiteral("%1 件中 %2 件がリンク切れです").arg(urls.size()).arg(dead)));
    if (checker.Cancelled() && (!wasVisible || isVisible()))
        Dialogs::current().message(MsgType::Information, QStringLiteral("キャンセルされました"),
                                   mbOK);
}

void TForm1::TB_CheckLinksCancelClick() {
    if (linkChecker_) linkChecker_->Cancel();
}

// Each favorite whose check found a permanent move gets the address it ended at, if its file
// still holds the URL that was checked. One write per file, as an edit of the URL makes it.
void TForm1::TB_ApplyRedirectsClick() {
    std::vector<std::pair<std::string, std::string>> moves; // file, new URL
    for (size_t i = 0; i < favorites_.Count(); ++i) {
        const LinkResult* result = LinkResultOf(i);
        if (result && result->State == LinkState::Moved && result->Permanent &&
            !result->FinalUrl.empty())
            moves.emplace_back(favorites_.At(i).Entry.Path, result->FinalUrl);
    }
    if (moves.empty()) {
        Dialogs::current().message(MsgType::Information,
                                   QStringLiteral("恒久的に移動したお気に入りはありません"), mbOK);
        return;
    }
    if (Dialogs::current().message(
            MsgType::Confirmation,
            QStringLiteral("%1 件のお気に入りのURLを移動先に書き換えますか?").arg(moves.size()),
            mbYes | mbNo) != mbYes)
        return;
    CommitRowEdits();
    QStringList failures;
    for (const auto& [path, url] : moves) {
        const std::optional<size_t> entry = favorites_.IndexOf(path);
        // Changed on disk since it was listed, or edited since: left as it is.
        if (!entry || ReadShortcutUrl(path) != favorites_.At(*entry).Entry.Url ||
            favorites_.At(*entry).Url != favorites_.At(*entry).Entry.Url) {
            failures << toQt(path);
            continue;
        }
        try {
            WriteShortcutUrl(path, url);
        } catch (const Error& e) {
            failures << e.text();
        }
    }
    ShellTreeView1Change();
    if (!failures.isEmpty())
        Dialogs::current().message(MsgType::Warning,
                                   QStringLiteral("書き換えなかったお気に入りがあります\r\n") +
                                       failures.join(QStringLiteral("\r\n")),
                                   mbOK);
}

} // namespace mv
