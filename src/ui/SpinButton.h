#pragma once
// TSpinButton: the up/down button pair of the spin editor. It never takes the focus, so the
// edit box it sits in keeps it; a held half repeats.

#include <QWidget>

#include <functional>

namespace mv {

class TAutoRepeat;

class TSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButton(QWidget* parent = nullptr);

    std::function<void()> OnUpClick;
    std::function<void()> OnDownClick;

    QRect UpRect() const;
    QRect DownRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TAutoRepeat* up_;
    TAutoRepeat* down_;
};

} // namespace mv
