#pragma once
// Keeps the keyboard focus on the pane that held it while the panes are disabled for a while:
// a disabled widget hands its focus on to the next one in the window, and re-enabling it
// does not take the focus back.

#include <QPointer>
#include <QWidget>

namespace mv {

class PaneFocusKeeper {
public:
    PaneFocusKeeper(QWidget* first, QWidget* second);
    // Gives the focus back, unless it has moved on to something else meanwhile.
    ~PaneFocusKeeper();

    PaneFocusKeeper(const PaneFocusKeeper&) = delete;
    PaneFocusKeeper& operator=(const PaneFocusKeeper&) = delete;

private:
    QPointer<QWidget> pane_;
    QPointer<QWidget> focus_;
};

} // namespace mv
