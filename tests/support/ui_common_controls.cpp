// List views and tree views of another process. Their messages carry pointers
// to structures that neither Windows nor Wine copies between processes, so the
// structures live in memory allocated inside the program under test.
#include "support/ui_driver.h"
#include "support/ui_internal.h"

#include <cstring>

namespace e2e {

using detail::Deadline;
using detail::RemoteBuffer;
using detail::Send;
using detail::SendOr;

namespace detail {

RemoteBuffer::RemoteBuffer(HWND window, size_t size) : m_size(size)
{
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid))
        return;
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE
                                | PROCESS_QUERY_INFORMATION,
                            FALSE, pid);
    if (!m_process)
        return;
    m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer()
{
    if (m_address)
        VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    if (m_process)
        CloseHandle(m_process);
}

bool RemoteBuffer::Write(const void* data, size_t size, size_t offset)
{
    SIZE_T done = 0;
    return m_address && offset + size <= m_size
           && WriteProcessMemory(m_process, At(offset), data, size, &done) && done == size;
}

bool RemoteBuffer::Read(void* data, size_t size, size_t offset) const
{
    SIZE_T done = 0;
    return m_address && offset + size <= m_size
           && ReadProcessMemory(m_process, At(offset), data, size, &done) && done == size;
}

}  // namespace detail

static const size_t kTextMax = 1024;

// ---- list views ---------------------------------------------------------------

int ListCount(HWND dialog, int id)
{
    HWND list = Item(dialog, id);
    return list ? static_cast<int>(SendOr(list, LVM_GETITEMCOUNT, 0, 0, -1)) : -1;
}

std::string ListItemText(HWND dialog, int id, int item, int column)
{
    HWND list = Item(dialog, id);
    RemoteBuffer mem(list, sizeof(LVITEMA) + kTextMax);
    if (!mem.Ok())
        return {};
    LVITEMA lv = {};
    lv.iSubItem = column;
    lv.pszText = mem.At(sizeof lv);
    lv.cchTextMax = static_cast<int>(kTextMax);
    const char nul = '\0';
    LRESULT len = 0;
    if (!mem.Write(&lv, sizeof lv) || !mem.Write(&nul, 1, sizeof lv)
        || !Send(list, LVM_GETITEMTEXTA, item, mem.Param(), &len, kWaitMs))
        return {};
    char text[kTextMax] = {};
    if (!mem.Read(text, sizeof text, sizeof lv))
        return {};
    text[kTextMax - 1] = '\0';
    return text;
}

int ListFind(HWND dialog, int id, const std::string& text, int column)
{
    const int n = ListCount(dialog, id);
    for (int i = 0; i < n; ++i) {
        if (ListItemText(dialog, id, i, column) == text)
            return i;
    }
    return -1;
}

bool ListIsSelected(HWND dialog, int id, int item)
{
    HWND list = Item(dialog, id);
    return list && (SendOr(list, LVM_GETITEMSTATE, item, LVIS_SELECTED, 0) & LVIS_SELECTED);
}

int ListSelected(HWND dialog, int id)
{
    HWND list = Item(dialog, id);
    return list ? static_cast<int>(SendOr(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                          LVNI_SELECTED, -1))
                : -1;
}

// Posts LVM_SETITEMSTATE and waits until the list has handled it (the
// structure must outlive the posted message).
static bool SetItemState(HWND list, int item, UINT state, UINT mask, DWORD timeoutMs)
{
    RemoteBuffer mem(list, sizeof(LVITEMA));
    LVITEMA lv = {};
    lv.stateMask = mask;
    lv.state = state;
    return mem.Ok() && mem.Write(&lv, sizeof lv)
           && PostMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), mem.Param())
           && Sync(list, timeoutMs);
}

bool ListSelect(HWND dialog, int id, int item, DWORD timeoutMs)
{
    HWND list = Item(dialog, id);
    if (!list || item < 0 || item >= ListCount(dialog, id))
        return false;
    return SetItemState(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED,
                        timeoutMs);
}

bool ListClearSelection(HWND dialog, int id, DWORD timeoutMs)
{
    HWND list = Item(dialog, id);
    return list && SetItemState(list, -1, 0, LVIS_SELECTED, timeoutMs);
}

