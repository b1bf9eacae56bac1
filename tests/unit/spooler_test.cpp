// Spooler service control against a scripted service manager.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "install/service_wait.h"
#include "install/spooler.h"
#include "res/resource.h"
#include "service_fakes.h"
#include "support/scoped_api.h"

namespace {

using servicefakes::ControlAnswer;
using servicefakes::Names;
using servicefakes::Service;
using servicefakes::Status;

// The window that owns the boxes.
HWND Owner()
{
    return reinterpret_cast<HWND>(0x1234);
}

// The service manager, with the boxes recorded and answered and the process's end caught.
class FakeServiceManager : public servicefakes::ServiceManager {
public:
    explicit FakeServiceManager(platform::ScopedApi& api) : ServiceManager(*api)
    {
        api->ExitProcess = [this](UINT code) {
            handlesAtExit = names.size();
            throw platform::ProcessExit(code);
        };
        api->MessageBoxA = [this](HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
            EXPECT_EQ(owner, Owner());
            EXPECT_EQ(std::string(caption), framework::LoadText(IDS_WIZARD_CAPTION));
            boxes.push_back(text);
            styles.push_back(style);
            return answer;
        };
    }

    int answer = IDYES;
    Names boxes;
    std::vector<UINT> styles;
    size_t handlesAtExit = 0;
};

std::string Prefixed(UINT id, DWORD error)
{
    return framework::LoadText(id) + framework::SystemErrorText(error);
}

// Warning 2048 naming the dependents that are still stopped.
std::string Warning(DWORD error, const std::string& names)
{
    return framework::Trim(Prefixed(IDS_DEPENDENTS_NOT_STARTED, error)) + "\r\n\r\n" + names;
}

std::vector<DWORD> Pauses(size_t n, DWORD ms)
{
    return std::vector<DWORD>(n, ms);
}

std::vector<DWORD> operator+(std::vector<DWORD> a, const std::vector<DWORD>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr size_t kStartPolls = kServiceWaitLimitMs / kServicePollMs;
constexpr size_t kFinalPolls = kServiceWaitLimitMs / 1000;

class SpoolerTest : public ::testing::Test {
protected:
    void SetUp() override { spooler().queries = {{SERVICE_RUNNING}}; }

    // Every handle is closed when an operation returns.
    void TearDown() override { EXPECT_TRUE(scm.names.empty()); }

    Service& spooler() { return scm.Add("Spooler"); }

    // Dependents that run and stop at once when asked.
    void AddDependents(const Names& names)
    {
        for (const std::string& n : names)
            scm.Add(n);
        scm.dependents = names;
    }

    platform::ScopedApi api;
    FakeServiceManager scm{api};
    HWND owner = Owner();
};

// ---- EnsureSpoolerRunning -------------------------------------------------------------

TEST_F(SpoolerTest, RunningSpoolerShowsNothingAlsoToAUserWithoutAdministratorRights)
{
    EXPECT_TRUE(EnsureSpoolerRunning(owner));
    scm.AsUser();
    EXPECT_TRUE(EnsureSpoolerRunning(owner));
    EXPECT_TRUE(scm.boxes.empty());
    EXPECT_TRUE(scm.calls.empty());
    EXPECT_TRUE(scm.sleeps.empty());
}

TEST_F(SpoolerTest, SpoolerOnItsWayUpOrDownIsAwaitedFirst)
{
    spooler().queries = {{SERVICE_START_PENDING}, {SERVICE_START_PENDING}, {SERVICE_RUNNING}};
    EXPECT_TRUE(EnsureSpoolerRunning(owner));
    EXPECT_TRUE(scm.boxes.empty());
    EXPECT_EQ(scm.sleeps, Pauses(1, kServicePollMs));

    spooler().queries = {{SERVICE_STOP_PENDING}, {SERVICE_STOPPED}};
    scm.answer = 0;
    EXPECT_TRUE(EnsureSpoolerRunning(owner));
    EXPECT_EQ(scm.boxes, Names{framework::LoadText(IDS_START_SPOOLER_QUESTION)});
}

TEST_F(SpoolerTest, SpoolerThatCannotBeAskedIsSaidOnlyByTheStepsThatNeedIt)
{
    scm.managerError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(EnsureSpoolerRunning(owner));
    scm.managerError = 0;

    spooler().queryError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(EnsureSpoolerRunning(owner));
    EXPECT_TRUE(scm.boxes.empty());

    scm.services.clear();
    try {
        RequireSpooler(owner);
        ADD_FAILURE() << "the process did not end";
    } catch (const platform::ProcessExit& e) {
        EXPECT_EQ(e.code, 4u);
    }
    EXPECT_EQ(scm.boxes, Names{Prefixed(IDS_SPOOLER_UNREACHABLE, ERROR_SERVICE_DOES_NOT_EXIST)});
}

TEST_F(SpoolerTest, StoppedAndNoEndsTheProcessBeforeAnythingElse)
{
    spooler().queries = {{SERVICE_STOPPED}};
    scm.answer = IDNO;
    try {
        EnsureSpoolerRunning(owner);
        ADD_FAILURE() << "the process did not end";
    } catch (const platform::ProcessExit& e) {
        EXPECT_EQ(e.code, 0u);
    }
    EXPECT_EQ(scm.handlesAtExit, 0u);  // both handles closed before the exit
    EXPECT_TRUE(scm.calls.empty());
    ASSERT_EQ(scm.boxes, Names{framework::LoadText(IDS_START_SPOOLER_QUESTION)});
    EXPECT_EQ(scm.styles[0], static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(SpoolerTest, StoppedAndYesStartsAndWaitsUntilRunning)
{
    spooler().queries = {{SERVICE_STOPPED}};
    spooler().afterStart = {{SERVICE_START_PENDING}, {SERVICE_START_PENDING}, {SERVICE_RUNNING}};
    EXPECT_TRUE(EnsureSpoolerRunning(owner));
    EXPECT_EQ(scm.calls, Names{"start Spooler"});
    EXPECT_EQ(scm.sleeps, Pauses(2, kServicePollMs));
    EXPECT_EQ(scm.boxes.size(), 1u);
}

TEST_F(SpoolerTest, StoppedYesAndAnotherPartyStartedItFirst)
{
    spooler().queries = {{SERVICE_STOPPED}, {SERVICE_RUNNING}};
    spooler().startError = ERROR_SERVICE_ALREADY_RUNNING;
    EXPECT_TRUE(EnsureSpoolerRunning(owner));
    EXPECT_EQ(scm.boxes.size(), 1u);
}

TEST_F(SpoolerTest, QuestionThatCannotBeShownCountsAsRunning)
{
    spooler().queries = {{SERVICE_STOPPED}};
    scm.answer = 0;
    EXPECT_TRUE(EnsureSpoolerRunning(owner));
    EXPECT_TRUE(scm.calls.empty());
}

TEST_F(SpoolerTest, RefusedStartIsReportedWithTheSystemText)
{
    spooler().queries = {{SERVICE_STOPPED}};
    spooler().startError = ERROR_SERVICE_DISABLED;
    EXPECT_FALSE(EnsureSpoolerRunning(owner));
    ASSERT_EQ(scm.boxes.size(), 2u);
    EXPECT_EQ(scm.boxes[1], Prefixed(IDS_START_SPOOLER_FAILED, ERROR_SERVICE_DISABLED));
    EXPECT_EQ(scm.styles[1], static_cast<UINT>(MB_OK | MB_ICONHAND));
}

TEST_F(SpoolerTest, StartThatNeverCompletesEndsAfterTheBound)
{
    spooler().queries = {{SERVICE_STOPPED}};
    spooler().afterStart = {{SERVICE_START_PENDING}};
    EXPECT_FALSE(EnsureSpoolerRunning(owner));
    EXPECT_EQ(scm.sleeps, Pauses(kStartPolls, kServicePollMs));
    ASSERT_EQ(scm.boxes.size(), 2u);
    EXPECT_EQ(scm.boxes[1], Prefixed(IDS_START_SPOOLER_FAILED, ERROR_SERVICE_REQUEST_TIMEOUT));
}

TEST_F(SpoolerTest, SpoolerThatStopsDuringItsStartIsReportedAtOnce)
{
    spooler().queries = {{SERVICE_STOPPED}};
    spooler().afterStart = {{SERVICE_START_PENDING}, {SERVICE_STOPPED, ERROR_PROCESS_ABORTED}};
    EXPECT_FALSE(EnsureSpoolerRunning(owner));
    EXPECT_EQ(scm.sleeps, Pauses(1, kServicePollMs));
    ASSERT_EQ(scm.boxes.size(), 2u);
    EXPECT_EQ(scm.boxes[1], Prefixed(IDS_START_SPOOLER_FAILED, ERROR_PROCESS_ABORTED));
}

TEST_F(SpoolerTest, StatusLostDuringTheStartIsReported)
{
    spooler().queries = {{SERVICE_STOPPED}};
    spooler().afterStart = {{SERVICE_START_PENDING}};
    api->StartServiceA = [this](SC_HANDLE, DWORD, LPCSTR*) {
        spooler().queryError = ERROR_INVALID_HANDLE;
        return TRUE;
    };
    EXPECT_FALSE(EnsureSpoolerRunning(owner));
    ASSERT_EQ(scm.boxes.size(), 2u);
    EXPECT_EQ(scm.boxes[1], Prefixed(IDS_START_SPOOLER_FAILED, ERROR_INVALID_HANDLE));
}

// ---- StopSpooler ----------------------------------------------------------------------

TEST_F(SpoolerTest, NoRunningDependentOneStopRequestAndAnEmptyList)
{
    DependentServiceList list;
    list.names = {"stale"};
    ASSERT_TRUE(StopSpooler(list));
    EXPECT_TRUE(list.names.empty());
    EXPECT_EQ(scm.calls, Names{"stop Spooler"});
    EXPECT_EQ(scm.sleeps, Pauses(1, 3000));
    EXPECT_EQ(scm.enumCalls, 1);

    // The restart then starts only the spooler.
    scm.calls.clear();
    scm.sleeps.clear();
    ASSERT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.calls, Names{"start Spooler"});
    EXPECT_EQ(scm.sleeps, Pauses(1, 3000));
    EXPECT_TRUE(scm.boxes.empty());
}

TEST_F(SpoolerTest, RefusedSingleStopRequestFails)
{
    spooler().controls = {{ERROR_SERVICE_CANNOT_ACCEPT_CTRL, {SERVICE_RUNNING}}};
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL));
    EXPECT_EQ(scm.calls, Names{"stop Spooler"});
    EXPECT_TRUE(scm.sleeps.empty());
}

TEST_F(SpoolerTest, DependentsStopInListedOrderAndStartInReverse)
{
    AddDependents({"A", "B", "C"});
    DependentServiceList list;
    ASSERT_TRUE(StopSpooler(list));
    EXPECT_EQ(list.names, (Names{"A", "B", "C"}));
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop B", "stop C", "stop Spooler"}));
    EXPECT_EQ(scm.enumCalls, 2);

    scm.calls.clear();
    ASSERT_TRUE(RestartSpooler(owner, list));
    EXPECT_TRUE(list.names.empty());
    EXPECT_EQ(scm.calls, (Names{"start Spooler", "start C", "start B", "start A"}));
    EXPECT_TRUE(scm.boxes.empty());
}

TEST_F(SpoolerTest, StopRefusedWhileDependentsRunIsRetriedWithPauses)
{
    AddDependents({"A"});
    spooler().controls = {{ERROR_DEPENDENT_SERVICES_RUNNING, {SERVICE_RUNNING}},
                          {ERROR_DEPENDENT_SERVICES_RUNNING, {SERVICE_RUNNING}},
                          {ERROR_SUCCESS, {SERVICE_STOPPED}}};
    DependentServiceList list;
    ASSERT_TRUE(StopSpooler(list));
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop Spooler", "stop Spooler", "stop Spooler"}));
    EXPECT_EQ(scm.sleeps, Pauses(2, 1000) + Pauses(1, 3000));
}

TEST_F(SpoolerTest, StopRefused30TimesFailsAndStartsTheDependentsAgain)
{
    AddDependents({"A", "B"});
    spooler().controls = {{ERROR_DEPENDENT_SERVICES_RUNNING, {SERVICE_RUNNING}}};
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEPENDENT_SERVICES_RUNNING));
    EXPECT_TRUE(list.names.empty());
    EXPECT_EQ(scm.sleeps, Pauses(30, 1000));
    Names expected{"stop A", "stop B"};
    expected.insert(expected.end(), 30, "stop Spooler");
    expected.insert(expected.end(), {"start B", "start A"});
    EXPECT_EQ(scm.calls, expected);
}

