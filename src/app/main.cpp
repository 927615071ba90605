#include "AppSetup.h"
#include "CommandLineFolder.h"
#include "MainWindow.h"
#include "SecondaryWindows.h"
#include "SettingsFile.h"
#include "SplashScreen.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/library.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mv::SetupApplication(app);
    const std::optional<QString> runFolder = mv::CommandLineFolder(QApplication::arguments());
    if (!runFolder) return 2;

    // The splash is painted once before the slow start-up work.
    auto* splash = new mv::TfrmSplash;
    splash->show();
    try {
        splash->FormShow();
    } catch (const mv::Error& e) {
        mv::Dialogs::current().showError(e.text());
    }
    QApplication::processEvents();
    splash->repaint();

    mv::TForm1 form(mv::SettingsPathFor(mv::library::executablePath()), splash);
    form.OpenForThisRun(*runFolder);
    mv::CreateSecondaryForms(form);
    form.show();
    return app.exec();
}