// The centre of an item's label in list client coordinates.
static bool ItemPoint(HWND list, int item, POINT* pt)
{
    RemoteBuffer mem(list, sizeof(RECT));
    RECT rc = {};
    rc.left = LVIR_LABEL;
    LRESULT ok = 0;
    if (!mem.Ok() || !mem.Write(&rc, sizeof rc)
        || !Send(list, LVM_GETITEMRECT, item, mem.Param(), &ok, kWaitMs) || !ok
        || !mem.Read(&rc, sizeof rc))
        return false;
    pt->x = (rc.left + rc.right) / 2;
    pt->y = (rc.top + rc.bottom) / 2;
    return true;
}

static bool PostMouse(HWND list, const UINT* msgs, size_t count, POINT pt, DWORD timeoutMs)
{
    const LPARAM pos = MAKELPARAM(pt.x, pt.y);
    for (size_t i = 0; i < count; ++i) {
        const WPARAM keys = (msgs[i] == WM_LBUTTONUP) ? 0 : MK_LBUTTON;
        if (!PostMessageA(list, msgs[i], keys, pos))
            return false;
    }
    return Sync(list, timeoutMs);
}

bool ListClick(HWND dialog, int id, int item, DWORD timeoutMs)
{
    HWND list = Item(dialog, id);
    POINT pt;
    if (!list || !IsWindowEnabled(list) || !ItemPoint(list, item, &pt))
        return false;
    static const UINT click[] = {WM_LBUTTONDOWN, WM_LBUTTONUP};
    return PostMouse(list, click, 2, pt, timeoutMs);
}

bool ListDoubleClick(HWND dialog, int id, int item, DWORD timeoutMs)
{
    HWND list = Item(dialog, id);
    POINT pt;
    if (!list || !IsWindowEnabled(list) || !ItemPoint(list, item, &pt))
        return false;
    static const UINT dbl[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    return PostMouse(list, dbl, 4, pt, timeoutMs);
}

// ---- tree views -------------------------------------------------------------

static HTREEITEM NextItem(HWND dialog, int id, UINT relation, HTREEITEM item)
{
    HWND tree = Item(dialog, id);
    if (!tree)
        return nullptr;
    return reinterpret_cast<HTREEITEM>(
        SendOr(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item), 0));
}

HTREEITEM TreeRoot(HWND dialog, int id) { return NextItem(dialog, id, TVGN_ROOT, nullptr); }
HTREEITEM TreeSelection(HWND dialog, int id) { return NextItem(dialog, id, TVGN_CARET, nullptr); }

HTREEITEM TreeChild(HWND dialog, int id, HTREEITEM item)
{
    return item ? NextItem(dialog, id, TVGN_CHILD, item) : nullptr;
}

HTREEITEM TreeNext(HWND dialog, int id, HTREEITEM item)
{
    return item ? NextItem(dialog, id, TVGN_NEXT, item) : nullptr;
}

std::string TreeItemText(HWND dialog, int id, HTREEITEM item)
{
    HWND tree = Item(dialog, id);
    if (!tree || !item)
        return {};
    RemoteBuffer mem(tree, sizeof(TVITEMA) + kTextMax);
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = mem.At(sizeof tv);
    tv.cchTextMax = static_cast<int>(kTextMax);
    const char nul = '\0';
    LRESULT ok = 0;
    if (!mem.Ok() || !mem.Write(&tv, sizeof tv) || !mem.Write(&nul, 1, sizeof tv)
        || !Send(tree, TVM_GETITEMA, 0, mem.Param(), &ok, kWaitMs) || !ok)
        return {};
    char text[kTextMax] = {};
    if (!mem.Read(text, sizeof text, sizeof tv))
        return {};
    text[kTextMax - 1] = '\0';
    return text;
}

std::string TreeSelectedText(HWND dialog, int id)
{
    return TreeItemText(dialog, id, TreeSelection(dialog, id));
}

std::vector<std::string> TreeChildTexts(HWND dialog, int id, HTREEITEM parent)
{
    std::vector<std::string> texts;
    HTREEITEM item = parent ? TreeChild(dialog, id, parent) : TreeRoot(dialog, id);
    for (; item; item = TreeNext(dialog, id, item))
        texts.push_back(TreeItemText(dialog, id, item));
    return texts;
}

HTREEITEM TreeFindChild(HWND dialog, int id, HTREEITEM parent, const std::string& text)
{
    HTREEITEM item = parent ? TreeChild(dialog, id, parent) : TreeRoot(dialog, id);
    for (; item; item = TreeNext(dialog, id, item)) {
        if (TreeItemText(dialog, id, item) == text)
            return item;
    }
    return nullptr;
}

bool TreeIsExpanded(HWND dialog, int id, HTREEITEM item)
{
    HWND tree = Item(dialog, id);
    return tree && item
           && (SendOr(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED, 0)
               & TVIS_EXPANDED);
}