TEST_F(SpoolerTest, StopRefusedForAnotherReasonFailsAtOnce)
{
    AddDependents({"A"});
    spooler().controls = {{ERROR_ACCESS_DENIED, {SERVICE_RUNNING}}};
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop Spooler", "start A"}));
    EXPECT_TRUE(scm.sleeps.empty());
}

TEST_F(SpoolerTest, DependentsNotBackWithinAMinuteAfterAFailedStopAreNamed)
{
    AddDependents({"A", "B", "C"});
    spooler().controls = {{ERROR_ACCESS_DENIED, {SERVICE_RUNNING}}};
    scm.Add("C").startError = ERROR_SERVICE_DISABLED;    // passed over
    scm.Add("B").afterStart = {{SERVICE_START_PENDING}};  // never comes back
    DWORD waited = 0;
    api->Sleep = [&](DWORD ms) {
        waited += ms;
        EXPECT_GT(framework::WaitCursor::Depth(), 0);
    };
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list, owner));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop B", "stop C", "stop Spooler", "start C", "start B"}));
    EXPECT_LE(waited, 60000u);
    EXPECT_EQ(scm.boxes, Names{Warning(ERROR_SERVICE_REQUEST_TIMEOUT, "C, B, A")});
}

TEST_F(SpoolerTest, DependentThatCannotBeOpenedOrStoppedFailsTheStop)
{
    AddDependents({"A", "missing", "C"});
    scm.services.erase("missing");
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(scm.calls, (Names{"stop A", "start A"}));
    EXPECT_TRUE(list.names.empty());

    scm.calls.clear();
    scm.Add("missing").controls = {{ERROR_SERVICE_CANNOT_ACCEPT_CTRL, {SERVICE_START_PENDING}}};
    scm.Add("A").queries = {{SERVICE_RUNNING}};
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL));
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop missing", "start A"}));
}

