#include "install/spooler.h"

#include "framework/message_box.h"
#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "install/service_wait.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

using platform::ServiceHandle;

namespace {

const char kSpoolerService[] = "Spooler";

// Stop requests refused because dependents still run: how often, and the pause between them.
constexpr DWORD kStopAttempts = 30;
constexpr DWORD kDependentsPauseMs = 1000;
// The wait after an accepted stop request: pauses of 500 ms, at most 101 of them.
constexpr DWORD kStopPollMs = 500;
constexpr DWORD kStopPolls = 101;
// Time given to the service manager before the final status check, and its polling pause.
constexpr DWORD kSettleMs = 3000;
constexpr DWORD kFinalPollMs = 1000;
// All the waits of starting the dependents again together, however many they are.
constexpr DWORD kDependentsRestartLimitMs = 60000;

ServiceHandle OpenManager()
{
    return ServiceHandle(sys().OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_ALL_ACCESS));
}

ServiceHandle OpenNamedService(SC_HANDLE manager, const char* name)
{
    return ServiceHandle(sys().OpenServiceA(manager, name, SERVICE_ALL_ACCESS));
}

// The dependents that did not come back, in the order they were to start, and why the last
// of them did not.
struct DependentsLeft {
    std::vector<std::string> names;
    DWORD error = ERROR_SUCCESS;
};

// Starts the first `count` of `names` again, the last one first (the reverse of the stop order,
// so that a dependent's own dependencies start first), under the wait cursor. All their waits
// together last at most kDependentsRestartLimitMs: when that runs out, the ones not yet
// running are left. After a failed stop a dependent was only sent the stop and may still be
// stopping: it is awaited first, and one that will not start is passed over. Otherwise the
// first that will not start ends the restart.
DependentsLeft StartDependents(SC_HANDLE manager, const std::vector<std::string>& names, size_t count,
                               bool afterFailedStop)
{
    framework::ScopedWaitCursor wait;
    WaitBudget budget{kDependentsRestartLimitMs};
    DependentsLeft left;
    for (size_t i = count; i-- > 0;) {
        ServiceHandle service = OpenNamedService(manager, names[i].c_str());
        DWORD error = service ? ERROR_SUCCESS : sys().GetLastError();
        if (service && afterFailedStop)
            error = WaitForServiceState(service.get(), SERVICE_STOPPED, kServicePollMs, &budget);
        if (error == ERROR_SUCCESS) {
            if (!sys().StartServiceA(service.get(), 0, nullptr))
                error = sys().GetLastError();
            // Started already as a dependency of another: it runs, which is what is wanted.
            if (error == ERROR_SUCCESS || error == ERROR_SERVICE_ALREADY_RUNNING)
                error = WaitForServiceState(service.get(), SERVICE_RUNNING, kServicePollMs, &budget);
        }
        if (error == ERROR_SUCCESS)
            continue;
        left.names.push_back(names[i]);
        left.error = error;
        if (afterFailedStop && !budget.ranOut)
            continue;
        // The rest are not tried.
        while (i-- > 0)
            left.names.push_back(names[i]);
        break;
    }
    return left;
}

