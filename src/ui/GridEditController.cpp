#include "ui/GridEditController.h"

#include "platform/codepage.h"
#include "ui/StringGrid.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>

namespace mv {

GridEditController::GridEditController(TStringGrid& grid) : grid_(grid) {}

GridEditController::~GridEditController() {
    Release();
}

void GridEditController::Release() {
    // The editor must not report focus changes to a grid that is going away.
    if (!editor_) return;
    editor_->grid_ = nullptr;
    delete editor_;
    editor_ = nullptr;
    active_ = false;
}

bool GridEditController::Visible() const {
    return editor_ && editor_->isVisible();
}

bool GridEditController::HasFocus() const {
    return editor_ && editor_->hasFocus();
}

void GridEditController::Show() {
    if (!grid_.CanEditShow()) return;
    if (!editor_) {
        editor_ = grid_.CreateEditor();
        QObject::connect(editor_, &QLineEdit::textChanged, &grid_,
                         [this](const QString& text) { TextChanged(text); });
    }
    active_ = true;
    grid_.ScrollIntoView(grid_.col_, grid_.row_);
    Load(true);
}

void GridEditController::Hide() {
    if (!active_) return;
    active_ = false;
    if (editor_) {
        if (editor_->hasFocus()) grid_.setFocus(Qt::OtherFocusReason);
        editor_->hide();
    }
    grid_.InvalidateCell(grid_.col_, grid_.row_);
}

void GridEditController::FollowCurrent() {
    if (active_)
        Load(true);
    else if ((grid_.options_ & goAlwaysShowEditor) && grid_.HasFocusWithin())
        Show();
}

void GridEditController::Load(bool selectAll) {
    if (!grid_.CanEditShow()) {
        Hide();
        return;
    }
    const int col = grid_.col_;
    const int row = grid_.row_;
    const QRect rect = grid_.CellGeometry(col, row);
    if (rect.isNull()) {
        Hide();
        return;
    }
    const bool takeFocus = grid_.HasFocusWithin();
    loading_ = true;
    original_ = grid_.Cells(col, row);
    editor_->setReadOnly(!grid_.CanEditModify());
    editor_->setText(toQt(grid_.GetEditText(col, row)));
    loading_ = false;
    editor_->setGeometry(rect);
    if (selectAll)
        editor_->selectAll();
    else
        editor_->end(false);
    editor_->show();
    editor_->update();
    if (takeFocus) editor_->setFocus(Qt::OtherFocusReason);
    grid_.InvalidateCell(col, row);
}

void GridEditController::Place() {
    if (!active_ || !editor_) return;
    const QRect rect = grid_.CellGeometry(grid_.col_, grid_.row_);
    if (rect.isNull())
        Hide();
    else
        editor_->setGeometry(rect);
}

void GridEditController::CaretToEnd() {
    if (active_) editor_->end(false);
}

void GridEditController::Cancel() {
    grid_.setCells(grid_.col_, grid_.row_, original_);
    emit grid_.OnEditText(grid_.col_, grid_.row_, original_);
}

void GridEditController::CellChanged(int col, int row) {
    // Not while the editor itself is writing, which would move the caret while typing.
    if (col != grid_.col_ || row != grid_.row_ || writingBack_ || !Visible()) return;
    loading_ = true;
    original_ = grid_.Cells(col, row);
    editor_->setText(toQt(grid_.GetEditText(col, row)));
    loading_ = false;
}

void GridEditController::TextChanged(const QString& text) {
    if (loading_ || !active_) return;
    writingBack_ = true;
    grid_.SetEditText(grid_.col_, grid_.row_, fromQt(text));
    writingBack_ = false;
    emit grid_.OnEditText(grid_.col_, grid_.row_, grid_.Cells(grid_.col_, grid_.row_));
}

bool GridEditController::TypeIntoEditor(QKeyEvent* event) {
    const QString text = event->text();
    const auto mods = event->modifiers();
    // A key a read-only editor ignores comes back up to the grid; it ends there.
    if (!(grid_.options_ & goEditing) || forwardingKey_ || text.isEmpty() ||
        !text.at(0).isPrint() ||
        (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    if (!active_) Show();
    if (!active_ || !editor_->isVisible()) return false;
    QKeyEvent copy(event->type(), event->key(), mods, text, event->isAutoRepeat(),
                   ushort(event->count()));
    forwardingKey_ = true;
    QCoreApplication::sendEvent(editor_, &copy);
    forwardingKey_ = false;
    return true;
}

bool GridEditController::TakeComposition(QInputMethodEvent* event) {
    if (!active_) Show();
    if (!active_ || !editor_->isVisible()) return false;
    QCoreApplication::sendEvent(editor_, event);
    return true;
}

void GridEditController::UpdateInputMethod() {
    grid_.setAttribute(Qt::WA_InputMethodEnabled,
                       (grid_.options_ & goEditing) && grid_.InputMethodAllowed(grid_.col_));
    if (grid_.hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

QVariant GridEditController::InputMethodQuery(Qt::InputMethodQuery query, bool& answered) const {
    answered = true;
    switch (query) {
    case Qt::ImEnabled:
        return bool(grid_.options_ & goEditing) && grid_.InputMethodAllowed(grid_.col_);
    case Qt::ImCursorRectangle:
        return grid_.CellGeometry(grid_.col_, grid_.row_);
    default:
        answered = false;
        return {};
    }
}

} // namespace mv
