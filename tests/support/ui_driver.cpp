// Windows, controls, clicks, typing, message boxes and combo boxes of another
// process. See ui_driver.h for how clicks are known to be handled.
#include "support/ui_driver.h"
#include "support/ui_internal.h"

#include <algorithm>

namespace e2e {

// ---- helpers shared with the other ui_* files -----------------------------

namespace detail {

Deadline::Deadline(DWORD timeoutMs) : m_end(GetTickCount() + timeoutMs) {}

DWORD Deadline::Left() const
{
    const LONG left = static_cast<LONG>(m_end - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

bool Send(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, DWORD timeoutMs)
{
    DWORD_PTR r = 0;
    if (!window || !SendMessageTimeoutA(window, msg, wp, lp, SMTO_NORMAL, timeoutMs, &r))
        return false;
    if (result)
        *result = static_cast<LRESULT>(r);
    return true;
}

LRESULT SendOr(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT fallback)
{
    LRESULT r = 0;
    return Send(window, msg, wp, lp, &r, kWaitMs) ? r : fallback;
}

}  // namespace detail

using detail::Deadline;
using detail::Send;
using detail::SendOr;

// ---- top-level windows ------------------------------------------------------

std::string WindowText(HWND window)
{
    LRESULT len = 0;
    if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &len, kWaitMs) || len <= 0)
        return {};
    std::string text(static_cast<size_t>(len) + 1, '\0');
    LRESULT got = 0;
    if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &got, kWaitMs))
        return {};
    text.resize(std::min<size_t>(static_cast<size_t>(got), text.size() - 1));
    return text;
}

std::string WindowClass(HWND window)
{
    char name[256] = {};
    return window && GetClassNameA(window, name, sizeof name) ? name : "";
}

// The caption as the window manager knows it: no message to a possibly busy
// program is needed for it.
static std::string Caption(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

namespace {
struct EnumState {
    const WindowQuery* query;
    std::vector<HWND> found;
    bool all;  // collect every visible window of the pid (query fields ignored)
};
}  // namespace

static BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    auto* state = reinterpret_cast<EnumState*>(param);
    const WindowQuery& q = *state->query;
    if (!IsWindowVisible(window))
        return TRUE;
    if (q.pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != q.pid)
            return TRUE;
    }
    if (!state->all) {
        if (window == q.exclude)
            return TRUE;
        if (!q.className.empty() && WindowClass(window) != q.className)
            return TRUE;
        if (!q.caption.empty() && Caption(window) != q.caption)
            return TRUE;
        if (!q.captionContains.empty() && Caption(window).find(q.captionContains) == std::string::npos)
            return TRUE;
        if (q.withControl && !GetDlgItem(window, q.withControl))
            return TRUE;
    }
    state->found.push_back(window);
    return TRUE;
}

HWND FindWindowNow(const WindowQuery& query)
{
    EnumState state{&query, {}, false};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
    return state.found.empty() ? nullptr : state.found.front();
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs)
{
    Deadline deadline(timeoutMs);
    for (;;) {
        if (HWND w = FindWindowNow(query))
            return w;
        if (deadline.Over())
            return nullptr;
        Sleep(20);
    }
}

HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs)
{
    WindowQuery q;
    q.pid = pid;
    q.caption = caption;
    return WaitForWindow(q, timeoutMs);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    Deadline deadline(timeoutMs);
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (deadline.Over())
            return false;
        Sleep(20);
    }
    return true;
}

std::vector<HWND> VisibleWindows(DWORD pid)
{
    WindowQuery q;
    q.pid = pid;
    EnumState state{&q, {}, true};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::string DescribeWindows(DWORD pid)
{
    std::string out;
    for (HWND w : VisibleWindows(pid)) {
        if (!out.empty())
            out += "; ";
        out += "\"" + Caption(w) + "\" [" + WindowClass(w) + "]";
        // A message box says what it is about.
        const std::string text = MessageBoxText(w);
        if (!text.empty())
            out += " saying \"" + text + "\"";
    }
    return out.empty() ? "(no visible windows)" : out;
}

bool CloseProgramOf(HWND window, DWORD timeoutMs)
{
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid) || pid == GetCurrentProcessId())
        return false;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    if (!process)
        return false;
    PostMessageA(window, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process, 1);
        ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    }
    CloseHandle(process);
    return ended;
}

// ---- Sync -------------------------------------------------------------------

// An id that no dialog of ours uses for a control.
static const WORD kMarkerId = 0x7E57;

