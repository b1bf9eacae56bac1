// The print spooler service: the check before installing, and the stop and restart
// around a port monitor upgrade.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

// The dependent services that StopSpooler stopped, in the order the service manager
// returned them; RestartSpooler starts them again in reverse order.
struct DependentServiceList {
    std::vector<std::string> names;
};

// The spooler's state (SERVICE_RUNNING, SERVICE_STOPPED, ...); 0, with the reason in error,
// when the service manager cannot be asked.
DWORD QuerySpoolerState(DWORD& error);

// Starts the spooler and waits (bounded) until it runs: ERROR_SUCCESS, also when another
// party started it first; otherwise why it does not run.
DWORD StartSpooler();

// True when the spooler runs or was started. Asks the user (owner may be null) when it
// is stopped; a No ends the process with exit code 0.
bool EnsureSpoolerRunning(HWND owner);

// Stops the spooler with its running dependents; true when it has stopped. When it fails,
// the dependents it had stopped are started again, and those that do not come back within
// about a minute are named in a warning (owner may be null).
bool StopSpooler(DependentServiceList& stopped, HWND owner = nullptr);

// Starts the spooler and then the stopped dependents; true when the spooler runs again. The
// dependents get about a minute in all; those that do not come back are named in a warning.
bool RestartSpooler(HWND owner, DependentServiceList& stopped);