TEST_F(SpoolerTest, DependentStillStoppingIsAwaitedBeforeItStartsAgain)
{
    AddDependents({"A", "missing"});
    scm.services.erase("missing");
    scm.Add("A").afterStop = {{SERVICE_STOP_PENDING}, {SERVICE_STOPPED}};
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(scm.calls, (Names{"stop A", "start A"}));
    EXPECT_EQ(scm.sleeps, Pauses(1, kServicePollMs));
}

TEST_F(SpoolerTest, FailedEnumerationFailsTheStop)
{
    scm.enumError = ERROR_ACCESS_DENIED;
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    scm.enumError = 0;
    scm.enumCalls = 0;
    AddDependents({"A"});
    scm.enumSecondError = ERROR_INVALID_HANDLE;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(scm.calls.empty());
}

TEST_F(SpoolerTest, NoManagerOrNoSpoolerFailsTheStop)
{
    scm.managerError = ERROR_ACCESS_DENIED;
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    scm.managerError = 0;
    scm.services.clear();
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_TRUE(scm.calls.empty());
}

TEST_F(SpoolerTest, StopIsAwaitedByRepeatingTheRequest)
{
    spooler().controls = {{ERROR_SUCCESS, {SERVICE_STOP_PENDING}},
                          {ERROR_SERVICE_CANNOT_ACCEPT_CTRL, {SERVICE_STOP_PENDING}},
                          {ERROR_SERVICE_NOT_ACTIVE, {SERVICE_STOPPED}}};
    DependentServiceList list;
    ASSERT_TRUE(StopSpooler(list));
    EXPECT_EQ(scm.calls, (Names{"stop Spooler", "stop Spooler", "stop Spooler"}));
    EXPECT_EQ(scm.sleeps, Pauses(2, 500) + Pauses(1, 3000));
}

