// The port monitor step and the port list against Wine's real spooler, service manager,
// registry and files, with the sample package as the build lays it out: the registration on a
// machine without the monitor, the ports with their physical ports on the real printer page,
// and the upgrade from the package with the newer monitor.
//
// The suite starts without the monitor (registration and DLL copies removed) and puts back
// what the prefix had when it ends.
#include <windows.h>
#include <winspool.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/wizard_app.h"
#include "framework/strings.h"
#include "install/port_monitor.h"
#include "pages/printer_page.h"
#include "res/resource.h"
#include "sample/kpmonitor_shared.h"
#include "support/page_run.h"
#include "support/paths.h"
#include "support/scenario_machine.h"
#include "support/scoped_api.h"
#include "support/wizard_texts.h"

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const char kMonitorName[] = KPMON_MONITOR_NAME;
const char* const kDlls[] = {KPMON_DLL_NAME, KPMON_UI_DLL_NAME};
// Names the step that a process of this program runs (see RunStep).
const char kStepVariable[] = "ZRN_MONITOR_TEST_STEP";

using scenario::SameBytes;

std::string CurrentDir()
{
    char dir[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

// The registered monitors whose DLL is the sample's, by name.
std::vector<std::string> SampleMonitors()
{
    std::vector<std::string> names;
    for (const scenario::PortMonitor& m : scenario::Monitors())
        if (lstrcmpiA(m.dll.c_str(), KPMON_DLL_NAME) == 0)
            names.push_back(m.name);
    return names;
}

BOOL RegisterMonitor()
{
    MONITOR_INFO_2A info = {};
    info.pName = const_cast<char*>(kMonitorName);
    info.pDLLName = const_cast<char*>(KPMON_DLL_NAME);
    return AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

// One Xcv command with a port and a type to the sample monitor; its status, ~0 when the call failed.
DWORD XcvPort(const wchar_t* command, const std::string& port, DWORD type)
{
    std::wstring name = L",XcvMonitor " KPMON_W(KPMON_MONITOR_NAME);
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE h = nullptr;
    if (!OpenPrinterW(&name[0], &h, &defaults))
        return ~0u;
    std::wstring wport(port.begin(), port.end());
    std::vector<BYTE> input(reinterpret_cast<const BYTE*>(wport.c_str()),
                            reinterpret_cast<const BYTE*>(wport.c_str() + wport.size() + 1));
    input.insert(input.end(), reinterpret_cast<const BYTE*>(&type), reinterpret_cast<const BYTE*>(&type + 1));
    DWORD needed = 0, status = ~0u;
    BOOL ok = XcvDataW(h, command, input.data(), static_cast<DWORD>(input.size()), nullptr, 0, &needed, &status);
    ClosePrinter(h);
    return ok ? status : ~0u;
}

class NullPage : public PrinterPageBase {
public:
    INT_PTR DoModal() override { return IDCANCEL; }
    HWND GetSafeHwnd() const override { return nullptr; }
};

// The suite: a machine without the monitor at the start, what the prefix had put back at the
// end. Each step of the wizard runs in a process of its own, as the wizard does: Wine's spooler
// runs inside the calling process, and a monitor DLL that any process has loaded (by registering
// the monitor or listing its ports) cannot be replaced or removed while it stays loaded. This
// process never loads it.
class PortMonitorOnWine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        system_ = scenario::SystemDirectory();
        backup_ = testpaths::MakeTempDir("monitor-backup");
        wasRegistered_ = !SampleMonitors().empty();
        for (int i = 0; i < 2; ++i) {
            std::string installed = system_ + "\\" + kDlls[i];
            hadDll_[i] = scenario::FileExists(installed);
            if (hadDll_[i])
                CopyFileA(installed.c_str(), (backup_ + "\\" + kDlls[i]).c_str(), FALSE);
        }
        RemoveMonitor();
        // The wizard's own question about a stopped spooler is not what these tests are about.
        spoolerStarted_ = scenario::SetSpoolerRunning(true);
    }

    static void TearDownTestSuite()
    {
        RemoveMonitor();
        for (int i = 0; i < 2; ++i)
            if (hadDll_[i])
                CopyFileA((backup_ + "\\" + kDlls[i]).c_str(), (system_ + "\\" + kDlls[i]).c_str(), FALSE);
        if (wasRegistered_)
            RegisterMonitor();
        testpaths::RemoveTree(backup_);
    }

    static void RemoveMonitor()
    {
        for (const std::string& name : SampleMonitors())
            DeleteMonitorA(nullptr, nullptr, const_cast<char*>(name.c_str()));
        for (const char* dll : kDlls)
            DeleteFileA((system_ + "\\" + dll).c_str());
    }

    void SetUp() override { ASSERT_TRUE(spoolerStarted_) << "the spooler service does not run"; }

    // Runs one test of the WizardProcess suite in a new process of this program.
    static void RunStep(const char* step)
    {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string command = std::string("\"") + self + "\" --gtest_filter=WizardProcess." + step;
        SetEnvironmentVariableA(kStepVariable, step);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        SetEnvironmentVariableA(kStepVariable, nullptr);
        ASSERT_TRUE(started) << GetLastError();
        // A bound against a hung process only; a step ends within seconds.
        DWORD waited = WaitForSingleObject(pi.hProcess, 300000);
        DWORD code = ~0u;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(code, 0u) << "the step " << step << " failed (its output is above)";
    }

    static std::string system_, backup_;
    static bool wasRegistered_, spoolerStarted_;
    static bool hadDll_[2];
};

std::string PortMonitorOnWine::system_, PortMonitorOnWine::backup_;
bool PortMonitorOnWine::wasRegistered_ = false, PortMonitorOnWine::spoolerStarted_ = false;
bool PortMonitorOnWine::hadDll_[2] = {false, false};

TEST_F(PortMonitorOnWine, MachineWithoutTheMonitorGetsItRegistered)
{
    ASSERT_THAT(SampleMonitors(), IsEmpty());

    RunStep("Register");

    EXPECT_THAT(SampleMonitors(), ElementsAre(kMonitorName));
    std::string package = testpaths::PackageDir();
    for (const char* dll : kDlls)
        EXPECT_TRUE(SameBytes(system_ + "\\" + dll, package + "\\kpmonitor\\" + dll)) << dll;
    // The monitor records its version when the spooler loads it.
    std::string version;
    EXPECT_TRUE(FindInstalledMonitorVersion(KPMON_DLL_NAME, version));
    EXPECT_EQ(version, "1.0.0.1");
}

TEST_F(PortMonitorOnWine, PrinterPageListsTheMonitorsPortsAndTheFilePort)
{
    ASSERT_THAT(SampleMonitors(), ElementsAre(kMonitorName));
    RunStep("ListPorts");
}

TEST_F(PortMonitorOnWine, NewerPackageOffersTheUpgradeAndReplacesTheFiles)
{
    ASSERT_THAT(SampleMonitors(), ElementsAre(kMonitorName));
    std::string upgrade = testpaths::UpgradePackageDir();
    ASSERT_FALSE(SameBytes(upgrade + "\\kpmonitor\\" KPMON_DLL_NAME, system_ + "\\" KPMON_DLL_NAME));

    RunStep("Upgrade");

    EXPECT_EQ(scenario::SpoolerState(), static_cast<DWORD>(SERVICE_RUNNING));
    for (const char* dll : kDlls)
        EXPECT_TRUE(SameBytes(system_ + "\\" + dll, upgrade + "\\kpmonitor\\" + dll)) << dll;
}

// The steps, each run by RunStep in a process of its own (skipped otherwise). Message boxes
// are answered here, and the spooler service's stop and start requests are noted.
class WizardProcess : public testing::Test {
protected:
    void SetUp() override
    {
        char step[64] = {};
        GetEnvironmentVariableA(kStepVariable, step, sizeof step);
        if (testing::UnitTest::GetInstance()->current_test_info()->name() != std::string(step))
            GTEST_SKIP() << "runs only as a step of the PortMonitorOnWine tests";
        start_ = CurrentDir();
        api->MessageBoxA = [this](HWND, LPCSTR text, LPCSTR caption, UINT) {
            boxes.push_back(std::string(caption) + ": " + text);
            return answer;
        };
        api->ExitProcess = [](UINT code) -> void { throw platform::ProcessExit(code); };
        auto control = api->ControlService;
        api->ControlService = [this, control](SC_HANDLE s, DWORD c, LPSERVICE_STATUS st) {
            if (c == SERVICE_CONTROL_STOP)
                serviceCalls.push_back("stop");
            return control(s, c, st);
        };
        auto start = api->StartServiceA;
        api->StartServiceA = [this, start](SC_HANDLE s, DWORD n, LPCSTR* args) {
            serviceCalls.push_back("start");
            return start(s, n, args);
        };
        app.m_versionInfo.dwOSVersionInfoSize = sizeof app.m_versionInfo;
        GetVersionExA(&app.m_versionInfo);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
    }

    void TearDown() override
    {
        for (const std::string& port : ports_)
            XcvPort(KPMON_XCV_DELETE_PORT, port, 0);
        if (!start_.empty())
            SetCurrentDirectoryA(start_.c_str());
    }

    // Runs the monitor step from a package directory; the current directory stays as it was.
    bool InstallFrom(const std::string& package)
    {
        const std::string before = CurrentDir();
        app.m_package.root = package;
        NullPage page;
        bool result = app.InstallPortMonitor(page);
        EXPECT_EQ(CurrentDir(), before);
        return result;
    }

    std::string MakePort(const char* stem, DWORD type)
    {
        std::string port = std::string(stem) + std::to_string(GetCurrentProcessId()) + ":";
        EXPECT_EQ(XcvPort(KPMON_XCV_ADD_PORT, port, type), static_cast<DWORD>(ERROR_SUCCESS)) << port;
        ports_.push_back(port);
        return port;
    }

    platform::ScopedApi api;
    WizardApp app;
    std::vector<std::string> boxes;
    std::vector<std::string> serviceCalls;
    int answer = IDOK;

private:
    std::string start_;
    std::vector<std::string> ports_;
};

TEST_F(WizardProcess, Register)
{
    EXPECT_TRUE(InstallFrom(testpaths::PackageDir()));
    EXPECT_THAT(boxes, IsEmpty());
    EXPECT_THAT(serviceCalls, IsEmpty());

    // Once registered, with the package's own version: nothing more to do, nothing shown.
    EXPECT_TRUE(InstallFrom(testpaths::PackageDir()));
    EXPECT_THAT(boxes, IsEmpty());
    EXPECT_THAT(serviceCalls, IsEmpty());
}

TEST_F(WizardProcess, ListPorts)
{
    std::string usb = MakePort("ITUSB", 0);
    std::string com = MakePort("ITCOM", 2);

    PrinterPage page(Package{testpaths::PackageDir()});
    std::vector<std::pair<std::string, std::string>> rows;
    bool shown = testpages::PageRun::Run(page, [&] {
        for (int i = 0; i < page.m_listPorts.GetItemCount(); ++i)
            rows.emplace_back(page.m_listPorts.GetItemText(i, 0), page.m_listPorts.GetItemText(i, 1));
    });
    ASSERT_TRUE(shown);

    EXPECT_THAT(rows, Contains(std::make_pair(usb, std::string("USB"))));
    EXPECT_THAT(rows, Contains(std::make_pair(com, std::string("COM 2"))));
    EXPECT_THAT(rows, Contains(std::make_pair(std::string("FILE:"), std::string())));
    // Wine's local ports belong to another monitor.
    for (const auto& row : rows)
        EXPECT_NE(row.first, "LPT1:");
    // Sorted by the list control.
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return lstrcmpiA(a.first.c_str(), b.first.c_str()) < 0;
    }));
    EXPECT_THAT(boxes, IsEmpty());
}

TEST_F(WizardProcess, Upgrade)
{
    answer = IDYES;

    EXPECT_TRUE(InstallFrom(testpaths::UpgradePackageDir()));

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string(texts::kBoxCaption) + ": " + framework::LoadText(IDS_UPGRADE_MONITOR));
    ASSERT_FALSE(serviceCalls.empty());
    EXPECT_EQ(serviceCalls.front(), "stop");
    EXPECT_EQ(serviceCalls.back(), "start");
}

}  // namespace
