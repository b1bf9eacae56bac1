// setup.exe started from the package directory: the welcome page in Windows XP
// mode, the refusal in Windows 7 mode.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "res/resource.h"
#include "support/paths.h"
#include "support/process.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"
#include "support/wizard_texts.h"

namespace {

class WelcomeTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Leftover of a run that crashed: the prefix's own Windows XP mode applies.
        e2e::ScopedWineVersion::Clear("setup.exe");

        m_dir = testpaths::PackageDir();
        m_fromPackage = e2e::FileExists(m_dir + "\\setup.exe");
        if (!m_fromPackage) {
            // No laid-out package: the program alone in an empty directory.
            m_tempDir = testpaths::MakeTempDir("welcome");
            ASSERT_FALSE(m_tempDir.empty());
            ASSERT_TRUE(e2e::CopyFileTo(testpaths::BuildDir() + "\\setup.exe", m_tempDir + "\\setup.exe"))
                << "no setup.exe in " << testpaths::BuildDir();
            m_dir = m_tempDir;
        }
    }

    void TearDown() override
    {
        m_setup.Kill();
        if (!m_tempDir.empty())
            testpaths::RemoveTree(m_tempDir);
    }

    bool StartSetup() { return m_setup.Start(m_dir + "\\setup.exe", "", m_dir); }

    HWND WaitForWelcomePage() { return scenario::WaitForPage(m_setup.Id(), scenario::Page::Welcome); }

    e2e::Process m_setup;
    std::string m_dir;
    std::string m_tempDir;
    bool m_fromPackage = false;
};

TEST_F(WelcomeTest, ShowsTheWelcomePageAndCancelEndsTheProgram)
{
    ASSERT_TRUE(StartSetup()) << m_setup.Error();
    HWND page = WaitForWelcomePage();
    ASSERT_NE(page, nullptr) << "windows of setup.exe: " << e2e::DescribeWindows(m_setup.Id());

    EXPECT_EQ(e2e::WindowText(page), texts::kPageCaption);
    EXPECT_EQ(e2e::ItemText(page, IDC_TASK_INSTALL), "&Install a new printer");
    EXPECT_EQ(e2e::ItemText(page, IDC_TASK_COPY), "&Copy a printer driver to a directory");
    EXPECT_EQ(e2e::ItemText(page, IDC_VIEW_README), "&View Readme file");
    EXPECT_EQ(e2e::ItemText(page, IDOK), "&Next >");
    EXPECT_EQ(e2e::ItemText(page, IDCANCEL), "Cancel");
    for (int id : {IDC_TASK_COPY, IDC_VIEW_README, IDOK, IDCANCEL}) {
        EXPECT_TRUE(e2e::IsItemVisible(page, id)) << id;
        EXPECT_TRUE(e2e::IsItemEnabled(page, id)) << id;
    }
    // Exactly one task is chosen.
    EXPECT_NE(e2e::IsChecked(page, IDC_TASK_INSTALL), e2e::IsChecked(page, IDC_TASK_COPY));
    if (m_fromPackage) {
        // The package holds the driver INF: the install task is offered and chosen.
        EXPECT_TRUE(e2e::IsItemEnabled(page, IDC_TASK_INSTALL));
        EXPECT_TRUE(e2e::IsChecked(page, IDC_TASK_INSTALL));
    }

    EXPECT_FALSE(e2e::SaveScreenshot(page, "welcome_page").empty());

    ASSERT_TRUE(e2e::Click(page, IDCANCEL));
    EXPECT_TRUE(m_setup.WaitForExit()) << "still open: " << e2e::DescribeWindows(m_setup.Id());
    EXPECT_FALSE(IsWindow(page));
}

