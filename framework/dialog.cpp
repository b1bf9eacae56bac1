#include "framework/dialog.h"

#include <algorithm>

#include "framework/strings.h"

namespace framework {

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() = default;

INT_PTR Dialog::DoModal()
{
    return DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(templateId_), parent_, StaticProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::UpdateData(bool saving)
{
    DataExchange dx(*this, saving);
    DoDataExchange(dx);
    return !dx.failed();
}

void Dialog::EndDialog(INT_PTR result)
{
    if (hwnd_)
        ::EndDialog(hwnd_, result);
}

BOOL Dialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void Dialog::SetIcons(HICON icon) const
{
    if (!hwnd_)
        return;
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Dialog::Bind(Control& control)
{
    if (std::find(bound_.begin(), bound_.end(), &control) == bound_.end())
        bound_.push_back(&control);
}

Control* Dialog::BoundControl(HWND h) const
{
    for (Control* c : bound_)
        if (c->hwnd() == h)
            return c;
    return nullptr;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    Dialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(l);
        SetWindowLongPtrA(hwnd, DWLP_USER, l);
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    try {
        INT_PTR r = self->Proc(msg, w, l);
        if (msg == WM_NCDESTROY) {
            for (Control* c : self->bound_)
                c->Detach();
            self->bound_.clear();
            self->hwnd_ = nullptr;
        }
        return r;
    } catch (...) {
        // Nothing may unwind through the system's dialog code.
        return FALSE;
    }
}

INT_PTR Dialog::Proc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        UINT id = LOWORD(w), code = HIWORD(w);
        HWND ctl = reinterpret_cast<HWND>(l);
        if (ctl) {
            if (Control* c = BoundControl(ctl))
                if (c->OnReflectedCommand(code))
                    return TRUE;
        }
        if (OnCommand(id, code, ctl))
            return TRUE;
        if (id == IDOK && (code == BN_CLICKED || !ctl)) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && (code == BN_CLICKED || !ctl)) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        NMHDR* nm = reinterpret_cast<NMHDR*>(l);
        LRESULT result = 0;
        bool handled = false;
        if (Control* c = BoundControl(nm->hwndFrom))
            handled = c->OnReflectedNotify(nm, result);
        if (!handled)
            handled = OnNotify(nm, result);
        if (!handled)
            return FALSE;
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(w), static_cast<UINT>(l));
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    default: {
        INT_PTR result = 0;
        if (OnMessage(msg, w, l, result))
            return result;
        return FALSE;
    }
    }
}

void DDX_Control(DataExchange& dx, int id, Control& control)
{
    HWND h = dx.dialog().Item(id);
    if (control.hwnd() != h)
        control.Attach(h);
    dx.dialog().Bind(control);
    dx.setLastControl(h);
}

void DDX_Text(DataExchange& dx, int id, std::string& value)
{
    HWND h = dx.dialog().Item(id);
    dx.setLastControl(h);
    if (!h)
        return;
    if (dx.saving()) {
        int n = GetWindowTextLengthA(h);
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        int got = GetWindowTextA(h, buf.data(), n + 1);
        value.assign(buf.data(), got > 0 ? got : 0);
    } else {
        SetWindowTextA(h, value.c_str());
    }
}

void DDX_Radio(DataExchange& dx, int firstId, int& index)
{
    HWND first = dx.dialog().Item(firstId);
    dx.setLastControl(first);
    if (!first)
        return;
    if (dx.saving())
        index = -1;
    int i = 0;
    HWND h = first;
    do {
        if (dx.saving()) {
            if (SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED)
                index = i;
        } else {
            SendMessageA(h, BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++i;
        h = GetWindow(h, GW_HWNDNEXT);
    } while (h && !(GetWindowLongA(h, GWL_STYLE) & WS_GROUP));
}

void DDV_MaxChars(DataExchange& dx, const std::string& value, int maxChars)
{
    HWND h = dx.lastControl();
    if (!dx.saving()) {
        if (h)
            SendMessageA(h, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    } else if (value.size() > static_cast<size_t>(maxChars)) {
        if (h)
            ::SetFocus(h);
        dx.Fail();
    }
}

void PaintMinimizedIcon(HWND hwnd, HICON icon)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT rc;
    GetClientRect(hwnd, &rc);
    int x = (rc.right - rc.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rc.bottom - rc.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon);
    EndPaint(hwnd, &ps);
}

}  // namespace framework
