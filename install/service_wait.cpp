#include "install/service_wait.h"

#include "platform/api.h"

DWORD WaitForServiceState(SC_HANDLE service, DWORD wanted, DWORD pauseMs, WaitBudget* budget)
{
    DWORD waited = 0;
    for (;;) {
        SERVICE_STATUS status = {};
        if (!sys().QueryServiceStatus(service, &status))
            return sys().GetLastError();
        if (status.dwCurrentState == wanted)
            return ERROR_SUCCESS;
        // A service that has stopped while it was being started will not run without a new start.
        if (wanted == SERVICE_RUNNING && status.dwCurrentState == SERVICE_STOPPED)
            return status.dwWin32ExitCode != ERROR_SUCCESS ? status.dwWin32ExitCode : ERROR_SERVICE_NOT_ACTIVE;
        if (waited >= kServiceWaitLimitMs)
            return ERROR_SERVICE_REQUEST_TIMEOUT;
        if (budget) {
            if (budget->remainingMs < pauseMs) {
                budget->ranOut = true;
                return ERROR_SERVICE_REQUEST_TIMEOUT;
            }
            budget->remainingMs -= pauseMs;
        }
        sys().Sleep(pauseMs);
        waited += pauseMs;
    }
}
