// The destination page with its directory tree and drive box, shown in this process and
// driven from the test's thread, on Wine's real file system: a drive letter of the prefix
// is mapped to a directory tree that the test makes.
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/message_box.h"
#include "framework/strings.h"
#include "pages/destination_page.h"
#include "res/resource.h"
#include "support/fake_wizard.h"
#include "support/paths.h"
#include "support/scoped_api.h"
#include "support/wizard_texts.h"

using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

constexpr DWORD kWaitMs = 20000;  // only keeps a broken run from hanging

std::string CurrentDirectory()
{
    char buf[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return std::string(buf, n < sizeof buf ? n : 0);
}

// Runs a Unix program of the machine through Wine, which starts such a program directly,
// and waits until `done` says that its effect is visible.
bool RunUnix(const std::string& program, const std::string& args, const std::function<bool()>& done)
{
    std::string exe = testpaths::FromUnix(program);
    std::string cmd = program + " " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    // The handles of a Unix process cannot be waited on; its effect can.
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    for (DWORD waited = 0; waited < kWaitMs; waited += 20) {
        if (done())
            return true;
        Sleep(20);
    }
    return done();
}

bool LetterInUse(char letter)
{
    std::string root = std::string(1, letter) + ":\\";
    return (GetLogicalDrives() & (1u << (letter - 'A'))) || GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

char FreeLetter(const char* candidates)
{
    for (const char* c = candidates; *c; ++c)
        if (!LetterInUse(*c))
            return *c;
    return '\0';
}

// A drive letter of the Wine prefix mapped to a fresh directory under /tmp, through a
// symbolic link in the prefix's dosdevices directory, and removed again at the end.
// Wine shows a drive letter made after a process started in that process's drive list
// only through an object-manager link; the link is defined here as well, for this process.
class MappedDrive {
public:
    MappedDrive()
    {
        static unsigned counter = 0;
        unixDir_ = framework::Format("/tmp/zrn-dest-%lu-%u", GetCurrentProcessId(), ++counter);
        windowsDir_ = testpaths::FromUnix(unixDir_);
        if (!CreateDirectoryA(windowsDir_.c_str(), nullptr))
            return;
        const char* prefix = std::getenv("WINEPREFIX");
        const char* home = std::getenv("HOME");
        std::string prefixDir = prefix && *prefix ? prefix : std::string(home ? home : "") + "/.wine";
        letter_ = FreeLetter("TSRQPONMLKJIHG");
        if (!letter_)
            return;
        link_ = prefixDir + "/dosdevices/" + static_cast<char>(letter_ - 'A' + 'a') + ":";
        std::string root = Root();
        // An empty root lists nothing (a root has no "." entry): ask for its attributes.
        if (!RunUnix("/bin/ln", "-sfn " + unixDir_ + " " + link_,
                     [root] { return GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES; })) {
            letter_ = '\0';
            return;
        }
        std::string device = Device();
        std::string target = "\\??\\" + windowsDir_;
        defined_ = DefineDosDeviceA(DDD_RAW_TARGET_PATH, device.c_str(), target.c_str()) != 0;
        target_ = target;
    }

    ~MappedDrive()
    {
        if (defined_)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE,
                             Device().c_str(), target_.c_str());
        if (!link_.empty()) {
            std::string root = Root();
            RunUnix("/bin/rm", "-f " + link_,
                    [root] { return GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES; });
        }
        if (!windowsDir_.empty())
            testpaths::RemoveTree(windowsDir_);
    }

    bool Ok() const { return letter_ != '\0'; }
    char Letter() const { return letter_; }
    std::string Root() const { return std::string(1, letter_) + ":\\"; }
    std::string Device() const { return std::string(1, letter_) + ":"; }

    void MakeDirectory(const std::string& relative, DWORD attributes = 0) const
    {
        std::string path = windowsDir_;
        size_t start = 0;
        for (;;) {
            size_t slash = relative.find('\\', start);
            path = windowsDir_ + "\\" + relative.substr(0, slash);
            CreateDirectoryA(path.c_str(), nullptr);
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        if (attributes)
            SetFileAttributesA(path.c_str(), attributes);
    }

    void MakeFile(const std::string& relative) const
    {
        HANDLE h = CreateFileA((windowsDir_ + "\\" + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }

private:
    std::string unixDir_;
    std::string windowsDir_;
    std::string link_;
    std::string target_;
    char letter_ = '\0';
    bool defined_ = false;
};

// A drive letter that the system lists but whose root cannot be read, like a CD drive
// without a disc.
class UnreadyDrive {
public:
    UnreadyDrive()
    {
        letter_ = FreeLetter("UVWXY");
        if (letter_)
            ok_ = DefineDosDeviceA(DDD_RAW_TARGET_PATH, Device().c_str(), "\\Device\\ZrnNoMedium") != 0;
    }
    ~UnreadyDrive()
    {
        if (ok_)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE,
                             Device().c_str(), "\\Device\\ZrnNoMedium");
    }
    bool Ok() const { return ok_; }
    char Letter() const { return letter_; }
    std::string Device() const { return std::string(1, letter_) + ":"; }

private:
    char letter_ = '\0';
    bool ok_ = false;
};

constexpr UINT kRunMessage = WM_APP + 100;
constexpr UINT kMarkerMessage = WM_APP + 101;

// The real page, with a way in for the test: a call run on the page's own thread, and a
// marker that tells when every message posted before it has been handled.
class TestPage : public DestinationPage {
public:
    TestPage()
    {
        ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        marked = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    ~TestPage() override
    {
        CloseHandle(ready);
        CloseHandle(marked);
    }

    using DestinationPage::m_cboDrive;
    using DestinationPage::m_tree;

    HANDLE ready;
    HANDLE marked;
    int initCount = 0;

protected:
    BOOL OnInitDialog() override
    {
        BOOL r = DestinationPage::OnInitDialog();
        ++initCount;
        SetEvent(ready);
        return r;
    }

    bool OnMessage(UINT msg, WPARAM, LPARAM l, INT_PTR& result) override
    {
        if (msg == kRunMessage) {
            (*reinterpret_cast<std::function<void()>*>(l))();
            result = 0;
            return true;
        }
        if (msg == kMarkerMessage) {
            SetEvent(marked);
            result = 0;
            return true;
        }
        return false;
    }
};

// Runs `body` (which shows the page) on a thread of its own and lets the test drive the
// page from its thread once the page has opened.
class PageSession {
public:
    PageSession(TestPage& page, std::function<void()> body) : page_(page)
    {
        done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, body] {
            body();
            SetEvent(done_);
        });
        HANDLE both[] = {page_.ready, done_};
        if (WaitForMultipleObjects(2, both, FALSE, kWaitMs) == WAIT_OBJECT_0)
            dialog_ = page_.GetSafeHwnd();
    }

    explicit PageSession(TestPage& page) : PageSession(page, [&page, this] { result_ = page.DoModal(); }) {}

    ~PageSession()
    {
        if (!Ended()) {
            HWND d = page_.GetSafeHwnd();
            if (d)
                PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        }
        thread_.join();
        CloseHandle(done_);
    }

    HWND Dialog() const { return dialog_; }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    HWND Tree() const { return Item(IDC_TREE); }
    INT_PTR Result() const { return result_; }

    // True once the page (the body) has ended; waits for it up to the bound.
    bool WaitEnded() const { return WaitForSingleObject(done_, kWaitMs) == WAIT_OBJECT_0; }
    bool Ended() const { return WaitForSingleObject(done_, 0) == WAIT_OBJECT_0; }

    void OnPageThread(std::function<void()> fn) const
    {
        SendMessageA(dialog_, kRunMessage, 0, reinterpret_cast<LPARAM>(&fn));
    }

    // Waits until everything posted to the page's thread so far has been handled.
    bool Sync() const
    {
        PostMessageA(dialog_, kMarkerMessage, 0, 0);
        return WaitForSingleObject(page_.marked, kWaitMs) == WAIT_OBJECT_0;
    }

    bool Click(int id) const
    {
        HWND button = Item(id);
        if (!button || !IsWindowEnabled(button))
            return false;
        PostMessageA(button, BM_CLICK, 0, 0);
        return true;
    }

    std::string Text(int id) const
    {
        char buf[1024] = {};
        GetWindowTextA(Item(id), buf, sizeof buf);
        return buf;
    }

    void SetText(int id, const std::string& text) const { SetWindowTextA(Item(id), text.c_str()); }

    // Chooses an entry of the drive box as the user does.
    void ChooseDrive(int index) const
    {
        HWND combo = Item(IDC_DRIVE);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_DRIVE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }

    std::vector<std::string> DriveEntries() const
    {
        std::vector<std::string> entries;
        HWND combo = Item(IDC_DRIVE);
        int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buf[1100] = {};
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
            entries.push_back(buf);
        }
        return entries;
    }

    int DriveSelection() const { return static_cast<int>(SendMessageA(Item(IDC_DRIVE), CB_GETCURSEL, 0, 0)); }

    int DriveIndex(char letter) const
    {
        std::vector<std::string> entries = DriveEntries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (!entries[i].empty() && entries[i][0] == letter)
                return static_cast<int>(i);
        return -1;
    }

private:
    TestPage& page_;
    HANDLE done_;
    std::thread thread_;
    HWND dialog_ = nullptr;
    INT_PTR result_ = -1;
};

// ---- reading and clicking the tree ---------------------------------------------------

struct ItemInfo {
    std::string text;
    int image = -1;
    int selectedImage = -1;
    UINT state = 0;
    bool hasChildren = false;
};

ItemInfo Info(HWND tree, HTREEITEM item)
{
    char buf[MAX_PATH + 1] = {};
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    tv.hItem = item;
    tv.pszText = buf;
    tv.cchTextMax = sizeof buf;
    tv.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
    ItemInfo info;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
        return info;
    info.text = buf;
    info.image = tv.iImage;
    info.selectedImage = tv.iSelectedImage;
    info.state = tv.state;
    info.hasChildren = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) != 0;
    return info;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent)
{
    std::vector<HTREEITEM> items;
    for (HTREEITEM c = Next(tree, parent, TVGN_CHILD); c; c = Next(tree, c, TVGN_NEXT))
        items.push_back(c);
    return items;
}