TEST_F(SpoolerTest, ExitCodeWhileStoppingFailsTheStop)
{
    AddDependents({"A"});
    spooler().controls = {{ERROR_SUCCESS, {SERVICE_STOP_PENDING}},
                          {ERROR_SERVICE_CANNOT_ACCEPT_CTRL, {SERVICE_STOP_PENDING, ERROR_SERVICE_SPECIFIC_ERROR}}};
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
    EXPECT_EQ(scm.sleeps, Pauses(1, 3000));  // no pause after the exit code, then the settling pause
    // The spooler had accepted the stop: it is started again before its dependents.
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop Spooler", "stop Spooler", "start Spooler", "start A"}));
    EXPECT_TRUE(list.names.empty());
    EXPECT_FALSE(list.spoolerDown);

    // One that will not start again is down: no dependent is tried, and the caller is told.
    spooler().controls = {{ERROR_SUCCESS, {SERVICE_STOP_PENDING}},
                          {ERROR_SERVICE_CANNOT_ACCEPT_CTRL, {SERVICE_STOP_PENDING, ERROR_SERVICE_SPECIFIC_ERROR}}};
    spooler().startError = ERROR_SERVICE_DISABLED;
    scm.calls.clear();
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_TRUE(list.spoolerDown);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DISABLED));
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop Spooler", "stop Spooler", "start Spooler"}));
    EXPECT_TRUE(scm.boxes.empty());
}

