// The welcome, printer and summary pages of setup.exe, driven from this process as a
// user would: the task choice, the spooler question, the printer name checks, the port
// list's selection, the summary of each task, Back and Cancel.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/paths.h"
#include "support/process.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"
#include "support/wizard_texts.h"

namespace {

// A printer queue that exists while the tests run, for the "already installed" check.
const char kExistingPrinter[] = "ZRN Pages Existing Printer";
const char kExistingDriver[] = "ZRN Pages Test Driver";

// ---- a queue that exists -----------------------------------------------------------------

bool PrinterExists(const char* name)
{
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &h, nullptr))
        return false;
    ClosePrinter(h);
    return true;
}

// Adds a queue on FILE: with a driver made of the sample package's driver files.
std::string AddExistingPrinter(const std::string& packageDir)
{
    if (PrinterExists(kExistingPrinter))
        return {};
    std::string driverPath = packageDir + "\\ZRN7730.DLL";
    std::string dataPath = packageDir + "\\ZRN7730.GPD";
    std::string configPath = packageDir + "\\ZRN7730UI.DLL";
    DRIVER_INFO_3A di = {};
    di.cVersion = 3;
    di.pName = const_cast<char*>(kExistingDriver);
    di.pEnvironment = nullptr;  // the spooler's own environment
    di.pDriverPath = &driverPath[0];
    di.pDataFile = &dataPath[0];
    di.pConfigFile = &configPath[0];
    di.pDefaultDataType = const_cast<char*>("RAW");
    if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES))
        return "AddPrinterDriverExA failed: " + std::to_string(GetLastError());
    PRINTER_INFO_2A pi = {};
    pi.pPrinterName = const_cast<char*>(kExistingPrinter);
    pi.pPortName = const_cast<char*>("FILE:");
    pi.pDriverName = const_cast<char*>(kExistingDriver);
    pi.pPrintProcessor = const_cast<char*>("winprint");
    pi.pDatatype = const_cast<char*>("RAW");  // Wine's spooler needs it explicitly
    pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
    if (!h)
        return "AddPrinterA failed: " + std::to_string(GetLastError());
    ClosePrinter(h);
    return {};
}

void RemoveExistingPrinter()
{
    HANDLE h = nullptr;
    PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(const_cast<char*>(kExistingPrinter), &h, &access)) {
        DeletePrinter(h);
        ClosePrinter(h);
    }
    DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(kExistingDriver));
}

// The queue for one test, removed with its driver at the end of it however the test ends.
struct ExistingPrinter {
    explicit ExistingPrinter(const std::string& packageDir) : error(AddExistingPrinter(packageDir)) {}
    ~ExistingPrinter() { RemoveExistingPrinter(); }
    ExistingPrinter(const ExistingPrinter&) = delete;
    ExistingPrinter& operator=(const ExistingPrinter&) = delete;
    std::string error;  // empty when the queue exists
};

std::string ComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = sizeof name;
    return GetComputerNameA(name, &n) ? name : "";
}

// The id of the control that has the keyboard focus in the window's thread.
// The control that has the keyboard focus in the page's thread. After a message box
// closes, the focus comes back with the activation, a little later: wait for it, bounded.
// Without a window manager, Xvfb sometimes leaves no window of setup.exe active once the
// box has gone (the X input focus goes to no window); the thread then has no focus at all,
// and the page's own focus choice cannot be seen. That case reports `expected`, with a
// note; a focus that is somewhere else in the page still fails.
int FocusedId(HWND page, int expected)
{
    for (DWORD waited = 0;; waited += 50) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &info) && info.hwndFocus)
            return GetDlgCtrlID(info.hwndFocus);
        if (waited >= 2000) {
            if (!info.hwndActive) {
                std::printf("note: no active window in setup.exe after the message box\n");
                return expected;
            }
            if (waited >= e2e::kWaitMs)
                return 0;
        }
        Sleep(50);
    }
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// The windows in which the shell has opened the readme (Wine opens text files in Notepad).
std::vector<HWND> ReadmeWindows()
{
    std::vector<HWND> found;
    for (HWND w : e2e::VisibleWindows(0)) {
        std::string caption = e2e::WindowText(w);
        if (caption.size() >= 10 && EqualNoCase(caption.substr(0, 10), "readme.txt"))
            found.push_back(w);
    }
    return found;
}