// Warning 2048 with the system text for the error and, after it, the services still stopped.
void WarnDependentsLeft(HWND owner, const DependentsLeft& left)
{
    std::string text = framework::LoadText(IDS_DEPENDENTS_NOT_STARTED) + framework::SystemErrorText(left.error);
    if (!left.names.empty()) {
        text = framework::Trim(text) + "\r\n\r\n";
        for (size_t i = 0; i < left.names.size(); ++i)
            text += (i ? ", " : "") + left.names[i];
    }
    framework::ShowText(owner, text, IDS_WIZARD_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

// Sends the spooler stop requests while it refuses them because of running dependents.
// ERROR_SUCCESS with the status of the accepted request, or the error of the refusal.
DWORD RequestStopAfterDependents(SC_HANDLE spooler, SERVICE_STATUS& status)
{
    for (DWORD attempt = 0; attempt < kStopAttempts; ++attempt) {
        if (sys().ControlService(spooler, SERVICE_CONTROL_STOP, &status))
            return ERROR_SUCCESS;
        DWORD error = sys().GetLastError();
        if (error != ERROR_DEPENDENT_SERVICES_RUNNING)
            return error;
        sys().Sleep(kDependentsPauseMs);
    }
    return ERROR_DEPENDENT_SERVICES_RUNNING;
}

// Waits for the spooler to stop after an accepted request, repeating the request to learn
// the current status. ERROR_SUCCESS, the exit code that the spooler reported, or
// ERROR_SERVICE_REQUEST_TIMEOUT.
DWORD WaitForSpoolerStop(SC_HANDLE spooler, SERVICE_STATUS status)
{
    if (status.dwCurrentState == SERVICE_STOPPED)
        return ERROR_SUCCESS;
    for (DWORD pauses = 0;;) {
        // Only the status record that the request fills matters here, not its result.
        sys().ControlService(spooler, SERVICE_CONTROL_STOP, &status);
        if (status.dwWin32ExitCode != ERROR_SUCCESS)
            return status.dwWin32ExitCode;
        sys().Sleep(kStopPollMs);
        if (++pauses == kStopPolls)
            return ERROR_SERVICE_REQUEST_TIMEOUT;
        if (status.dwCurrentState == SERVICE_STOPPED)
            return ERROR_SUCCESS;
    }
}

// The names of the spooler's running dependents, in the service manager's order.
// ERROR_SUCCESS (with an empty list when none runs) or the enumeration's error.
DWORD ListRunningDependents(SC_HANDLE spooler, std::vector<std::string>& names)
{
    DWORD needed = 0;
    DWORD count = 0;
    if (sys().EnumDependentServicesA(spooler, SERVICE_ACTIVE, nullptr, 0, &needed, &count))
        return ERROR_SUCCESS;
    DWORD error = sys().GetLastError();
    if (error != ERROR_MORE_DATA)
        return error;

    std::vector<BYTE> buffer(needed);
    auto* records = reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data());
    if (!sys().EnumDependentServicesA(spooler, SERVICE_ACTIVE, records, needed, &needed, &count))
        return sys().GetLastError();
    size_t fits = buffer.size() / sizeof(ENUM_SERVICE_STATUSA);
    for (DWORD i = 0; i < count && i < fits; ++i)
        names.emplace_back(records[i].lpServiceName ? records[i].lpServiceName : "");
    return ERROR_SUCCESS;
}

// Stops the spooler and its running dependents. ERROR_SUCCESS with the dependents that were
// stopped, or the error that explains the failure; the stopped dependents are then started
// again, and `left` gets those that did not come back.
DWORD StopSpoolerAndDependents(std::vector<std::string>& stopped, DependentsLeft& left)
{
    ServiceHandle manager = OpenManager();
    if (!manager)
        return sys().GetLastError();
    ServiceHandle spooler = OpenNamedService(manager.get(), kSpoolerService);
    if (!spooler)
        return sys().GetLastError();

    std::vector<std::string> dependents;
    DWORD error = ListRunningDependents(spooler.get(), dependents);
    if (error != ERROR_SUCCESS)
        return error;

    SERVICE_STATUS status = {};
    size_t sent = 0;  // dependents that accepted the stop request
    if (dependents.empty()) {
        if (!sys().ControlService(spooler.get(), SERVICE_CONTROL_STOP, &status))
            return sys().GetLastError();
    } else {
        // No wait for each dependent: the spooler refuses its own stop while any still runs.
        for (const std::string& name : dependents) {
            ServiceHandle service = OpenNamedService(manager.get(), name.c_str());
            SERVICE_STATUS serviceStatus = {};
            if (!service || !sys().ControlService(service.get(), SERVICE_CONTROL_STOP, &serviceStatus)) {
                error = sys().GetLastError();
                break;
            }
            ++sent;
        }
        if (error == ERROR_SUCCESS)
            error = RequestStopAfterDependents(spooler.get(), status);
        if (error != ERROR_SUCCESS) {
            left = StartDependents(manager.get(), dependents, sent, true);
            return error;
        }
    }

    DWORD stopError = WaitForSpoolerStop(spooler.get(), status);
    sys().Sleep(kSettleMs);
    if (stopError == ERROR_SUCCESS)
        stopError = WaitForServiceState(spooler.get(), SERVICE_STOPPED, kFinalPollMs);
    if (stopError != ERROR_SUCCESS) {
        left = StartDependents(manager.get(), dependents, sent, true);
        return stopError;
    }
    stopped = std::move(dependents);
    return ERROR_SUCCESS;
}

struct RestartOutcome {
    bool result = false;
    bool warn = false;      // a dependent did not come back, or the spooler's final check failed
    DWORD error = ERROR_SUCCESS;
    std::vector<std::string> left;  // the dependents still stopped
};

RestartOutcome StartSpoolerAndDependents(const std::vector<std::string>& dependents)
{
    RestartOutcome out;
    ServiceHandle manager = OpenManager();
    ServiceHandle spooler;
    if (manager)
        spooler = OpenNamedService(manager.get(), kSpoolerService);
    if (!spooler) {
        out.error = sys().GetLastError();
        return out;
    }

    if (!sys().StartServiceA(spooler.get(), 0, nullptr)) {
        // Someone else started it: it runs, and its dependents are left as they are.
        out.error = sys().GetLastError();
        out.result = out.error == ERROR_SERVICE_ALREADY_RUNNING;
        return out;
    }
    out.error = WaitForServiceState(spooler.get(), SERVICE_RUNNING, kServicePollMs);
    if (out.error != ERROR_SUCCESS)
        return out;
    out.result = true;

    DependentsLeft left = StartDependents(manager.get(), dependents, dependents.size(), false);
    if (!left.names.empty()) {
        out.warn = true;
        out.error = left.error;
        out.left = std::move(left.names);
        return out;
    }

    sys().Sleep(kSettleMs);
    out.error = WaitForServiceState(spooler.get(), SERVICE_RUNNING, kFinalPollMs);
    if (out.error != ERROR_SUCCESS) {
        out.result = false;
        out.warn = true;
    }
    return out;
}

}  // namespace

