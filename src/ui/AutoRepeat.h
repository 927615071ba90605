#pragma once
// Auto-repeat of a held button: the action runs on the press, again after 500 ms and then
// every 100 ms until the release.

#include <QObject>
#include <QTimer>

#include <functional>

namespace mv {

class TAutoRepeat : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstDelay = 500;
    static constexpr int kInterval = 100;

    explicit TAutoRepeat(std::function<void()> action, QObject* parent = nullptr);

    void Press();
    void Release();
    bool Held() const { return held_; }

private:
    void Repeat();

    std::function<void()> action_;
    QTimer timer_;
    bool held_ = false;
};

} // namespace mv
