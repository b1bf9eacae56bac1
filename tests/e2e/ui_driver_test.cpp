// The test driver checked against a dialog of its own: this program started a
// second time with --ui-driver-fixture shows a small in-memory dialog with the
// kinds of controls the wizard's pages have, and reports what it receives in
// static texts that the test reads.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/paths.h"
#include "support/process.h"
#include "support/ui_driver.h"

namespace {

const char kCaption[] = "UI Driver Fixture";
const char kBoxCaption[] = "Fixture Box";
const char kFlag[] = "--ui-driver-fixture";

enum : int {
    kEdit = 100, kCount = 101, kBox = 102, kDisabled = 103, kRadioOne = 104, kRadioTwo = 105,
    kList = 106, kTree = 107, kCombo = 108,
    kEditReport = 110, kClickReport = 111, kListReport = 112, kTreeReport = 113,
    kComboReport = 114, kExpandReport = 115,
};

// ---- the fixture dialog (runs in the child process) ---------------------------

class TemplateBuilder {
public:
    TemplateBuilder(const char* caption, short cx, short cy)
    {
        DLGTEMPLATE t = {};
        t.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.cx = cx;
        t.cy = cy;
        Raw(&t, sizeof t);
        m_countAt = offsetof(DLGTEMPLATE, cdit) / 2;
        Word(0);   // no menu
        Word(0);   // standard class
        Text(caption);
        Word(8);
        Text("MS Sans Serif");
    }

    void Add(WORD cls, int id, const char* text, DWORD style, short x, short y, short cx, short cy)
    {
        AddNamed(nullptr, cls, id, text, style, x, y, cx, cy);
    }

    void AddNamed(const char* className, WORD cls, int id, const char* text, DWORD style, short x,
                  short y, short cx, short cy)
    {
        while (m_words.size() % 2)
            Word(0);
        DLGITEMTEMPLATE it = {};
        it.style = style | WS_CHILD | WS_VISIBLE;
        it.x = x;
        it.y = y;
        it.cx = cx;
        it.cy = cy;
        it.id = static_cast<WORD>(id);
        Raw(&it, sizeof it);
        if (className) {
            Text(className);
        } else {
            Word(0xFFFF);
            Word(cls);
        }
        Text(text);
        Word(0);   // no creation data
        ++m_words[m_countAt];
    }

    const DLGTEMPLATE* Get()
    {
        m_aligned.assign((m_words.size() + 1) / 2, 0);
        std::memcpy(m_aligned.data(), m_words.data(), m_words.size() * 2);
        return reinterpret_cast<const DLGTEMPLATE*>(m_aligned.data());
    }

private:
    void Raw(const void* p, size_t bytes)
    {
        const WORD* w = static_cast<const WORD*>(p);
        m_words.insert(m_words.end(), w, w + bytes / 2);
    }
    void Word(WORD w) { m_words.push_back(w); }
    void Text(const char* s)
    {
        while (*s)
            Word(static_cast<unsigned char>(*s++));
        Word(0);
    }

    std::vector<WORD> m_words;
    std::vector<DWORD> m_aligned;
    size_t m_countAt = 0;
};

void Report(HWND dlg, int id, const std::string& text)
{
    SetDlgItemTextA(dlg, id, text.c_str());
}

std::string ListText(HWND list, int item)
{
    char buf[256] = {};
    ListView_GetItemText(list, item, 0, buf, sizeof buf);
    return buf;
}

void FillFixture(HWND dlg)
{
    SendDlgItemMessageA(dlg, kEdit, EM_LIMITTEXT, 220, 0);
    CheckRadioButton(dlg, kRadioOne, kRadioTwo, kRadioOne);

    HWND list = GetDlgItem(dlg, kList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 100;
    col.pszText = const_cast<char*>("Port name");
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    col.pszText = const_cast<char*>("Related physical port");
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
    const char* rows[][2] = {{"LPT1:", "Local port"}, {"KPL_1", "\\\\server\\queue"}, {"COM1:", "Serial"}};
    for (int i = 0; i < 3; ++i) {
        LVITEMA it = {};
        it.mask = LVIF_TEXT;
        it.iItem = i;
        it.pszText = const_cast<char*>(rows[i][0]);
        const int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
        it.iItem = at;
        it.iSubItem = 1;
        it.pszText = const_cast<char*>(rows[i][1]);
        SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&it));
    }