DWORD QuerySpoolerState(DWORD& error)
{
    ServiceHandle manager = OpenManager();
    ServiceHandle spooler = manager ? OpenNamedService(manager.get(), kSpoolerService) : ServiceHandle();
    SERVICE_STATUS status = {};
    if (!spooler || !sys().QueryServiceStatus(spooler.get(), &status)) {
        error = sys().GetLastError();
        return 0;
    }
    return status.dwCurrentState;
}

DWORD StartSpooler()
{
    ServiceHandle manager = OpenManager();
    ServiceHandle spooler = manager ? OpenNamedService(manager.get(), kSpoolerService) : ServiceHandle();
    if (!spooler)
        return sys().GetLastError();
    if (sys().StartServiceA(spooler.get(), 0, nullptr))
        return WaitForServiceState(spooler.get(), SERVICE_RUNNING, kServicePollMs);
    DWORD error = sys().GetLastError();
    return error == ERROR_SERVICE_ALREADY_RUNNING ? ERROR_SUCCESS : error;  // another party started it first
}

bool EnsureSpoolerRunning(HWND owner)
{
    // A spooler that cannot even be asked is reported as one that cannot be started: the
    // callers that need it end the program next.
    DWORD error = ERROR_SUCCESS;
    DWORD state = QuerySpoolerState(error);
    if (state == SERVICE_RUNNING)
        return true;
    if (state != 0) {
        int answer = framework::ShowMessage(owner, IDS_START_SPOOLER_QUESTION, IDS_WIZARD_CAPTION,
                                            MB_YESNO | MB_ICONQUESTION);
        if (answer == IDNO) {
            sys().ExitProcess(0);
            return false;
        }
        if (answer != IDYES)
            return true;  // the question could not be shown
        error = StartSpooler();
        if (error == ERROR_SUCCESS)
            return true;
    }
    framework::ShowPrefixedError(owner, IDS_START_SPOOLER_FAILED, error, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
    return false;
}

bool StopSpooler(DependentServiceList& stopped, HWND owner)
{
    stopped.names.clear();
    DependentsLeft left;
    DWORD error = StopSpoolerAndDependents(stopped.names, left);
    if (error == ERROR_SUCCESS)
        return true;
    if (!left.names.empty())
        WarnDependentsLeft(owner, left);
    // The caller reports the failure with the last error, which the box may have changed.
    sys().SetLastError(error);
    return false;
}

bool RestartSpooler(HWND owner, DependentServiceList& stopped)
{
    std::vector<std::string> dependents;
    dependents.swap(stopped.names);  // the list is used up on every path
    RestartOutcome outcome = StartSpoolerAndDependents(dependents);
    if (outcome.warn)
        WarnDependentsLeft(owner, {outcome.left, outcome.error});
    // The caller reports a failure with the last error, which the box may have changed.
    if (!outcome.result)
        sys().SetLastError(outcome.error);
    return outcome.result;
}
