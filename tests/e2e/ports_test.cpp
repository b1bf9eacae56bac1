// The printer page's port list and the port monitor step as a user meets them: the wizard
// registers the monitor on a machine without it, the list shows the monitor's ports with
// their physical ports and the file port, the New port button opens the monitor's own
// dialog, and a package with a newer monitor offers the upgrade, which replaces the
// monitor's files while the spooler is stopped.
//
// Wine's spooler runs inside the calling process: this process never lists the spooler's
// ports, so that it never loads the monitor DLL, which setup.exe must be able to replace.
// The second test builds on the machine that the first one leaves; run alone, it lets the
// wizard register the monitor first.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>
// winspool.h names AddPortA "AddPort"; below, AddPort is the wizard driver's step.
#undef AddPort

#include <string>
#include <vector>

#include "sample/kpmonitor_shared.h"
#include "sample/kpmonitor_ui_ids.h"
#include "support/paths.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"

namespace {

using namespace scenario;

struct Row {
    std::string name, physical;
    bool selected;
};

bool operator==(const Row& a, const Row& b)
{
    return a.name == b.name && a.physical == b.physical && a.selected == b.selected;
}

std::ostream& operator<<(std::ostream& os, const Row& r)
{
    return os << '{' << r.name << ", \"" << r.physical << '"' << (r.selected ? ", selected}" : "}");
}

std::vector<Row> Rows(HWND printer)
{
    std::vector<Row> rows;
    for (int i = 0; i < e2e::ListCount(printer, IDC_PORTS); ++i)
        rows.push_back({e2e::ListItemText(printer, IDC_PORTS, i, 0), e2e::ListItemText(printer, IDC_PORTS, i, 1),
                        e2e::ListIsSelected(printer, IDC_PORTS, i)});
    return rows;
}

bool MonitorFilesFrom(const std::string& package)
{
    for (const char* dll : {kMonitorDll, kMonitorUiDll})
        if (!SameBytes(SystemDirectory() + "\\" + dll, package + "\\kpmonitor\\" + dll))
            return false;
    return true;
}

// Deletes a registry key with everything below it.
void DeleteKeyTree(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    for (;;) {
        char name[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteKeyTree(root, path + "\\" + name);
        // A key that cannot go would be found again forever.
        HKEY check = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &check) == ERROR_SUCCESS) {
            RegCloseKey(check);
            break;
        }
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

// Takes the sample monitor off the machine: its registration with its ports, and its files.
void RemoveMonitor()
{
    for (const PortMonitor& m : Monitors())
        if (lstrcmpiA(m.dll.c_str(), kMonitorDll) == 0)
            DeleteMonitorA(nullptr, nullptr, const_cast<char*>(m.name.c_str()));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, KPMON_MONITOR_KEY);
    for (const char* dll : {kMonitorDll, kMonitorUiDll})
        DeleteFileA((SystemDirectory() + "\\" + dll).c_str());
}

class Ports : public testing::Test {
protected:
    static void SetUpTestSuite() { e2e::ScopedWineVersion::Clear("setup.exe"); }

    void SetUp() override
    {
        ASSERT_TRUE(e2e::FileExists(testpaths::PackageDir() + "\\setup.exe")) << "no laid-out package";
        ASSERT_TRUE(e2e::FileExists(testpaths::UpgradePackageDir() + "\\setup.exe")) << "no upgrade package";
        // The spooler's question is another test's subject.
        ASSERT_TRUE(SetSpoolerRunning(true));
    }

    // Starts the wizard from a package and chooses the install task.
    void StartInstall(Wizard& wizard, const std::string& package)
    {
        ASSERT_TRUE(wizard.Start(package)) << wizard.Error();
        HWND welcome = wizard.WaitForPage(Page::Welcome);
        ASSERT_NE(nullptr, welcome) << wizard.Error();
        ASSERT_TRUE(wizard.ChooseTask(welcome, IDC_TASK_INSTALL)) << wizard.Error();
    }