    HWND tree = GetDlgItem(dlg, kTree);
    auto add = [tree](HTREEITEM parent, const char* text, int image = 0) {
        TVINSERTSTRUCTA ins = {};
        ins.hParent = parent;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        ins.item.iImage = image;
        ins.item.iSelectedImage = image + 1;
        ins.item.pszText = const_cast<char*>(text);
        return reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
    };
    HTREEITEM root = add(TVI_ROOT, "C:\\");
    add(root, "alpha");
    HTREEITEM beta = add(root, "beta", 2);
    add(beta, "gamma");
    TreeView_SelectItem(tree, root);

    for (const char* drive : {"D:", "A:", "C:"})
        SendDlgItemMessageA(dlg, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive));
    SendDlgItemMessageA(dlg, kCombo, CB_SETCURSEL, 1, 0);
}

std::string TreeText(HWND tree, HTREEITEM item)
{
    char text[128] = {};
    TVITEMA it = {};
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    return text;
}

INT_PTR CALLBACK FixtureProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    static int clicks = 0;
    static int expanding = 0;
    switch (msg) {
    case WM_INITDIALOG:
        FillFixture(dlg);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kEdit:
            if (HIWORD(wp) == EN_CHANGE) {
                const int len = GetWindowTextLengthA(GetDlgItem(dlg, kEdit));
                Report(dlg, kEditReport, "len=" + std::to_string(len));
            }
            return TRUE;
        case kCount:
            // Slow on purpose: a test that does not wait for the click sees the old count.
            Sleep(50);
            Report(dlg, kClickReport, "clicks=" + std::to_string(++clicks));
            return TRUE;
        case kBox: {
            const int answer = MessageBoxA(dlg, "Shall we go on?", kBoxCaption, MB_YESNO | MB_ICONQUESTION);
            Report(dlg, kClickReport, "box=" + std::to_string(answer));
            return TRUE;
        }
        case kDisabled:
            Report(dlg, kClickReport, "disabled clicked");
            return TRUE;
        case kCombo:
            if (HIWORD(wp) == CBN_SELCHANGE) {
                char text[64] = {};
                const LRESULT sel = SendDlgItemMessageA(dlg, kCombo, CB_GETCURSEL, 0, 0);
                SendDlgItemMessageA(dlg, kCombo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(text));
                Report(dlg, kComboReport, std::string("combo=") + text);
            }
            return TRUE;
        case IDOK:
        case IDCANCEL:
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
        break;
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr->idFrom == kList && hdr->code == LVN_ITEMCHANGED) {
            const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
            if ((nm->uChanged & LVIF_STATE) && (nm->uNewState & LVIS_SELECTED))
                Report(dlg, kListReport, "sel=" + ListText(hdr->hwndFrom, nm->iItem));
        } else if (hdr->idFrom == kList && hdr->code == NM_DBLCLK) {
            const NMITEMACTIVATE* nm = reinterpret_cast<const NMITEMACTIVATE*>(lp);
            if (nm->iItem >= 0)
                MessageBoxA(dlg, ("Double click on " + ListText(hdr->hwndFrom, nm->iItem)).c_str(),
                            kBoxCaption, MB_OK);
        } else if (hdr->idFrom == kTree && hdr->code == TVN_SELCHANGEDA) {
            const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(lp);
            Report(dlg, kTreeReport, "tree=" + TreeText(hdr->hwndFrom, nm->itemNew.hItem));
        } else if (hdr->idFrom == kTree && hdr->code == TVN_ITEMEXPANDINGA) {
            const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(lp);
            Report(dlg, kExpandReport, "expanding=" + std::to_string(++expanding) + " "
                                           + TreeText(hdr->hwndFrom, nm->itemNew.hItem));
        } else if (hdr->idFrom == kTree && hdr->code == NM_DBLCLK) {
            Report(dlg, kClickReport, "dbl=" + TreeText(hdr->hwndFrom, TreeView_GetSelection(hdr->hwndFrom)));
        }
        return FALSE;
    }
    }
    return FALSE;
}

