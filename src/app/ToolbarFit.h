#pragma once
// Toolbars that compact instead of hiding commands behind their overflow arrow: a toolbar whose
// buttons, each with its caption beside its image, are wider than the window shows images only
// (the caption stays in the hint) until the window is wide enough again.

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QMainWindow;
class QToolBar;

namespace mv {

class ToolbarFit : public QObject {
    Q_OBJECT
public:
    // `restyle` is called whenever a toolbar turns compact or full again.
    ToolbarFit(QMainWindow* window, std::vector<QToolBar*> bars, std::function<void()> restyle);

    // Whether the buttons of the toolbar holding `action`'s button are shown compact.
    bool Compact(const QToolBar* bar) const;
    // Decides again for every toolbar; calls `restyle` when anything changed.
    void Update();

    // The width `bar` needs with every visible button showing its caption beside its image.
    static int FullWidth(const QToolBar& bar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow* window_;
    std::vector<QToolBar*> bars_;
    std::vector<bool> compact_;
    std::function<void()> restyle_;
};

} // namespace mv
