#pragma once

namespace mv {

// Handles every window event waiting for the user-interface thread, then returns. Long loops
// call it once per item so the window keeps painting and the toolbars keep answering.
void PumpMessages();

} // namespace mv
