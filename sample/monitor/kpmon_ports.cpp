// Port enumeration and printing: every job sent to a port is written to the port's output file.
#include "sample/monitor/kpmon.h"

#include <map>
#include <new>

namespace kpmon {

namespace {

// Names of the ports that are open in this process, with their number of open handles.
class OpenPorts {
public:
    OpenPorts() { InitializeCriticalSection(&cs_); }
    ~OpenPorts() { DeleteCriticalSection(&cs_); }
    OpenPorts(const OpenPorts&) = delete;
    OpenPorts& operator=(const OpenPorts&) = delete;

    void Add(const std::wstring& port)
    {
        EnterCriticalSection(&cs_);
        ++count_[Upper(port)];
        LeaveCriticalSection(&cs_);
    }
    void Remove(const std::wstring& port)
    {
        EnterCriticalSection(&cs_);
        auto it = count_.find(Upper(port));
        if (it != count_.end() && --it->second == 0)
            count_.erase(it);
        LeaveCriticalSection(&cs_);
    }
    bool Contains(const std::wstring& port)
    {
        EnterCriticalSection(&cs_);
        bool found = count_.count(Upper(port)) != 0;
        LeaveCriticalSection(&cs_);
        return found;
    }

private:
    // Port names compare without case, as their registry keys do.
    static std::wstring Upper(std::wstring s)
    {
        if (!s.empty())
            CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
        return s;
    }

    CRITICAL_SECTION cs_;
    std::map<std::wstring, unsigned> count_;
};

OpenPorts g_open;

const DWORD kPortMagic = 0x54524F50;  // "PORT"

struct PortHandle {
    DWORD magic = kPortMagic;
    std::wstring name;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring printer;  // of the current job, for telling the spooler that it was sent
    DWORD job = 0;
};

PortHandle* FromHandle(HANDLE h)
{
    auto* port = static_cast<PortHandle*>(h);
    return port && port->magic == kPortMagic ? port : nullptr;
}

std::wstring Describe(const std::wstring& port)
{
    DWORD type = 0;
    if (ReadPortType(port, &type) != ERROR_SUCCESS)
        return L"ZRN 7730 KPL Port";
    if (type == kpmonitor::kTypeUsb)
        return L"ZRN 7730 KPL Port (USB)";
    return L"ZRN 7730 KPL Port (COM " + std::to_wstring(type) + L")";
}

// Creates a directory and every missing directory above it.
void CreateDirectories(const std::wstring& dir)
{
    if (dir.empty() || GetFileAttributesW(dir.c_str()) != INVALID_FILE_ATTRIBUTES)
        return;
    size_t slash = dir.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 0)
        CreateDirectories(dir.substr(0, slash));
    CreateDirectoryW(dir.c_str(), nullptr);
}

// Opens (and empties) the port's output file for a new job.
bool OpenOutputFile(PortHandle* port)
{
    std::wstring dir = OutputDirectory();
    if (dir.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    while (dir.size() > 3 && dir.back() == L'\\')
        dir.pop_back();
    CreateDirectories(dir);
    std::wstring path = dir + L"\\" + kpmonitor::PortFileName(port->name);
    port->file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    return port->file != INVALID_HANDLE_VALUE;
}

void CloseOutputFile(PortHandle* port)
{
    if (port->file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(port->file);
        CloseHandle(port->file);
        port->file = INVALID_HANDLE_VALUE;
    }
}

}  // namespace

bool PortIsOpen(const std::wstring& port)
{
    return g_open.Contains(port);
}

BOOL WINAPI EnumPorts(HANDLE, LPWSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned)
{
    if (!needed || !returned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = 0;
    *returned = 0;
    if (level != 1 && level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }

    const std::wstring monitorName = KPMON_W(KPMON_MONITOR_NAME);
    std::vector<std::wstring> names = ListPorts();
    std::vector<std::wstring> descriptions;
    const DWORD entrySize = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    DWORD total = 0;
    for (const std::wstring& name : names) {
        total += entrySize + static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
        if (level == 2) {
            descriptions.push_back(Describe(name));
            total += static_cast<DWORD>((monitorName.size() + 1 + descriptions.back().size() + 1) * sizeof(wchar_t));
        }
    }
    *needed = total;
    if (total > size || (total > 0 && !ports)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }

    // The records first, then their strings.
    wchar_t* text = reinterpret_cast<wchar_t*>(ports + entrySize * names.size());
    auto copy = [&text](const std::wstring& s) {
        wchar_t* start = text;
        s.copy(text, s.size());
        text[s.size()] = L'\0';
        text += s.size() + 1;
        return start;
    };
    for (size_t i = 0; i < names.size(); ++i) {
        if (level == 1) {
            auto* info = reinterpret_cast<PORT_INFO_1W*>(ports) + i;
            info->pName = copy(names[i]);
        } else {
            auto* info = reinterpret_cast<PORT_INFO_2W*>(ports) + i;
            info->pPortName = copy(names[i]);
            info->pMonitorName = copy(monitorName);
            info->pDescription = copy(descriptions[i]);
            info->fPortType = PORT_TYPE_WRITE;
            info->Reserved = 0;
        }
    }
    *returned = static_cast<DWORD>(names.size());
    return TRUE;
}

BOOL WINAPI OpenPort(HANDLE, LPWSTR name, PHANDLE handle)
{
    if (!name || !handle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *handle = nullptr;
    if (!PortExists(name)) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    auto* port = new (std::nothrow) PortHandle;
    if (!port) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    port->name = name;
    g_open.Add(port->name);
    *handle = port;
    return TRUE;
}

BOOL WINAPI StartDocPort(HANDLE handle, LPWSTR printer, DWORD job, DWORD, LPBYTE)
{
    PortHandle* port = FromHandle(handle);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CloseOutputFile(port);  // a job that was never ended
    port->printer = printer ? printer : L"";
    port->job = job;
    return OpenOutputFile(port) ? TRUE : FALSE;
}

BOOL WINAPI WritePort(HANDLE handle, LPBYTE buffer, DWORD size, LPDWORD written)
{
    PortHandle* port = FromHandle(handle);
    if (!port || !written) {
        SetLastError(port ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *written = 0;
    if (size > 0 && !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (port->file == INVALID_HANDLE_VALUE && !OpenOutputFile(port))
        return FALSE;
    return WriteFile(port->file, buffer, size, written, nullptr);
}

BOOL WINAPI EndDocPort(HANDLE handle)
{
    PortHandle* port = FromHandle(handle);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CloseOutputFile(port);
    // Without a language monitor in front of it, a port monitor tells the spooler itself that
    // the job has gone to the device.
    if (!port->printer.empty() && port->job != 0) {
        HANDLE printer = nullptr;
        if (OpenPrinterW(&port->printer[0], &printer, nullptr)) {
            SetJobW(printer, port->job, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
            ClosePrinter(printer);
        }
    }
    port->printer.clear();
    port->job = 0;
    return TRUE;
}

BOOL WINAPI ClosePort(HANDLE handle)
{
    PortHandle* port = FromHandle(handle);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CloseOutputFile(port);
    g_open.Remove(port->name);
    port->magic = 0;
    delete port;
    return TRUE;
}

}  // namespace kpmon
