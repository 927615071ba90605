#pragma once
// TSpinButton: the up/down button pair of the spin editor. It never takes the focus, so the
// edit box it sits in keeps it; a held half repeats.

#include <QWidget>

namespace mv {

class TAutoRepeat;

class TSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButton(QWidget* parent = nullptr);

    QRect UpRect() const;
    QRect DownRect() const;

signals:
    // On the press of a half, and again while it is held.
    void OnUpClick();
    void OnDownClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TAutoRepeat* up_;
    TAutoRepeat* down_;
};

} // namespace mv
