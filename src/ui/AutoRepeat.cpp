#include "ui/AutoRepeat.h"

namespace mv {

TAutoRepeat::TAutoRepeat(std::function<void()> action, QObject* parent)
    : QObject(parent), action_(std::move(action)) {
    // Coarse timers may fire 5 % early; the delays are part of the feel.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TAutoRepeat::Repeat);
}

void TAutoRepeat::Press() {
    held_ = true;
    timer_.start(kFirstDelay);
    if (action_) action_();
}

void TAutoRepeat::Release() {
    held_ = false;
    timer_.stop();
}

void TAutoRepeat::Repeat() {
    if (!held_) return;
    timer_.start(kInterval);
    if (action_) action_();
}

} // namespace mv
