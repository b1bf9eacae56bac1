#include "install/service_wait.h"

#include "platform/api.h"

Deadline::Deadline(DWORD limitMs) : start_(sys().GetTickCount()), limit_(limitMs) {}

bool Deadline::Passed() const
{
    // Unsigned arithmetic keeps the difference right across the clock's wrap.
    return sys().GetTickCount() - start_ >= limit_ || paused_ >= limit_;
}

void Deadline::Pause(DWORD ms)
{
    sys().Sleep(ms);
    paused_ += ms;
}

namespace {

// Queries the service until done(state) gives an answer other than ERROR_IO_PENDING, pausing
// between the queries, within the bounds of WaitForServiceState.
template <typename Done>
DWORD PollService(SC_HANDLE service, DWORD pauseMs, Deadline* shared, Done done)
{
    Deadline own(kServiceWaitLimitMs);
    for (;;) {
        SERVICE_STATUS status = {};
        if (!sys().QueryServiceStatus(service, &status))
            return sys().GetLastError();
        DWORD answer = done(status);
        if (answer != ERROR_IO_PENDING)
            return answer;
        if (own.Passed() || (shared && shared->Passed()))
            return ERROR_SERVICE_REQUEST_TIMEOUT;
        own.Pause(pauseMs);
        if (shared)
            shared->CountPause(pauseMs);
    }
}

}  // namespace

DWORD WaitForServiceState(SC_HANDLE service, DWORD wanted, DWORD pauseMs, Deadline* shared)
{
    return PollService(service, pauseMs, shared, [wanted](const SERVICE_STATUS& status) -> DWORD {
        if (status.dwCurrentState == wanted)
            return ERROR_SUCCESS;
        // A service that has stopped while it was being started will not run without a new start.
        if (wanted == SERVICE_RUNNING && status.dwCurrentState == SERVICE_STOPPED)
            return status.dwWin32ExitCode != ERROR_SUCCESS ? status.dwWin32ExitCode : ERROR_SERVICE_NOT_ACTIVE;
        return ERROR_IO_PENDING;
    });
}

DWORD WaitWhileStopping(SC_HANDLE service, DWORD pauseMs, Deadline* shared)
{
    return PollService(service, pauseMs, shared, [](const SERVICE_STATUS& status) -> DWORD {
        return status.dwCurrentState == SERVICE_STOP_PENDING ? ERROR_IO_PENDING : ERROR_SUCCESS;
    });
}
