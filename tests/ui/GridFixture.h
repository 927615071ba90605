#pragma once
// A window holding a favorites-style grid (five columns as the main window sets them up) and
// one other control to move the focus to.

#include "platform/codepage.h"
#include "ui/CheckBoxGrid.h"
#include "ui/JapaneseFonts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace mv::test {

inline void ConfigureFavoritesGrid(TMOStringGrid& grid) {
    grid.setFont(MsPGothicFont(12));
    grid.setFixedCols(0);
    grid.setColCount(5);
    grid.setFixedColor(QColor(223, 223, 223));
    grid.setColor(QColor(214, 211, 222));
    const TImeMode modes[] = {imDisable, imOpen, imDisable, imDisable, imHira};
    for (int c = 0; c < 5; ++c) {
        TMOGridColumn& column = grid.GridColumns()[c];
        column.setFont(MsPGothicFont(12));
        column.setFixCellFont(MsPGothicFont(12));
        column.setColor(Qt::white);
        column.setImeMode(modes[c]);
        column.setButtonStyle(c == 0 ? cbsCheckBox : cbsSimple);
    }
    grid.setColWidths(0, 40);
    for (int c = 1; c < 5; ++c)
        grid.setColWidths(c, 110);
    grid.setRowCount(10);
    grid.setFixedRows(1);
    grid.setCells(1, 0, "サイト名");
    grid.setCells(2, 0, "URL");
    grid.setCells(3, 0, "更新日");
    grid.setCells(4, 0, "コメント");
    for (int r = 1; r < 10; ++r) {
        grid.setCells(0, r, "0");
        grid.setCells(1, r, "サイト" + std::to_string(r));
        grid.setCells(2, r, "http://example.jp/" + std::to_string(r));
    }
}

// Types `text` as a keyboard would: each character goes to the widget that has the focus at
// that moment. (QTest's key clicks cannot carry characters outside ASCII.)
inline void TypeText(const QString& text) {
    for (const QChar ch : text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
}

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window_.get());
        grid = new TMOStringGrid;
        other = new QLineEdit;
        layout->addWidget(grid);
        layout->addWidget(other);
        ConfigureFavoritesGrid(*grid);
        window_->resize(560, 320);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        grid->setFocus();
        ASSERT_TRUE(grid->hasFocus());
    }
    void TearDown() override {
        window_.reset();
        CodePage::setActiveForTesting(nullptr);
    }

    QPoint Center(int col, int row) const { return grid->CellRect(col, row).center(); }
    void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(grid->viewport(), button, {}, Center(col, row));
    }
    // Colour of the grid's pixel at `pos` (viewport coordinates) as painted now.
    QColor PixelAt(QPoint pos) {
        const QImage image = grid->viewport()->grab().toImage();
        return image.pixelColor(pos * image.devicePixelRatio());
    }

    std::unique_ptr<QWidget> window_;
    TMOStringGrid* grid = nullptr;
    QLineEdit* other = nullptr;
};

} // namespace mv::test
