#include "install/spooler.h"

#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "install/exit_codes.h"
#include "install/feedback.h"
#include "install/service_wait.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

using platform::ServiceHandle;

namespace {

const char kSpoolerService[] = "Spooler";

// What each step asks the service manager for: no more than it needs, so that a user
// without an administrator's rights can still learn whether the spooler runs.
constexpr DWORD kQueryAccess = SERVICE_QUERY_STATUS;
constexpr DWORD kStartAccess = SERVICE_START | SERVICE_QUERY_STATUS;
constexpr DWORD kStopSpoolerAccess = SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS;
constexpr DWORD kStopDependentAccess = SERVICE_STOP;

// Stop requests refused because dependents still run: how often, and the pause between them.
constexpr DWORD kStopAttempts = 30;
constexpr DWORD kDependentsPauseMs = 1000;
// The wait after an accepted stop request: pauses of 500 ms, at most 101 of them.
constexpr DWORD kStopPollMs = 500;
constexpr DWORD kStopPolls = 101;
// Time given to the service manager before the final status check, and its polling pause.
constexpr DWORD kSettleMs = 3000;
constexpr DWORD kFinalPollMs = 1000;
// Starting services again after a stop, however many they are, all its calls and waits
// together. A call is not made once the time is up; one that blocks is not cut short.
constexpr DWORD kRestartLimitMs = 60000;

ServiceHandle OpenManager()
{
    return ServiceHandle(sys().OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_CONNECT));
}

ServiceHandle OpenNamedService(SC_HANDLE manager, const char* name, DWORD access)
{
    return ServiceHandle(sys().OpenServiceA(manager, name, access));
}

// Starts the service and waits until it runs; one that another party started first is
// awaited as well.
DWORD StartAndAwait(SC_HANDLE service, Deadline* deadline)
{
    if (!sys().StartServiceA(service, 0, nullptr)) {
        DWORD error = sys().GetLastError();
        if (error != ERROR_SERVICE_ALREADY_RUNNING)
            return error;
    }
    return WaitForServiceState(service, SERVICE_RUNNING, kServicePollMs, deadline);
}

// Starts a service that was sent the stop, within the deadline. One that is still stopping
// cannot be started yet (the manager would call it running and then see it stop): it is
// awaited first.
DWORD StartAgain(SC_HANDLE manager, const std::string& name, Deadline& deadline)
{
    if (deadline.Passed())
        return ERROR_SERVICE_REQUEST_TIMEOUT;
    ServiceHandle service = OpenNamedService(manager, name.c_str(), kStartAccess);
    if (!service)
        return sys().GetLastError();
    DWORD error = WaitWhileStopping(service.get(), kServicePollMs, &deadline);
    return error == ERROR_SUCCESS ? StartAndAwait(service.get(), &deadline) : error;
}

// The services that did not come back, in the order they were to start, and why the last
// of them did not.
struct ServicesLeft {
    std::vector<std::string> names;
    DWORD error = ERROR_SUCCESS;
    bool spoolerDown = false;  // the spooler itself did not come back
};

// Starts the first `count` of `names` again, the last one first (the reverse of the stop order,
// so that a dependent's own dependencies start first), under the wait cursor, within the
// deadline: once it has passed, the ones not yet running are left. With keepGoing (after a
// failed stop) one that will not start is passed over; otherwise it ends the restart.
ServicesLeft StartDependents(SC_HANDLE manager, const std::vector<std::string>& names, size_t count,
                             bool keepGoing, Deadline& deadline)
{
    framework::ScopedWaitCursor wait;
    ServicesLeft left;
    for (size_t i = count; i-- > 0;) {
        DWORD error = StartAgain(manager, names[i], deadline);
        if (error == ERROR_SUCCESS)
            continue;
        left.names.push_back(names[i]);
        left.error = error;
        if (keepGoing && !deadline.Passed())
            continue;
        // The rest are not tried.
        while (i-- > 0)
            left.names.push_back(names[i]);
        break;
    }
    return left;
}

// After a failed stop, what had stopped is started again, within kRestartLimitMs in all: the
// spooler when it had accepted its stop, then the dependents that had been sent theirs.
ServicesLeft RecoverFailedStop(SC_HANDLE manager, const std::vector<std::string>& dependents, size_t sent,
                               bool spoolerStopped)
{
    Deadline deadline(kRestartLimitMs);
    if (spoolerStopped) {
        framework::ScopedWaitCursor wait;
        DWORD error = StartAgain(manager, kSpoolerService, deadline);
        if (error != ERROR_SUCCESS) {
            // Without the spooler its dependents cannot run either.
            ServicesLeft left;
            left.error = error;
            left.spoolerDown = true;
            return left;
        }
    }
    return StartDependents(manager, dependents, sent, true, deadline);
}

