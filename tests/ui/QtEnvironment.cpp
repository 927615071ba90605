// One QApplication for all tests of the executable, with the Japanese fonts mapped.
#include "ui/JapaneseFonts.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "markvane_ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        mv::InstallJapaneseFontSubstitutes();
        QApplication::setFont(mv::MsPGothicFont(12));
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
