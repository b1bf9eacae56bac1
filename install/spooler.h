// The print spooler service: the check before installing, and the stop and restart
// around a port monitor upgrade.
#pragma once
#include <string>
#include <vector>

#include "install/feedback.h"
#include "platform/win.h"

// The dependent services that StopSpooler stopped, in the order the service manager
// returned them; RestartSpooler starts them again in reverse order.
struct DependentServiceList {
    std::vector<std::string> names;
    // Set by a failed StopSpooler when the spooler had stopped and could not be started
    // again: it is down, and nothing more can be installed.
    bool spoolerDown = false;
};

// The spooler's state (SERVICE_RUNNING, SERVICE_STOPPED, ...); 0, with the reason in error,
// when the service manager cannot be asked. A spooler that is starting or stopping is awaited
// (bounded) first, so that one on its way up is not taken for a stopped one.
DWORD QuerySpoolerState(DWORD& error);

// Starts the spooler and waits (bounded) until it runs: ERROR_SUCCESS, also when another
// party started it first; otherwise why it does not run.
DWORD StartSpooler();

// What the spooler check found.
struct SpoolerCheck {
    bool running = false;
    bool started = false;              // the check started it
    Answer answer = Answer::Unanswered;  // to the question to start it, when it was asked
    // Why the service manager or the spooler could not even be asked (for instance without
    // an administrator's rights); nothing has been shown then. ERROR_SUCCESS when it was asked.
    DWORD unreachable = ERROR_SUCCESS;
};

// Makes sure that the spooler runs: asks (owner may be null) when it is stopped and starts it
// on Yes; a question that could not be shown counts as answered. A refused start is told; a
// spooler that cannot be asked is not. Nothing ends here.
SpoolerCheck CheckSpooler(HWND owner);

// The pages' check: CheckSpooler, true when the spooler runs or was started; a No ends the
// program with exit code 0.
bool EnsureSpoolerRunning(HWND owner);

// The check of the steps that cannot go on without the spooler: true when it runs; otherwise
// ends the process (exit code 4), first saying why when the check itself could not ask.
bool RequireSpooler(HWND owner);

// Stops the spooler with its running dependents; true when it has stopped. When it fails,
// what it had stopped is started again within about a minute: the dependents that do not
// come back are named in a warning (owner may be null); a spooler that does not come back
// sets stopped.spoolerDown.
bool StopSpooler(DependentServiceList& stopped, HWND owner = nullptr);

// Starts the spooler and then the stopped dependents; true when the spooler runs again. The
// dependents get about a minute in all; those that do not come back are named in a warning.
bool RestartSpooler(HWND owner, DependentServiceList& stopped);
