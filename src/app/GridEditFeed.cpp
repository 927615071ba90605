#include "GridEditFeed.h"

#include "ui/StringGrid.h"

#include <QEvent>

namespace mv {

GridEditFeed::GridEditFeed(TStringGrid* grid, Handler handler)
    : QObject(grid), grid_(grid), handler_(std::move(handler)) {
    grid_->viewport()->installEventFilter(this);
    Attach(grid_->InplaceEditor());
}

bool GridEditFeed::eventFilter(QObject* watched, QEvent* event) {
    // The editor is polished when first shown, before any key reaches it; a paint is a second
    // chance. Neither comes while the grid is being destroyed, when its editor is gone.
    const QEvent::Type type = event->type();
    if (watched == grid_->viewport() && (type == QEvent::ChildPolished || type == QEvent::Paint))
        Attach(grid_->InplaceEditor());
    return false;
}

void GridEditFeed::Attach(TInplaceEdit* editor) {
    if (!editor || editor == editor_) return;
    editor_ = editor;
    // Connected after the grid's own connection, so the cell already holds the text.
    connect(editor, &QLineEdit::textChanged, this, [this] {
        handler_(grid_->Col(), grid_->Row(), grid_->Cells(grid_->Col(), grid_->Row()));
    });
}

} // namespace mv