int RunFixture()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    TemplateBuilder t(kCaption, 300, 200);
    const WORD kButton = 0x80, kEditClass = 0x81, kStatic = 0x82, kComboClass = 0x85;
    t.Add(kEditClass, kEdit, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 5, 140, 12);
    t.Add(kButton, kCount, "Co&unt", BS_PUSHBUTTON | WS_TABSTOP, 150, 5, 45, 14);
    t.Add(kButton, kBox, "&Box", BS_PUSHBUTTON | WS_TABSTOP, 200, 5, 45, 14);
    t.Add(kButton, kDisabled, "Disabled", BS_PUSHBUTTON | WS_DISABLED, 250, 5, 45, 14);
    t.Add(kButton, kRadioOne, "One", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 5, 22, 40, 12);
    t.Add(kButton, kRadioTwo, "Two", BS_AUTORADIOBUTTON, 50, 22, 40, 12);
    t.AddNamed(WC_LISTVIEWA, 0, kList, "",
               LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | WS_BORDER | WS_TABSTOP,
               5, 38, 140, 60);
    t.AddNamed(WC_TREEVIEWA, 0, kTree, "",
               TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
               150, 38, 145, 60);
    t.Add(kComboClass, kCombo, "", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 5, 102, 60, 60);
    t.Add(kStatic, kEditReport, "", SS_LEFT, 5, 120, 90, 8);
    t.Add(kStatic, kClickReport, "", SS_LEFT, 100, 120, 90, 8);
    t.Add(kStatic, kListReport, "", SS_LEFT, 5, 132, 90, 8);
    t.Add(kStatic, kTreeReport, "", SS_LEFT, 100, 132, 90, 8);
    t.Add(kStatic, kComboReport, "", SS_LEFT, 200, 132, 90, 8);
    t.Add(kStatic, kExpandReport, "", SS_LEFT, 5, 144, 150, 8);
    t.Add(kButton, IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 190, 180, 50, 14);
    t.Add(kButton, IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 245, 180, 50, 14);
    return static_cast<int>(
        DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, FixtureProc, 0));
}

// Runs before main: the child copy of this program shows the fixture and ends.
struct FixtureLauncher {
    FixtureLauncher()
    {
        if (std::strstr(GetCommandLineA(), kFlag))
            ExitProcess(static_cast<UINT>(RunFixture()));
    }
} g_fixtureLauncher;

// ---- the tests (run in the parent process) ------------------------------------

std::string SelfPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Read without any message: what the window manager stores for the window, so
// that reading it cannot itself wait for the program to finish a handler.
std::string StoredText(HWND dlg, int id)
{
    char text[256] = {};
    GetWindowTextA(GetDlgItem(dlg, id), text, sizeof text);
    return text;
}

class UiDriverTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_child.Start(SelfPath(), kFlag)) << m_child.Error();
        m_dlg = e2e::WaitForDialog(m_child.Id(), kCaption);
        ASSERT_NE(m_dlg, nullptr) << e2e::DescribeWindows(m_child.Id());
    }

    void TearDown() override
    {
        if (m_child.Running() && m_dlg && IsWindow(m_dlg))
            e2e::Click(m_dlg, IDCANCEL);
        m_child.WaitForExit(5000);
    }

    e2e::Process m_child;
    HWND m_dlg = nullptr;
};

