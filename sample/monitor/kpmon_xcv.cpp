// The monitor's Xcv interface: the commands that its user interface (and any installer) sends
// through XcvData to name the UI DLL and to add, check, configure and delete ports.
#include "sample/monitor/kpmon.h"

#include <cstring>
#include <new>

namespace kpmon {

namespace {

const DWORD kXcvMagic = 0x5643584B;  // "KXCV"

struct XcvHandle {
    DWORD magic = kXcvMagic;
    std::wstring object;  // the monitor's name or a port's name, as opened
    ACCESS_MASK access = 0;
};

XcvHandle* FromHandle(HANDLE h)
{
    auto* xcv = static_cast<XcvHandle*>(h);
    return xcv && xcv->magic == kXcvMagic ? xcv : nullptr;
}

DWORD PutOutput(const void* data, DWORD size, PBYTE output, DWORD outputSize, PDWORD needed)
{
    *needed = size;
    if (outputSize < size || !output)
        return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(output, data, size);
    return ERROR_SUCCESS;
}

DWORD PutDword(DWORD value, PBYTE output, DWORD outputSize, PDWORD needed)
{
    return PutOutput(&value, sizeof value, output, outputSize, needed);
}

bool IsAdministrator(const XcvHandle* xcv)
{
    return (xcv->access & SERVER_ACCESS_ADMINISTER) != 0;
}

DWORD AddPort(const XcvHandle* xcv, const std::wstring& port, DWORD type)
{
    if (!IsAdministrator(xcv))
        return ERROR_ACCESS_DENIED;
    if (!kpmonitor::IsValidPortName(port))
        return ERROR_INVALID_NAME;
    if (type > kpmonitor::kMaxComPort)
        return ERROR_INVALID_PARAMETER;
    return static_cast<DWORD>(CreatePort(port, type));
}

DWORD DeletePort(const XcvHandle* xcv, const std::wstring& port)
{
    if (!IsAdministrator(xcv))
        return ERROR_ACCESS_DENIED;
    if (!PortExists(port))
        return ERROR_UNKNOWN_PORT;
    if (PortIsOpen(port))
        return ERROR_BUSY;
    return static_cast<DWORD>(RemovePort(port));
}

DWORD SetPortType(const XcvHandle* xcv, const std::wstring& port, DWORD type)
{
    if (!IsAdministrator(xcv))
        return ERROR_ACCESS_DENIED;
    if (type > kpmonitor::kMaxComPort)
        return ERROR_INVALID_PARAMETER;
    return static_cast<DWORD>(WritePortType(port, type));
}

}  // namespace

bool ParsePortInput(const BYTE* input, DWORD size, std::wstring* port, DWORD* type, bool* hasType)
{
    port->clear();
    *type = 0;
    *hasType = false;
    if (!input)
        return false;
    const DWORD chars = size / sizeof(wchar_t);
    for (DWORD i = 0; i < chars; ++i) {
        wchar_t c;
        std::memcpy(&c, input + i * sizeof(wchar_t), sizeof c);
        if (c == L'\0') {
            DWORD rest = (i + 1) * sizeof(wchar_t);
            if (size >= rest + sizeof(DWORD)) {
                std::memcpy(type, input + rest, sizeof(DWORD));
                *hasType = true;
            }
            return true;
        }
        port->push_back(c);
    }
    port->clear();
    return false;
}

BOOL WINAPI XcvOpenPort(HANDLE, LPCWSTR object, ACCESS_MASK granted, PHANDLE handle)
{
    if (!handle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* xcv = new (std::nothrow) XcvHandle;
    if (!xcv) {
        *handle = nullptr;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    xcv->object = object ? object : L"";
    xcv->access = granted;
    *handle = xcv;
    return TRUE;
}

DWORD WINAPI XcvDataPort(HANDLE handle, LPCWSTR command, PBYTE input, DWORD inputSize, PBYTE output,
                         DWORD outputSize, PDWORD needed)
{
    XcvHandle* xcv = FromHandle(handle);
    if (!xcv)
        return ERROR_INVALID_HANDLE;
    if (!command || !needed)
        return ERROR_INVALID_PARAMETER;
    *needed = 0;
    const std::wstring cmd = command;

    if (cmd == KPMON_XCV_MONITOR_UI) {
        static const wchar_t ui[] = KPMON_W(KPMON_UI_DLL_NAME);
        return PutOutput(ui, sizeof ui, output, outputSize, needed);
    }

    std::wstring port;
    DWORD type = 0;
    bool hasType = false;
    const bool parsed = ParsePortInput(input, inputSize, &port, &type, &hasType);

    if (cmd == KPMON_XCV_PORT_IS_VALID) {
        if (!parsed)
            return ERROR_INVALID_PARAMETER;
        return kpmonitor::IsValidPortName(port) ? ERROR_SUCCESS : ERROR_INVALID_NAME;
    }
    if (cmd == KPMON_XCV_PORT_EXISTS) {
        if (!parsed)
            return ERROR_INVALID_PARAMETER;
        return PutDword(PortExists(port) ? 1 : 0, output, outputSize, needed);
    }
    if (cmd == KPMON_XCV_ADD_PORT)
        return parsed ? AddPort(xcv, port, hasType ? type : kpmonitor::kTypeUsb) : ERROR_INVALID_PARAMETER;
    if (cmd == KPMON_XCV_DELETE_PORT)
        return parsed ? DeletePort(xcv, port) : ERROR_INVALID_PARAMETER;
    if (cmd == KPMON_XCV_GET_PORT_TYPE) {
        if (!parsed)
            return ERROR_INVALID_PARAMETER;
        DWORD value = 0;
        LONG rc = ReadPortType(port, &value);
        if (rc != ERROR_SUCCESS)
            return static_cast<DWORD>(rc);
        return PutDword(value, output, outputSize, needed);
    }
    if (cmd == KPMON_XCV_SET_PORT_TYPE)
        return parsed && hasType ? SetPortType(xcv, port, type) : ERROR_INVALID_PARAMETER;

    return ERROR_INVALID_PARAMETER;
}

BOOL WINAPI XcvClosePort(HANDLE handle)
{
    XcvHandle* xcv = FromHandle(handle);
    if (!xcv) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    xcv->magic = 0;
    delete xcv;
    return TRUE;
}

}  // namespace kpmon
