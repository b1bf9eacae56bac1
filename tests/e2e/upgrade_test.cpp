// The monitor upgrade as a user meets it, on a fresh machine (fresh_prefix.sh): the sample
// package's monitor is installed first, then setup.exe is started from the package copy that
// carries a newer monitor. The wizard offers the upgrade; Yes stops the spooler, replaces the
// monitor's files in the system directory and starts the spooler again. The spooler and the
// installed monitor file are watched from this process all the while.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/paths.h"
#include "support/process.h"
#include "support/scenario_flows.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"

namespace {

using namespace scenario;

// The last-write time of a file, read without opening it: a copy in progress must not meet
// an open handle (the destination is opened without sharing), and the shell's copy keeps the
// source's last-write time.
bool LastWrite(const std::string& path, FILETIME* out)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    *out = data.ftLastWriteTime;
    return true;
}

bool Same(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The spooler's state and which package's monitor file is installed, recorded at each change.
struct Observation {
    DWORD spooler;
    std::string monitor;   // "old", "new", "other" or "missing"
};

class Watcher {
public:
    Watcher(const std::string& monitorFile, const FILETIME& oldFile, const FILETIME& newFile)
        : m_file(monitorFile), m_old(oldFile), m_new(newFile), m_thread([this] { Run(); })
    {
    }
    ~Watcher() { Stop(); }

    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::vector<Observation> Seen()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }

private:
    void Run()
    {
        while (!m_stop) {
            FILETIME written;
            const char* which = !LastWrite(m_file, &written) ? "missing"
                                : Same(written, m_old)        ? "old"
                                : Same(written, m_new)        ? "new"
                                                              : "other";
            Observation now{SpoolerState(), which};
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_seen.empty() || m_seen.back().spooler != now.spooler || m_seen.back().monitor != now.monitor)
                    m_seen.push_back(now);
            }
            Sleep(20);
        }
    }

    std::string m_file;
    FILETIME m_old, m_new;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<Observation> m_seen;
    std::thread m_thread;
};

std::string Describe(const std::vector<Observation>& seen)
{
    std::string out;
    for (const Observation& o : seen)
        out += "[spooler state " + std::to_string(o.spooler) + ", " + o.monitor + " monitor file] ";
    return out;
}

class Upgrade : public testing::Test {
protected:
    static void SetUpTestSuite() { e2e::ScopedWineVersion::Clear("setup.exe"); }
};

