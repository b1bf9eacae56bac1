#include "pages/controls/directory_tree.h"

#include <algorithm>
#include <vector>

#include "framework/ansi_text.h"
#include "framework/message_box.h"
#include "framework/paths.h"
#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "install/destination_path.h"
#include "platform/api.h"

namespace {

// Set while no expanding notification may refill an item: an item that is being refilled
// opens itself, and that opening must not start a second refill.
bool g_refillPermit = true;

class ScopedRefillBlock {
public:
    ScopedRefillBlock() : saved_(g_refillPermit) { g_refillPermit = false; }
    ~ScopedRefillBlock() { g_refillPermit = saved_; }
    ScopedRefillBlock(const ScopedRefillBlock&) = delete;
    ScopedRefillBlock& operator=(const ScopedRefillBlock&) = delete;

private:
    bool saved_;
};

// The sub-directory names of dir (hidden and system ones too), without "." and "..".
// A directory that cannot be listed has none.
std::vector<std::string> ReadSubdirectories(const std::string& dir)
{
    std::vector<std::string> names;
    std::string pattern = framework::JoinPath(dir, "*.*");
    WIN32_FIND_DATAA data;
    HANDLE h = sys().FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        names.push_back(std::move(name));
    } while (sys().FindNextFileA(h, &data));
    sys().FindClose(h);
    return names;
}

bool BeginsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && framework::EqualNoCase(text.substr(0, prefix.size()), prefix);
}

void ShowLastError(HWND owner, const char* caption)
{
    std::string text = framework::SystemErrorText(sys().GetLastError());
    sys().MessageBoxA(owner, text.c_str(), caption, MB_OK | MB_ICONHAND);
}

}  // namespace

bool CDirectoryTree::FillDrive()
{
    framework::ScopedWaitCursor wait;
    if (m_startDirectory.empty())
        m_startDirectory = framework::CurrentDirectory();
    sys().SetCurrentDirectoryA("c:\\");
    if (m_cDrive != 'a') {
        std::string root = framework::Format("%c:\\", m_cDrive);
        sys().SetCurrentDirectoryA(root.c_str());
        DeleteAllItems();
    }

    std::vector<char> buf(1024 + 1);
    DWORD n = sys().GetCurrentDirectoryA(1024, buf.data());
    if (n == 0 || n > 1024) {
        ShowLastError(hwnd() ? ::GetParent(hwnd()) : nullptr, "GetLastError");
        return false;
    }
    m_strPath.assign(buf.data(), n);
    m_cDrive = m_strPath[0];

    HTREEITEM root = InsertChild(TVI_ROOT, m_strPath, TVI_LAST, true);

    Expand(root, TVE_EXPAND);
    SelectItem(root);
    AddChildren(m_strPath, root, true);
    return true;
}

void CDirectoryTree::RestoreCurrentDirectory()
{
    if (!m_startDirectory.empty())
        sys().SetCurrentDirectoryA(m_startDirectory.c_str());
    m_startDirectory.clear();
}

void CDirectoryTree::AddChildren(const std::string& path, HTREEITEM parent, bool expand)
{
    RedrawHold hold(*this);
    Fill(path, parent, expand);
}

// Inserting or deleting thousands of items in a visible branch would have the control lay
// itself out again for each; it is laid out and redrawn once at the end instead.
CDirectoryTree::RedrawHold::RedrawHold(CDirectoryTree& tree) : tree_(tree)
{
    if (tree_.redrawHeld_++ == 0)
        tree_.Send(WM_SETREDRAW, FALSE);
}

CDirectoryTree::RedrawHold::~RedrawHold()
{
    if (--tree_.redrawHeld_ == 0) {
        tree_.Send(WM_SETREDRAW, TRUE);
        if (tree_.hwnd())
            InvalidateRect(tree_.hwnd(), nullptr, TRUE);
    }
}

void CDirectoryTree::Fill(const std::string& path, HTREEITEM parent, bool expand)
{
    DeleteChildren(parent);

    std::vector<std::string> names = ReadSubdirectories(path);
    // The control places each item at its sorted place by walking the siblings from the
    // first. Offered in descending order, each new name belongs before the first sibling,
    // so the walk stops at once; the order is still the control's own.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, 0, a.c_str(), -1, b.c_str(), -1) == CSTR_GREATER_THAN;
    });
    for (const std::string& name : names) {
        HTREEITEM child = InsertChild(parent, name, TVI_SORT);
        if (child && expand)
            Fill(framework::JoinPath(path, name), child, false);
    }

    if (expand) {
        // This opening reads nothing again: the children were read just now.
        ScopedRefillBlock block;
        Expand(parent, TVE_EXPAND);
    }
}

