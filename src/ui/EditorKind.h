#pragma once
// The editor kinds a program may add to the check-box grid: the drop-down list, the spin button
// and the drop-down calendar live in the grid editors library, which registers them here. The
// in-place editor asks for the kind of its style; a style without one edits as a plain box with
// a dead button. Integer columns likewise take their value rule from there.

#include "ui/GridColumns.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QKeyEvent;
class QPoint;
class QWidget;

namespace mv {

class TInplaceEdit3D;

// One kind's parts and behaviour for one editor. Made the first time the editor takes one of
// the kind's styles; lives as long as the editor.
class TEditorKind {
public:
    explicit TEditorKind(TInplaceEdit3D& editor) : editor_(editor) {}
    TEditorKind(const TEditorKind&) = delete;
    TEditorKind& operator=(const TEditorKind&) = delete;
    virtual ~TEditorKind() = default;

    TInplaceEdit3D& Editor() const { return editor_; }

    // The editor took one of this kind's styles, or left them.
    virtual void StyleEntered() {}
    virtual void StyleLeft() {}
    virtual void Resized() {}

    // The kind's pop-up (list or calendar); null when it has none or it is not open.
    virtual QWidget* OpenPopup() const { return nullptr; }
    virtual void ShowPopup() {}
    // `accept` takes what the pop-up shows into the editor.
    virtual void ClosePopup(bool /*accept*/) {}

    // A left press on the button: false when it is spent (no tracking of the button follows).
    virtual bool ButtonPressed() { return true; }
    // The pointer, in screen coordinates, dragged from the button over the open pop-up: the
    // pop-up takes over (true). `held` says whether the left button is still down.
    virtual bool DragOverPopup(const QPoint& /*global*/, bool /*held*/) { return false; }
    // A left release, anywhere; `onButton` when it lies in the editor's hit area.
    virtual void Released(const QPoint& /*global*/, bool /*onButton*/) {}
    // Keys the kind uses itself; true when used.
    virtual bool KeyPressed(const QKeyEvent& /*event*/) { return false; }

    // Prepares the editor for a cell of `column` and gives its starting text.
    virtual std::string EditText(const TMOGridColumn& /*column*/, const std::string& cell) {
        return cell;
    }
    // What the cell stores for what the editor holds.
    virtual std::string StoredValue(const std::string& value) { return value; }

private:
    TInplaceEdit3D& editor_;
};

using TEditorKindFactory = std::unique_ptr<TEditorKind> (*)(TInplaceEdit3D& editor);
// Canonical cell text of a typed value, or nothing when the value is refused.
using TCellValueRule = std::optional<std::string> (*)(std::string_view value);

// One factory may serve several styles; an editor then shares one kind between them.
void RegisterEditorKind(std::initializer_list<TMOColumnButtonStyle> styles,
                        TEditorKindFactory factory);
TEditorKindFactory EditorKindFactory(TMOColumnButtonStyle style);

void RegisterCellValueRule(TInputDataType type, TCellValueRule rule);
TCellValueRule CellValueRule(TInputDataType type);

} // namespace mv