bool Sync(HWND window, DWORD timeoutMs)
{
    Deadline deadline(timeoutMs);
    HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (!top || !IsWindow(top))
        return true;

    if (WindowClass(top) != kDialogClass) {
        // Not a dialog: no marker to observe; the sent message is answered once the
        // thread checks its queue again, which is the best that can be had here.
        return Send(top, WM_NULL, 0, 0, nullptr, deadline.Left()) || !IsWindow(top);
    }

    LRESULT original = 0;
    if (!Send(top, DM_GETDEFID, 0, 0, &original, deadline.Left()))
        return !IsWindow(top);
    const bool hadDefault = HIWORD(original) == DC_HASDEFID;

    if (!PostMessageA(top, DM_SETDEFID, kMarkerId, 0))
        return !IsWindow(top);

    for (;;) {
        if (!IsWindow(top) || !IsWindowVisible(top))
            return true;   // destroyed or ended (EndDialog hides the dialog)
        LRESULT now = 0;
        if (Send(top, DM_GETDEFID, 0, 0, &now, std::max<DWORD>(deadline.Left(), 1))) {
            if (HIWORD(now) == DC_HASDEFID && LOWORD(now) == kMarkerId) {
                Send(top, DM_SETDEFID, hadDefault ? LOWORD(original) : 0, 0, nullptr,
                     std::max<DWORD>(deadline.Left(), 1000));
                return true;
            }
            if (hadDefault && HIWORD(now) != DC_HASDEFID)
                return true;   // EndDialog has run: DefDlgProc no longer reports an id
        }
        if (deadline.Over())
            return false;
        Sleep(2);
    }
}

// ---- controls ---------------------------------------------------------------

HWND Item(HWND dialog, int id)
{
    return dialog ? GetDlgItem(dialog, id) : nullptr;
}

std::string ItemText(HWND dialog, int id)
{
    HWND c = Item(dialog, id);
    return c ? WindowText(c) : std::string();
}

bool SetItemText(HWND dialog, int id, const std::string& text)
{
    HWND c = Item(dialog, id);
    LRESULT ok = 0;
    return c && Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ok, kWaitMs) && ok;
}

bool IsItemEnabled(HWND dialog, int id)
{
    HWND c = Item(dialog, id);
    return c && IsWindowEnabled(c);
}

bool IsItemVisible(HWND dialog, int id)
{
    HWND c = Item(dialog, id);
    return c && IsWindowVisible(c);
}

int CheckState(HWND dialog, int id)
{
    HWND c = Item(dialog, id);
    return c ? static_cast<int>(SendOr(c, BM_GETCHECK, 0, 0, -1)) : -1;
}

bool IsChecked(HWND dialog, int id)
{
    return CheckState(dialog, id) == BST_CHECKED;
}

// A control that a user could operate now: present, shown, enabled, in an
// enabled top-level window.
static HWND Operable(HWND dialog, int id)
{
    HWND c = Item(dialog, id);
    if (!c || !IsWindowVisible(c) || !IsWindowEnabled(c))
        return nullptr;
    HWND top = GetAncestor(c, GA_ROOT);
    return top && IsWindowEnabled(top) ? c : nullptr;
}

bool Click(HWND dialog, int id, DWORD timeoutMs)
{
    HWND button = Operable(dialog, id);
    if (!button || !PostMessageA(button, BM_CLICK, 0, 0))
        return false;
    return Sync(button, timeoutMs);
}

bool TypeText(HWND dialog, int id, const std::string& text, bool replace, DWORD timeoutMs)
{
    HWND edit = Operable(dialog, id);
    if (!edit)
        return false;
    HWND top = GetAncestor(edit, GA_ROOT);
    // WM_NEXTDLGCTL with a window handle: the dialog manager focuses the edit and
    // selects its text, as when the user tabs into it.
    if (!PostMessageA(top, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE))
        return false;
    if (!replace) {
        const LRESULT len = SendOr(edit, WM_GETTEXTLENGTH, 0, 0, 0);
        PostMessageA(edit, EM_SETSEL, static_cast<WPARAM>(len), len);
    }
    for (unsigned char ch : text) {
        if (!PostMessageA(edit, WM_CHAR, ch, 1))
            return false;
    }
    return Sync(edit, timeoutMs);
}

