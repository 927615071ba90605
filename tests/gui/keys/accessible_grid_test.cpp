// The favorites grid as assistive technology reads it through QAccessible.

#include "gui/MainWindowFixture.h"

#include <QAccessible>

namespace {

using GridAccessTest = mvtest::MainWindowTest;

TEST_F(GridAccessTest, TheGridIsATableOfItsCellsAndCheckStates) {
    writeFavorite("アルファ.url", "http://alpha/", "first");
    writeFavorite("beta.url", "http://beta/");
    open();
    ASSERT_EQ(grid().RowCount(), 3);
    setMark(2);

    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface* t = table->tableInterface();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->rowCount(), 2); // the title row is the header, not a row
    EXPECT_EQ(t->columnCount(), 5);
    EXPECT_EQ(t->columnDescription(1), QStringLiteral("サイト名"));
    EXPECT_EQ(table->childCount(), 3 * 5);

    QAccessibleInterface* name = t->cellAt(0, 1);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->role(), QAccessible::Cell);
    EXPECT_EQ(name->text(QAccessible::Name), mv::toQt(cell(1, 1)));
    EXPECT_EQ(t->cellAt(1, 2)->text(QAccessible::Value), mv::toQt(cell(2, 2)));
    EXPECT_EQ(name->parent(), table);
    EXPECT_EQ(table->indexOfChild(name), 1 * 5 + 1);
    EXPECT_EQ(table->child(1 * 5 + 1), name);
    QAccessibleTableCellInterface* c = name->tableCellInterface();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->rowIndex(), 0);
    EXPECT_EQ(c->columnIndex(), 1);
    ASSERT_EQ(c->columnHeaderCells().size(), 1);
    EXPECT_EQ(c->columnHeaderCells()[0]->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(c->columnHeaderCells()[0]->text(QAccessible::Name), QStringLiteral("サイト名"));

    // Check boxes: checkable cells whose state follows the marks.
    QAccessibleInterface* mark1 = t->cellAt(0, 0);
    QAccessibleInterface* mark2 = t->cellAt(1, 0);
    EXPECT_TRUE(mark1->state().checkable);
    EXPECT_FALSE(mark1->state().checked);
    EXPECT_TRUE(mark2->state().checked);
    EXPECT_FALSE(name->state().checkable);
    // Toggled through the accessible action, as a screen reader user does.
    ASSERT_TRUE(mark1->actionInterface());
    mark1->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(cell(0, 1), "1");
    EXPECT_TRUE(listed().At(0).Checked);
    EXPECT_TRUE(mark1->state().checked);

    // The current cell is the selected one.
    grid().setRow(2);
    grid().setCol(4);
    ASSERT_EQ(t->selectedCells().size(), 1);
    EXPECT_EQ(t->selectedCells()[0]->tableCellInterface()->rowIndex(), 1);
    EXPECT_EQ(t->selectedCells()[0]->tableCellInterface()->columnIndex(), 4);
    EXPECT_TRUE(t->cellAt(1, 4)->state().selected);
    EXPECT_FALSE(name->state().selected);

    // A new listing: fewer rows, and a cell beyond them is no longer valid.
    std::filesystem::remove(favorites + "/beta.url");
    relist();
    EXPECT_EQ(t->rowCount(), 1);
    EXPECT_FALSE(mark2->isValid());
    EXPECT_TRUE(mark1->isValid());
}

} // namespace
