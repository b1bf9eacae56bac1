// Placeholder until the spooler control lands.
#include "install/spooler.h"

bool EnsureSpoolerRunning(HWND /*owner*/) { return true; }
bool StopSpooler(DependentServiceList& /*stopped*/) { return false; }
bool RestartSpooler(HWND /*owner*/, DependentServiceList& /*stopped*/) { return false; }