TEST_F(WelcomeTest, ChoosingTheCopyTaskChecksOnlyItsButton)
{
    ASSERT_TRUE(StartSetup()) << m_setup.Error();
    HWND page = WaitForWelcomePage();
    ASSERT_NE(page, nullptr) << e2e::DescribeWindows(m_setup.Id());
    ASSERT_TRUE(e2e::Click(page, IDC_TASK_COPY));
    EXPECT_TRUE(e2e::IsChecked(page, IDC_TASK_COPY));
    EXPECT_FALSE(e2e::IsChecked(page, IDC_TASK_INSTALL));
    ASSERT_TRUE(e2e::PressKey(page, 0, VK_ESCAPE));
    EXPECT_TRUE(m_setup.WaitForExit()) << "still open: " << e2e::DescribeWindows(m_setup.Id());
}

TEST_F(WelcomeTest, ViewReadmeOpensTheReadmeAndKeepsThePage)
{
    if (!m_fromPackage)
        GTEST_SKIP() << "no laid-out package with readme.txt";
    // Text files open in Notepad, as on Windows (a fresh Wine prefix has no .txt
    // association, and the shell then opens nothing).
    e2e::ScopedRegistryString txt(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", "", "txtfile");
    ASSERT_TRUE(txt.Ok());
    e2e::ScopedRegistryString open(HKEY_LOCAL_MACHINE,
                                   "Software\\Classes\\txtfile\\shell\\open\\command", "",
                                   "notepad.exe \"%1\"");
    ASSERT_TRUE(open.Ok());

    ASSERT_TRUE(StartSetup()) << m_setup.Error();
    HWND page = WaitForWelcomePage();
    ASSERT_NE(page, nullptr) << e2e::DescribeWindows(m_setup.Id());

    // The shell opens it in the program associated with text files.
    e2e::WindowQuery viewer;
    viewer.className.clear();
    viewer.captionContains = "readme.txt";
    viewer.exclude = e2e::FindWindowNow(viewer);   // one left open by someone else
    ASSERT_TRUE(e2e::Click(page, IDC_VIEW_README));
    HWND readme = e2e::WaitForWindow(viewer);
    ASSERT_NE(readme, nullptr) << "visible windows: " << e2e::DescribeWindows(0);
    DWORD viewerPid = 0;
    GetWindowThreadProcessId(readme, &viewerPid);
    EXPECT_NE(viewerPid, m_setup.Id());
    EXPECT_TRUE(e2e::CloseProgramOf(readme));

    // The page stays open and works on.
    EXPECT_TRUE(IsWindowVisible(page));
    ASSERT_TRUE(e2e::Click(page, IDCANCEL));
    EXPECT_TRUE(m_setup.WaitForExit()) << "still open: " << e2e::DescribeWindows(m_setup.Id());
}

TEST_F(WelcomeTest, RefusesToRunInWindows7Mode)
{
    e2e::ScopedWineVersion win7("setup.exe", "win7");
    ASSERT_TRUE(win7.Ok());
    ASSERT_TRUE(StartSetup()) << m_setup.Error();

    HWND box = e2e::WaitForMessageBox(m_setup.Id(), texts::kBoxCaption);
    ASSERT_NE(box, nullptr) << "windows of setup.exe: " << e2e::DescribeWindows(m_setup.Id());
    EXPECT_EQ(e2e::MessageBoxText(box), texts::kWrongSystem);
    EXPECT_NE(e2e::Item(box, IDOK), nullptr);
    EXPECT_EQ(e2e::Item(box, IDCANCEL), nullptr);
    // The refusal is all there is: no page behind it.
    e2e::WindowQuery page;
    page.pid = m_setup.Id();
    page.caption = texts::kPageCaption;
    EXPECT_EQ(e2e::FindWindowNow(page), nullptr);
    EXPECT_FALSE(e2e::SaveScreenshot(box, "refusal_windows7").empty());

    ASSERT_TRUE(e2e::AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(m_setup.WaitForExit()) << "still open: " << e2e::DescribeWindows(m_setup.Id());
}

}  // namespace
