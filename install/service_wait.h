// Waiting for a service to reach a state, with bounds on the clock.
#pragma once
#include "platform/win.h"

// How long any single wait for a service state lasts at most (two minutes).
constexpr DWORD kServiceWaitLimitMs = 120000;
// The pause between two status queries while a service starts.
constexpr DWORD kServicePollMs = 250;

// A time limit on the system clock (GetTickCount), started when it is made, that several
// waits and calls can share. It also counts the pauses made against it, so that it runs out
// even where the clock does not move while a pause is made.
class Deadline {
public:
    explicit Deadline(DWORD limitMs);
    // True once the limit has passed on the clock or in the pauses counted.
    bool Passed() const;
    // Pauses for ms and counts the pause.
    void Pause(DWORD ms);
    // Counts a pause that was made against another deadline as well.
    void CountPause(DWORD ms) { paused_ += ms; }

private:
    DWORD start_;
    DWORD limit_;
    DWORD paused_ = 0;
};

// Queries the service until its state is `wanted`, pausing `pauseMs` between queries, for at
// most kServiceWaitLimitMs and, with a shared deadline, no longer than it allows. Returns
// ERROR_SUCCESS when the state was reached, else the error that says why not: the query's own
// error, ERROR_SERVICE_REQUEST_TIMEOUT when the time ran out, and, while waiting for
// SERVICE_RUNNING, the exit code of a service that stopped again (ERROR_SERVICE_NOT_ACTIVE when
// it reports none).
DWORD WaitForServiceState(SC_HANDLE service, DWORD wanted, DWORD pauseMs, Deadline* shared = nullptr);

// Waits while the service is stopping (SERVICE_STOP_PENDING), with the same bounds; then it
// can be started again. ERROR_SUCCESS, the query's error or ERROR_SERVICE_REQUEST_TIMEOUT.
DWORD WaitWhileStopping(SC_HANDLE service, DWORD pauseMs, Deadline* shared = nullptr);