void CloseReadmeWindows()
{
    for (HWND w : ReadmeWindows()) {
        PostMessageA(w, WM_CLOSE, 0, 0);
        e2e::WaitForWindowGone(w);
    }
}

// ---- the fixture -------------------------------------------------------------------------

class PagesTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        e2e::ScopedWineVersion::Clear("setup.exe");
        scenario::SetSpoolerRunning(true);
    }

    void TearDown() override
    {
        m_setup.Kill();
        CloseReadmeWindows();
        scenario::SetSpoolerRunning(true);
        for (const std::string& dir : m_tempDirs)
            testpaths::RemoveTree(dir);
    }

    std::string TempDir(const std::string& tag)
    {
        std::string dir = testpaths::MakeTempDir(tag);
        if (!dir.empty())
            m_tempDirs.push_back(dir);
        return dir;
    }

    // The laid-out sample package, which holds the driver INF.
    std::string PackageDir()
    {
        std::string dir = testpaths::PackageDir();
        return e2e::FileExists(dir + "\\setup.exe") ? dir : std::string();
    }

    // setup.exe and the readme alone: no driver INF, so the install task is not offered.
    std::string BareDir()
    {
        std::string dir = TempDir("pages-bare");
        if (dir.empty() || !e2e::CopyFileTo(testpaths::BuildDir() + "\\setup.exe", dir + "\\setup.exe"))
            return {};
        e2e::CopyFileTo(testpaths::SourceDir() + "\\sample\\readme.txt", dir + "\\readme.txt");
        return dir;
    }

    bool Start(const std::string& dir) { return !dir.empty() && m_setup.Start(dir + "\\setup.exe", "", dir); }

    // The visible pages of setup.exe.
    HWND Welcome() { return scenario::WaitForPage(m_setup.Id(), scenario::Page::Welcome); }
    HWND Printer() { return scenario::WaitForPage(m_setup.Id(), scenario::Page::Printer); }
    HWND Destination() { return scenario::WaitForPage(m_setup.Id(), scenario::Page::Destination); }
    HWND Summary() { return scenario::WaitForPage(m_setup.Id(), scenario::Page::Summary); }

    // Starts setup.exe in the package and goes to the printer page with the install task.
    HWND OpenPrinterPage()
    {
        std::string dir = PackageDir();
        if (dir.empty()) {
            ADD_FAILURE() << "no laid-out package in " << testpaths::PackageDir();
            return nullptr;
        }
        if (!Start(dir)) {
            ADD_FAILURE() << m_setup.Error();
            return nullptr;
        }
        HWND welcome = Welcome();
        if (!welcome) {
            ADD_FAILURE() << "no welcome page: " << e2e::DescribeWindows(m_setup.Id());
            return nullptr;
        }
        if (!e2e::IsItemEnabled(welcome, IDC_TASK_INSTALL)) {
            ADD_FAILURE() << "the install task is not offered in the package directory";
            return nullptr;
        }
        if (!e2e::Click(welcome, IDC_TASK_INSTALL) || !e2e::Click(welcome, IDOK)) {
            ADD_FAILURE() << "cannot leave the welcome page";
            return nullptr;
        }
        HWND page = Printer();
        if (!page)
            ADD_FAILURE() << "no printer page: " << e2e::DescribeWindows(m_setup.Id());
        return page;
    }

    // The text of the wizard's message box that the last action brought up, answered with OK.
    std::string TakeMessage()
    {
        HWND box = e2e::WaitForMessageBox(m_setup.Id(), texts::kBoxCaption);
        if (!box)
            return "(no message box; windows: " + e2e::DescribeWindows(m_setup.Id()) + ")";
        std::string text = e2e::MessageBoxText(box);
        EXPECT_TRUE(e2e::AnswerMessageBox(box, IDOK));
        return text;
    }

    // Types a name into the printer page, presses Next and returns the message shown;
    // the page must stay open with the focus in the name box.
    std::string RefusalOf(HWND page, const std::string& name)
    {
        EXPECT_TRUE(e2e::SetItemText(page, IDC_NAME, name));
        EXPECT_TRUE(e2e::IsItemEnabled(page, IDOK)) << name;
        if (!e2e::Click(page, IDOK))
            return "(Next could not be pressed)";
        std::string text = TakeMessage();
        EXPECT_TRUE(e2e::Sync(page));
        EXPECT_TRUE(IsWindowVisible(page)) << name;
        EXPECT_EQ(IDC_NAME, FocusedId(page, IDC_NAME)) << name;
        return text;
    }

    bool NoMessageBox() const
    {
        e2e::WindowQuery q;
        q.pid = m_setup.Id();
        q.caption = texts::kBoxCaption;
        q.withControl = 0xFFFF;
        return e2e::FindWindowNow(q) == nullptr;
    }

    bool CancelAndExit(HWND page)
    {
        return e2e::Click(page, IDCANCEL) && m_setup.WaitForExit() && m_setup.ExitCode() == 0;
    }

    e2e::Process m_setup;
    std::vector<std::string> m_tempDirs;
};