std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent)
{
    std::vector<std::string> texts;
    for (HTREEITEM c : Children(tree, parent))
        texts.push_back(Info(tree, c).text);
    return texts;
}

HTREEITEM Child(HWND tree, HTREEITEM parent, const std::string& text)
{
    for (HTREEITEM c : Children(tree, parent))
        if (Info(tree, c).text == text)
            return c;
    return nullptr;
}

HTREEITEM Root(HWND tree) { return Next(tree, nullptr, TVGN_ROOT); }
HTREEITEM Selection(HWND tree) { return Next(tree, nullptr, TVGN_CARET); }

std::string SelectedPath(HWND tree)
{
    std::string path;
    for (HTREEITEM i = Selection(tree); i; i = Next(tree, i, TVGN_PARENT)) {
        std::string text = Info(tree, i).text;
        path = path.empty() ? text : (text.back() == '\\' ? text + path : text + "\\" + path);
    }
    return path;
}

bool Expanded(HWND tree, HTREEITEM item) { return (Info(tree, item).state & TVIS_EXPANDED) != 0; }

POINT LabelPoint(HWND tree, HTREEITEM item)
{
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rc = {};
    std::memcpy(&rc, &item, sizeof item);  // the item goes in where the rectangle comes out
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rc));
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// Where the item's expand button is, found with the control's own hit test.
bool ButtonPoint(HWND tree, HTREEITEM item, POINT* pt)
{
    POINT label = LabelPoint(tree, item);
    for (int x = 0; x < label.x; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, label.y};
        SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMBUTTON)) {
            *pt = hit.pt;
            return true;
        }
    }
    return false;
}

