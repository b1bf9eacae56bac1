#include "framework/controls.h"

#include <vector>

namespace framework {

LRESULT Control::Send(UINT msg, WPARAM w, LPARAM l) const
{
    return hwnd_ ? SendMessageA(hwnd_, msg, w, l) : 0;
}

std::string Control::GetText() const
{
    if (!hwnd_)
        return {};
    int n = GetWindowTextLengthA(hwnd_);
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    int got = GetWindowTextA(hwnd_, buf.data(), n + 1);
    return std::string(buf.data(), got > 0 ? got : 0);
}

void Control::SetText(const std::string& text) const
{
    if (hwnd_)
        SetWindowTextA(hwnd_, text.c_str());
}

void Control::Enable(bool on) const
{
    if (hwnd_)
        EnableWindow(hwnd_, on ? TRUE : FALSE);
}

bool Control::IsEnabled() const
{
    return hwnd_ && IsWindowEnabled(hwnd_);
}

void Control::SetFocus() const
{
    if (hwnd_)
        ::SetFocus(hwnd_);
}

void Control::ModifyStyle(DWORD remove, DWORD add) const
{
    if (!hwnd_)
        return;
    LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
    SetWindowLongA(hwnd_, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
}

std::string ListView::GetItemText(int item, int sub) const
{
    std::vector<char> buf(1024);
    for (;;) {
        LVITEMA lv = {};
        lv.iSubItem = sub;
        lv.pszText = buf.data();
        lv.cchTextMax = static_cast<int>(buf.size());
        int n = static_cast<int>(Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                                      reinterpret_cast<LPARAM>(&lv)));
        if (n < static_cast<int>(buf.size()) - 1)
            return std::string(buf.data(), n > 0 ? n : 0);
        buf.resize(buf.size() * 2);
    }
}

int ListView::InsertItem(int item, const std::string& text) const
{
    LVITEMA lv = {};
    lv.mask = LVIF_TEXT;
    lv.iItem = item;
    lv.pszText = const_cast<char*>(text.c_str());
    return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv)));
}

void ListView::SetItemText(int item, int sub, const std::string& text) const
{
    LVITEMA lv = {};
    lv.iSubItem = sub;
    lv.pszText = const_cast<char*>(text.c_str());
    Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

UINT ListView::GetItemState(int item, UINT mask) const
{
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

void ListView::SetItemState(int item, UINT state, UINT mask) const
{
    LVITEMA lv = {};
    lv.stateMask = mask;
    lv.state = state;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

int ListView::InsertColumn(int col, const std::string& heading, int format, int width) const
{
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    c.fmt = format;
    c.cx = width;
    c.pszText = const_cast<char*>(heading.c_str());
    c.iSubItem = col;
    return static_cast<int>(Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(col),
                                 reinterpret_cast<LPARAM>(&c)));
}

void ListView::SetExtendedStyle(DWORD style) const
{
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
}

int ListView::GetNextSelected() const
{
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int ComboBox::AddString(const std::string& s) const
{
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())));
}

std::string ComboBox::GetItemText(int i) const
{
    int n = static_cast<int>(Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(i)));
    if (n <= 0)
        return {};
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    int got = static_cast<int>(Send(CB_GETLBTEXT, static_cast<WPARAM>(i),
                                    reinterpret_cast<LPARAM>(buf.data())));
    return std::string(buf.data(), got > 0 ? got : 0);
}

HTREEITEM TreeView::InsertItem(const TVINSERTSTRUCTA& item) const
{
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

std::string TreeView::GetItemText(HTREEITEM item) const
{
    char buf[MAX_PATH + 1] = {};
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buf;
    tv.cchTextMax = sizeof buf;
    if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
        return {};
    return buf;
}

HTREEITEM TreeView::GetNext(HTREEITEM item, UINT code) const
{
    return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

void TreeView::SelectItem(HTREEITEM item) const
{
    Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void TreeView::Expand(HTREEITEM item, UINT code) const
{
    Send(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item));
}

void TreeView::DeleteItem(HTREEITEM item) const
{
    Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

}  // namespace framework
