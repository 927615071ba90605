#include "MessagePump.h"

#include <QCoreApplication>

namespace mv {

void PumpMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace mv

namespace mv {

bool ThrottledPump::operator()() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_) return false;
    PumpMessages();
    last_ = std::chrono::steady_clock::now();
    return true;
}

} // namespace mv
