#include "SecondaryWindows.h"

#include "ShellTreeView.h"
#include "MainWindow.h"
#include "favorites/ShortcutFile.h"
#include "favorites/MessagePump.h"
#include "platform/error.h"
#include "ui/CheckBoxGrid.h"
#include "ui/LinkLabel.h"
#include "web/shellexec.h"

#include <QEvent>
#include <QPointer>

#include <vector>

namespace mv {
namespace {

// Owns the secondary windows for the main window: deletes them with it and hides them when
// it hides, so none outlives the program's last window.
class SecondaryWindows final : public QObject {
public:
    explicit SecondaryWindows(QWidget* main) : QObject(main) {
        setObjectName(QStringLiteral("SecondaryWindows"));
        main->installEventFilter(this);
    }
    ~SecondaryWindows() override {
        for (const QPointer<QWidget>& w : windows_)
            delete w.data();
    }
    template <class T> T* add(T* window) {
        windows_.emplace_back(window);
        return window;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide)
            for (const QPointer<QWidget>& w : windows_)
                if (w) w->hide();
        return false;
    }

private:
    std::vector<QPointer<QWidget>> windows_;
};

} // namespace

void CreateSecondaryForms(TForm1& form) {
    auto* windows = new SecondaryWindows(&form);

    form.frmVersion = windows->add(new TfrmVersion(&form));
    for (TURLLink* link : form.frmVersion->findChildren<TURLLink*>())
        link->Opener = [](const QUrl& url) { return ShellOpen(url); };

    form.frmAdd = windows->add(new TfrmAdd(&form));
    form.frmAdd->SelectedFolder = [&form] { return form.ShellTreeView1->SelectedPath(); };
    form.frmAdd->Relist = [&form] {
        form.ClearGridRows();
        PumpMessages();
        form.ShellTreeView1Change();
    };

    form.frmProperty = windows->add(new TfrmProperty(&form));
    form.frmProperty->OnStore = [&form](int row, const PropertyValues& v) {
        TMOStringGrid& grid = *form.StringGrid1;
        if (row < 1 || row >= grid.RowCount()) return;
        grid.setCells(1, row, v.SiteName);
        grid.setCells(2, row, v.Url);
        grid.setCells(4, row, v.Comment);
    };
    form.frmProperty->OnCommit = [&form](int row) {
        // Recorded again here because the grid may have committed (and forgotten) the row
        // when the main window was disabled; the row's file and its values on disk are what
        // the commit compares with.
        if (row < 1 || row >= form.StringGrid1->RowCount()) return;
        form.RememberRow(row);
        form.CommitRowEdits();
    };

    form.Form2 = windows->add(new TForm2(form.StringGrid1, &form));
}

} // namespace mv