void PostMouse(HWND tree, std::initializer_list<UINT> messages, POINT pt)
{
    for (UINT m : messages)
        PostMessageA(tree, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
}

// ---- the fixture -------------------------------------------------------------------

struct Box {
    std::string text;
    std::string caption;
    UINT style;
};

class DestinationPageTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        drive_ = new MappedDrive();
        if (!drive_->Ok())
            return;
        drive_->MakeDirectory("Alpha\\Sub1\\Deep");
        drive_->MakeDirectory("Alpha\\Sub2");
        drive_->MakeDirectory("Beta");
        drive_->MakeFile("Beta\\beta.txt");
        drive_->MakeDirectory("Program Files\\Vendor");
        drive_->MakeDirectory("Tools\\Drivers\\Printers");
        drive_->MakeDirectory("Hidden\\Inner", FILE_ATTRIBUTE_HIDDEN);
        drive_->MakeDirectory("System", FILE_ATTRIBUTE_SYSTEM);
        drive_->MakeFile("readme.txt");
    }

    static void TearDownTestSuite()
    {
        delete drive_;
        drive_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(drive_ && drive_->Ok()) << "no drive letter could be mapped for the test";
        saved_ = CurrentDirectory();
        api_->MessageBoxA = [this](HWND owner, LPCSTR text, LPCSTR caption, UINT style) -> int {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back({text ? text : "", caption ? caption : "", style});
            owners_.push_back(owner);
            return IDOK;
        };
    }

    void TearDown() override { SetCurrentDirectoryA(saved_.c_str()); }

    std::vector<Box> Boxes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    std::vector<HWND> Owners()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return owners_;
    }

    // Opens the page and switches its tree to the mapped drive through the drive box.
    void OpenOnMappedDrive(PageSession& s)
    {
        ASSERT_TRUE(s.Dialog());
        int index = s.DriveIndex(drive_->Letter());
        ASSERT_GE(index, 0);
        s.ChooseDrive(index);
        ASSERT_EQ(Info(s.Tree(), Root(s.Tree())).text, drive_->Root());
    }

    static MappedDrive* drive_;
    platform::ScopedApi api_;
    std::string saved_;
    std::mutex mutex_;
    std::vector<Box> boxes_;
    std::vector<HWND> owners_;
};

MappedDrive* DestinationPageTest::drive_ = nullptr;

