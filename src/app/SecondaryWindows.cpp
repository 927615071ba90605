#include "SecondaryWindows.h"

#include "MainWindow.h"
#include "ShellTreeView.h"
#include "favorites/MessagePump.h"
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

SecondaryForms CreateSecondaryForms(TForm1& form) {
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
        form.StorePropertyValues(row, v);
    };
    form.frmProperty->OnCommit = [&form](int row) { form.CommitPropertyRow(row); };

    form.Form2 = windows->add(new TForm2(form.StringGrid1, &form));
    return {form.frmVersion, form.frmAdd, form.frmProperty, form.Form2};
}

void CreateSecondaryFormsOnFirstUse(TForm1& form) {
    form.makeSecondaryForms_ = [&form] { CreateSecondaryForms(form); };
}

} // namespace mv
