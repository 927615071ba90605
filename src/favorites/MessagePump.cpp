#include "MessagePump.h"

#include <QCoreApplication>

namespace mv {

void PumpMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace mv
