// Entry points of ZRNKPUI.DLL, the user interface of the ZRN 7730 sample port monitor. The
// spooler's AddPort, ConfigurePort and DeletePort find it through the monitor's Xcv command
// "MonitorUI" and call it in the process that asked; it talks to the monitor through XcvData.
#include "sample/ui/kpui.h"

namespace kpui {

HINSTANCE g_module = nullptr;

namespace {

const wchar_t kMonitorName[] = KPMON_W(KPMON_MONITOR_NAME);

BOOL WINAPI AddPortUI(PCWSTR server, HWND owner, PCWSTR monitor, PWSTR* portOut)
{
    if (portOut)
        *portOut = nullptr;
    // Without an owner window no dialog may be shown, and without the dialog there is no name.
    if (!owner) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Xcv xcv;
    if (!xcv.Open(server, L"XcvMonitor", monitor && *monitor ? monitor : kMonitorName))
        return FALSE;

    PortDialog dialog;
    dialog.server = server;
    dialog.xcv = &xcv;
    dialog.name = ProposePortName(ListAllPorts(server));
    dialog.type = kpmonitor::kTypeUsb;
    INT_PTR result = RunPortDialog(owner, &dialog);
    if (result == -1)
        return FALSE;
    if (result != IDOK) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    if (portOut) {
        // The caller releases the name with LocalFree.
        size_t bytes = (dialog.name.size() + 1) * sizeof(wchar_t);
        auto* copy = static_cast<PWSTR>(LocalAlloc(LMEM_FIXED, bytes));
        if (copy) {
            CopyMemory(copy, dialog.name.c_str(), bytes);
            *portOut = copy;
        }
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI ConfigurePortUI(PCWSTR server, HWND owner, PCWSTR port)
{
    if (!port || !*port) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!owner) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Xcv xcv;
    if (!xcv.Open(server, L"XcvPort", port))
        return FALSE;
    PortDialog dialog;
    dialog.configure = true;
    dialog.server = server;
    dialog.xcv = &xcv;
    dialog.name = port;
    DWORD status = xcv.GetType(port, &dialog.type);
    if (status == ERROR_UNKNOWN_PORT) {
        SetLastError(status);
        return FALSE;
    }
    if (status != ERROR_SUCCESS)
        dialog.type = kpmonitor::kTypeUsb;  // no readable type yet: offer USB
    INT_PTR result = RunPortDialog(owner, &dialog);
    if (result == -1)
        return FALSE;
    if (result != IDOK) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// The caller (the Printers folder, for one) has already asked the user; no dialog here.
BOOL WINAPI DeletePortUI(PCWSTR server, HWND, PCWSTR port)
{
    if (!port || !*port) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Xcv xcv;
    if (!xcv.Open(server, L"XcvPort", port))
        return FALSE;
    DWORD status = xcv.Command(KPMON_XCV_DELETE_PORT, port);
    SetLastError(status);
    return status == ERROR_SUCCESS;
}

MONITORUI g_table = {sizeof(MONITORUI), AddPortUI, ConfigurePortUI, DeletePortUI};

}  // namespace
}  // namespace kpui

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        kpui::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) PMONITORUI WINAPI InitializePrintMonitorUI(VOID)
{
    return &kpui::g_table;
}
