#pragma once
// TPopListBox: the drop-down list of the grid editor. A window of its own above the others
// that never takes the focus, so the editor keeps typing; any mouse release on it closes it.

#include <QListWidget>

namespace mv {

class TPopListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TPopListBox(QWidget* owner);

signals:
    // Every mouse release on the list.
    void OnMouseRelease();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace mv
