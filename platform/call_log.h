// Watching the platform calls that change the machine (services started or stopped, files
// copied, moved, deleted or made, monitors, ports, print processors, drivers, printers and
// INF files added or removed), for the run's log.
#pragma once
#include <functional>
#include <string>

#include "platform/win.h"

namespace platform {

// Told after each such call returns: what was asked ("AddMonitorA ZRN 7730 Language/Port
// Monitor, ZRNKPMON.DLL"), whether it worked, and the error code when it did not.
using CallObserver = std::function<void(const std::string& call, bool ok, DWORD error)>;

// Wraps those entries of the table in use so that each call, made as before, is also told
// to the observer; the call's result and last error stay as the call left them.
void ObserveMachineChanges(CallObserver observer);

}  // namespace platform
