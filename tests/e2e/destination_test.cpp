// The copy task end to end: setup.exe started from the package directory, the welcome
// page's copy task, the destination page driven as a user would (drive box, tree, typed
// directories, Create, Back and a second visit), the summary, the copy, and the copied
// directory opened. The test maps drive letters of the Wine prefix of its own: one to a
// directory tree it makes, one to a directory that does not exist (a drive not ready).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/paths.h"
#include "support/process.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"
#include "support/ui_internal.h"
#include "support/wizard_texts.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a shell command of the machine (Wine starts Unix programs directly) and waits until
// it has finished, which a marker file written last tells.
bool RunShell(const std::string& command)
{
    static unsigned counter = 0;
    char marker[MAX_PATH];
    std::snprintf(marker, sizeof marker, "/tmp/zrn-dest-e2e-done-%lu-%u", GetCurrentProcessId(), ++counter);
    std::string markerPath = testpaths::FromUnix(marker);
    std::string cmd = "/bin/sh -c \"" + command + "; touch " + marker + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA("Z:\\bin\\sh", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    for (DWORD waited = 0; waited < e2e::kWaitMs && !Exists(markerPath); waited += 20)
        Sleep(20);
    bool done = Exists(markerPath);
    DeleteFileA(markerPath.c_str());
    return done;
}

std::string PrefixDosDevices()
{
    const char* prefix = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    std::string dir = prefix && *prefix ? prefix : std::string(home ? home : "") + "/.wine";
    return dir + "/dosdevices/";
}

// A free drive letter: neither listed nor reachable, and with no entry in dosdevices.
char FreeLetter(const char* candidates, char besides)
{
    DWORD drives = GetLogicalDrives();
    for (const char* c = candidates; *c; ++c) {
        std::string root = std::string(1, *c) + ":\\";
        if (*c != besides && !(drives & (1u << (*c - 'A'))) && !Exists(root))
            return *c;
    }
    return '\0';
}

std::string Link(char letter)
{
    return PrefixDosDevices() + static_cast<char>(letter - 'A' + 'a') + ":";
}

// ---- what ui_driver does not offer: tree item state, images and mouse ----------------

HTREEITEM TreeRelative(HWND dialog, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(
        e2e::detail::SendOr(e2e::Item(dialog, IDC_TREE), TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item), 0));
}

// The selected item's path, built from the texts up to the top item.
std::string TreeSelectedPath(HWND dialog)
{
    std::string path;
    for (HTREEITEM i = e2e::TreeSelection(dialog, IDC_TREE); i; i = TreeRelative(dialog, i, TVGN_PARENT)) {
        std::string text = e2e::TreeItemText(dialog, IDC_TREE, i);
        path = path.empty() ? text : (!text.empty() && text.back() == '\\' ? text + path : text + "\\" + path);
    }
    return path;
}

bool TreeExpanded(HWND dialog, HTREEITEM item)
{
    LRESULT state = e2e::detail::SendOr(e2e::Item(dialog, IDC_TREE), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                        TVIS_EXPANDED, 0);
    return (state & TVIS_EXPANDED) != 0;
}

int TreeImage(HWND dialog, HTREEITEM item)
{
    HWND tree = e2e::Item(dialog, IDC_TREE);
    e2e::detail::RemoteBuffer buf(tree, sizeof(TVITEMA));
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_IMAGE;
    tv.hItem = item;
    if (!buf.Ok() || !buf.Write(&tv, sizeof tv))
        return -1;
    LRESULT ok = 0;
    if (!e2e::detail::Send(tree, TVM_GETITEMA, 0, buf.Param(), &ok, e2e::kWaitMs) || !ok)
        return -1;
    buf.Read(&tv, sizeof tv);
    return tv.iImage;
}

