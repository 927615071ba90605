// Placement of the progress bar in a status-bar panel.
#include "ui/StatusProgressBar.h"
#include "support/WaitFor.h"

#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace mv {
namespace {

class StatusProgressBar : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QMainWindow>();
        window->resize(730, 494);
        statusBar = new TStatusBar;
        statusBar->AddPanel(100);
        statusBar->AddPanel(50);
        statusBar->setFixedHeight(17);
        window->setStatusBar(statusBar);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        bar = new TStatusProgressBar(window.get());
    }
    std::unique_ptr<QMainWindow> window;
    TStatusBar* statusBar = nullptr;
    TStatusProgressBar* bar = nullptr;
};

TEST_F(StatusProgressBar, FirstPanel) {
    bar->setStatusBar(statusBar);
    EXPECT_EQ(bar->parentWidget(), statusBar);
    EXPECT_EQ(bar->geometry(), QRect(0, 2, 100, 15));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
}

TEST_F(StatusProgressBar, LastPanelRunsToTheRightEdge) {
    bar->setStatusBar(statusBar);
    bar->setPanelIndex(1);
    EXPECT_EQ(bar->PanelIndex(), 1);
    const QRect placed = bar->geometry();
    EXPECT_EQ(placed.left(), 102);
    EXPECT_EQ(placed.width(), statusBar->width() - 102);
    // The window is laid out by Qt after the fact; the bar follows the status bar's width.
    window->resize(900, 494);
    ASSERT_TRUE(
        mvtest::waitFor([&] { return bar->geometry().width() == statusBar->width() - 102; }, 5000));
}

TEST_F(StatusProgressBar, MiddlePanelOfThree) {
    statusBar->AddPanel(80);
    bar->setStatusBar(statusBar);
    bar->setPanelIndex(1);
    EXPECT_EQ(bar->geometry(), QRect(102, 2, 48, 15));
    statusBar->setPanelWidth(0, 120);
    EXPECT_EQ(bar->geometry(), QRect(122, 2, 48, 15));
}

TEST_F(StatusProgressBar, AnotherStatusBarStartsInPanelZero) {
    bar->setStatusBar(statusBar);
    bar->setPanelIndex(1);
    bar->setStatusBar(statusBar); // the same one: nothing changes
    EXPECT_EQ(bar->PanelIndex(), 1);
    EXPECT_EQ(bar->geometry().left(), 102);

    auto* second = new TStatusBar(window.get());
    second->AddPanel(60);
    second->AddPanel(60);
    second->setGeometry(0, 0, 300, 20);
    bar->setStatusBar(second);
    EXPECT_EQ(bar->PanelIndex(), 0);
    EXPECT_EQ(bar->parentWidget(), second);
    EXPECT_EQ(bar->geometry(), QRect(0, 2, 60, 18));
}

TEST_F(StatusProgressBar, ClearingMovesTheBarOntoItsWindowWithTheSameBounds) {
    bar->setStatusBar(statusBar);
    bar->setPanelIndex(1);
    const QRect bounds = bar->geometry();
    bar->setStatusBar(nullptr);
    EXPECT_EQ(bar->parentWidget(), window.get());
    EXPECT_EQ(bar->geometry(), bounds);
    EXPECT_EQ(bar->PanelIndex(), 0);
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(StatusProgressBar, PanelThatDoesNotExistIsIgnored) {
    bar->setStatusBar(statusBar);
    bar->setPanelIndex(5);
    bar->setPanelIndex(-1);
    EXPECT_EQ(bar->PanelIndex(), 0);
    EXPECT_EQ(bar->geometry(), QRect(0, 2, 100, 15));
}

} // namespace
} // namespace mv
