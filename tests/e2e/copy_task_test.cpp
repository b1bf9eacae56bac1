// The copy task as a user meets it, on a fresh machine (fresh_prefix.sh): a new nested
// destination typed on the destination page, the summary, Finish; then the destination holds
// the package's files and its kpmonitor sub-directory, nothing else, and the shell has opened it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/paths.h"
#include "support/process.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"

namespace {

using namespace scenario;

const char kTop[] = "C:\\zrn e2e copy";
const char kDestination[] = "C:\\zrn e2e copy\\drivers\\ZRN 7730";

// A visible window of one of these processes with this caption.
HWND WindowOf(const std::vector<ChildProcess>& processes, const std::string& caption)
{
    for (const ChildProcess& p : processes)
        for (HWND w : e2e::VisibleWindows(p.pid))
            if (e2e::WindowText(w) == caption)
                return w;
    return nullptr;
}

class CopyTask : public testing::Test {
protected:
    static void SetUpTestSuite() { e2e::ScopedWineVersion::Clear("setup.exe"); }
    void TearDown() override { testpaths::RemoveTree(kTop); }
};

TEST_F(CopyTask, CopiesThePackageIntoANewNestedDirectoryAndOpensIt)
{
    const std::string package = testpaths::PackageDir();
    ASSERT_TRUE(e2e::FileExists(package + "\\setup.exe")) << "no laid-out package in " << package;
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kTop)) << kTop << " exists already";
    ASSERT_TRUE(SetSpoolerRunning(true));
    const MachineState before = Snapshot();

    Wizard wizard;
    ASSERT_TRUE(wizard.Start(package)) << wizard.Error();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    ASSERT_TRUE(wizard.ChooseTask(welcome, IDC_TASK_COPY)) << wizard.Error();

    HWND destination = wizard.WaitForPage(Page::Destination);
    ASSERT_NE(nullptr, destination) << wizard.Error();
    ASSERT_TRUE(e2e::TypeText(destination, IDC_DIRECTORY, kDestination));
    EXPECT_EQ(kDestination, e2e::ItemText(destination, IDC_DIRECTORY));
    EXPECT_TRUE(e2e::IsItemEnabled(destination, IDOK));
    ASSERT_TRUE(wizard.Press(destination, IDOK)) << wizard.Error();

    // Next has created the directory; the summary names it.
    HWND summary = wizard.WaitForPage(Page::Summary);
    ASSERT_NE(nullptr, summary) << wizard.Error();
    const DWORD made = GetFileAttributesA(kDestination);
    EXPECT_TRUE(made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(TreeOf(kDestination).empty());
    EXPECT_EQ(texts::kHeadingCopy, e2e::ItemText(summary, IDC_HEADING));
    EXPECT_EQ(std::string("\r\n\r\nDestination directory:\r\n\t") + kDestination,
              e2e::ItemText(summary, IDC_SUMMARY_TEXT));
    ASSERT_TRUE(wizard.Press(summary, IDOK)) << wizard.Error();
    ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();

    // Exactly the package: its files and kpmonitor with its files, byte for byte.
    const std::vector<std::string> expected = TreeOf(package);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, TreeOf(kDestination));
    for (const std::string& name : expected) {
        if (name.back() == '\\')
            continue;
        EXPECT_TRUE(ReadFileBytes(package + "\\" + name) == ReadFileBytes(std::string(kDestination) + "\\" + name))
            << name;
    }
    // Nothing beside it on the way down either.
    std::vector<std::string> whole = {"drivers\\", "drivers\\ZRN 7730\\"};
    for (const std::string& name : expected)
        whole.push_back("drivers\\ZRN 7730\\" + name);
    EXPECT_EQ(whole, TreeOf(kTop));

    // The shell opened the directory: explorer.exe started for it and shows it in a window.
    ChildProcess explorer;
    ASSERT_TRUE(wizard.Children().WaitForChild(kDestination, e2e::kWaitMs, &explorer))
        << "programs started by setup.exe: " << wizard.Children().Describe();
    HWND shown = nullptr;
    for (DWORD waited = 0; !(shown = WindowOf(wizard.Children().Children(), "ZRN 7730")) && waited < e2e::kWaitMs;
         waited += 50)
        Sleep(50);
    EXPECT_NE(nullptr, shown) << "no window of the shell shows the directory; windows: " << e2e::DescribeWindows(0);

    // The copy task touches nothing of the spooler's.
    std::vector<std::string> changes = Differences(before, Snapshot());
    EXPECT_TRUE(changes.empty()) << Join(changes);
}

}  // namespace