    // The printer page, with no message box before it.
    HWND PrinterPageWithoutBox(Wizard& wizard)
    {
        HWND box = nullptr;
        HWND printer = wizard.WaitForPageOrBox(Page::Printer, &box);
        EXPECT_EQ(nullptr, box) << (box ? e2e::MessageBoxText(box) : std::string());
        if (box)
            e2e::AnswerMessageBox(box, IDNO);
        return printer ? printer : wizard.WaitForPage(Page::Printer);
    }

    void CancelWizard(Wizard& wizard, HWND page)
    {
        ASSERT_TRUE(wizard.Press(page, IDCANCEL)) << wizard.Error();
        ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();
    }
};

TEST_F(Ports, ListShowsTheMonitorsPortsAndTheNewPortButtonAddsThem)
{
    RemoveMonitor();
    ASSERT_EQ(nullptr, FindMonitorByDll(Monitors(), kMonitorDll));

    Wizard wizard;
    ASSERT_NO_FATAL_FAILURE(StartInstall(wizard, testpaths::PackageDir()));
    HWND printer = PrinterPageWithoutBox(wizard);
    ASSERT_NE(nullptr, printer) << wizard.Error();

    // The monitor step registered the monitor from the package's files.
    const std::vector<PortMonitor> monitors = Monitors();
    const PortMonitor* monitor = FindMonitorByDll(monitors, kMonitorDll);
    ASSERT_NE(nullptr, monitor);
    EXPECT_EQ(kMonitorName, monitor->name);
    EXPECT_TRUE(MonitorFilesFrom(testpaths::PackageDir()));

    // No port of the monitor yet: the file port, without a physical port; nothing chosen.
    EXPECT_EQ((std::vector<Row>{{"FILE:", "", false}}), Rows(printer));
    EXPECT_FALSE(e2e::IsItemEnabled(printer, IDOK));

    // Two ports through the monitor's own dialog: each listed, selected and chosen.
    std::string usb = "KPLUSB1:";
    ASSERT_TRUE(wizard.AddPort(printer, &usb, 0)) << wizard.Error();
    EXPECT_EQ((std::vector<Row>{{"FILE:", "", false}, {"KPLUSB1:", "USB", true}}), Rows(printer));
    EXPECT_TRUE(e2e::IsItemEnabled(printer, IDOK));
    std::string com = "KPLCOM3:";
    ASSERT_TRUE(wizard.AddPort(printer, &com, 3)) << wizard.Error();
    EXPECT_EQ((std::vector<Row>{{"FILE:", "", false}, {"KPLCOM3:", "COM 3", true}, {"KPLUSB1:", "USB", false}}),
              Rows(printer));
    EXPECT_TRUE(e2e::IsItemEnabled(printer, IDOK));

    // The dialog cancelled: no port, the choice stays.
    ASSERT_TRUE(wizard.Press(printer, IDC_NEW_PORT)) << wizard.Error();
    e2e::WindowQuery q;
    q.pid = wizard.Process().Id();
    q.caption = KPUI_ADD_CAPTION;
    HWND dialog = e2e::WaitForWindow(q);
    ASSERT_NE(nullptr, dialog) << wizard.Windows();
    ASSERT_TRUE(e2e::Click(dialog, IDCANCEL));
    ASSERT_TRUE(e2e::WaitForWindowGone(dialog));
    ASSERT_TRUE(e2e::Sync(printer));
    EXPECT_EQ((std::vector<Row>{{"FILE:", "", false}, {"KPLCOM3:", "COM 3", true}, {"KPLUSB1:", "USB", false}}),
              Rows(printer));
    EXPECT_TRUE(wizard.NoBoxOpen());

    // Back and Next again: the monitor step runs again without a word, the list is filled
    // again with nothing selected.
    ASSERT_TRUE(wizard.Press(printer, IDC_BACK)) << wizard.Error();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    ASSERT_TRUE(wizard.ChooseTask(welcome, IDC_TASK_INSTALL)) << wizard.Error();
    printer = PrinterPageWithoutBox(wizard);
    ASSERT_NE(nullptr, printer) << wizard.Error();
    EXPECT_EQ((std::vector<Row>{{"FILE:", "", false}, {"KPLCOM3:", "COM 3", false}, {"KPLUSB1:", "USB", false}}),
              Rows(printer));
    EXPECT_FALSE(e2e::IsItemEnabled(printer, IDOK));
    ASSERT_TRUE(wizard.SelectPort(printer, "KPLUSB1:")) << wizard.Error();
    EXPECT_TRUE(e2e::IsItemEnabled(printer, IDOK));

    ASSERT_NO_FATAL_FAILURE(CancelWizard(wizard, printer));
}

TEST_F(Ports, NewerMonitorIsOfferedAndReplacesTheFilesWhenAccepted)
{
    const std::string package = testpaths::PackageDir();
    const std::string upgrade = testpaths::UpgradePackageDir();
    if (!FindMonitorByDll(Monitors(), kMonitorDll) || !MonitorFilesFrom(package)) {
        // Run alone: the monitor of the first package, registered by the wizard.
        RemoveMonitor();
        Wizard first;
        ASSERT_NO_FATAL_FAILURE(StartInstall(first, package));
        HWND printer = PrinterPageWithoutBox(first);
        ASSERT_NE(nullptr, printer) << first.Error();
        ASSERT_NO_FATAL_FAILURE(CancelWizard(first, printer));
    }
    ASSERT_TRUE(MonitorFilesFrom(package));
    EXPECT_EQ("1.0.0.1", MonitorRegistryVersion());

    {
        // Declined: the printer page follows with the old monitor in place.
        Wizard wizard;
        ASSERT_NO_FATAL_FAILURE(StartInstall(wizard, upgrade));
        EXPECT_EQ(texts::kUpgradeQuestion, wizard.Answer(IDNO, "upgrade-question")) << wizard.Error();
        HWND printer = PrinterPageWithoutBox(wizard);
        ASSERT_NE(nullptr, printer) << wizard.Error();
        EXPECT_TRUE(MonitorFilesFrom(package));
        ASSERT_NO_FATAL_FAILURE(CancelWizard(wizard, printer));
    }
    {
        // Accepted: the spooler stopped and restarted around the copy of the newer files.
        Wizard wizard;
        ASSERT_NO_FATAL_FAILURE(StartInstall(wizard, upgrade));
        EXPECT_EQ(texts::kUpgradeQuestion, wizard.Answer(IDYES, "upgrade-question")) << wizard.Error();
        HWND printer = PrinterPageWithoutBox(wizard);
        ASSERT_NE(nullptr, printer) << wizard.Error();
        EXPECT_TRUE(MonitorFilesFrom(upgrade));
        EXPECT_EQ(DWORD(SERVICE_RUNNING), SpoolerState());
        // The page's list had the spooler load the new monitor, which records its version.
        EXPECT_EQ("1.0.0.2", MonitorRegistryVersion());
        EXPECT_GE(e2e::ListFind(printer, IDC_PORTS, "FILE:"), 0);
        ASSERT_NO_FATAL_FAILURE(CancelWizard(wizard, printer));
    }
    // Now the installed monitor is as new as the package's, or newer: nothing is offered.
    for (const std::string& from : {upgrade, package}) {
        SCOPED_TRACE(from);
        Wizard wizard;
        ASSERT_NO_FATAL_FAILURE(StartInstall(wizard, from));
        HWND printer = PrinterPageWithoutBox(wizard);
        ASSERT_NE(nullptr, printer) << wizard.Error();
        EXPECT_TRUE(MonitorFilesFrom(upgrade));
        ASSERT_NO_FATAL_FAILURE(CancelWizard(wizard, printer));
    }
}

}  // namespace
