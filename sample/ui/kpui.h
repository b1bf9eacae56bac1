// Internals of the ZRN 7730 sample port monitor's user interface (ZRNKPUI.DLL).
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <string>
#include <vector>

#include "sample/kpmonitor_shared.h"
#include "sample/kpmonitor_ui_ids.h"

namespace kpui {

extern HINSTANCE g_module;

// An Xcv handle of the monitor (",XcvMonitor <name>") or of one of its ports (",XcvPort <name>"),
// opened with SERVER_ACCESS_ADMINISTER and closed when the object goes.
class Xcv {
public:
    Xcv() = default;
    Xcv(const Xcv&) = delete;
    Xcv& operator=(const Xcv&) = delete;
    ~Xcv();

    // server may be null (the local machine); kind is L"XcvMonitor" or L"XcvPort".
    bool Open(const wchar_t* server, const wchar_t* kind, const std::wstring& object);

    // The monitor's status for the command (ERROR_SUCCESS on success), or the error of the call.
    DWORD Command(const wchar_t* command, const std::wstring& port);
    DWORD CommandWithType(const wchar_t* command, const std::wstring& port, DWORD type);
    DWORD GetType(const std::wstring& port, DWORD* type);

private:
    DWORD Data(const wchar_t* command, const std::vector<BYTE>& input, BYTE* output, DWORD outputSize);

    HANDLE h_ = nullptr;
};

// Names of all ports of the machine (every monitor's); empty when they cannot be listed.
std::vector<std::wstring> ListAllPorts(const wchar_t* server);

// True when the list holds the name, compared without case.
bool ContainsName(const std::vector<std::wstring>& names, const std::wstring& name);

// "KPL<n>:" with the lowest n from 1 that the list does not hold.
std::wstring ProposePortName(const std::vector<std::wstring>& names);

// The system's message text for an error code.
std::wstring ErrorText(DWORD code);

// The port dialog. Add mode: the user names a new port; Configure mode: the name is fixed.
struct PortDialog {
    bool configure = false;
    const wchar_t* server = nullptr;
    Xcv* xcv = nullptr;
    std::wstring name;  // in: proposed or existing name; out: the port's name
    DWORD type = 0;     // in: preselected type; out: chosen type
};

// Shows the dialog modally. IDOK when the port was added or reconfigured, IDCANCEL when the
// user cancelled, -1 when the dialog could not be shown.
INT_PTR RunPortDialog(HWND owner, PortDialog* dialog);

}  // namespace kpui
