#include "AppSetup.h"
#include "CheckLinksCommand.h"
#include "CommandLineFolder.h"
#include "MainWindow.h"
#include "OpenCommand.h"
#include "SecondaryWindows.h"
#include "SettingsFile.h"
#include "SplashScreen.h"
#include "VersionOption.h"

#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/favoritesfolder.h"
#include "platform/library.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (auto code = mv::HandleVersionOption(argc, argv)) return *code;
    if (const auto status = mv::RunCheckLinksCommand(argc, argv)) return *status;
    // The first listing is of the favorites folder: its files are read while the application
    // starts and the window is built, on a core that would otherwise wait.
    auto prefetch = std::make_unique<mv::ListingPrefetch>(mv::fromQt(mv::favoritesFolderPath()));
    QApplication app(argc, argv);
    mv::SetupApplication(app);
    if (const auto opened = mv::RunOpenCommand(argc, argv)) return *opened;
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
    form.UseListingPrefetch(std::move(prefetch));
    mv::CreateSecondaryFormsOnFirstUse(form);
    form.show();
    return app.exec();
}