TEST_F(UiDriverTest, FindsTheVisibleDialogAndReadsItsControls)
{
    EXPECT_EQ(e2e::WindowText(m_dlg), kCaption);
    EXPECT_EQ(e2e::WindowClass(m_dlg), e2e::kDialogClass);
    EXPECT_TRUE(IsWindowVisible(m_dlg));
    EXPECT_EQ(e2e::ItemText(m_dlg, kCount), "Co&unt");
    EXPECT_EQ(e2e::ItemText(m_dlg, IDOK), "OK");
    EXPECT_TRUE(e2e::IsItemEnabled(m_dlg, kCount));
    EXPECT_FALSE(e2e::IsItemEnabled(m_dlg, kDisabled));
    EXPECT_TRUE(e2e::IsItemVisible(m_dlg, kCount));
    EXPECT_EQ(e2e::Item(m_dlg, 4242), nullptr);

    // Caption, class and process all have to match.
    e2e::WindowQuery q;
    q.pid = m_child.Id();
    q.caption = kCaption;
    EXPECT_EQ(e2e::FindWindowNow(q), m_dlg);
    q.withControl = kList;
    EXPECT_EQ(e2e::FindWindowNow(q), m_dlg);
    q.withControl = 4242;
    EXPECT_EQ(e2e::FindWindowNow(q), nullptr);
    q.withControl = 0;
    q.exclude = m_dlg;
    EXPECT_EQ(e2e::FindWindowNow(q), nullptr);
    q.exclude = nullptr;
    q.className = "Edit";
    EXPECT_EQ(e2e::FindWindowNow(q), nullptr);
    q.className = e2e::kDialogClass;
    q.pid = GetCurrentProcessId();
    EXPECT_EQ(e2e::FindWindowNow(q), nullptr);
    EXPECT_NE(e2e::DescribeWindows(m_child.Id()).find(kCaption), std::string::npos);
}

TEST_F(UiDriverTest, ClickReturnsOnlyAfterTheHandlerHasRun)
{
    for (int i = 1; i <= 10; ++i) {
        ASSERT_TRUE(e2e::Click(m_dlg, kCount));
        EXPECT_EQ(StoredText(m_dlg, kClickReport), "clicks=" + std::to_string(i));
    }
}

TEST_F(UiDriverTest, DisabledButtonCannotBeClicked)
{
    EXPECT_FALSE(e2e::Click(m_dlg, kDisabled));
    EXPECT_FALSE(e2e::Click(m_dlg, 4242));
    ASSERT_TRUE(e2e::Sync(m_dlg));
    EXPECT_EQ(StoredText(m_dlg, kClickReport), "");
}

TEST_F(UiDriverTest, RadioButtonsAndCheckState)
{
    EXPECT_TRUE(e2e::IsChecked(m_dlg, kRadioOne));
    EXPECT_EQ(e2e::CheckState(m_dlg, kRadioTwo), BST_UNCHECKED);
    ASSERT_TRUE(e2e::Click(m_dlg, kRadioTwo));
    EXPECT_TRUE(e2e::IsChecked(m_dlg, kRadioTwo));
    EXPECT_FALSE(e2e::IsChecked(m_dlg, kRadioOne));
    EXPECT_EQ(e2e::CheckState(m_dlg, 4242), -1);
}