TEST_F(Upgrade, NewerMonitorIsOfferedAndYesReplacesItsFilesAroundASpoolerRestart)
{
    const std::string oldPackage = testpaths::PackageDir();
    const std::string newPackage = testpaths::UpgradePackageDir();
    const std::string installed = SystemDirectory() + "\\" + kMonitorDll;
    const std::string installedUi = SystemDirectory() + "\\" + kMonitorUiDll;
    const std::string oldVersion = FileVersionOf(oldPackage + "\\kpmonitor\\" + kMonitorDll);
    const std::string newVersion = FileVersionOf(newPackage + "\\kpmonitor\\" + kMonitorDll);
    ASSERT_FALSE(oldVersion.empty()) << "no laid-out package in " << oldPackage;
    ASSERT_FALSE(newVersion.empty()) << "no laid-out upgrade package in " << newPackage;
    ASSERT_NE(oldVersion, newVersion);
    ASSERT_FALSE(HasMonitorDll(kMonitorDll)) << "not a clean machine";
    ASSERT_TRUE(SetSpoolerRunning(true));

    // The older monitor, installed by the wizard; the user leaves at the printer page (the
    // spooler runs, so the monitor step has run by the time it shows).
    {
        Wizard first;
        HWND printer = StartTask(first, oldPackage, IDC_TASK_INSTALL);
        ASSERT_NE(nullptr, printer) << first.Error();
        ASSERT_TRUE(first.Press(printer, IDCANCEL)) << first.Error();
        ASSERT_TRUE(first.WaitForExit(0)) << first.Error();
    }
    ASSERT_EQ(oldVersion, FileVersionOf(installed));
    {
        // The spooler loads the monitor, which records its version.
        std::vector<SpoolerPort> ports = Ports();
        ASSERT_EQ(oldVersion, MonitorRegistryVersion());
    }
    const MachineState before = Snapshot();

    // The command line asks the same question: under /quiet without /yes nobody answers it,
    // and the run ends 5 with nothing changed.
    {
        Wizard quiet;
        ASSERT_TRUE(quiet.Start(newPackage, "/install /newport /quiet")) << quiet.Error();
        quiet.Process().WaitForExit(e2e::kLongWaitMs);
        EXPECT_EQ(5u, quiet.Process().ExitCode());
        EXPECT_EQ("", Join(Differences(before, Snapshot())));
        EXPECT_EQ(oldVersion, FileVersionOf(installed));
    }

    // The newer package: after Next, the wizard asks before it touches the spooler.
    Wizard wizard;
    ASSERT_TRUE(wizard.Start(newPackage)) << wizard.Error();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    ASSERT_TRUE(wizard.ChooseTask(welcome, IDC_TASK_INSTALL)) << wizard.Error();
    HWND question = wizard.WaitForBox();
    ASSERT_NE(nullptr, question) << wizard.Error();
    EXPECT_EQ(texts::kUpgradeQuestion, e2e::MessageBoxText(question));
    EXPECT_NE(nullptr, e2e::Item(question, IDYES));
    EXPECT_NE(nullptr, e2e::Item(question, IDNO));
    EXPECT_EQ(DWORD(SERVICE_RUNNING), SpoolerState());
    EXPECT_EQ(oldVersion, FileVersionOf(installed));

    // The two package files are told apart by their last-write times, which the copy keeps.
    FILETIME oldWritten, newWritten;
    ASSERT_TRUE(LastWrite(oldPackage + "\\kpmonitor\\" + kMonitorDll, &oldWritten));
    ASSERT_TRUE(LastWrite(newPackage + "\\kpmonitor\\" + kMonitorDll, &newWritten));
    ASSERT_FALSE(Same(oldWritten, newWritten));
    Watcher watcher(installed, oldWritten, newWritten);
    ASSERT_TRUE(e2e::AnswerMessageBox(question, IDYES));
    HWND printer = wizard.WaitForPage(Page::Printer);
    watcher.Stop();
    ASSERT_NE(nullptr, printer) << wizard.Error();

    // The spooler went down with the old monitor file still in place, and came back; the
    // new files are in place now.
    const std::vector<Observation> seen = watcher.Seen();
    size_t stopped = seen.size();
    for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i].spooler == SERVICE_STOPPED) {
            stopped = i;
            break;
        }
    }
    ASSERT_LT(stopped, seen.size()) << "the spooler was never seen stopped: " << Describe(seen);
    EXPECT_EQ("old", seen[stopped].monitor) << Describe(seen);
    EXPECT_EQ(DWORD(SERVICE_RUNNING), seen.back().spooler) << Describe(seen);
    EXPECT_EQ("new", seen.back().monitor) << Describe(seen);
    EXPECT_EQ(newVersion, FileVersionOf(installed));
    EXPECT_EQ(DWORD(SERVICE_RUNNING), SpoolerState());
    EXPECT_TRUE(ReadFileBytes(newPackage + "\\kpmonitor\\" + kMonitorDll) == ReadFileBytes(installed));
    EXPECT_TRUE(ReadFileBytes(newPackage + "\\kpmonitor\\" + kMonitorUiDll) == ReadFileBytes(installedUi));
    EXPECT_EQ(newVersion, FileVersionOf(installedUi));

    // The page works on with the upgraded monitor; the user leaves.
    EXPECT_TRUE(wizard.NoBoxOpen());
    ASSERT_TRUE(wizard.Press(printer, IDCANCEL)) << wizard.Error();
    ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();

    // The registration is the same monitor; the spooler now runs the new one.
    const std::vector<PortMonitor> monitors = Monitors();
    const PortMonitor* monitor = FindMonitorByDll(monitors, kMonitorDll);
    ASSERT_NE(nullptr, monitor);
    EXPECT_EQ(kMonitorName, monitor->name);
    {
        std::vector<SpoolerPort> ports = Ports();
        EXPECT_EQ(newVersion, MonitorRegistryVersion());
    }
    std::vector<std::string> changes = Differences(before, Snapshot());
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

}  // namespace