TEST_F(DestinationPageTest, TheFirstShowingOpensDriveCWithItsDirectoriesTwoLevelsDeep)
{
    SetCurrentDirectoryA("c:\\");
    std::string cRoot = CurrentDirectory();  // the root as the system spells it
    SetCurrentDirectoryA(saved_.c_str());

    TestPage page;
    PageSession s(page);
    ASSERT_TRUE(s.Dialog());
    HWND tree = s.Tree();
    std::vector<HTREEITEM> top = Children(tree, nullptr);
    ASSERT_EQ(top.size(), 1u);
    ItemInfo root = Info(tree, top[0]);
    EXPECT_EQ(root.text, cRoot);
    EXPECT_TRUE(root.state & TVIS_EXPANDED);
    EXPECT_TRUE(root.state & TVIS_SELECTED);
    EXPECT_EQ(root.image, CDirectoryTree::kOpenFolder);
    EXPECT_EQ(root.selectedImage, CDirectoryTree::kOpenFolderSelected);
    EXPECT_EQ(s.Text(IDC_DIRECTORY), cRoot);
    EXPECT_EQ(page.m_szDirectory, cRoot);
    EXPECT_EQ(CurrentDirectory(), cRoot);
    EXPECT_TRUE(IsWindowEnabled(s.Item(IDOK)));
    EXPECT_TRUE(IsWindowEnabled(s.Item(IDC_CREATE)));

    // Every directory of C:\, in the control's order, with something below it exactly
    // when the directory has sub-directories.
    std::vector<std::string> names = testpaths::Subdirectories(cRoot);
    std::vector<std::string> shown = ChildTexts(tree, top[0]);
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()), std::set<std::string>(names.begin(), names.end()));
    EXPECT_EQ(shown.size(), names.size());
    for (size_t i = 1; i < shown.size(); ++i)
        EXPECT_NE(CompareStringA(LOCALE_USER_DEFAULT, 0, shown[i - 1].c_str(), -1, shown[i].c_str(), -1),
                  CSTR_GREATER_THAN)
            << shown[i - 1] << " before " << shown[i];
    for (HTREEITEM c : Children(tree, top[0])) {
        ItemInfo info = Info(tree, c);
        EXPECT_EQ(info.hasChildren, !testpaths::Subdirectories(cRoot + info.text + "\\").empty()) << info.text;
        EXPECT_FALSE(info.state & TVIS_EXPANDED) << info.text;
        EXPECT_EQ(info.image, CDirectoryTree::kClosedFolder);
        EXPECT_EQ(info.selectedImage, CDirectoryTree::kClosedFolderSelected);
        // Two levels are read, never a third.
        for (HTREEITEM g : Children(tree, c))
            EXPECT_FALSE(Info(tree, g).hasChildren) << info.text << "\\" << Info(tree, g).text;
    }

    // The drive box lists the drives in order and selects drive C.
    std::vector<std::string> entries = s.DriveEntries();
    ASSERT_FALSE(entries.empty());
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_LT(entries[i - 1][0], entries[i][0]);
    for (const std::string& e : entries) {
        ASSERT_GE(e.size(), 3u);
        EXPECT_EQ(e.substr(1, 2), ": ") << e;
    }
    ASSERT_GE(s.DriveSelection(), 0);
    EXPECT_EQ(entries[s.DriveSelection()][0], 'C');
    EXPECT_TRUE(Boxes().empty());

    // Once the page is closed the process holds no directory of the drive it browsed.
    ASSERT_TRUE(s.Click(IDCANCEL) && s.WaitEnded());
    EXPECT_EQ(CurrentDirectory(), saved_);
}

TEST_F(DestinationPageTest, TheDriveBoxSwitchesTheTreeToAnotherDrive)
{
    TestPage page;
    PageSession s(page);
    OpenOnMappedDrive(s);
    HWND tree = s.Tree();
    HTREEITEM root = Root(tree);
    EXPECT_TRUE(Expanded(tree, root));
    EXPECT_EQ(Selection(tree), root);
    EXPECT_EQ(s.Text(IDC_DIRECTORY), drive_->Root());
    EXPECT_EQ(page.m_tree.m_cDrive, drive_->Letter());
    EXPECT_EQ(CurrentDirectory(), drive_->Root());
    EXPECT_EQ(s.DriveEntries()[s.DriveSelection()][0], drive_->Letter());

    // Hidden and system directories are listed; files are not.
    std::vector<std::string> shown = ChildTexts(tree, root);
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()),
              (std::set<std::string>{"Alpha", "Beta", "Hidden", "Program Files", "System", "Tools"}));
    EXPECT_TRUE(Info(tree, Child(tree, root, "Alpha")).hasChildren);
    EXPECT_FALSE(Info(tree, Child(tree, root, "Beta")).hasChildren);
    EXPECT_TRUE(Info(tree, Child(tree, root, "Hidden")).hasChildren);
    EXPECT_FALSE(Info(tree, Child(tree, root, "System")).hasChildren);
    EXPECT_THAT(ChildTexts(tree, Child(tree, root, "Alpha")), ElementsAre("Sub1", "Sub2"));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DestinationPageTest, ADriveThatIsNotReadyLeavesTheTreeOnItsDrive)
{
    UnreadyDrive unready;
    ASSERT_TRUE(unready.Ok());
    TestPage page;
    PageSession s(page);
    OpenOnMappedDrive(s);
    HWND tree = s.Tree();
    HTREEITEM root = Root(tree);
    int index = s.DriveIndex(unready.Letter());
    ASSERT_GE(index, 0);
    EXPECT_EQ(s.DriveEntries()[index], unready.Device() + " ");

    s.ChooseDrive(index);
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Drive " + std::string(1, unready.Letter()) + ": is not ready.");
    EXPECT_EQ(boxes[0].caption, texts::kBoxCaption);
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Owners()[0], s.Dialog());
    EXPECT_EQ(s.DriveEntries()[s.DriveSelection()][0], drive_->Letter());
    EXPECT_EQ(Root(tree), root);
    EXPECT_EQ(Info(tree, root).text, drive_->Root());
    EXPECT_EQ(s.Text(IDC_DIRECTORY), drive_->Root());
    EXPECT_EQ(page.m_tree.m_cDrive, drive_->Letter());
}