TEST_F(UiDriverTest, EditTextSetTypedAndLimited)
{
    ASSERT_TRUE(e2e::SetItemText(m_dlg, kEdit, "hello"));
    EXPECT_EQ(e2e::ItemText(m_dlg, kEdit), "hello");
    EXPECT_EQ(StoredText(m_dlg, kEditReport), "len=5");

    // Typing replaces the selected text, as after tabbing into the box.
    ASSERT_TRUE(e2e::TypeText(m_dlg, kEdit, "My Printer"));
    EXPECT_EQ(e2e::ItemText(m_dlg, kEdit), "My Printer");
    EXPECT_EQ(StoredText(m_dlg, kEditReport), "len=10");
    ASSERT_TRUE(e2e::TypeText(m_dlg, kEdit, " 2", false));
    EXPECT_EQ(e2e::ItemText(m_dlg, kEdit), "My Printer 2");

    // The edit's limit holds for typing; WM_SETTEXT is not limited by it.
    const std::string longName(300, 'x');
    ASSERT_TRUE(e2e::TypeText(m_dlg, kEdit, longName));
    EXPECT_EQ(e2e::ItemText(m_dlg, kEdit), std::string(220, 'x'));
    ASSERT_TRUE(e2e::SetItemText(m_dlg, kEdit, longName));
    EXPECT_EQ(e2e::ItemText(m_dlg, kEdit).size(), 300u);
}

TEST_F(UiDriverTest, MessageBoxIsFoundReadAndAnswered)
{
    ASSERT_TRUE(e2e::Click(m_dlg, kBox));
    HWND box = e2e::WaitForMessageBox(m_child.Id(), kBoxCaption);
    ASSERT_NE(box, nullptr) << e2e::DescribeWindows(m_child.Id());
    EXPECT_EQ(e2e::MessageBoxText(box), "Shall we go on?");
    // The dialog under a modal box cannot be clicked.
    EXPECT_FALSE(e2e::Click(m_dlg, kCount));
    ASSERT_TRUE(e2e::AnswerMessageBox(box, IDNO));
    EXPECT_FALSE(IsWindow(box));
    ASSERT_TRUE(e2e::Sync(m_dlg));
    EXPECT_EQ(StoredText(m_dlg, kClickReport), "box=" + std::to_string(IDNO));

    ASSERT_TRUE(e2e::Click(m_dlg, kBox));
    box = e2e::WaitForMessageBox(m_child.Id(), kBoxCaption);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(e2e::AnswerMessageBox(box, IDYES));
    ASSERT_TRUE(e2e::Sync(m_dlg));
    EXPECT_EQ(StoredText(m_dlg, kClickReport), "box=" + std::to_string(IDYES));
}

TEST_F(UiDriverTest, ListViewItemsAcrossProcesses)
{
    ASSERT_EQ(e2e::ListCount(m_dlg, kList), 3);
    // Sorted ascending, as the wizard's port list.
    EXPECT_EQ(e2e::ListItemText(m_dlg, kList, 0), "COM1:");
    EXPECT_EQ(e2e::ListItemText(m_dlg, kList, 1), "KPL_1");
    EXPECT_EQ(e2e::ListItemText(m_dlg, kList, 1, 1), "\\\\server\\queue");
    EXPECT_EQ(e2e::ListItemText(m_dlg, kList, 2, 1), "Local port");
    EXPECT_EQ(e2e::ListFind(m_dlg, kList, "LPT1:"), 2);
    EXPECT_EQ(e2e::ListFind(m_dlg, kList, "Serial", 1), 0);
    EXPECT_EQ(e2e::ListFind(m_dlg, kList, "nope"), -1);
    EXPECT_EQ(e2e::ListSelected(m_dlg, kList), -1);

    ASSERT_TRUE(e2e::ListSelect(m_dlg, kList, 1));
    EXPECT_TRUE(e2e::ListIsSelected(m_dlg, kList, 1));
    EXPECT_EQ(e2e::ListSelected(m_dlg, kList), 1);
    EXPECT_EQ(StoredText(m_dlg, kListReport), "sel=KPL_1");

    ASSERT_TRUE(e2e::ListClick(m_dlg, kList, 2));
    EXPECT_EQ(e2e::ListSelected(m_dlg, kList), 2);
    EXPECT_FALSE(e2e::ListIsSelected(m_dlg, kList, 1));
    EXPECT_EQ(StoredText(m_dlg, kListReport), "sel=LPT1:");

    ASSERT_TRUE(e2e::ListClearSelection(m_dlg, kList));
    EXPECT_EQ(e2e::ListSelected(m_dlg, kList), -1);

    ASSERT_TRUE(e2e::ListDoubleClick(m_dlg, kList, 0));
    HWND box = e2e::WaitForMessageBox(m_child.Id(), kBoxCaption);
    ASSERT_NE(box, nullptr) << e2e::DescribeWindows(m_child.Id());
    EXPECT_EQ(e2e::MessageBoxText(box), "Double click on COM1:");
    EXPECT_TRUE(e2e::AnswerMessageBox(box, IDOK));
}

