// The ways out of setup.exe that install nothing (or nothing further), on a fresh machine
// (fresh_prefix.sh): the stopped spooler that the user does not want started, a start
// directory without a driver INF, a Windows version the program refuses, and Cancel on each
// page. Each test compares the machine before and after through the spooler and the file system.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "sample/kpmonitor_ui_ids.h"
#include "support/paths.h"
#include "support/process.h"
#include "support/scenario_flows.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"

namespace {

using namespace scenario;

// What the port-monitor step of the printer state installs before the printer page shows.
std::vector<std::string> MonitorStepChanges()
{
    return {std::string("+ monitor: ") + kMonitorName + " (" + kMonitorDll + ")",
            std::string("+ system directory: ") + kMonitorDll, std::string("+ system directory: ") + kMonitorUiDll};
}

// The changes that are not among `allowed`.
std::vector<std::string> Unexpected(const std::vector<std::string>& changes, const std::vector<std::string>& allowed)
{
    std::vector<std::string> out;
    for (const std::string& c : changes)
        if (!Contains(allowed, c))
            out.push_back(c);
    return out;
}

class Refusals : public testing::Test {
protected:
    static void SetUpTestSuite() { e2e::ScopedWineVersion::Clear("setup.exe"); }

    void SetUp() override
    {
        m_package = testpaths::PackageDir();
        ASSERT_TRUE(e2e::FileExists(m_package + "\\setup.exe")) << "no laid-out package in " << m_package;
        ASSERT_TRUE(SetSpoolerRunning(true));
        m_before = Snapshot();
    }

    void TearDown() override
    {
        for (const std::string& dir : m_tempDirs)
            testpaths::RemoveTree(dir);
    }

    std::vector<std::string> Changes() { return Differences(m_before, Snapshot()); }

    std::string TempDir(const std::string& tag)
    {
        std::string dir = testpaths::MakeTempDir(tag);
        if (!dir.empty())
            m_tempDirs.push_back(dir);
        return dir;
    }

    // Cancel on the page ends the program with exit code 0 and opens nothing in the shell.
    void CancelEndsTheWizard(Wizard& wizard, HWND page)
    {
        ASSERT_TRUE(wizard.Press(page, IDCANCEL)) << wizard.Error();
        ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();
        EXPECT_TRUE(wizard.Children().Children().empty()) << wizard.Children().Describe();
    }

