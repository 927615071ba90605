#pragma once
// A window shown without a modal loop that still works like a modal one: its owner (the main
// window) is disabled while it is visible and enabled again however it closes (its buttons,
// the close box, Escape). It is centred on the screen the first time it shows.

#include <QDialog>
#include <QPointer>

namespace mv {

class TOwnerBlockingDialog : public QDialog {
    Q_OBJECT
public:
    explicit TOwnerBlockingDialog(QWidget* owner) : owner_(owner) {}
    QWidget* Owner() const { return owner_; }

protected:
    // After each opening by the program, before the owner is disabled. The window system's
    // own shows and hides (minimising, restoring) are no opening or closing.
    virtual void Opened() {}

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QWidget> owner_;
    bool placed_ = false;
};

} // namespace mv