TEST_F(SpoolerTest, NoStoppedStateWithin101PausesFailsTheStop)
{
    spooler().controls = {{ERROR_SUCCESS, {SERVICE_STOP_PENDING}},
                          {ERROR_SERVICE_CANNOT_ACCEPT_CTRL, {SERVICE_STOP_PENDING}}};
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_REQUEST_TIMEOUT));
    EXPECT_EQ(scm.sleeps, Pauses(101, 500) + Pauses(1, 3000));
    EXPECT_EQ(scm.calls.size(), 103u);
    EXPECT_EQ(scm.calls.back(), "start Spooler");
}

TEST_F(SpoolerTest, FinalCheckWaitsForTheStoppedState)
{
    spooler().afterStop = {{SERVICE_STOP_PENDING}, {SERVICE_STOP_PENDING}, {SERVICE_STOPPED}};
    DependentServiceList list;
    ASSERT_TRUE(StopSpooler(list));
    EXPECT_EQ(scm.sleeps, Pauses(1, 3000) + Pauses(2, 1000));
}

TEST_F(SpoolerTest, FinalCheckFailureOrTimeoutFailsTheStop)
{
    AddDependents({"A"});
    spooler().queryErrorAfterStop = true;
    DependentServiceList list;
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(scm.calls, (Names{"stop A", "stop Spooler"}));
    EXPECT_TRUE(list.names.empty());
    EXPECT_TRUE(list.spoolerDown);

    // Still stopping: awaited within the minute of the restart, then left down.
    spooler().queryErrorAfterStop = false;
    spooler().queryError = 0;
    spooler().afterStop = {{SERVICE_STOP_PENDING}};
    scm.Add("A").queries = {{SERVICE_RUNNING}};
    scm.sleeps.clear();
    EXPECT_FALSE(StopSpooler(list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_REQUEST_TIMEOUT));
    EXPECT_EQ(scm.sleeps, Pauses(1, 3000) + Pauses(kFinalPolls, 1000) + Pauses(60000 / kServicePollMs, kServicePollMs));
    EXPECT_TRUE(list.spoolerDown);
}

// ---- RestartSpooler -------------------------------------------------------------------

class RestartTest : public SpoolerTest {
protected:
    void SetUp() override
    {
        spooler().queries = {{SERVICE_STOPPED}};
        for (const char* n : {"A", "B", "C"})
            scm.Add(n).queries = {{SERVICE_STOPPED}};
        list.names = {"A", "B", "C"};
    }
    DependentServiceList list;
};

TEST_F(RestartTest, SpoolerAlreadyRunningLeavesTheDependentsStopped)
{
    spooler().startError = ERROR_SERVICE_ALREADY_RUNNING;
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.calls, Names{"start Spooler"});
    EXPECT_TRUE(scm.boxes.empty());
    EXPECT_TRUE(list.names.empty());
}

TEST_F(RestartTest, RefusedSpoolerStartFailsWithoutWarning)
{
    spooler().startError = ERROR_SERVICE_DISABLED;
    EXPECT_FALSE(RestartSpooler(owner, list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DISABLED));
    EXPECT_TRUE(scm.boxes.empty());
    EXPECT_TRUE(list.names.empty());

    list.names = {"A"};
    scm.managerError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(RestartSpooler(owner, list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(list.names.empty());
    EXPECT_TRUE(scm.boxes.empty());
}

TEST_F(RestartTest, WaitsForEachServiceToRun)
{
    spooler().afterStart = {{SERVICE_START_PENDING}, {SERVICE_RUNNING}};
    scm.Add("B").afterStart = {{SERVICE_START_PENDING}, {SERVICE_START_PENDING}, {SERVICE_RUNNING}};
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.sleeps, Pauses(3, kServicePollMs) + Pauses(1, 3000));
}

TEST_F(RestartTest, DependentThatRefusesToStartEndsTheRestartWithAWarning)
{
    scm.Add("B").startError = ERROR_SERVICE_DISABLED;
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.calls, (Names{"start Spooler", "start C", "start B"}));
    EXPECT_TRUE(scm.sleeps.empty());  // the final check is skipped
    ASSERT_EQ(scm.boxes, Names{Warning(ERROR_SERVICE_DISABLED, "B, A")});
    EXPECT_EQ(scm.styles[0], static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_TRUE(list.names.empty());
}

TEST_F(RestartTest, DependentThatCannotBeOpenedEndsTheRestartWithAWarning)
{
    scm.services.erase("C");
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.calls, Names{"start Spooler"});
    EXPECT_EQ(scm.boxes, Names{Warning(ERROR_SERVICE_DOES_NOT_EXIST, "C, B, A")});
}