bool PressKey(HWND dialog, int id, UINT vk, DWORD timeoutMs)
{
    HWND target = id ? Item(dialog, id) : dialog;
    if (!target)
        return false;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, 0)) << 16;
    if (!PostMessageA(target, WM_KEYDOWN, vk, scan | 1)
        || !PostMessageA(target, WM_KEYUP, vk, scan | 1 | 0xC0000000))
        return false;
    return Sync(target, timeoutMs);
}

// ---- message boxes ----------------------------------------------------------

static const int kMessageTextId = 0xFFFF;

HWND WaitForMessageBox(DWORD pid, const std::string& caption, DWORD timeoutMs)
{
    WindowQuery q;
    q.pid = pid;
    q.caption = caption;
    q.withControl = kMessageTextId;
    return WaitForWindow(q, timeoutMs);
}

std::string MessageBoxText(HWND box)
{
    return ItemText(box, kMessageTextId);
}

bool AnswerMessageBox(HWND box, int buttonId, DWORD timeoutMs)
{
    Deadline deadline(timeoutMs);
    if (!Click(box, buttonId, timeoutMs))
        return false;
    // A message box is destroyed as soon as its loop ends: wait for that, so that
    // the next step never meets the closing box.
    while (IsWindow(box)) {
        if (deadline.Over())
            return false;
        Sleep(10);
    }
    return true;
}

// ---- combo boxes ------------------------------------------------------------

int ComboCount(HWND dialog, int id)
{
    HWND c = Item(dialog, id);
    return c ? static_cast<int>(SendOr(c, CB_GETCOUNT, 0, 0, CB_ERR)) : CB_ERR;
}

int ComboSelection(HWND dialog, int id)
{
    HWND c = Item(dialog, id);
    return c ? static_cast<int>(SendOr(c, CB_GETCURSEL, 0, 0, CB_ERR)) : CB_ERR;
}

std::string ComboItemText(HWND dialog, int id, int index)
{
    HWND c = Item(dialog, id);
    if (!c || index < 0)
        return {};
    const LRESULT len = SendOr(c, CB_GETLBTEXTLEN, index, 0, CB_ERR);
    if (len == CB_ERR || len < 0)
        return {};
    // The message carries its buffer across processes by itself. Wine 8 hands an
    // ANSI caller the item as UTF-16 ((len + 1) * 2 bytes) when the combo box is
    // in another process: the buffer is sized for that, and such text converted.
    std::vector<char> buf((static_cast<size_t>(len) + 1) * 2, '\0');
    const LRESULT got = SendOr(c, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf.data()), CB_ERR);
    if (got == CB_ERR || got <= 0)
        return {};
    const size_t n = std::min<size_t>(static_cast<size_t>(got), static_cast<size_t>(len));
    if (n >= 2 && buf[1] == '\0') {
        std::vector<wchar_t> wide(n);
        for (size_t i = 0; i < n; ++i)
            wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(buf[2 * i])
                                           | (static_cast<unsigned char>(buf[2 * i + 1]) << 8));
        char narrow[1024] = {};
        const int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(n), narrow,
                                          sizeof narrow - 1, nullptr, nullptr);
        return std::string(narrow, m > 0 ? static_cast<size_t>(m) : 0);
    }
    return std::string(buf.data(), n);
}

std::string ComboSelectedText(HWND dialog, int id)
{
    return ComboItemText(dialog, id, ComboSelection(dialog, id));
}

std::vector<std::string> ComboItems(HWND dialog, int id)
{
    std::vector<std::string> items;
    const int n = ComboCount(dialog, id);
    for (int i = 0; i < n; ++i)
        items.push_back(ComboItemText(dialog, id, i));
    return items;
}

bool ComboSelect(HWND dialog, int id, int index, DWORD timeoutMs)
{
    HWND combo = Operable(dialog, id);
    if (!combo || index < 0 || index >= ComboCount(dialog, id))
        return false;
    HWND parent = GetAncestor(combo, GA_PARENT);
    // The user's choice sets the selection and then notifies the parent; a
    // program's own CB_SETCURSEL does not notify, so the notification is posted.
    return PostMessageA(combo, CB_SETCURSEL, index, 0)
           && PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(combo))
           && Sync(combo, timeoutMs);
}

bool ComboSelectText(HWND dialog, int id, const std::string& text, DWORD timeoutMs)
{
    const std::vector<std::string> items = ComboItems(dialog, id);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text)
            return ComboSelect(dialog, id, static_cast<int>(i), timeoutMs);
    }
    return false;
}

}  // namespace e2e
