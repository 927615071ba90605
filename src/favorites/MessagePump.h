#pragma once

#include <chrono>

namespace mv {

// Handles every window event waiting for the user-interface thread, then returns. Long loops
// call it once per item so the window keeps painting and the toolbars keep answering.
void PumpMessages();

// For loops over many small items (a listing's files), where a pump per item would cost more
// than the items: pumps only when `interval` has passed since its last pump, which still
// keeps the window answering at once to the eye.
class ThrottledPump {
public:
    explicit ThrottledPump(std::chrono::milliseconds interval = std::chrono::milliseconds(15))
        : interval_(interval) {}
    // Pumps if the interval has passed; tells whether it did.
    bool operator()();

private:
    std::chrono::steady_clock::duration interval_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

} // namespace mv
