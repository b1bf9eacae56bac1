// Waiting for a service to reach a state, with a bound.
#pragma once
#include "platform/win.h"

// How long any wait for a service state lasts at most, counted in pauses (about two minutes).
constexpr DWORD kServiceWaitLimitMs = 120000;
// The pause between two status queries while a service starts.
constexpr DWORD kServicePollMs = 250;

// A limit shared by several waits, counted in the pauses they make.
struct WaitBudget {
    DWORD remainingMs;
    bool ranOut = false;  // a wait ended because no pause was left
};

// Queries the service until its state is `wanted`, pausing `pauseMs` between queries, for at
// most kServiceWaitLimitMs of pauses and, with a budget, at most what is left of it. Returns
// ERROR_SUCCESS when the state was reached, else the error that says why not: the query's own
// error, ERROR_SERVICE_REQUEST_TIMEOUT when the time ran out, and, while waiting for
// SERVICE_RUNNING, the exit code of a service that stopped again (ERROR_SERVICE_NOT_ACTIVE when
// it reports none).
DWORD WaitForServiceState(SC_HANDLE service, DWORD wanted, DWORD pauseMs, WaitBudget* budget = nullptr);
