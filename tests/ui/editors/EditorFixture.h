#pragma once
// The favorites-style grid with one column turned into another editor kind.

#include "GridFixture.h"

#include "ui/InplaceEdit.h"

namespace mv::test {

class EditorFixture : public GridFixture {
protected:
    static constexpr int kCol = 2;

    TInplaceEdit3D* Editor() const { return grid->Editor(); }
    TMOGridColumn& Column() { return grid->GridColumns()[kCol]; }

    void StartEditing(int row, int col = kCol) {
        grid->setCol(col);
        grid->setRow(row);
        QTest::keyClick(grid, Qt::Key_F2);
        ASSERT_TRUE(grid->EditorMode());
        ASSERT_TRUE(Editor()->isVisible());
        ASSERT_TRUE(Editor()->hasFocus());
    }
    void ClickButton(Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(Editor(), Qt::LeftButton, modifiers, Editor()->ButtonRect().center());
    }
    QRect EditorOnScreen() const {
        return QRect(Editor()->mapToGlobal(QPoint(0, 0)), Editor()->size());
    }
};

} // namespace mv::test
