// The port dialog: a port name and the physical port (USB or COM 1 to COM 4) behind it.
#include "sample/ui/kpui.h"

namespace kpui {

namespace {

const wchar_t kAddIntro[] =
    L"Enter a name for the new port and choose the physical port that the ZRN 7730 is connected to.";
const wchar_t kConfigureIntro[] = L"Choose the physical port that the ZRN 7730 on this port is connected to.";

std::wstring WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

std::wstring Trimmed(const std::wstring& s)
{
    size_t first = s.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return std::wstring();
    size_t last = s.find_last_not_of(L" \t");
    return s.substr(first, last - first + 1);
}

void Complain(HWND dialog, const std::wstring& text)
{
    MessageBoxW(dialog, text.c_str(), KPMON_W(KPUI_MESSAGE_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

void Refuse(HWND dialog, int control, const std::wstring& text)
{
    Complain(dialog, text);
    HWND edit = GetDlgItem(dialog, control);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void OnInit(HWND dialog, PortDialog* d)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    SetWindowTextW(dialog, d->configure ? KPMON_W(KPUI_CONFIGURE_CAPTION) : KPMON_W(KPUI_ADD_CAPTION));
    SetDlgItemTextW(dialog, IDC_KPUI_INTRO, d->configure ? kConfigureIntro : kAddIntro);

    HWND edit = GetDlgItem(dialog, IDC_KPUI_PORT_NAME);
    SendMessageW(edit, EM_LIMITTEXT, kpmonitor::kMaxPortNameLength, 0);
    SetWindowTextW(edit, d->name.c_str());
    if (d->configure)
        SendMessageW(edit, EM_SETREADONLY, TRUE, 0);

    HWND combo = GetDlgItem(dialog, IDC_KPUI_PHYSICAL_PORT);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"USB"));
    for (int n = 1; n <= KPUI_COM_PORTS; ++n) {
        std::wstring item = L"COM " + std::to_wstring(n);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    // A configured type beyond the offered COM ports is shown as an extra item.
    if (d->type > KPUI_COM_PORTS) {
        std::wstring item = L"COM " + std::to_wstring(d->type);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        SendMessageW(combo, CB_SETCURSEL, KPUI_COM_PORTS + 1, 0);
    } else {
        SendMessageW(combo, CB_SETCURSEL, d->type, 0);
    }

    HWND focus = d->configure ? combo : edit;
    SetFocus(focus);
    if (!d->configure)
        SendMessageW(edit, EM_SETSEL, 0, -1);
}

// Item index of the combo box -> port type.
DWORD ChosenType(HWND dialog, const PortDialog* d)
{
    LRESULT index = SendDlgItemMessageW(dialog, IDC_KPUI_PHYSICAL_PORT, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR || index < 0)
        return kpmonitor::kTypeUsb;
    if (index > KPUI_COM_PORTS)
        return d->type;  // the extra item of a configured type beyond the list
    return static_cast<DWORD>(index);
}

bool AddPort(HWND dialog, PortDialog* d)
{
    const std::wstring name = Trimmed(WindowText(GetDlgItem(dialog, IDC_KPUI_PORT_NAME)));
    const DWORD type = ChosenType(dialog, d);
    if (name.empty()) {
        Refuse(dialog, IDC_KPUI_PORT_NAME, L"Enter a name for the port.");
        return false;
    }
    DWORD status = d->xcv->Command(KPMON_XCV_PORT_IS_VALID, name);
    if (status == ERROR_INVALID_NAME) {
        Refuse(dialog, IDC_KPUI_PORT_NAME,
               L"\"" + name + L"\" is not a valid port name.\n\nA port name has 1 to " +
                   std::to_wstring(kpmonitor::kMaxPortNameLength) +
                   L" characters. It cannot contain , \\ / * ? \" < > | or control characters, "
                   L"cannot begin or end with a space, and a colon may only end it. A drive "
                   L"letter with a colon is not a port name.");
        return false;
    }
    if (status != ERROR_SUCCESS) {
        Complain(dialog, ErrorText(status));
        return false;
    }
    if (ContainsName(ListAllPorts(d->server), name)) {
        Refuse(dialog, IDC_KPUI_PORT_NAME, L"A port named \"" + name + L"\" already exists. Choose another name.");
        return false;
    }
    status = d->xcv->CommandWithType(KPMON_XCV_ADD_PORT, name, type);
    if (status == ERROR_ALREADY_EXISTS) {
        Refuse(dialog, IDC_KPUI_PORT_NAME, L"A port named \"" + name + L"\" already exists. Choose another name.");
        return false;
    }
    if (status != ERROR_SUCCESS) {
        Complain(dialog, L"The port \"" + name + L"\" could not be added.\n\n" + ErrorText(status));
        return false;
    }
    d->name = name;
    d->type = type;
    return true;
}

bool ConfigurePort(HWND dialog, PortDialog* d)
{
    const DWORD type = ChosenType(dialog, d);
    DWORD status = d->xcv->CommandWithType(KPMON_XCV_SET_PORT_TYPE, d->name, type);
    if (status != ERROR_SUCCESS) {
        Complain(dialog, L"The port \"" + d->name + L"\" could not be changed.\n\n" + ErrorText(status));
        return false;
    }
    d->type = type;
    return true;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* d = reinterpret_cast<PortDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, reinterpret_cast<PortDialog*>(lParam));
        return FALSE;  // focus set above
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (d && (d->configure ? ConfigurePort(dialog, d) : AddPort(dialog, d)))
                EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunPortDialog(HWND owner, PortDialog* dialog)
{
    return DialogBoxParamW(g_module, MAKEINTRESOURCEW(IDD_KPUI_PORT), owner, DialogProc,
                           reinterpret_cast<LPARAM>(dialog));
}

}  // namespace kpui
