#pragma once
// The string grid's in-place editing: making the editor, putting it on the current cell with the
// cell's text, writing what is typed back into the cell, putting the cell back on cancel, and
// the input method state of the grid while no editor is open.

#include <QVariant>

#include <string>

class QInputMethodEvent;
class QKeyEvent;
class QString;

namespace mv {

class TInplaceEdit;
class TStringGrid;

class GridEditController {
public:
    explicit GridEditController(TStringGrid& grid);
    GridEditController(const GridEditController&) = delete;
    GridEditController& operator=(const GridEditController&) = delete;
    ~GridEditController();

    TInplaceEdit* Editor() const { return editor_; }
    // The grid is in editor mode (EditorMode).
    bool Active() const { return active_; }
    bool Visible() const;
    bool HasFocus() const;

    // Opens the editor on the current cell when the grid allows it, its text all selected.
    void Show();
    void Hide();
    // Ends editing without destroying the editor (before the grid goes away).
    void Release();
    // The current cell moved: the open editor follows it.
    void FollowCurrent();
    // The current cell's rectangle changed: the editor moves, or closes when it left the view.
    void Place();
    void CaretToEnd();
    // Typing wrote into the cell as it went; this puts back what it held before.
    void Cancel();
    // A cell changed by the program: the open editor over it shows the new text.
    void CellChanged(int col, int row);
    // Cell text written back from the editor (not by the program).
    bool WritingBack() const { return writingBack_; }

    // A printable key typed on the grid: opens the editor and hands it the key. False when the
    // key is not for the editor.
    bool TypeIntoEditor(QKeyEvent* event);
    // A composition started on the grid: the editor takes it. False when no editor can open.
    bool TakeComposition(QInputMethodEvent* event);
    // Whether the grid accepts input methods now, and where its cursor is.
    void UpdateInputMethod();
    QVariant InputMethodQuery(Qt::InputMethodQuery query, bool& answered) const;

private:
    void Load(bool selectAll);
    void TextChanged(const QString& text);

    TStringGrid& grid_;
    TInplaceEdit* editor_ = nullptr;
    bool active_ = false;
    bool loading_ = false;       // editor text set by the grid, not typed
    bool writingBack_ = false;   // cell written from the editor
    bool forwardingKey_ = false; // a typed key on its way from the grid to the editor
    std::string original_;       // the cell's bytes when the editor opened
};

} // namespace mv