TEST_F(DestinationPageTest, DoubleClickOpensAnItemForGoodAndKeepsItsOpenImage)
{
    TestPage page;
    PageSession s(page);
    OpenOnMappedDrive(s);
    HWND tree = s.Tree();
    HTREEITEM alpha = Child(tree, Root(tree), "Alpha");
    ASSERT_TRUE(alpha);
    ASSERT_FALSE(Expanded(tree, alpha));

    POINT pt = LabelPoint(tree, alpha);
    PostMouse(tree, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, pt);
    ASSERT_TRUE(s.Sync());
    alpha = Child(tree, Root(tree), "Alpha");
    EXPECT_EQ(Selection(tree), alpha);
    EXPECT_TRUE(Expanded(tree, alpha));
    EXPECT_EQ(Info(tree, alpha).image, CDirectoryTree::kOpenFolder);
    EXPECT_EQ(Info(tree, alpha).selectedImage, CDirectoryTree::kOpenFolderSelected);
    EXPECT_EQ(s.Text(IDC_DIRECTORY), drive_->Root() + "Alpha");
    EXPECT_EQ(page.m_szDirectory, drive_->Root() + "Alpha");
    EXPECT_THAT(ChildTexts(tree, alpha), ElementsAre("Sub1", "Sub2"));
    EXPECT_TRUE(Info(tree, Child(tree, alpha, "Sub1")).hasChildren);  // one level further

    // A second double click reads the children again and does not close the item.
    drive_->MakeDirectory("Alpha\\Sub0");
    PostMouse(tree, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, LabelPoint(tree, alpha));
    ASSERT_TRUE(s.Sync());
    EXPECT_TRUE(Expanded(tree, alpha));
    EXPECT_EQ(Info(tree, alpha).image, CDirectoryTree::kOpenFolder);
    EXPECT_THAT(ChildTexts(tree, alpha), ElementsAre("Sub0", "Sub1", "Sub2"));
    RemoveDirectoryA((drive_->Root() + "Alpha\\Sub0").c_str());
}

