// Runs the URL probe on a worker thread while the calling thread goes on processing its events,
// so a window keeps painting and its buttons (a cancel button, say) answer during a request.
#pragma once

#include "web/UrlProbe.h"

#include <string_view>

namespace mv {

using ProbeFunction = void (*)(std::string_view url, UrlProbeResult& result,
                               const UrlProbeTimeouts& timeouts);

// Makes `probe` the one RunProbe calls (ProbeUrl when null) and returns the one it replaces.
// Tests put a stand-in here to make a probe fail in ways a server cannot, or throw. Change it
// only while no probe runs.
ProbeFunction SetRunnerProbe(ProbeFunction probe);

// Probes `url` into `result` as ProbeUrl does (every field overwritten) and returns when the
// probe has ended. Meanwhile the calling thread's events are processed, timers and posted
// calls included, so anything an event handler may do can happen before this returns. An
// exception of the probe is thrown here. On a thread without an event dispatcher the probe
// simply runs on the calling thread.
void RunProbe(std::string_view url, UrlProbeResult& result, const UrlProbeTimeouts& timeouts = {});

} // namespace mv
