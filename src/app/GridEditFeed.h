#pragma once
// Hands what the user types into a grid's cells to a handler as it is typed. The grid makes
// its in-place editor at the first edit; the editor is taken up when it is first shown.

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

namespace mv {

class TStringGrid;
class TInplaceEdit;

class GridEditFeed final : public QObject {
public:
    // `handler` gets the cell and the text the grid now holds in it.
    using Handler = std::function<void(int col, int row, const std::string& text)>;
    GridEditFeed(TStringGrid* grid, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Attach(TInplaceEdit* editor);

    TStringGrid* grid_;
    Handler handler_;
    QPointer<TInplaceEdit> editor_;
};

} // namespace mv