// Double-clicks the item's label with posted mouse messages, as the mouse does.
bool TreeDoubleClick(HWND dialog, HTREEITEM item)
{
    HWND tree = e2e::Item(dialog, IDC_TREE);
    e2e::detail::SendOr(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item), 0);
    e2e::detail::RemoteBuffer buf(tree, sizeof(RECT));
    RECT rc = {};
    std::memcpy(&rc, &item, sizeof item);  // the item goes in where the rectangle comes out
    if (!buf.Ok() || !buf.Write(&rc, sizeof rc))
        return false;
    LRESULT ok = 0;
    if (!e2e::detail::Send(tree, TVM_GETITEMRECT, TRUE, buf.Param(), &ok, e2e::kWaitMs) || !ok)
        return false;
    buf.Read(&rc, sizeof rc);
    LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageA(tree, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    return e2e::Sync(dialog);
}

int ComboIndexOf(HWND dialog, char letter)
{
    std::vector<std::string> items = e2e::ComboItems(dialog, IDC_DRIVE);
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].empty() && items[i][0] == letter)
            return static_cast<int>(i);
    return -1;
}

char SelectedDrive(HWND dialog)
{
    std::string text = e2e::ComboSelectedText(dialog, IDC_DRIVE);
    return text.empty() ? '\0' : text[0];
}

std::set<std::string> FileNames(const std::string& dir)
{
    const std::vector<std::string> files = scenario::FilesIn(dir);
    return {files.begin(), files.end()};
}

// ---- the fixture -------------------------------------------------------------------

class DestinationEndToEndTest : public testing::Test {
protected:
    // The mapped drive is a symbolic link in the prefix's dosdevices directory, which is
    // what gives a drive letter its files under Wine. While any program of the prefix runs
    // (this test does), Wine lists a letter added there in no process's drive list, so the
    // letter is also defined as a DOS device, which every process sees at once. The drive
    // that is not ready is such a definition alone: listed, but no file behind it.
    static void SetUpTestSuite()
    {
        char dir[MAX_PATH];
        std::snprintf(dir, sizeof dir, "/tmp/zrn-dest-e2e-%lu", GetCurrentProcessId());
        unixTree_ = dir;
        letter_ = FreeLetter("TSRQPONMLKJIHG", '\0');
        unready_ = FreeLetter("UVWXY", letter_);
        if (!letter_ || !unready_)
            return;
        std::string tree = unixTree_;
        bool made = RunShell("mkdir -p '" + tree + "/Alpha/Sub1/Deep' '" + tree + "/Alpha/Sub2' '" + tree +
                             "/Program Files/Vendor' '" + tree + "/Tools/Drivers' && touch '" + tree +
                             "/readme.txt' && ln -sfn '" + tree + "' '" + Link(letter_) + "'");
        if (!made || !Exists(Root()))
            return;
        target_ = "\\??\\" + testpaths::FromUnix(unixTree_);
        defined_ = DefineDosDeviceA(DDD_RAW_TARGET_PATH, Device(letter_).c_str(), target_.c_str()) != 0;
        unreadyDefined_ = DefineDosDeviceA(DDD_RAW_TARGET_PATH, Device(unready_).c_str(), kNoMedium) != 0;
        mapped_ = defined_ && unreadyDefined_;
    }