// Warning 2048 with the system text for the error and, after it, the services still stopped.
void WarnDependentsLeft(HWND owner, const ServicesLeft& left)
{
    std::string text = framework::LoadText(IDS_DEPENDENTS_NOT_STARTED) + framework::SystemErrorText(left.error);
    if (!left.names.empty()) {
        text = framework::Trim(text) + "\r\n\r\n";
        for (size_t i = 0; i < left.names.size(); ++i)
            text += (i ? ", " : "") + left.names[i];
    }
    StepFeedback().Tell(owner, text, IDS_WIZARD_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

// Sends the spooler stop requests while it refuses them because of running dependents, at
// most kStopAttempts times and no longer than their pauses take on the clock.
// ERROR_SUCCESS with the status of the accepted request, or the error of the refusal.
DWORD RequestStopAfterDependents(SC_HANDLE spooler, SERVICE_STATUS& status)
{
    Deadline deadline(kStopAttempts * kDependentsPauseMs);
    for (DWORD attempt = 0; attempt < kStopAttempts && !deadline.Passed(); ++attempt) {
        if (sys().ControlService(spooler, SERVICE_CONTROL_STOP, &status))
            return ERROR_SUCCESS;
        DWORD error = sys().GetLastError();
        if (error != ERROR_DEPENDENT_SERVICES_RUNNING)
            return error;
        deadline.Pause(kDependentsPauseMs);
    }
    return ERROR_DEPENDENT_SERVICES_RUNNING;
}

// Waits for the spooler to stop after an accepted request, repeating the request to learn
// the current status, for at most kStopPolls pauses and no longer than they take on the
// clock. ERROR_SUCCESS, the exit code that the spooler reported, or ERROR_SERVICE_REQUEST_TIMEOUT.
DWORD WaitForSpoolerStop(SC_HANDLE spooler, SERVICE_STATUS status)
{
    if (status.dwCurrentState == SERVICE_STOPPED)
        return ERROR_SUCCESS;
    Deadline deadline(kStopPolls * kStopPollMs);
    for (;;) {
        // Only the status record that the request fills matters here, not its result.
        sys().ControlService(spooler, SERVICE_CONTROL_STOP, &status);
        if (status.dwWin32ExitCode != ERROR_SUCCESS)
            return status.dwWin32ExitCode;
        deadline.Pause(kStopPollMs);
        if (deadline.Passed())
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

// Sends the stop to each dependent, without waiting for it: the spooler refuses its own stop
// while any still runs. ERROR_SUCCESS, or the error of the first that cannot be stopped;
// `sent` counts those that accepted.
DWORD StopDependents(SC_HANDLE manager, const std::vector<std::string>& dependents, size_t& sent)
{
    for (const std::string& name : dependents) {
        ServiceHandle service = OpenNamedService(manager, name.c_str(), kStopDependentAccess);
        SERVICE_STATUS status = {};
        if (!service || !sys().ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
            return sys().GetLastError();
        ++sent;
    }
    return ERROR_SUCCESS;
}

// Stops the spooler and its running dependents. ERROR_SUCCESS with the dependents that were
// stopped, or the error that explains the failure; what had stopped is then started again,
// and `left` gets what did not come back.
DWORD StopSpoolerAndDependents(std::vector<std::string>& stopped, ServicesLeft& left)
{
    ServiceHandle manager = OpenManager();
    if (!manager)
        return sys().GetLastError();
    ServiceHandle spooler = OpenNamedService(manager.get(), kSpoolerService, kStopSpoolerAccess);
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
        error = StopDependents(manager.get(), dependents, sent);
        if (error == ERROR_SUCCESS)
            error = RequestStopAfterDependents(spooler.get(), status);
        if (error != ERROR_SUCCESS) {
            left = RecoverFailedStop(manager.get(), dependents, sent, false);
            return error;
        }
    }

    DWORD stopError = WaitForSpoolerStop(spooler.get(), status);
    sys().Sleep(kSettleMs);
    if (stopError == ERROR_SUCCESS)
        stopError = WaitForServiceState(spooler.get(), SERVICE_STOPPED, kFinalPollMs);
    if (stopError != ERROR_SUCCESS) {
        // The spooler accepted the stop and may be down: it comes back first.
        left = RecoverFailedStop(manager.get(), dependents, sent, true);
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
        spooler = OpenNamedService(manager.get(), kSpoolerService, kStartAccess);
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

    Deadline deadline(kRestartLimitMs);
    ServicesLeft left = StartDependents(manager.get(), dependents, dependents.size(), false, deadline);
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
    ServiceHandle spooler = manager ? OpenNamedService(manager.get(), kSpoolerService, kQueryAccess) : ServiceHandle();
    SERVICE_STATUS status = {};
    if (!spooler || !sys().QueryServiceStatus(spooler.get(), &status)) {
        error = sys().GetLastError();
        return 0;
    }
    const DWORD state = status.dwCurrentState;
    if (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING) {
        // On its way up or down (common at start-up): the state it settles in is the answer.
        DWORD settled = state == SERVICE_START_PENDING
                            ? WaitForServiceState(spooler.get(), SERVICE_RUNNING, kServicePollMs)
                            : WaitWhileStopping(spooler.get(), kServicePollMs);
        if (settled == ERROR_SUCCESS && state == SERVICE_START_PENDING)
            return SERVICE_RUNNING;
        if (!sys().QueryServiceStatus(spooler.get(), &status)) {
            error = sys().GetLastError();
            return 0;
        }
    }
    return status.dwCurrentState;
}

DWORD StartSpooler()
{
    ServiceHandle manager = OpenManager();
    ServiceHandle spooler = manager ? OpenNamedService(manager.get(), kSpoolerService, kStartAccess) : ServiceHandle();
    if (!spooler)
        return sys().GetLastError();
    return StartAndAwait(spooler.get(), nullptr);
}

SpoolerCheck CheckSpooler(HWND owner)
{
    SpoolerCheck check;
    DWORD error = ERROR_SUCCESS;
    DWORD state = QuerySpoolerState(error);
    if (state == 0) {
        // Not even asked (no rights, no service): said by the callers that cannot go on.
        check.unreachable = error != ERROR_SUCCESS ? error : ERROR_SERVICE_DOES_NOT_EXIST;
        return check;
    }
    if (state == SERVICE_RUNNING) {
        check.running = true;
        return check;
    }
    check.answer = StepFeedback().Ask(owner, IDS_START_SPOOLER_QUESTION);
    if (check.answer == Answer::Unanswered) {
        check.running = true;  // the question could not be shown
        return check;
    }
    if (check.answer != Answer::Yes)
        return check;
    error = StartSpooler();
    check.running = check.started = error == ERROR_SUCCESS;
    if (!check.running)
        TellError(owner, IDS_START_SPOOLER_FAILED, error, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
    return check;
}

namespace {

// The pages' check: a No to the question ends the program as Cancel would.
SpoolerCheck CheckSpoolerForPages(HWND owner)
{
    SpoolerCheck check = CheckSpooler(owner);
    if (check.answer == Answer::No)
        StepFeedback().End(ExitCode::Done);
    return check;
}

}  // namespace

bool EnsureSpoolerRunning(HWND owner)
{
    return CheckSpoolerForPages(owner).running;
}

bool RequireSpooler(HWND owner)
{
    SpoolerCheck check = CheckSpoolerForPages(owner);
    if (check.running)
        return true;
    if (check.unreachable != ERROR_SUCCESS)
        TellError(owner, IDS_SPOOLER_UNREACHABLE, check.unreachable, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
    StepFeedback().End(ExitCode::SpoolerFailed);
    return false;
}

bool StopSpooler(DependentServiceList& stopped, HWND owner)
{
    stopped.names.clear();
    stopped.spoolerDown = false;
    ServicesLeft left;
    DWORD error = StopSpoolerAndDependents(stopped.names, left);
    if (error == ERROR_SUCCESS)
        return true;
    // A spooler that stays down is the caller's to report: nothing can be installed now.
    stopped.spoolerDown = left.spoolerDown;
    if (!left.names.empty())
        WarnDependentsLeft(owner, left);
    // The caller reports the failure with the last error, which the box may have changed.
    sys().SetLastError(left.spoolerDown ? left.error : error);
    return false;
}

bool RestartSpooler(HWND owner, DependentServiceList& stopped)
{
    std::vector<std::string> dependents;
    dependents.swap(stopped.names);  // the list is used up on every path
    RestartOutcome outcome = StartSpoolerAndDependents(dependents);
    if (outcome.warn)
        WarnDependentsLeft(owner, {outcome.left, outcome.error, false});
    // The caller reports a failure with the last error, which the box may have changed.
    if (!outcome.result)
        sys().SetLastError(outcome.error);
    return outcome.result;
}
