// One QApplication for all window tests, set up as the program sets itself up (fonts, icon
// theme), but with scripted dialogs.

#include "app/AppSetup.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "markvane-gui-tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        mv::SetupApplication(*app_, /*realDialogs=*/false);
    }

private:
    QApplication* app_ = nullptr;
};

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