TEST_F(RestartTest, DependentStartedAlreadyCountsAsRunning)
{
    scm.Add("B").startError = ERROR_SERVICE_ALREADY_RUNNING;
    scm.Add("B").queries = {{SERVICE_RUNNING}};
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.calls, (Names{"start Spooler", "start C", "start B", "start A"}));
    EXPECT_TRUE(scm.boxes.empty());
}

TEST_F(RestartTest, DependentThatNeverRunsEndsTheRestartWithinAMinute)
{
    scm.Add("B").afterStart = {{SERVICE_START_PENDING}};
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.calls, (Names{"start Spooler", "start C", "start B"}));
    EXPECT_LE(scm.sleeps.size() * kServicePollMs, 60000u);
    EXPECT_EQ(scm.boxes, Names{Warning(ERROR_SERVICE_REQUEST_TIMEOUT, "B, A")});
}

TEST_F(RestartTest, StartsThatBlockCountAgainstTheMinute)
{
    for (const char* n : {"A", "B", "C"})
        scm.Add(n).startMs = 30000;
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.calls, (Names{"start Spooler", "start C", "start B"}));
    EXPECT_EQ(scm.boxes, Names{Warning(ERROR_SERVICE_REQUEST_TIMEOUT, "A")});
}

TEST_F(RestartTest, SpoolerThatNeverRunsFailsWithoutTryingTheDependents)
{
    spooler().afterStart = {{SERVICE_START_PENDING}};
    EXPECT_FALSE(RestartSpooler(owner, list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_REQUEST_TIMEOUT));
    EXPECT_EQ(scm.calls, Names{"start Spooler"});
    EXPECT_TRUE(scm.boxes.empty());
}

TEST_F(RestartTest, FinalCheckWaitsForTheRunningState)
{
    list.names.clear();
    spooler().afterStart = {{SERVICE_RUNNING}, {SERVICE_START_PENDING}, {SERVICE_RUNNING}};
    EXPECT_TRUE(RestartSpooler(owner, list));
    EXPECT_EQ(scm.sleeps, Pauses(1, 3000) + Pauses(1, 1000));
    EXPECT_TRUE(scm.boxes.empty());
}

TEST_F(RestartTest, FinalCheckFailureWarnsAndFails)
{
    list.names.clear();
    spooler().afterStart = {{SERVICE_RUNNING}};
    api->Sleep = [this](DWORD ms) {
        scm.sleeps.push_back(ms);
        spooler().queryError = ERROR_INVALID_HANDLE;
    };
    // The warning box must not change the error that the caller reports.
    api->MessageBoxA = [this](HWND, LPCSTR text, LPCSTR, UINT) {
        scm.boxes.push_back(text);
        SetLastError(ERROR_SUCCESS);
        return IDOK;
    };
    EXPECT_FALSE(RestartSpooler(owner, list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(scm.boxes, Names{Prefixed(IDS_DEPENDENTS_NOT_STARTED, ERROR_INVALID_HANDLE)});
}

TEST_F(RestartTest, FinalCheckTimeoutWarnsAndFails)
{
    list.names.clear();
    spooler().afterStart = {{SERVICE_RUNNING}, {SERVICE_START_PENDING}};
    EXPECT_FALSE(RestartSpooler(owner, list));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_REQUEST_TIMEOUT));
    EXPECT_EQ(scm.sleeps, Pauses(1, 3000) + Pauses(kFinalPolls, 1000));
    EXPECT_EQ(scm.boxes, Names{Prefixed(IDS_DEPENDENTS_NOT_STARTED, ERROR_SERVICE_REQUEST_TIMEOUT)});
}

}  // namespace