    std::string m_package;
    MachineState m_before;
    std::vector<std::string> m_tempDirs;
};

TEST_F(Refusals, StoppedSpoolerAndNoEndsTheProgramWithNothingInstalled)
{
    ASSERT_TRUE(SetSpoolerRunning(false));
    Wizard wizard;
    ASSERT_TRUE(wizard.Start(m_package)) << wizard.Error();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    ASSERT_TRUE(wizard.ChooseTask(welcome, IDC_TASK_INSTALL)) << wizard.Error();
    EXPECT_EQ(texts::kStartSpoolerQuestion, wizard.Answer(IDNO, "spooler-question")) << wizard.Error();
    ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();

    EXPECT_EQ(DWORD(SERVICE_STOPPED), SpoolerState());
    std::vector<std::string> changes = Changes();
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

TEST_F(Refusals, WithoutADriverInfOnlyTheCopyTaskIsOffered)
{
    // The package without its driver INF.
    const std::string dir = TempDir("no-inf");
    ASSERT_FALSE(dir.empty());
    ASSERT_TRUE(CreateDirectoryA((dir + "\\kpmonitor").c_str(), nullptr));
    for (const std::string& name : TreeOf(m_package)) {
        if (name.back() == '\\' || lstrcmpiA(name.c_str(), kDriverInf) == 0)
            continue;
        ASSERT_TRUE(e2e::CopyFileTo(m_package + "\\" + name, dir + "\\" + name)) << name;
    }

    Wizard wizard;
    ASSERT_TRUE(wizard.Start(dir)) << wizard.Error();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    EXPECT_FALSE(e2e::IsItemEnabled(welcome, IDC_TASK_INSTALL));
    EXPECT_FALSE(e2e::IsChecked(welcome, IDC_TASK_INSTALL));
    EXPECT_TRUE(e2e::IsChecked(welcome, IDC_TASK_COPY));
    // Next goes on with the copy task.
    ASSERT_TRUE(wizard.Press(welcome, IDOK)) << wizard.Error();
    HWND destination = wizard.WaitForPage(Page::Destination);
    ASSERT_NE(nullptr, destination) << wizard.Error();
    CancelEndsTheWizard(wizard, destination);

    std::vector<std::string> changes = Changes();
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

TEST_F(Refusals, WindowsSevenModeIsRefusedWithAMessage)
{
    e2e::ScopedWineVersion win7("setup.exe", "win7");
    ASSERT_TRUE(win7.Ok());
    Wizard wizard;
    ASSERT_TRUE(wizard.Start(m_package)) << wizard.Error();
    HWND box = wizard.WaitForBox();
    ASSERT_NE(nullptr, box) << wizard.Error();
    EXPECT_EQ(texts::kWrongSystem, e2e::MessageBoxText(box));
    EXPECT_NE(nullptr, e2e::Item(box, IDOK));
    EXPECT_EQ(nullptr, e2e::Item(box, IDCANCEL));
    // No page behind the message.
    e2e::WindowQuery page;
    page.pid = wizard.Pid();
    page.caption = texts::kPageCaption;
    EXPECT_EQ(nullptr, e2e::FindWindowNow(page));
    ASSERT_TRUE(e2e::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();

    std::vector<std::string> changes = Changes();
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

TEST_F(Refusals, CancelOnTheWelcomePage)
{
    Wizard wizard;
    ASSERT_TRUE(wizard.Start(m_package)) << wizard.Error();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    CancelEndsTheWizard(wizard, welcome);
    std::vector<std::string> changes = Changes();
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

TEST_F(Refusals, CancelOnThePrinterPageLeavesOnlyTheMonitorStep)
{
    Wizard wizard;
    HWND printer = StartTask(wizard, m_package, IDC_TASK_INSTALL);
    ASSERT_NE(nullptr, printer) << wizard.Error();
    CancelEndsTheWizard(wizard, printer);
    // The monitor step runs before the page shows; nothing else is installed.
    std::vector<std::string> unexpected = Unexpected(Changes(), MonitorStepChanges());
    EXPECT_TRUE(unexpected.empty()) << Join(unexpected);
    EXPECT_TRUE(HasMonitorDll(kMonitorDll));
}

TEST_F(Refusals, CancelInThePortDialogAndOnTheInstallSummary)
{
    Wizard wizard;
    HWND printer = StartTask(wizard, m_package, IDC_TASK_INSTALL);
    ASSERT_NE(nullptr, printer) << wizard.Error();
    const int rows = e2e::ListCount(printer, IDC_PORTS);

    // The monitor's dialog, cancelled: no port.
    ASSERT_TRUE(wizard.Press(printer, IDC_NEW_PORT)) << wizard.Error();
    e2e::WindowQuery q;
    q.pid = wizard.Pid();
    q.caption = KPUI_ADD_CAPTION;
    HWND dialog = e2e::WaitForWindow(q);
    ASSERT_NE(nullptr, dialog) << wizard.Windows();
    ASSERT_TRUE(wizard.Press(dialog, IDCANCEL)) << wizard.Error();
    ASSERT_TRUE(e2e::WaitForWindowGone(dialog));
    ASSERT_TRUE(e2e::Sync(printer));
    EXPECT_EQ(rows, e2e::ListCount(printer, IDC_PORTS));

    // The file port, a name, the summary, Cancel.
    ASSERT_TRUE(wizard.SelectPort(printer, "FILE:")) << wizard.Error();
    ASSERT_TRUE(wizard.TypePrinterName(printer, "ZRN 7730 Cancelled")) << wizard.Error();
    ASSERT_TRUE(wizard.Press(printer, IDOK)) << wizard.Error();
    HWND summary = wizard.WaitForPage(Page::Summary);
    ASSERT_NE(nullptr, summary) << wizard.Error();
    CancelEndsTheWizard(wizard, summary);

    std::vector<std::string> unexpected = Unexpected(Changes(), MonitorStepChanges());
    EXPECT_TRUE(unexpected.empty()) << Join(unexpected);
    EXPECT_FALSE(FindPrinter("ZRN 7730 Cancelled", nullptr));
    EXPECT_FALSE(HasDriver(kDriverName));
}

TEST_F(Refusals, CancelOnTheDestinationPage)
{
    Wizard wizard;
    HWND destination = StartTask(wizard, m_package, IDC_TASK_COPY);
    ASSERT_NE(nullptr, destination) << wizard.Error();
    CancelEndsTheWizard(wizard, destination);
    std::vector<std::string> changes = Changes();
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

TEST_F(Refusals, CancelOnTheCopySummaryCopiesNothing)
{
    const std::string target = TempDir("cancelled-copy") + "\\new";
    Wizard wizard;
    HWND destination = StartTask(wizard, m_package, IDC_TASK_COPY);
    ASSERT_NE(nullptr, destination) << wizard.Error();
    ASSERT_TRUE(e2e::SetItemText(destination, IDC_DIRECTORY, target));
    ASSERT_TRUE(wizard.Press(destination, IDOK)) << wizard.Error();
    HWND summary = wizard.WaitForPage(Page::Summary);
    ASSERT_NE(nullptr, summary) << wizard.Error();
    CancelEndsTheWizard(wizard, summary);

    // The destination page made the directory; nothing was copied into it.
    const DWORD made = GetFileAttributesA(target.c_str());
    EXPECT_TRUE(made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(TreeOf(target).empty()) << Join(TreeOf(target), ", ");
    std::vector<std::string> changes = Changes();
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

}  // namespace
