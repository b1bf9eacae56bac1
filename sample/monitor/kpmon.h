// Internals of the ZRN 7730 sample port monitor (ZRNKPMON.DLL).
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

namespace kpmon {

// The module handle of the DLL, set in DllMain.
extern HINSTANCE g_module;

// ---- Registry (kpmon_registry.cpp) ----

// Writes "Version" (this DLL's FileVersion) and, when missing, "OutputDirectory" under the
// monitor key, creating the key and its Ports sub-key. Returns false when the key cannot be had.
bool RecordMonitorKey();

// This DLL's "\StringFileInfo\040904b0\FileVersion" text; empty when it cannot be read.
std::wstring OwnFileVersion();

// The ports under the monitor's Ports key, in registry order.
std::vector<std::wstring> ListPorts();

// True when the monitor has a port of that name (compared as the registry does, without case).
bool PortExists(const std::wstring& port);

// Registry error codes (ERROR_SUCCESS on success).
LONG CreatePort(const std::wstring& port, DWORD type);      // ERROR_ALREADY_EXISTS when present
LONG RemovePort(const std::wstring& port);                  // ERROR_UNKNOWN_PORT when absent
LONG ReadPortType(const std::wstring& port, DWORD* type);   // ERROR_UNKNOWN_PORT when absent
LONG WritePortType(const std::wstring& port, DWORD type);   // ERROR_UNKNOWN_PORT when absent

// The output directory (registry value, or the default below the Windows directory).
std::wstring OutputDirectory();

// ---- Open ports (kpmon_ports.cpp) ----

// True while a port of that name is open for printing in this process.
bool PortIsOpen(const std::wstring& port);

BOOL WINAPI EnumPorts(HANDLE monitor, LPWSTR name, DWORD level, LPBYTE ports, DWORD size,
                      LPDWORD needed, LPDWORD returned);
BOOL WINAPI OpenPort(HANDLE monitor, LPWSTR name, PHANDLE port);
BOOL WINAPI StartDocPort(HANDLE port, LPWSTR printer, DWORD job, DWORD level, LPBYTE docInfo);
BOOL WINAPI WritePort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written);
BOOL WINAPI EndDocPort(HANDLE port);
BOOL WINAPI ClosePort(HANDLE port);

// ---- Xcv (kpmon_xcv.cpp) ----

BOOL WINAPI XcvOpenPort(HANDLE monitor, LPCWSTR object, ACCESS_MASK granted, PHANDLE xcv);
DWORD WINAPI XcvDataPort(HANDLE xcv, LPCWSTR command, PBYTE input, DWORD inputSize, PBYTE output,
                         DWORD outputSize, PDWORD outputNeeded);
BOOL WINAPI XcvClosePort(HANDLE xcv);

// Reads a NUL-terminated UTF-16 string from the start of an Xcv input buffer, and the DWORD that
// may follow it. False when the buffer holds no complete string.
bool ParsePortInput(const BYTE* input, DWORD size, std::wstring* port, DWORD* type, bool* hasType);

}  // namespace kpmon