TEST_F(DestinationPageTest, ClosingAndOpeningWithTheButtonReadTheChildrenAgain)
{
    TestPage page;
    PageSession s(page);
    OpenOnMappedDrive(s);
    HWND tree = s.Tree();
    HTREEITEM tools = Child(tree, Root(tree), "Tools");
    ASSERT_TRUE(tools);
    POINT button;

    // Opened with its button: fresh children, and the closed-folder images stay.
    drive_->MakeDirectory("Tools\\Added");
    ASSERT_TRUE(ButtonPoint(tree, tools, &button));
    PostMouse(tree, {WM_LBUTTONDOWN, WM_LBUTTONUP}, button);
    ASSERT_TRUE(s.Sync());
    EXPECT_TRUE(Expanded(tree, tools));
    EXPECT_THAT(ChildTexts(tree, tools), ElementsAre("Added", "Drivers"));
    EXPECT_TRUE(Info(tree, Child(tree, tools, "Drivers")).hasChildren);
    EXPECT_EQ(Info(tree, tools).image, CDirectoryTree::kClosedFolder);

    // Closed with its button: the children are read again before it closes.
    RemoveDirectoryA((drive_->Root() + "Tools\\Added").c_str());
    drive_->MakeDirectory("Tools\\Later");
    ASSERT_TRUE(ButtonPoint(tree, tools, &button));
    PostMouse(tree, {WM_LBUTTONDOWN, WM_LBUTTONUP}, button);
    ASSERT_TRUE(s.Sync());
    EXPECT_FALSE(Expanded(tree, tools));
    EXPECT_THAT(ChildTexts(tree, tools), ElementsAre("Drivers", "Later"));
    RemoveDirectoryA((drive_->Root() + "Tools\\Later").c_str());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DestinationPageTest, SelectPathWalksTheComponentsOnTheDriveShown)
{
    TestPage page;
    PageSession s(page);
    OpenOnMappedDrive(s);
    HWND tree = s.Tree();
    std::string root = drive_->Root();
    auto select = [&](const std::string& path) {
        s.OnPageThread([&] { page.m_tree.SelectPath(path); });
        return SelectedPath(tree);
    };

    EXPECT_EQ(select(root + "Tools\\Drivers"), root + "Tools\\Drivers");
    EXPECT_EQ(page.m_tree.m_strPath, root + "Tools\\Drivers");
    EXPECT_EQ(page.m_szDirectory, root + "Tools\\Drivers");
    EXPECT_EQ(s.Text(IDC_DIRECTORY), root + "Tools\\Drivers");
    HTREEITEM tools = Child(tree, Root(tree), "Tools");
    HTREEITEM drivers = Child(tree, tools, "Drivers");
    EXPECT_TRUE(Expanded(tree, tools));
    EXPECT_TRUE(Expanded(tree, drivers));
    EXPECT_EQ(Info(tree, tools).image, CDirectoryTree::kOpenFolder);
    EXPECT_EQ(Info(tree, drivers).image, CDirectoryTree::kOpenFolder);
    EXPECT_THAT(ChildTexts(tree, drivers), ElementsAre("Printers"));

    EXPECT_EQ(select(root + "Prog"), root + "Program Files");
    EXPECT_EQ(select(root + "alpha\\SUB2"), root + "Alpha\\Sub2");
    EXPECT_EQ(select(root + "Alpha\\"), root + "Alpha");
    EXPECT_EQ(select(root + "Alpha\\Nothing\\Sub1"), root + "Alpha");
    EXPECT_EQ(select("Q:\\Tools\\Drivers\\Printers"), root + "Tools\\Drivers\\Printers");
    EXPECT_EQ(page.m_tree.m_strPath, root + "Tools\\Drivers\\Printers");
    select(root);  // as Create does: the page's own directory, which each selection overwrites
    page.m_szDirectory = root + "Tools\\Dri\\Printers";
    s.OnPageThread([&] { page.m_tree.SelectPath(page.m_szDirectory); });
    EXPECT_EQ(SelectedPath(tree), root + "Tools\\Drivers\\Printers");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DestinationPageTest, NextCreatesATypedNestedDirectoryAndEndsThePage)
{
    TestPage page;
    PageSession s(page);
    OpenOnMappedDrive(s);
    std::string typed = drive_->Root() + "New\\Nested\\Dir";
    s.SetText(IDC_DIRECTORY, typed);
    ASSERT_TRUE(s.Click(IDOK));
    ASSERT_TRUE(s.WaitEnded());
    EXPECT_EQ(s.Result(), IDOK);
    EXPECT_EQ(page.m_nResult, PAGE_NEXT);
    EXPECT_EQ(page.m_szDirectory, typed);
    EXPECT_NE(GetFileAttributesA(typed.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(GetFileAttributesA(typed.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Boxes().empty());
    testpaths::RemoveTree(drive_->Root() + "New");
}

TEST_F(DestinationPageTest, ATypedNameWithoutDriveGoesOnTheDriveShownAndAnExistingDirectoryIsAccepted)
{
    TestPage page;
    {
        PageSession s(page);
        OpenOnMappedDrive(s);
        s.SetText(IDC_DIRECTORY, "relative/made");
        ASSERT_TRUE(s.Click(IDOK));
        ASSERT_TRUE(s.WaitEnded());
    }
    EXPECT_EQ(page.m_nResult, PAGE_NEXT);
    EXPECT_EQ(page.m_szDirectory, drive_->Root() + "relative\\made");
    EXPECT_NE(GetFileAttributesA((drive_->Root() + "relative\\made").c_str()), INVALID_FILE_ATTRIBUTES);

    TestPage other;
    PageSession s(other);
    OpenOnMappedDrive(s);
    s.SetText(IDC_DIRECTORY, drive_->Root() + "Beta");
    ASSERT_TRUE(s.Click(IDOK));
    ASSERT_TRUE(s.WaitEnded());
    EXPECT_EQ(other.m_nResult, PAGE_NEXT);
    EXPECT_EQ(other.m_szDirectory, drive_->Root() + "Beta");
    EXPECT_TRUE(Boxes().empty());
    testpaths::RemoveTree(drive_->Root() + "relative");
}

TEST_F(DestinationPageTest, CreateStaysOnThePageWithTheNewDirectorySelected)
{
    TestPage page;
    PageSession s(page);
    ASSERT_TRUE(s.Dialog());
    // The tree shows drive C; the directory is made on the mapped drive.
    std::string typed = std::string(1, static_cast<char>(drive_->Letter() - 'A' + 'a')) + ":/Made/Here";
    s.SetText(IDC_DIRECTORY, typed);
    ASSERT_TRUE(s.Click(IDC_CREATE));
    ASSERT_TRUE(s.Sync());
    EXPECT_FALSE(s.Ended());
    EXPECT_EQ(page.m_nResult, PAGE_NEXT);
    std::string made = drive_->Root() + "Made\\Here";
    EXPECT_NE(GetFileAttributesA(made.c_str()), INVALID_FILE_ATTRIBUTES);
    HWND tree = s.Tree();
    EXPECT_EQ(Info(tree, Root(tree)).text, drive_->Root());
    EXPECT_EQ(SelectedPath(tree), made);
    EXPECT_EQ(page.m_szDirectory, made);
    EXPECT_EQ(s.Text(IDC_DIRECTORY), made);
    EXPECT_EQ(s.DriveEntries()[s.DriveSelection()][0], drive_->Letter());
    EXPECT_EQ(page.m_tree.m_cDrive, drive_->Letter());
    HTREEITEM here = Selection(tree);
    EXPECT_TRUE(Expanded(tree, Next(tree, here, TVGN_PARENT)));
    EXPECT_EQ(Info(tree, here).image, CDirectoryTree::kOpenFolder);
    EXPECT_TRUE(Boxes().empty());

    // Next takes the directory as it stands.
    ASSERT_TRUE(s.Click(IDOK));
    ASSERT_TRUE(s.WaitEnded());
    EXPECT_EQ(page.m_szDirectory, made);
    testpaths::RemoveTree(drive_->Root() + "Made");
}

TEST_F(DestinationPageTest, ASecondShowingReopensOnTheAcceptedDirectory)
{
    TestPage page;
    {
        PageSession s(page);
        OpenOnMappedDrive(s);
        s.SetText(IDC_DIRECTORY, drive_->Root() + "alpha\\sub2");
        ASSERT_TRUE(s.Click(IDOK));
        ASSERT_TRUE(s.WaitEnded());
        EXPECT_EQ(page.m_szDirectory, drive_->Root() + "alpha\\sub2");
    }
    SetCurrentDirectoryA(saved_.c_str());
    PageSession s(page);
    ASSERT_TRUE(s.Dialog());
    HWND tree = s.Tree();
    EXPECT_EQ(Info(tree, Root(tree)).text, drive_->Root());
    EXPECT_EQ(SelectedPath(tree), drive_->Root() + "Alpha\\Sub2");
    EXPECT_EQ(s.Text(IDC_DIRECTORY), drive_->Root() + "Alpha\\Sub2");
    EXPECT_EQ(s.DriveEntries()[s.DriveSelection()][0], drive_->Letter());
}

TEST_F(DestinationPageTest, TheRootAndAnEmptyBoxAreRefused)
{
    TestPage page;
    PageSession s(page);
    OpenOnMappedDrive(s);
    ASSERT_TRUE(s.Click(IDOK));
    ASSERT_TRUE(s.Sync());
    EXPECT_FALSE(s.Ended());
    EXPECT_EQ(page.m_nResult, PAGE_REFUSED);
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, texts::kNoDirectory);
    EXPECT_EQ(boxes[0].caption, texts::kBoxCaption);
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(Owners()[0], s.Dialog());

    s.SetText(IDC_DIRECTORY, drive_->Root() + "Recycled");
    ASSERT_TRUE(s.Click(IDC_CREATE));
    ASSERT_TRUE(s.Sync());
    EXPECT_EQ(page.m_nResult, PAGE_REFUSED);
    EXPECT_EQ(Boxes().back().text, "Cannot copy files or folders to the RECYCLED folder.");
    EXPECT_EQ(GetFileAttributesA((drive_->Root() + "Recycled").c_str()), INVALID_FILE_ATTRIBUTES);

    s.SetText(IDC_DIRECTORY, "");
    EXPECT_FALSE(IsWindowEnabled(s.Item(IDOK)));
    EXPECT_FALSE(IsWindowEnabled(s.Item(IDC_CREATE)));
    s.SetText(IDC_DIRECTORY, "x");
    EXPECT_TRUE(IsWindowEnabled(s.Item(IDOK)));
    EXPECT_TRUE(IsWindowEnabled(s.Item(IDC_CREATE)));
}

TEST_F(DestinationPageTest, BackAndCancelEndThePageWithTheirResults)
{
    TestPage page;
    {
        PageSession s(page);
        ASSERT_TRUE(s.Click(IDC_BACK));
        ASSERT_TRUE(s.WaitEnded());
        EXPECT_EQ(s.Result(), IDCANCEL);
        EXPECT_EQ(page.m_nResult, PAGE_BACK);
    }
    PageSession s(page);
    ASSERT_TRUE(s.Click(IDCANCEL));
    ASSERT_TRUE(s.WaitEnded());
    EXPECT_EQ(s.Result(), IDCANCEL);
    EXPECT_EQ(page.m_nResult, PAGE_CANCEL);
}

// The controller around the real page: the current directory that the page moves about
// is the one before the page once it has closed.
class WizardWithRealDestination : public fakes::FakeWizardApp {
public:
    WizardWithRealDestination() : real_(new TestPage), page(real_.get()) {}
    WizardPages CreatePages() override
    {
        WizardPages pages = FakeWizardApp::CreatePages();
        pages.destination = std::move(real_);
        return pages;
    }

private:
    std::unique_ptr<TestPage> real_;

public:
    TestPage* page;
};

TEST_F(DestinationPageTest, TheControllerRestoresTheCurrentDirectoryAfterTheDestinationPage)
{
    std::string start = testpaths::MakeTempDir("dest-cwd");
    ASSERT_FALSE(start.empty());
    for (int back = 0; back < 2; ++back) {
        ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
        WizardWithRealDestination app;
        app.welcome->ThenResult(PAGE_CANCEL);
        app.m_nState = StateDestination;
        std::string seen;
        {
            PageSession s(*app.page, [&app] { app.RunWizard(); });
            OpenOnMappedDrive(s);
            seen = CurrentDirectory();
            ASSERT_TRUE(s.Click(back ? IDC_BACK : IDCANCEL));
            ASSERT_TRUE(s.WaitEnded());
        }
        EXPECT_EQ(seen, drive_->Root());
        EXPECT_EQ(CurrentDirectory(), start) << (back ? "Back" : "Cancel");
        EXPECT_EQ(app.welcome->shown, back ? 1 : 0);
    }
    SetCurrentDirectoryA(saved_.c_str());
    testpaths::RemoveTree(start);
}

// ---- failures that Wine does not produce, through the seam --------------------------

TEST_F(DestinationPageTest, AnUnreadableCurrentDirectoryLeavesTheTreeEmptyAfterAMessage)
{
    api_->GetCurrentDirectoryA = [](DWORD, LPSTR) -> DWORD {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    };
    api_->GetLastError = [] { return static_cast<DWORD>(ERROR_ACCESS_DENIED); };
    TestPage page;
    PageSession s(page);
    ASSERT_TRUE(s.Dialog());
    EXPECT_EQ(Root(s.Tree()), nullptr);
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "GetLastError");
    EXPECT_EQ(boxes[0].text, framework::SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(boxes[1].caption, "GetLastError - GetCurrentDirectory failed");
    EXPECT_EQ(boxes[1].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_GT(s.DriveEntries().size(), 0u);
    EXPECT_EQ(s.DriveSelection(), CB_ERR);
}

TEST_F(DestinationPageTest, UnreadableDrivesLeaveTheDriveBoxEmptyAfterAMessage)
{
    api_->GetLogicalDrives = [] { return static_cast<DWORD>(0); };
    api_->GetLastError = [] { return static_cast<DWORD>(ERROR_NOT_READY); };
    TestPage page;
    PageSession s(page);
    ASSERT_TRUE(s.Dialog());
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "GetLastError - GetLogicalDrives failed");
    EXPECT_EQ(boxes[0].text, framework::SystemErrorText(ERROR_NOT_READY));
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(Owners()[0], s.Dialog());
    EXPECT_TRUE(s.DriveEntries().empty());
    EXPECT_NE(Root(s.Tree()), nullptr);  // the tree does not depend on the drive box
}

TEST_F(DestinationPageTest, TheVolumeNameFollowsTheLetterAndDriveAIsNeverAsked)
{
    std::vector<std::string> asked;
    api_->GetLogicalDrives = [] { return static_cast<DWORD>((1u << 0) | (1u << 2) | (1u << 3)); };
    api_->GetVolumeInformationA = [&asked](LPCSTR root, LPSTR name, DWORD size, LPDWORD, LPDWORD, LPDWORD, LPSTR,
                                           DWORD) -> BOOL {
        asked.push_back(root);
        if (std::string(root) != "C:\\")
            return FALSE;
        lstrcpynA(name, "SYSTEM", static_cast<int>(size));
        return TRUE;
    };
    std::vector<UINT> errorModes;
    api_->SetErrorMode = [&errorModes](UINT mode) -> UINT {
        errorModes.push_back(mode);
        return 0;
    };
    TestPage page;
    PageSession s(page);
    ASSERT_TRUE(s.Dialog());
    EXPECT_THAT(s.DriveEntries(), ElementsAre("A: ", "C: SYSTEM", "D: "));
    EXPECT_THAT(asked, ElementsAre("C:\\", "D:\\"));
    EXPECT_THAT(errorModes, ElementsAre(static_cast<UINT>(SEM_FAILCRITICALERRORS)));
    EXPECT_EQ(s.DriveSelection(), 1);

    // Either case of a letter selects its entry; a letter not listed changes nothing.
    s.OnPageThread([&] { page.m_cboDrive.SelectDrive('d'); });
    EXPECT_EQ(s.DriveSelection(), 2);
    s.OnPageThread([&] { page.m_cboDrive.SelectDrive('A'); });
    EXPECT_EQ(s.DriveSelection(), 0);
    s.OnPageThread([&] { page.m_cboDrive.SelectDrive('Q'); });
    EXPECT_EQ(s.DriveSelection(), 0);
}

}  // namespace