    static void TearDownTestSuite()
    {
        if (defined_)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE,
                             Device(letter_).c_str(), target_.c_str());
        if (unreadyDefined_)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE,
                             Device(unready_).c_str(), kNoMedium);
        if (letter_)
            RunShell("rm -f '" + Link(letter_) + "'; rm -rf '" + unixTree_ + "'");
    }

    static std::string Device(char letter) { return std::string(1, letter) + ":"; }

    void SetUp() override
    {
        ASSERT_TRUE(mapped_) << "no drive letter could be mapped for the test";
        std::string package = testpaths::PackageDir();
        ASSERT_TRUE(Exists(package + "\\setup.exe")) << "no package laid out at " << package;
        ASSERT_TRUE(wizard_.Start(package + "\\setup.exe", "", package)) << wizard_.Error();
    }

    void TearDown() override
    {
        if (wizard_.Running())
            wizard_.Kill();
    }

    static std::string Root() { return std::string(1, letter_) + ":\\"; }

    // The welcome page's copy task, then Next: the destination page.
    HWND OpenDestination(HWND previous = nullptr)
    {
        HWND welcome = scenario::WaitForPage(wizard_.Id(), scenario::Page::Welcome, previous);
        if (!welcome)
            return nullptr;
        if (!e2e::Click(welcome, IDC_TASK_COPY) || !e2e::IsChecked(welcome, IDC_TASK_COPY) ||
            !e2e::Click(welcome, IDOK))
            return nullptr;
        return scenario::WaitForPage(wizard_.Id(), scenario::Page::Destination, welcome);
    }

    // Presses Next or Create and expects the message box with this text.
    void ExpectRefusal(HWND page, int button, const std::string& text, const std::string& shot = {})
    {
        ASSERT_TRUE(e2e::Click(page, button));
        HWND box = e2e::WaitForMessageBox(wizard_.Id(), texts::kBoxCaption);
        ASSERT_TRUE(box) << e2e::DescribeWindows(wizard_.Id());
        EXPECT_EQ(e2e::MessageBoxText(box), text);
        if (!shot.empty())
            e2e::SaveScreenshot(nullptr, shot);
        ASSERT_TRUE(e2e::AnswerMessageBox(box, IDOK));
        EXPECT_TRUE(IsWindowVisible(page));
    }

    static constexpr const char* kNoMedium = "\\Device\\ZrnNoMedium";
    static std::string unixTree_;
    static std::string target_;
    static char letter_;
    static char unready_;
    static bool defined_;
    static bool unreadyDefined_;
    static bool mapped_;
    e2e::Process wizard_;
};

std::string DestinationEndToEndTest::unixTree_;
std::string DestinationEndToEndTest::target_;
bool DestinationEndToEndTest::defined_ = false;
bool DestinationEndToEndTest::unreadyDefined_ = false;
char DestinationEndToEndTest::letter_ = '\0';
char DestinationEndToEndTest::unready_ = '\0';
bool DestinationEndToEndTest::mapped_ = false;