bool TreeItemImages(HWND dialog, int id, HTREEITEM item, int* image, int* selectedImage)
{
    HWND tree = Item(dialog, id);
    if (!tree || !item)
        return false;
    RemoteBuffer mem(tree, sizeof(TVITEMA));
    TVITEMA tv = {};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    tv.hItem = item;
    LRESULT ok = 0;
    if (!mem.Ok() || !mem.Write(&tv, sizeof tv)
        || !Send(tree, TVM_GETITEMA, 0, mem.Param(), &ok, kWaitMs) || !ok || !mem.Read(&tv, sizeof tv))
        return false;
    if (image)
        *image = tv.iImage;
    if (selectedImage)
        *selectedImage = tv.iSelectedImage;
    return true;
}

// The item's rectangle in tree client coordinates: its text only, or the row.
static bool TreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rc)
{
    RemoteBuffer mem(tree, sizeof(RECT));
    // TVM_GETITEMRECT takes the item handle in the rectangle it fills.
    RECT in = {};
    std::memcpy(&in, &item, sizeof item);
    LRESULT ok = 0;
    return mem.Ok() && mem.Write(&in, sizeof in)
           && Send(tree, TVM_GETITEMRECT, textOnly, mem.Param(), &ok, kWaitMs) && ok
           && mem.Read(rc, sizeof *rc);
}

static bool TreeLabelPoint(HWND tree, HTREEITEM item, POINT* pt)
{
    RECT rc;
    if (!item || !TreeItemRect(tree, item, true, &rc))
        return false;
    pt->x = (rc.left + rc.right) / 2;
    pt->y = (rc.top + rc.bottom) / 2;
    return true;
}

bool TreeClick(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs)
{
    HWND tree = Item(dialog, id);
    POINT pt;
    if (!tree || !IsWindowEnabled(tree) || !TreeLabelPoint(tree, item, &pt))
        return false;
    static const UINT click[] = {WM_LBUTTONDOWN, WM_LBUTTONUP};
    return PostMouse(tree, click, 2, pt, timeoutMs);
}

bool TreeDoubleClick(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs)
{
    HWND tree = Item(dialog, id);
    POINT pt;
    if (!tree || !IsWindowEnabled(tree) || !TreeLabelPoint(tree, item, &pt))
        return false;
    static const UINT dbl[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    return PostMouse(tree, dbl, 4, pt, timeoutMs);
}

bool TreeClickButton(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs)
{
    HWND tree = Item(dialog, id);
    RECT label;
    if (!tree || !IsWindowEnabled(tree) || !item || !TreeItemRect(tree, item, true, &label))
        return false;
    if (!TreeChild(dialog, id, item)) {
        // No children yet: only an item that says it has some shows a button.
        RemoteBuffer info(tree, sizeof(TVITEMA));
        TVITEMA tv = {};
        tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
        tv.hItem = item;
        LRESULT ok = 0;
        if (!info.Ok() || !info.Write(&tv, sizeof tv)
            || !Send(tree, TVM_GETITEMA, 0, info.Param(), &ok, kWaitMs) || !ok
            || !info.Read(&tv, sizeof tv) || tv.cChildren == 0)
            return false;
    }
    // Find the button left of the label by asking the control what lies there.
    RemoteBuffer mem(tree, sizeof(TVHITTESTINFO));
    if (!mem.Ok())
        return false;
    POINT pt;
    pt.y = (label.top + label.bottom) / 2;
    for (pt.x = label.left - 1; pt.x >= 0; --pt.x) {
        TVHITTESTINFO hit = {};
        hit.pt = pt;
        LRESULT found = 0;
        if (!mem.Write(&hit, sizeof hit) || !Send(tree, TVM_HITTEST, 0, mem.Param(), &found, kWaitMs)
            || !mem.Read(&hit, sizeof hit))
            return false;
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMBUTTON)) {
            static const UINT click[] = {WM_LBUTTONDOWN, WM_LBUTTONUP};
            return PostMouse(tree, click, 2, pt, timeoutMs);
        }
    }
    return false;   // no button: the item has no children to show
}

bool TreeSelect(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs)
{
    HWND tree = Item(dialog, id);
    return tree && item
           && PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item))
           && Sync(tree, timeoutMs);
}

bool TreeExpand(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs)
{
    HWND tree = Item(dialog, id);
    return tree && item
           && PostMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item))
           && Sync(tree, timeoutMs);
}

}  // namespace e2e