TEST_F(UiDriverTest, TreeViewItemsAcrossProcesses)
{
    HTREEITEM root = e2e::TreeRoot(m_dlg, kTree);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(e2e::TreeItemText(m_dlg, kTree, root), "C:\\");
    EXPECT_EQ(e2e::TreeSelectedText(m_dlg, kTree), "C:\\");
    EXPECT_EQ(e2e::TreeChildTexts(m_dlg, kTree, root), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(e2e::TreeChildTexts(m_dlg, kTree, nullptr), (std::vector<std::string>{"C:\\"}));

    HTREEITEM beta = e2e::TreeFindChild(m_dlg, kTree, root, "beta");
    ASSERT_NE(beta, nullptr);
    ASSERT_TRUE(e2e::TreeExpand(m_dlg, kTree, root));
    ASSERT_TRUE(e2e::TreeSelect(m_dlg, kTree, beta));
    EXPECT_EQ(e2e::TreeSelection(m_dlg, kTree), beta);
    EXPECT_EQ(e2e::TreeSelectedText(m_dlg, kTree), "beta");
    EXPECT_EQ(StoredText(m_dlg, kTreeReport), "tree=beta");

    ASSERT_TRUE(e2e::TreeExpand(m_dlg, kTree, beta));
    HTREEITEM gamma = e2e::TreeFindChild(m_dlg, kTree, beta, "gamma");
    ASSERT_NE(gamma, nullptr);
    ASSERT_TRUE(e2e::TreeSelect(m_dlg, kTree, gamma));
    EXPECT_EQ(e2e::TreeSelectedText(m_dlg, kTree), "gamma");
    EXPECT_EQ(e2e::TreeFindChild(m_dlg, kTree, root, "delta"), nullptr);

    int image = -1, selected = -1;
    ASSERT_TRUE(e2e::TreeItemImages(m_dlg, kTree, beta, &image, &selected));
    EXPECT_EQ(image, 2);
    EXPECT_EQ(selected, 3);
}

TEST_F(UiDriverTest, TreeViewByMouse)
{
    HTREEITEM root = e2e::TreeRoot(m_dlg, kTree);
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(e2e::TreeIsExpanded(m_dlg, kTree, root));

    // The expand button opens and closes with a notification every time.
    ASSERT_TRUE(e2e::TreeClickButton(m_dlg, kTree, root));
    EXPECT_TRUE(e2e::TreeIsExpanded(m_dlg, kTree, root));
    EXPECT_EQ(StoredText(m_dlg, kExpandReport), "expanding=1 C:\\");
    ASSERT_TRUE(e2e::TreeClickButton(m_dlg, kTree, root));
    EXPECT_FALSE(e2e::TreeIsExpanded(m_dlg, kTree, root));
    ASSERT_TRUE(e2e::TreeClickButton(m_dlg, kTree, root));
    EXPECT_EQ(StoredText(m_dlg, kExpandReport), "expanding=3 C:\\");

    HTREEITEM alpha = e2e::TreeFindChild(m_dlg, kTree, root, "alpha");
    HTREEITEM beta = e2e::TreeFindChild(m_dlg, kTree, root, "beta");
    ASSERT_TRUE(alpha && beta);
    EXPECT_FALSE(e2e::TreeClickButton(m_dlg, kTree, alpha));   // nothing below it
    ASSERT_TRUE(e2e::TreeClick(m_dlg, kTree, alpha));
    EXPECT_EQ(e2e::TreeSelectedText(m_dlg, kTree), "alpha");
    EXPECT_EQ(StoredText(m_dlg, kTreeReport), "tree=alpha");

    // A double click selects the item, notifies, and the control opens it.
    ASSERT_TRUE(e2e::TreeDoubleClick(m_dlg, kTree, beta));
    EXPECT_EQ(StoredText(m_dlg, kClickReport), "dbl=beta");
    EXPECT_EQ(e2e::TreeSelectedText(m_dlg, kTree), "beta");
    EXPECT_TRUE(e2e::TreeIsExpanded(m_dlg, kTree, beta));
    EXPECT_EQ(StoredText(m_dlg, kExpandReport), "expanding=4 beta");
}

TEST_F(UiDriverTest, ComboBoxSelection)
{
    EXPECT_EQ(e2e::ComboCount(m_dlg, kCombo), 3);
    EXPECT_EQ(e2e::ComboItems(m_dlg, kCombo), (std::vector<std::string>{"A:", "C:", "D:"}));
    EXPECT_EQ(e2e::ComboSelectedText(m_dlg, kCombo), "C:");
    ASSERT_TRUE(e2e::ComboSelectText(m_dlg, kCombo, "D:"));
    EXPECT_EQ(e2e::ComboSelection(m_dlg, kCombo), 2);
    EXPECT_EQ(e2e::ComboSelectedText(m_dlg, kCombo), "D:");
    EXPECT_EQ(StoredText(m_dlg, kComboReport), "combo=D:");
    EXPECT_FALSE(e2e::ComboSelectText(m_dlg, kCombo, "Z:"));
    EXPECT_FALSE(e2e::ComboSelect(m_dlg, kCombo, 7));
}

TEST_F(UiDriverTest, ButtonsAndKeysEndTheDialog)
{
    ASSERT_TRUE(e2e::PressKey(m_dlg, kEdit, VK_ESCAPE));
    ASSERT_TRUE(m_child.WaitForExit());
    EXPECT_EQ(m_child.ExitCode(), static_cast<DWORD>(IDCANCEL));
    EXPECT_TRUE(e2e::WaitForWindowGone(m_dlg));

    // A fresh copy: Enter in the edit presses the default button, OK.
    e2e::Process second;
    ASSERT_TRUE(second.Start(SelfPath(), kFlag));
    HWND dlg = e2e::WaitForDialog(second.Id(), kCaption);
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(e2e::PressKey(dlg, kEdit, VK_RETURN));
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(second.ExitCode(), static_cast<DWORD>(IDOK));
}

TEST_F(UiDriverTest, ScreenshotShowsTheDialog)
{
    const std::string path = e2e::SaveScreenshot(m_dlg, "ui_driver_fixture");
    ASSERT_FALSE(path.empty());
    RECT rc;
    ASSERT_TRUE(GetWindowRect(m_dlg, &rc));
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;

    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    ASSERT_EQ(std::fread(&fh, sizeof fh, 1, f), 1u);
    ASSERT_EQ(std::fread(&ih, sizeof ih, 1, f), 1u);
    std::vector<unsigned char> bits(ih.biSizeImage);
    const size_t got = std::fread(bits.data(), 1, bits.size(), f);
    std::fclose(f);
    EXPECT_EQ(fh.bfType, 0x4D42);
    EXPECT_EQ(ih.biWidth, w);
    EXPECT_EQ(ih.biHeight, h);
    EXPECT_EQ(ih.biBitCount, 24);
    ASSERT_EQ(got, bits.size());
    // Not one flat colour: the frame, caption and controls are in it.
    size_t differing = 0;
    for (size_t i = 3; i < bits.size(); ++i)
        differing += bits[i] != bits[i % 3];
    EXPECT_GT(differing, bits.size() / 20);
}

TEST_F(UiDriverTest, AnotherProgramsWindowIsClosedWithItsProgram)
{
    EXPECT_FALSE(e2e::CloseProgramOf(nullptr));
    EXPECT_TRUE(e2e::CloseProgramOf(m_dlg));   // WM_CLOSE: the dialog's IDCANCEL
    EXPECT_FALSE(m_child.Running());
    EXPECT_EQ(m_child.ExitCode(), static_cast<DWORD>(IDCANCEL));
}

TEST(ProcessTest, WaitKillAndExitCode)
{
    char cmd[MAX_PATH] = {};
    GetSystemDirectoryA(cmd, MAX_PATH);
    const std::string cmdExe = std::string(cmd) + "\\cmd.exe";

    e2e::Process quick;
    ASSERT_TRUE(quick.Start(cmdExe, "/c exit 7", testpaths::ModuleDir())) << quick.Error();
    ASSERT_TRUE(quick.WaitForExit());
    EXPECT_EQ(quick.ExitCode(), 7u);
    EXPECT_FALSE(quick.Running());

    e2e::Process slow;
    ASSERT_TRUE(slow.Start(SelfPath(), kFlag));
    EXPECT_FALSE(slow.WaitForExit(50));
    EXPECT_EQ(slow.ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    slow.Kill();
    EXPECT_FALSE(slow.Running());
    EXPECT_EQ(slow.ExitCode(), 0xDEADu);

    HANDLE left = nullptr;
    {
        e2e::Process scoped;
        ASSERT_TRUE(scoped.Start(SelfPath(), kFlag));
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), scoped.Handle(), GetCurrentProcess(), &left,
                                    SYNCHRONIZE, FALSE, 0));
    }
    EXPECT_EQ(WaitForSingleObject(left, 0), WAIT_OBJECT_0);
    CloseHandle(left);

    e2e::Process missing;
    EXPECT_FALSE(missing.Start(testpaths::ModuleDir() + "\\no-such-program.exe"));
    EXPECT_FALSE(missing.Error().empty());
}

