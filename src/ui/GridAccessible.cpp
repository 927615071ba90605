#include "ui/GridAccessible.h"

#include "platform/codepage.h"
#include "ui/CheckBoxGrid.h"
#include "ui/StringGrid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

#include <map>
#include <utility>

namespace mv {
namespace {

bool IsCheckCell(const TStringGrid* grid, int col, int row) {
    const auto* mo = qobject_cast<const TMOStringGrid*>(grid);
    return mo && row >= grid->FixedRows() && col >= 0 && col < mo->GridColumns().Count() &&
           mo->GridColumns()[col].ButtonStyle() == cbsCheckBox;
}

// The text a cell shows: its own, or for an empty title cell its column's caption.
QString ShownText(const TStringGrid* grid, int col, int row) {
    std::string_view text = grid->Cells(col, row);
    if (text.empty() && row < grid->FixedRows()) {
        if (const auto* mo = qobject_cast<const TMOStringGrid*>(grid);
            mo && col < mo->GridColumns().Count())
            text = mo->GridColumns()[col].Caption();
    }
    return toQt(text);
}

class GridCellAccessible;

// The grid as a table. Row and column numbers of the table interface count the data rows
// only; the fixed rows above them are the column headers.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(TStringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridAccessible() override {
        for (const auto& [cell, id] : cells_)
            QAccessible::deleteAccessibleInterface(id);
    }

    TStringGrid* Grid() const { return static_cast<TStringGrid*>(widget()); }
    int HeaderRows() const { return Grid()->FixedRows(); }