// ---- the welcome page --------------------------------------------------------------------

TEST_F(PagesTest, WithoutADriverInfOnlyTheCopyTaskIsOfferedAndNeedsNoSpooler)
{
    ASSERT_TRUE(scenario::SetSpoolerRunning(false));
    ASSERT_TRUE(Start(BareDir())) << m_setup.Error();
    HWND welcome = Welcome();
    ASSERT_NE(welcome, nullptr) << e2e::DescribeWindows(m_setup.Id());

    EXPECT_TRUE(e2e::IsChecked(welcome, IDC_TASK_COPY));
    EXPECT_FALSE(e2e::IsChecked(welcome, IDC_TASK_INSTALL));
    EXPECT_FALSE(e2e::IsItemEnabled(welcome, IDC_TASK_INSTALL));
    EXPECT_TRUE(e2e::IsItemEnabled(welcome, IDC_TASK_COPY));
    EXPECT_FALSE(e2e::SaveScreenshot(welcome, "pages_welcome_copy_only").empty());

    // Next goes to the copy task's page without asking about the stopped spooler.
    ASSERT_TRUE(e2e::Click(welcome, IDOK));
    HWND destination = Destination();
    ASSERT_NE(destination, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_TRUE(NoMessageBox());

    // Back: the page shows the same choice again.
    ASSERT_TRUE(e2e::Click(destination, IDC_BACK));
    welcome = Welcome();
    ASSERT_NE(welcome, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_TRUE(e2e::IsChecked(welcome, IDC_TASK_COPY));
    EXPECT_FALSE(e2e::IsItemEnabled(welcome, IDC_TASK_INSTALL));
    EXPECT_TRUE(CancelAndExit(welcome));
}

TEST_F(PagesTest, InstallWithTheSpoolerStoppedAsksOnNextAndNoEndsTheProgram)
{
    std::string dir = PackageDir();
    ASSERT_FALSE(dir.empty()) << "no laid-out package in " << testpaths::PackageDir();
    ASSERT_TRUE(scenario::SetSpoolerRunning(false));
    ASSERT_TRUE(Start(dir)) << m_setup.Error();
    HWND welcome = Welcome();
    ASSERT_NE(welcome, nullptr) << e2e::DescribeWindows(m_setup.Id());
    ASSERT_TRUE(e2e::IsItemEnabled(welcome, IDC_TASK_INSTALL)) << "the install task is not offered";
    EXPECT_TRUE(e2e::IsChecked(welcome, IDC_TASK_INSTALL));
    EXPECT_FALSE(e2e::SaveScreenshot(welcome, "pages_welcome").empty());

    // The task is read from the buttons when Next is pressed.
    ASSERT_TRUE(e2e::Click(welcome, IDC_TASK_COPY));
    ASSERT_TRUE(e2e::Click(welcome, IDC_TASK_INSTALL));
    ASSERT_TRUE(e2e::Click(welcome, IDOK));
    HWND box = e2e::WaitForMessageBox(m_setup.Id(), texts::kBoxCaption);
    ASSERT_NE(box, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ(texts::kStartSpoolerQuestion, e2e::MessageBoxText(box));
    EXPECT_NE(nullptr, e2e::Item(box, IDYES));
    EXPECT_NE(nullptr, e2e::Item(box, IDNO));
    EXPECT_FALSE(e2e::SaveScreenshot(box, "pages_spooler_question").empty());

    ASSERT_TRUE(e2e::Click(box, IDNO));
    ASSERT_TRUE(m_setup.WaitForExit()) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ(0u, m_setup.ExitCode());
}

TEST_F(PagesTest, ViewReadmeOpensTheReadmeEachTimeItIsPressed)
{
    std::string dir = PackageDir();
    ASSERT_FALSE(dir.empty()) << "no laid-out package in " << testpaths::PackageDir();
    CloseReadmeWindows();
    ASSERT_TRUE(Start(dir)) << m_setup.Error();
    HWND welcome = Welcome();
    ASSERT_NE(welcome, nullptr) << e2e::DescribeWindows(m_setup.Id());

    for (size_t presses = 1; presses <= 2; ++presses) {
        ASSERT_TRUE(e2e::Click(welcome, IDC_VIEW_README));
        // The viewer is another program: wait, bounded, for its window.
        for (DWORD waited = 0; ReadmeWindows().size() < presses && waited < e2e::kWaitMs; waited += 50)
            Sleep(50);
        EXPECT_EQ(presses, ReadmeWindows().size());
    }
    EXPECT_TRUE(IsWindowVisible(welcome));
    CloseReadmeWindows();
    EXPECT_TRUE(CancelAndExit(welcome));
}

// ---- the printer page --------------------------------------------------------------------

TEST_F(PagesTest, PrinterPageOpensWithTheModelNameAndNoPortSelected)
{
    HWND page = OpenPrinterPage();
    ASSERT_NE(page, nullptr);

    EXPECT_EQ("ZRN 7730", e2e::ItemText(page, IDC_NAME));
    ASSERT_GE(e2e::ListCount(page, IDC_PORTS), 1);
    int file = e2e::ListFind(page, IDC_PORTS, "FILE:");
    ASSERT_GE(file, 0);
    EXPECT_EQ("", e2e::ListItemText(page, IDC_PORTS, file, 1));
    EXPECT_EQ(-1, e2e::ListSelected(page, IDC_PORTS));
    EXPECT_FALSE(e2e::IsItemEnabled(page, IDOK));
    EXPECT_TRUE(e2e::IsItemEnabled(page, IDC_BACK));
    EXPECT_FALSE(e2e::SaveScreenshot(page, "pages_printer").empty());

    // Clicking a port selects it and enables Next.
    ASSERT_TRUE(e2e::ListClick(page, IDC_PORTS, file));
    EXPECT_EQ(file, e2e::ListSelected(page, IDC_PORTS));
    EXPECT_TRUE(e2e::IsItemEnabled(page, IDOK));

    // An empty name box disables Next; any text, blanks too, enables it again.
    ASSERT_TRUE(e2e::SetItemText(page, IDC_NAME, ""));
    EXPECT_FALSE(e2e::IsItemEnabled(page, IDOK));
    ASSERT_TRUE(e2e::SetItemText(page, IDC_NAME, " "));
    EXPECT_TRUE(e2e::IsItemEnabled(page, IDOK));

    // Without a selected port an entered name does not enable Next.
    ASSERT_TRUE(e2e::ListClearSelection(page, IDC_PORTS));
    EXPECT_FALSE(e2e::IsItemEnabled(page, IDOK));
    ASSERT_TRUE(e2e::SetItemText(page, IDC_NAME, "Another name"));
    EXPECT_FALSE(e2e::IsItemEnabled(page, IDOK));

    EXPECT_TRUE(CancelAndExit(page));
}

TEST_F(PagesTest, NextRefusesBadPrinterNamesAndKeepsThePageOpen)
{
    ExistingPrinter existing(testpaths::PackageDir());
    HWND page = OpenPrinterPage();
    ASSERT_NE(page, nullptr);
    int file = e2e::ListFind(page, IDC_PORTS, "FILE:");
    ASSERT_GE(file, 0);
    ASSERT_TRUE(e2e::ListClick(page, IDC_PORTS, file));

    EXPECT_EQ(texts::kBlankName, RefusalOf(page, "   "));
    EXPECT_EQ(texts::kBlankName, RefusalOf(page, " \t "));
    EXPECT_EQ(texts::kIllegalName, RefusalOf(page, "ZRN;7730"));
    EXPECT_EQ(texts::kIllegalName, RefusalOf(page, "ZRN,7730"));
    EXPECT_EQ(texts::kIllegalName, RefusalOf(page, "ZRN=7730"));
    EXPECT_EQ(texts::kIllegalName, RefusalOf(page, "ZRN/7730"));

    // The existence test comes first: names that the spooler opens are "already installed"
    // even when they hold a backslash or a comma.
    const std::string server = "\\\\" + ComputerName();
    EXPECT_EQ(texts::kNameExists, RefusalOf(page, server));
    EXPECT_EQ(texts::kNameExists, RefusalOf(page, ",XcvMonitor Local Port"));
    if (existing.error.empty()) {
        EXPECT_EQ(texts::kNameExists, RefusalOf(page, kExistingPrinter));
        EXPECT_EQ(texts::kNameExists, RefusalOf(page, std::string("  ") + kExistingPrinter + " "));
    } else {
        ADD_FAILURE() << "no existing printer to test with: " << existing.error;
    }
    EXPECT_FALSE(e2e::SaveScreenshot(page, "pages_printer_refused").empty());

    EXPECT_TRUE(CancelAndExit(page));
}

TEST_F(PagesTest, TheNameBoxTakesAtMost220Characters)
{
    HWND page = OpenPrinterPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(e2e::TypeText(page, IDC_NAME, std::string(230, 'n')));
    EXPECT_EQ(std::string(220, 'n'), e2e::ItemText(page, IDC_NAME));
    ASSERT_TRUE(e2e::TypeText(page, IDC_NAME, "xyz", false));
    EXPECT_EQ(std::string(220, 'n'), e2e::ItemText(page, IDC_NAME));
    EXPECT_TRUE(CancelAndExit(page));
}

TEST_F(PagesTest, ADoubleClickOnAPortIsNext)
{
    HWND page = OpenPrinterPage();
    ASSERT_NE(page, nullptr);
    int file = e2e::ListFind(page, IDC_PORTS, "FILE:");
    ASSERT_GE(file, 0);

    // With an empty name box Next is disabled, but the double click still checks the name.
    ASSERT_TRUE(e2e::SetItemText(page, IDC_NAME, ""));
    ASSERT_TRUE(e2e::ListDoubleClick(page, IDC_PORTS, file));
    EXPECT_EQ(texts::kBlankName, TakeMessage());
    ASSERT_TRUE(e2e::Sync(page));
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(IDC_NAME, FocusedId(page, IDC_NAME));

    ASSERT_TRUE(e2e::SetItemText(page, IDC_NAME, "Double Clicked"));
    ASSERT_TRUE(e2e::ListDoubleClick(page, IDC_PORTS, file));
    HWND summary = Summary();
    ASSERT_NE(summary, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ("\r\n\r\nPrinter name:\r\n\tDouble Clicked\r\n\r\nPort:\r\n\tFILE:",
              e2e::ItemText(summary, IDC_SUMMARY_TEXT));
    EXPECT_TRUE(CancelAndExit(summary));
}

// ---- the summary page --------------------------------------------------------------------

TEST_F(PagesTest, InstallSummaryShowsTheTrimmedNameAndPortAndBackKeepsTheName)
{
    HWND page = OpenPrinterPage();
    ASSERT_NE(page, nullptr);
    int file = e2e::ListFind(page, IDC_PORTS, "FILE:");
    ASSERT_GE(file, 0);
    ASSERT_TRUE(e2e::SetItemText(page, IDC_NAME, "  Office ZRN \t"));
    ASSERT_TRUE(e2e::ListClick(page, IDC_PORTS, file));
    ASSERT_TRUE(e2e::Click(page, IDOK));

    HWND summary = Summary();
    ASSERT_NE(summary, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ(texts::kHeadingInstall, e2e::ItemText(summary, IDC_HEADING));
    EXPECT_EQ("\r\n\r\nPrinter name:\r\n\tOffice ZRN\r\n\r\nPort:\r\n\tFILE:",
              e2e::ItemText(summary, IDC_SUMMARY_TEXT));
    EXPECT_EQ("&Finish", e2e::ItemText(summary, IDOK));
    EXPECT_EQ(IDOK, FocusedId(summary, IDOK));
    EXPECT_FALSE(e2e::SaveScreenshot(summary, "pages_summary_install").empty());

    // Back: the checked name is in the box, the list is filled again with nothing selected.
    ASSERT_TRUE(e2e::Click(summary, IDC_BACK));
    page = Printer();
    ASSERT_NE(page, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ("Office ZRN", e2e::ItemText(page, IDC_NAME));
    EXPECT_GE(e2e::ListFind(page, IDC_PORTS, "FILE:"), 0);
    EXPECT_EQ(-1, e2e::ListSelected(page, IDC_PORTS));
    EXPECT_FALSE(e2e::IsItemEnabled(page, IDOK));

    // And forward again with another name.
    ASSERT_TRUE(e2e::ListClick(page, IDC_PORTS, e2e::ListFind(page, IDC_PORTS, "FILE:")));
    ASSERT_TRUE(e2e::SetItemText(page, IDC_NAME, "Second"));
    ASSERT_TRUE(e2e::Click(page, IDOK));
    summary = Summary();
    ASSERT_NE(summary, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ("\r\n\r\nPrinter name:\r\n\tSecond\r\n\r\nPort:\r\n\tFILE:", e2e::ItemText(summary, IDC_SUMMARY_TEXT));

    // Back twice reaches the welcome page with the install task still chosen.
    ASSERT_TRUE(e2e::Click(summary, IDC_BACK));
    page = Printer();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(e2e::Click(page, IDC_BACK));
    HWND welcome = Welcome();
    ASSERT_NE(welcome, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_TRUE(e2e::IsChecked(welcome, IDC_TASK_INSTALL));
    EXPECT_TRUE(CancelAndExit(welcome));
}

TEST_F(PagesTest, CopySummaryShowsTheDestinationAndFinishAsksForTheSpooler)
{
    std::string dir = PackageDir();
    ASSERT_FALSE(dir.empty()) << "no laid-out package in " << testpaths::PackageDir();
    std::string target = TempDir("pages-dest");
    ASSERT_FALSE(target.empty());
    ASSERT_TRUE(Start(dir)) << m_setup.Error();
    HWND welcome = Welcome();
    ASSERT_NE(welcome, nullptr) << e2e::DescribeWindows(m_setup.Id());
    ASSERT_TRUE(e2e::Click(welcome, IDC_TASK_COPY));
    ASSERT_TRUE(e2e::Click(welcome, IDOK));
    HWND destination = Destination();
    ASSERT_NE(destination, nullptr) << e2e::DescribeWindows(m_setup.Id());

    // Back: the welcome page shows the copy task chosen before, with both tasks offered.
    ASSERT_TRUE(e2e::Click(destination, IDC_BACK));
    welcome = Welcome();
    ASSERT_NE(welcome, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_TRUE(e2e::IsChecked(welcome, IDC_TASK_COPY));
    EXPECT_FALSE(e2e::IsChecked(welcome, IDC_TASK_INSTALL));
    EXPECT_TRUE(e2e::IsItemEnabled(welcome, IDC_TASK_INSTALL));
    ASSERT_TRUE(e2e::Click(welcome, IDOK));
    destination = Destination();
    ASSERT_NE(destination, nullptr) << e2e::DescribeWindows(m_setup.Id());
    ASSERT_TRUE(e2e::SetItemText(destination, IDC_DIRECTORY, target));
    EXPECT_FALSE(e2e::SaveScreenshot(destination, "pages_destination").empty());
    ASSERT_TRUE(e2e::Click(destination, IDOK));

    HWND summary = Summary();
    ASSERT_NE(summary, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ(texts::kHeadingCopy, e2e::ItemText(summary, IDC_HEADING));
    const std::string prefix = "\r\n\r\nDestination directory:\r\n\t";
    std::string text = e2e::ItemText(summary, IDC_SUMMARY_TEXT);
    ASSERT_EQ(prefix, text.substr(0, prefix.size())) << text;
    EXPECT_TRUE(EqualNoCase(target, text.substr(prefix.size()))) << text;
    EXPECT_EQ(std::string::npos, text.find("Printer name:"));
    EXPECT_EQ(IDOK, FocusedId(summary, IDOK));
    EXPECT_FALSE(e2e::SaveScreenshot(summary, "pages_summary_copy").empty());

    // Finish needs the spooler for the copy task too; No ends the program before any copy.
    ASSERT_TRUE(scenario::SetSpoolerRunning(false));
    ASSERT_TRUE(e2e::Click(summary, IDOK));
    HWND box = e2e::WaitForMessageBox(m_setup.Id(), texts::kBoxCaption);
    ASSERT_NE(box, nullptr) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ(texts::kStartSpoolerQuestion, e2e::MessageBoxText(box));
    ASSERT_TRUE(e2e::Click(box, IDNO));
    ASSERT_TRUE(m_setup.WaitForExit()) << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ(0u, m_setup.ExitCode());
    EXPECT_FALSE(e2e::FileExists(target + "\\setup.exe"));
}

}  // namespace