TEST_F(DestinationEndToEndTest, TheCopyTaskRunsThroughTheDestinationPage)
{
    HWND page = OpenDestination();
    ASSERT_TRUE(page) << e2e::DescribeWindows(wizard_.Id());

    // The first showing: drive C, opened and selected.
    HTREEITEM root = e2e::TreeRoot(page, IDC_TREE);
    ASSERT_TRUE(root);
    // The root as the system spells it (Wine keeps the "c:\\" that the tree made current).
    std::string cRoot = e2e::TreeItemText(page, IDC_TREE, root);
    EXPECT_EQ(lstrcmpiA(cRoot.c_str(), "C:\\"), 0) << cRoot;
    EXPECT_TRUE(TreeExpanded(page, root));
    EXPECT_EQ(e2e::TreeSelection(page, IDC_TREE), root);
    EXPECT_EQ(e2e::ItemText(page, IDC_DIRECTORY), cRoot);
    EXPECT_EQ(SelectedDrive(page), 'C');
    EXPECT_FALSE(e2e::TreeChildTexts(page, IDC_TREE, root).empty());
    e2e::SaveScreenshot(page, "destination-drive-c");

    // The drive box: every listed drive, the mapped one among them.
    std::vector<std::string> drives = e2e::ComboItems(page, IDC_DRIVE);
    int mapped = ComboIndexOf(page, letter_);
    int unready = ComboIndexOf(page, unready_);
    std::string listed;
    for (const std::string& d : drives)
        listed += "[" + d + "]";
    ASSERT_GE(mapped, 0) << listed;
    ASSERT_GE(unready, 0) << listed;
    EXPECT_EQ(drives[unready], std::string(1, unready_) + ": ");

    // A drive that is not ready: a message, and the tree stays where it was.
    ASSERT_TRUE(e2e::ComboSelect(page, IDC_DRIVE, unready));
    HWND box = e2e::WaitForMessageBox(wizard_.Id(), texts::kBoxCaption);
    ASSERT_TRUE(box) << e2e::DescribeWindows(wizard_.Id());
    EXPECT_EQ(e2e::MessageBoxText(box), "Drive " + std::string(1, unready_) + ": is not ready.");
    e2e::SaveScreenshot(nullptr, "destination-drive-not-ready");
    ASSERT_TRUE(e2e::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(e2e::Sync(page));
    EXPECT_EQ(SelectedDrive(page), 'C');
    EXPECT_EQ(e2e::TreeItemText(page, IDC_TREE, e2e::TreeRoot(page, IDC_TREE)), cRoot);

    // The mapped drive.
    ASSERT_TRUE(e2e::ComboSelect(page, IDC_DRIVE, mapped));
    root = e2e::TreeRoot(page, IDC_TREE);
    EXPECT_EQ(e2e::TreeItemText(page, IDC_TREE, root), Root());
    EXPECT_EQ(e2e::ItemText(page, IDC_DIRECTORY), Root());
    EXPECT_EQ(SelectedDrive(page), letter_);
    std::vector<std::string> top = e2e::TreeChildTexts(page, IDC_TREE, root);
    EXPECT_EQ(std::set<std::string>(top.begin(), top.end()),
              (std::set<std::string>{"Alpha", "Program Files", "Tools"}));

    // A double click opens Alpha for good.
    HTREEITEM alpha = e2e::TreeFindChild(page, IDC_TREE, root, "Alpha");
    ASSERT_TRUE(alpha);
    ASSERT_TRUE(TreeDoubleClick(page, alpha));
    EXPECT_TRUE(TreeExpanded(page, alpha));
    EXPECT_EQ(TreeImage(page, alpha), 2);
    EXPECT_EQ(e2e::ItemText(page, IDC_DIRECTORY), Root() + "Alpha");
    e2e::SaveScreenshot(page, "destination-mapped-drive");

    // Refusals keep the page open.
    ASSERT_TRUE(e2e::SetItemText(page, IDC_DIRECTORY, Root() + "recycler"));
    ExpectRefusal(page, IDC_CREATE, texts::kRecyclerRefused);
    ASSERT_TRUE(e2e::TreeSelect(page, IDC_TREE, e2e::TreeRoot(page, IDC_TREE)));
    ExpectRefusal(page, IDOK, texts::kNoDirectory, "destination-no-directory");
    ASSERT_TRUE(e2e::SetItemText(page, IDC_DIRECTORY, "Tools\\a?b"));
    ExpectRefusal(page, IDOK, texts::kIllegalName);
    ASSERT_TRUE(e2e::SetItemText(page, IDC_DIRECTORY, ""));
    EXPECT_FALSE(e2e::IsItemEnabled(page, IDOK));
    EXPECT_FALSE(e2e::IsItemEnabled(page, IDC_CREATE));

    // Create: a new nested directory, and the page stays with it selected.
    ASSERT_TRUE(e2e::TypeText(page, IDC_DIRECTORY, Root() + "Made\\Here"));
    EXPECT_TRUE(e2e::IsItemEnabled(page, IDC_CREATE));
    ASSERT_TRUE(e2e::Click(page, IDC_CREATE));
    EXPECT_TRUE(Exists(Root() + "Made\\Here"));
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(TreeSelectedPath(page), Root() + "Made\\Here");
    EXPECT_EQ(e2e::ItemText(page, IDC_DIRECTORY), Root() + "Made\\Here");
    e2e::SaveScreenshot(page, "destination-created");

    // Back, and the copy task again: the page reopens on that directory.
    ASSERT_TRUE(e2e::Click(page, IDC_BACK));
    HWND again = OpenDestination(page);
    ASSERT_TRUE(again) << e2e::DescribeWindows(wizard_.Id());
    page = again;
    EXPECT_EQ(e2e::TreeItemText(page, IDC_TREE, e2e::TreeRoot(page, IDC_TREE)), Root());
    EXPECT_EQ(TreeSelectedPath(page), Root() + "Made\\Here");
    EXPECT_EQ(e2e::ItemText(page, IDC_DIRECTORY), Root() + "Made\\Here");
    EXPECT_EQ(SelectedDrive(page), letter_);
    e2e::SaveScreenshot(page, "destination-second-visit");

    // Next with a typed nested directory: made, and shown on the summary.
    std::string target = Root() + "Copy\\Target";
    ASSERT_TRUE(e2e::TypeText(page, IDC_DIRECTORY, std::string(1, static_cast<char>(letter_ - 'A' + 'a')) +
                                                    ":/Copy/Target"));
    ASSERT_TRUE(e2e::Click(page, IDOK));
    HWND summary = scenario::WaitForPage(wizard_.Id(), scenario::Page::Summary, page);
    ASSERT_TRUE(summary) << e2e::DescribeWindows(wizard_.Id());
    ASSERT_FALSE(e2e::Item(summary, IDC_DRIVE));
    EXPECT_TRUE(Exists(target));
    std::string lowerTarget = std::string(1, static_cast<char>(letter_ - 'A' + 'a')) + ":\\Copy\\Target";
    EXPECT_NE(e2e::ItemText(summary, IDC_SUMMARY_TEXT).find(lowerTarget), std::string::npos)
        << e2e::ItemText(summary, IDC_SUMMARY_TEXT);
    e2e::SaveScreenshot(summary, "summary-copy");

    // Finish: the package and its monitor's sub-directory are copied, and the wizard ends.
    // Finish checks the spooler for the copy task too: when it is stopped, the wizard offers
    // to start it.
    ASSERT_TRUE(e2e::Click(summary, IDOK));
    bool asked = false;
    for (DWORD waited = 0; !wizard_.WaitForExit(100) && waited < e2e::kWaitMs; waited += 100) {
        e2e::WindowQuery boxQuery;
        boxQuery.pid = wizard_.Id();
        boxQuery.caption = texts::kBoxCaption;
        HWND question = e2e::FindWindowNow(boxQuery);
        if (!question)
            continue;
        std::string text = e2e::MessageBoxText(question);
        ASSERT_FALSE(asked) << text;
        ASSERT_EQ(text.rfind("To install a printer driver, the spooler service must be running.", 0), 0u) << text;
        asked = true;
        ASSERT_TRUE(e2e::AnswerMessageBox(question, IDYES));
    }
    ASSERT_TRUE(wizard_.WaitForExit(0)) << e2e::DescribeWindows(wizard_.Id());
    std::string package = testpaths::PackageDir();
    std::set<std::string> copied = FileNames(target);
    for (const std::string& name : FileNames(package))
        EXPECT_TRUE(copied.count(name)) << name;
    std::set<std::string> monitor = FileNames(target + "\\kpmonitor");
    for (const std::string& name : FileNames(package + "\\kpmonitor"))
        EXPECT_TRUE(monitor.count(name)) << "kpmonitor\\" << name;
    EXPECT_FALSE(copied.empty());

    // The copied directory is opened in a window of the shell's own; closed again here.
    HWND opened = nullptr;
    for (DWORD waited = 0; !opened && waited < e2e::kWaitMs; waited += 100) {
        for (HWND w : e2e::VisibleWindows(0)) {
            std::string caption = e2e::WindowText(w);
            if (caption.find("Target") != std::string::npos && e2e::WindowClass(w) != e2e::kDialogClass)
                opened = w;
        }
        if (!opened)
            Sleep(100);
    }
    ASSERT_TRUE(opened) << e2e::DescribeWindows(0);
    e2e::SaveScreenshot(opened, "copy-opened-directory");
    PostMessageA(opened, WM_CLOSE, 0, 0);
    EXPECT_TRUE(e2e::WaitForWindowGone(opened));
}

TEST_F(DestinationEndToEndTest, CancelOnTheDestinationPageEndsTheWizard)
{
    HWND page = OpenDestination();
    ASSERT_TRUE(page) << e2e::DescribeWindows(wizard_.Id());
    ASSERT_TRUE(e2e::ComboSelect(page, IDC_DRIVE, ComboIndexOf(page, letter_)));
    EXPECT_EQ(e2e::TreeItemText(page, IDC_TREE, e2e::TreeRoot(page, IDC_TREE)), Root());
    ASSERT_TRUE(e2e::Click(page, IDCANCEL));
    EXPECT_TRUE(wizard_.WaitForExit());
}

}  // namespace