    // The cell of grid cell (col, row), made on first use and kept until the grid goes.
    QAccessibleInterface* CellOf(int col, int row);
    // The cell if a client has asked for it before, else null: nobody listens for it yet.
    QAccessibleInterface* CachedCell(int col, int row) const {
        const auto found = cells_.find(std::make_pair(col, row));
        return found == cells_.end() ? nullptr : QAccessible::accessibleInterface(found->second);
    }
    // A cell's place among the table's children, header cells first.
    int IndexOf(int col, int row) const { return row * Grid()->ColCount() + col; }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return Grid()->RowCount() * Grid()->ColCount(); }
    QAccessibleInterface* child(int index) const override {
        const int cols = Grid()->ColCount();
        if (index < 0 || index >= childCount()) return nullptr;
        return const_cast<GridAccessible*>(this)->CellOf(index % cols, index / cols);
    }
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint p = Grid()->viewport()->mapFromGlobal(QPoint(x, y));
        int col = -1;
        int row = -1;
        Grid()->MouseToCell(p.x(), p.y(), col, row);
        if (col < 0 || row < 0) return nullptr;
        return const_cast<GridAccessible*>(this)->CellOf(col, row);
    }
    QAccessibleInterface* focusChild() const override {
        if (!Grid()->hasFocus() && !Grid()->isAncestorOf(QApplication::focusWidget()))
            return nullptr;
        return const_cast<GridAccessible*>(this)->CellOf(Grid()->Col(), Grid()->Row());
    }

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        const int gridRow = row + HeaderRows();
        if (row < 0 || column < 0 || gridRow >= Grid()->RowCount() || column >= Grid()->ColCount())
            return nullptr;
        return const_cast<GridAccessible*>(this)->CellOf(column, gridRow);
    }
    int columnCount() const override { return Grid()->ColCount(); }
    int rowCount() const override { return Grid()->RowCount() - HeaderRows(); }
    QString columnDescription(int column) const override {
        return HeaderRows() > 0 ? ShownText(Grid(), column, HeaderRows() - 1) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    // The current cell stands for the selection: the grid selects one cell at a time.
    int selectedCellCount() const override { return rowCount() > 0 ? 1 : 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override {
        if (rowCount() <= 0) return {};
        return {const_cast<GridAccessible*>(this)->CellOf(Grid()->Col(), Grid()->Row())};
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

class GridCellAccessible : public QAccessibleInterface,
                           public QAccessibleTableCellInterface,
                           public QAccessibleActionInterface {
public:
    GridCellAccessible(TStringGrid* grid, int col, int row) : grid_(grid), col_(col), row_(row) {}

    bool isValid() const override {
        return grid_ && col_ < grid_->ColCount() && row_ < grid_->RowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    bool Header() const { return grid_ && row_ < grid_->FixedRows(); }
    bool Check() const { return grid_ && IsCheckCell(grid_, col_, row_); }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        switch (t) {
        case QAccessible::Name:
            if (Check())
                return columnHeaderText().isEmpty() ? QStringLiteral("チェック")
                                                    : columnHeaderText();
            return ShownText(grid_, col_, row_);
        case QAccessible::Value:
            return Check() ? QString() : ShownText(grid_, col_, row_);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text t, const QString& text) override {
        // Writing a cell goes through the grid's editor, so its owner hears of it as typing.
        if (t != QAccessible::Value || !isValid() || Header() || Check()) return;
        grid_->setCol(col_);
        grid_->setRow(row_);
        if (grid_->Col() != col_ || grid_->Row() != row_) return;
        grid_->setEditorMode(true);
        if (QLineEdit* editor = grid_->InplaceEditor(); editor && !editor->isReadOnly())
            editor->setText(text);
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = grid_->CellRect(col_, row_);
        if (r.isEmpty()) return {};
        return QRect(grid_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return Header() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const QRect r = grid_->CellRect(col_, row_);
        s.invisible = r.isEmpty();
        s.offscreen = r.isEmpty();
        if (!grid_->isEnabled()) s.disabled = true;
        if (Header()) return s;
        s.focusable = true;
        s.selectable = true;
        const bool current = grid_->Col() == col_ && grid_->Row() == row_;
        s.selected = current;
        s.focused =
            current && (grid_->hasFocus() || grid_->isAncestorOf(QApplication::focusWidget()));
        s.editable = !Check() && (grid_->Options() & goEditing);
        if (Check()) {
            s.checkable = true;
            s.checked = grid_->Cells(col_, row_) == "1";
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QList<QAccessibleInterface*> headers;
        if (!isValid() || Header()) return headers;
        auto* table = static_cast<GridAccessible*>(parent());
        for (int r = 0; r < grid_->FixedRows(); ++r)
            headers << table->CellOf(col_, r);
        return headers;
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return col_; }
    int rowIndex() const override { return grid_ ? row_ - grid_->FixedRows() : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // QAccessibleActionInterface: a check cell toggles, any cell can become the current one.
    QStringList actionNames() const override {
        if (!isValid() || Header()) return {};
        if (Check()) return {toggleAction(), setFocusAction()};
        return {setFocusAction()};
    }
    void doAction(const QString& name) override {
        if (!isValid() || Header()) return;
        if (name == setFocusAction() || name == toggleAction()) {
            grid_->setCol(col_);
            grid_->setRow(row_);
            grid_->setFocus();
        }
        if (name == toggleAction() && Check() && grid_->Col() == col_ && grid_->Row() == row_) {
            // The same way as the keyboard, so the owner hears of the change.
            QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            QCoreApplication::sendEvent(grid_.data(), &space);
        }
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == toggleAction()) return {QStringLiteral("Space")};
        return {};
    }

private:
    QString columnHeaderText() const {
        return grid_->FixedRows() > 0 ? ShownText(grid_, col_, grid_->FixedRows() - 1) : QString();
    }

    QPointer<TStringGrid> grid_;
    int col_;
    int row_;
};

QAccessibleInterface* GridAccessible::CellOf(int col, int row) {
    const auto key = std::make_pair(col, row);
    if (auto found = cells_.find(key); found != cells_.end())
        return QAccessible::accessibleInterface(found->second);
    auto* cell = new GridCellAccessible(Grid(), col, row);
    cells_[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    auto* cell = child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || child->parent() != this) return -1;
    return IndexOf(cell->columnIndex(), cell->rowIndex() + HeaderRows());
}

QAccessibleInterface* GridFactory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<TStringGrid*>(object)) return new GridAccessible(grid);
    return nullptr;
}

GridAccessible* TableOf(TStringGrid* grid) {
    if (!QAccessible::isActive()) return nullptr;
    return dynamic_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(grid));
}

} // namespace

void InstallGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&GridFactory);
        return true;
    }();
    (void)installed;
}

void NotifyGridCellChanged(TStringGrid* grid, int col, int row) {
    GridAccessible* table = TableOf(grid);
    if (!table) return;
    // A listing writes thousands of cells: only those a client has looked at are reported.
    QAccessibleInterface* cell = table->CachedCell(col, row);
    if (!cell) return;
    if (IsCheckCell(grid, col, row)) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(cell, changed);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleValueChangeEvent event(cell, cell->text(QAccessible::Value));
        QAccessible::updateAccessibility(&event);
    }
}

void NotifyGridCurrentChanged(TStringGrid* grid) {
    GridAccessible* table = TableOf(grid);
    if (!table) return;
    QAccessibleInterface* cell = table->CellOf(grid->Col(), grid->Row());
    QAccessibleEvent selection(cell, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
    if (grid->hasFocus()) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void NotifyGridResized(TStringGrid* grid) {
    GridAccessible* table = TableOf(grid);
    if (!table) return;
    QAccessibleTableModelChangeEvent event(grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&event);
}

} // namespace mv