HTREEITEM CDirectoryTree::InsertChild(HTREEITEM parent, const std::string& name, HTREEITEM after, bool open) const
{
    TVINSERTSTRUCTA ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = after;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<char*>(name.c_str());
    ins.item.iImage = open ? kOpenFolder : kClosedFolder;
    ins.item.iSelectedImage = open ? kOpenFolderSelected : kClosedFolderSelected;
    return InsertItem(ins);
}

void CDirectoryTree::DeleteChildren(HTREEITEM item)
{
    framework::ScopedWaitCursor wait;
    if (!item)
        return;
    RedrawHold hold(*this);
    // Deleting a child deletes everything below it. The last child goes first: when the
    // selection is among the children, the control then moves it once, to item, instead
    // of from each child to the next one about to go.
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = GetChild(item); child; child = GetNextSibling(child))
        children.push_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        DeleteItem(*it);
}

std::string CDirectoryTree::GetItemPath(HTREEITEM item) const
{
    if (!item)
        return {};
    std::string path = GetItemText(item);
    for (HTREEITEM up = GetParent(item); up; up = GetParent(up))
        path = framework::JoinPath(GetItemText(up), path);
    return path;
}

void CDirectoryTree::SetPathFromItem(HTREEITEM item)
{
    m_strPath = GetItemPath(item);
}

void CDirectoryTree::UpdatePathFromSelection(NMHDR* /*nm*/, LRESULT* result)
{
    if (HTREEITEM selected = GetSelection()) {
        SetPathFromItem(selected);
        if (result)
            *result = 0;
    }
}

void CDirectoryTree::SelectPath(std::string path)
{
    if (m_strPath.empty())
        return;
    std::string root = framework::Format("%c:", m_strPath[0]);
    HTREEITEM top = GetRootItem();
    if (!top)
        return;
    AddChildren(root, top, true);
    size_t slash = framework::FindCharacter(path, '\\');
    if (slash != std::string::npos)
        SelectSubPath(path.c_str() + slash + 1, top);
}

HTREEITEM CDirectoryTree::SelectSubPath(const char* rest, HTREEITEM parent)
{
    if (!rest || !*rest)
        return nullptr;
    // Both parts are copies: selecting a child notifies the page, and what rest points
    // into may change or go away then.
    std::string text = rest;
    size_t slash = framework::FindCharacter(text, '\\');
    std::string component = text.substr(0, slash);
    std::string remainder = slash == std::string::npos ? std::string() : text.substr(slash + 1);

    for (HTREEITEM child = GetChild(parent); child; child = GetNextSibling(child)) {
        if (!BeginsWithNoCase(GetItemText(child), component))
            continue;
        SelectItem(child);
        // The page's selection handler does the same; the tree does not depend on it.
        SetPathFromItem(child);
        OpenItem(child);
        SelectSubPath(remainder.c_str(), child);
        return child;
    }
    return nullptr;
}

void CDirectoryTree::OpenItem(HTREEITEM item)
{
    SetItemImages(item, kOpenFolder, kOpenFolderSelected);
    SetPathFromItem(item);
    AddChildren(m_strPath, item, true);
}

void CDirectoryTree::OnDblclk(NMHDR* /*nm*/, LRESULT* result)
{
    framework::ScopedWaitCursor wait;
    if (HTREEITEM selected = GetSelection())
        OpenItem(selected);
    // Non-zero keeps the control from toggling the item open or closed itself.
    if (result)
        *result = 1;
}

void CDirectoryTree::OnItemexpanding(NMHDR* nm, LRESULT* result)
{
    if (g_refillPermit && nm) {
        HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(nm)->itemNew.hItem;
        ScopedRefillBlock block;
        AddChildren(GetItemPath(item), item, true);
    }
    if (result)
        *result = 0;
}

bool CDirectoryTree::OnReflectedNotify(NMHDR* nm, LRESULT& result)
{
    switch (nm->code) {
    case NM_DBLCLK:
        OnDblclk(nm, &result);
        return true;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:  // same layout up to the item handle
        OnItemexpanding(nm, &result);
        return true;
    default:
        return false;
    }
}

void CDirectoryTree::SetItemImages(HTREEITEM item, int image, int selectedImage) const
{
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.hItem = item;
    tv.iImage = image;
    tv.iSelectedImage = selectedImage;
    Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}