TEST(ProcessTest, WineVersionIsSetAndRemoved)
{
    const char* key = "Software\\Wine\\AppDefaults\\zrn-driver-selftest.exe";
    auto read = [key]() {
        std::string result = "<none>";
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
            return result;
        char value[32] = {};
        DWORD size = sizeof value - 1;
        if (RegQueryValueExA(h, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size)
            == ERROR_SUCCESS)
            result = value;
        RegCloseKey(h);
        return result;
    };
    {
        e2e::ScopedWineVersion version("zrn-driver-selftest.exe", "win7");
        ASSERT_TRUE(version.Ok());
        EXPECT_EQ(read(), "win7");
    }
    EXPECT_EQ(read(), "<none>");
    HKEY h = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h), ERROR_SUCCESS);
}

TEST(ProcessTest, RegistryStringIsRestored)
{
    const std::string base = "Software\\ZrnDriverSelfTest";
    auto read = [](const std::string& path) {
        std::string result = "<none>";
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return result;
        char value[64] = {};
        DWORD size = sizeof value - 1;
        if (RegQueryValueExA(h, "", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size)
            == ERROR_SUCCESS)
            result = value;
        RegCloseKey(h);
        return result;
    };
    {
        // New keys: all of them go again.
        e2e::ScopedRegistryString nested(HKEY_CURRENT_USER, base + "\\a\\b", "", "deep");
        ASSERT_TRUE(nested.Ok());
        EXPECT_EQ(read(base + "\\a\\b"), "deep");
        {
            // An existing value: it comes back.
            e2e::ScopedRegistryString over(HKEY_CURRENT_USER, base + "\\a\\b", "", "over");
            EXPECT_EQ(read(base + "\\a\\b"), "over");
        }
        EXPECT_EQ(read(base + "\\a\\b"), "deep");
    }
    HKEY h = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
}

}  // namespace
