#include "support/scenario_machine.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "support/process.h"
#include "sample/kpmonitor_shared.h"

namespace scenario {

namespace {

char* Mutable(const std::string& s) { return const_cast<char*>(s.c_str()); }
std::string Str(const char* s) { return s ? s : ""; }

// The size probe, then the call with a buffer of that size. Empty when the call fails.
template <typename Call>
std::vector<BYTE> Enumerate(Call call, DWORD* count)
{
    DWORD needed = 0, returned = 0;
    call(nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!call(buffer.data(), needed, &needed, &returned)) {
        *count = 0;
        return {};
    }
    *count = returned;
    return buffer;
}

std::vector<std::string> MultiString(const char* s)
{
    std::vector<std::string> out;
    while (s && *s) {
        out.emplace_back(s);
        s += out.back().size() + 1;
    }
    return out;
}

std::string Directory(BOOL(WINAPI* get)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD))
{
    char buffer[MAX_PATH * 2] = {};
    DWORD needed = 0;
    if (!get(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buffer), sizeof buffer, &needed))
        return {};
    return buffer;
}

void Walk(const std::string& root, const std::string& relative, std::vector<std::string>* out)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + "\\" + relative + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out->push_back(relative + name + "\\");
            Walk(root, relative + name + "\\", out);
        } else {
            out->push_back(relative + name);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

bool RegString(const char* key, const char* value, std::string* out)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    bool ok = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    RegCloseKey(h);
    if (ok)
        *out = buffer;
    return ok;
}

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

void Compare(const char* kind, const std::vector<std::string>& before, const std::vector<std::string>& after,
             std::vector<std::string>* out)
{
    for (const std::string& s : after)
        if (!Contains(before, s))
            out->push_back(std::string("+ ") + kind + ": " + s);
    for (const std::string& s : before)
        if (!Contains(after, s))
            out->push_back(std::string("- ") + kind + ": " + s);
}

}  // namespace

std::vector<PrinterQueue> Printers()
{
    DWORD count = 0;
    std::vector<BYTE> buffer = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, size, needed, returned) != 0;
        },
        &count);
    std::vector<PrinterQueue> out;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back({Str(info[i].pPrinterName), Str(info[i].pPortName), Str(info[i].pDriverName),
                       Str(info[i].pPrintProcessor), Str(info[i].pDatatype),
                       (info[i].Attributes & PRINTER_ATTRIBUTE_SHARED) ? Str(info[i].pShareName) : ""});
    return out;
}

bool FindPrinter(const std::string& name, PrinterQueue* out)
{
    HANDLE h = nullptr;
    if (!OpenPrinterA(Mutable(name), &h, nullptr))
        return false;
    DWORD needed = 0;
    GetPrinterA(h, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    bool ok = GetPrinterA(h, 2, buffer.data(), needed, &needed) != 0;
    ClosePrinter(h);
    if (!ok)
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    if (out)
        *out = {Str(info->pPrinterName), Str(info->pPortName), Str(info->pDriverName), Str(info->pPrintProcessor),
                Str(info->pDatatype), (info->Attributes & PRINTER_ATTRIBUTE_SHARED) ? Str(info->pShareName) : ""};
    return true;
}

std::vector<PrinterDriver> Drivers()
{
    DWORD count = 0;
    std::vector<BYTE> buffer = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, nullptr, 3, b, size, needed, returned) != 0;
        },
        &count);
    std::vector<PrinterDriver> out;
    const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back({Str(info[i].pName), Str(info[i].pEnvironment), Str(info[i].pDriverPath),
                       Str(info[i].pDataFile), Str(info[i].pConfigFile), Str(info[i].pHelpFile),
                       Str(info[i].pDefaultDataType), MultiString(info[i].pDependentFiles)});
    return out;
}

std::vector<PortMonitor> Monitors()
{
    DWORD count = 0;
    std::vector<BYTE> buffer = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumMonitorsA(nullptr, 2, b, size, needed, returned) != 0;
        },
        &count);
    std::vector<PortMonitor> out;
    const auto* info = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back({Str(info[i].pName), Str(info[i].pDLLName)});
    return out;
}

std::vector<SpoolerPort> Ports()
{
    DWORD count = 0;
    std::vector<BYTE> buffer = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPortsA(nullptr, 2, b, size, needed, returned) != 0;
        },
        &count);
    std::vector<SpoolerPort> out;
    const auto* info = reinterpret_cast<const PORT_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back({Str(info[i].pPortName), Str(info[i].pMonitorName)});
    return out;
}

std::vector<std::string> PrintProcessors()
{
    DWORD count = 0;
    std::vector<BYTE> buffer = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintProcessorsA(nullptr, nullptr, 1, b, size, needed, returned) != 0;
        },
        &count);
    std::vector<std::string> out;
    const auto* info = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back(Str(info[i].pName));
    return out;
}

const PrinterDriver* FindDriver(const std::vector<PrinterDriver>& all, const std::string& name)
{
    for (const PrinterDriver& d : all)
        if (d.name == name)
            return &d;
    return nullptr;
}

const PortMonitor* FindMonitorByDll(const std::vector<PortMonitor>& all, const std::string& dll)
{
    for (const PortMonitor& m : all)
        if (lstrcmpiA(m.dll.c_str(), dll.c_str()) == 0)
            return &m;
    return nullptr;
}

const SpoolerPort* FindPort(const std::vector<SpoolerPort>& all, const std::string& name)
{
    for (const SpoolerPort& p : all)
        if (p.name == name)
            return &p;
    return nullptr;
}

bool HasDriver(const std::string& name)
{
    const std::vector<PrinterDriver> all = Drivers();
    return FindDriver(all, name) != nullptr;
}

bool HasMonitorDll(const std::string& dll)
{
    const std::vector<PortMonitor> all = Monitors();
    return FindMonitorByDll(all, dll) != nullptr;
}

bool Contains(const std::vector<std::string>& all, const std::string& name)
{
    return std::find(all.begin(), all.end(), name) != all.end();
}

std::string DriverDirectory() { return Directory(GetPrinterDriverDirectoryA); }
std::string PrintProcessorDirectory() { return Directory(GetPrintProcessorDirectoryA); }

std::string SystemDirectory()
{
    char buffer[MAX_PATH] = {};
    UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    return n && n < MAX_PATH ? buffer : "";
}

std::string WindowsDirectory()
{
    char buffer[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return n && n < MAX_PATH ? buffer : "";
}

std::string InfDirectory() { return WindowsDirectory() + "\\inf"; }

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            out.emplace_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return Sorted(out);
}

std::vector<std::string> TreeOf(const std::string& dir)
{
    std::vector<std::string> out;
    Walk(dir, "", &out);
    return Sorted(out);
}

std::string ReadFileBytes(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::string out;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got)
        out.append(chunk, got);
    CloseHandle(h);
    return out;
}

bool SameBytes(const std::string& a, const std::string& b)
{
    const std::string x = ReadFileBytes(a);
    return !x.empty() && x == ReadFileBytes(b);
}

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> InfCopiesOf(const std::string& inf)
{
    const std::string content = ReadFileBytes(inf);
    std::vector<std::string> out;
    if (content.empty())
        return out;
    const std::string dir = InfDirectory();
    for (const std::string& name : FilesIn(dir))
        if (ReadFileBytes(dir + "\\" + name) == content)
            out.push_back(name);
    return out;
}

std::string FileVersionOf(const std::string& path)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (!size)
        return {};
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        return {};
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&value),
                        &length) ||
        !value)
        return {};
    return std::string(value, strnlen(value, length));
}

std::string MonitorRegistryVersion()
{
    std::string v;
    return RegString(KPMON_MONITOR_KEY, KPMON_VALUE_VERSION, &v) ? v : "";
}

std::string MonitorOutputFile(const std::string& port)
{
    std::string dir;
    if (!RegString(KPMON_MONITOR_KEY, KPMON_VALUE_OUTPUT_DIRECTORY, &dir))
        return {};
    return dir + "\\" + kpmonitor::PortFileName(port);
}

bool PrintRaw(const std::string& printer, const std::string& bytes, std::string* error)
{
    HANDLE h = nullptr;
    if (!OpenPrinterA(Mutable(printer), &h, nullptr)) {
        *error = "OpenPrinterA failed: " + std::to_string(GetLastError());
        return false;
    }
    DOC_INFO_1A doc = {const_cast<char*>("ZRN 7730 end-to-end test page"), nullptr, const_cast<char*>("RAW")};
    bool ok = StartDocPrinterA(h, 1, reinterpret_cast<BYTE*>(&doc)) != 0;
    if (!ok)
        *error = "StartDocPrinterA failed: " + std::to_string(GetLastError());
    DWORD written = 0;
    if (ok && !(WritePrinter(h, Mutable(bytes), static_cast<DWORD>(bytes.size()), &written) &&
                written == bytes.size())) {
        *error = "WritePrinter failed: " + std::to_string(GetLastError());
        ok = false;
    }
    if (!EndDocPrinter(h) && ok) {
        *error = "EndDocPrinter failed: " + std::to_string(GetLastError());
        ok = false;
    }
    ClosePrinter(h);
    return ok;
}

DWORD SpoolerState()
{
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!scm)
        return 0;
    SC_HANDLE svc = OpenServiceA(scm, "Spooler", SERVICE_QUERY_STATUS);
    SERVICE_STATUS st = {};
    DWORD state = svc && QueryServiceStatus(svc, &st) ? st.dwCurrentState : 0;
    if (svc)
        CloseServiceHandle(svc);
    CloseServiceHandle(scm);
    return state;
}

bool SetSpoolerRunning(bool running)
{
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!scm)
        return false;
    SC_HANDLE svc = OpenServiceA(scm, "Spooler", SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
    bool ok = false;
    if (svc) {
        SERVICE_STATUS st = {};
        if (running)
            StartServiceA(svc, 0, nullptr);
        else
            ControlService(svc, SERVICE_CONTROL_STOP, &st);
        const DWORD wanted = running ? SERVICE_RUNNING : SERVICE_STOPPED;
        // Bounded only so that a broken service cannot hang the test.
        for (DWORD waited = 0; waited <= e2e::kWaitMs; waited += 50) {
            if (QueryServiceStatus(svc, &st) && st.dwCurrentState == wanted) {
                ok = true;
                break;
            }
            Sleep(50);
        }
        CloseServiceHandle(svc);
    }
    CloseServiceHandle(scm);
    return ok;
}

MachineState Snapshot()
{
    MachineState s;
    for (const PrinterQueue& p : Printers()) {
        s.printers.push_back(p.name + " (" + p.driver + " on " + p.port + ", " + p.printProcessor + ")");
        if (!p.share.empty())
            s.shares.push_back(p.name + " as " + p.share);
    }
    char name[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (GetDefaultPrinterA(name, &size))
        s.defaultPrinter.push_back(name);
    for (const PrinterDriver& d : Drivers())
        s.drivers.push_back(d.name);
    for (const PortMonitor& m : Monitors())
        s.monitors.push_back(m.name + " (" + m.dll + ")");
    for (const SpoolerPort& p : Ports())
        s.ports.push_back(p.name + " (" + p.monitor + ")");
    s.printProcessors = PrintProcessors();
    s.infFiles = FilesIn(InfDirectory());
    s.driverFiles = TreeOf(DriverDirectory());
    s.processorFiles = TreeOf(PrintProcessorDirectory());
    s.systemFiles = FilesIn(SystemDirectory());
    for (auto* v : {&s.printers, &s.drivers, &s.monitors, &s.ports, &s.printProcessors})
        *v = Sorted(*v);
    return s;
}

std::vector<std::string> Differences(const MachineState& before, const MachineState& after)
{
    std::vector<std::string> out;
    Compare("printer", before.printers, after.printers, &out);
    Compare("share", before.shares, after.shares, &out);
    Compare("default printer", before.defaultPrinter, after.defaultPrinter, &out);
    Compare("driver", before.drivers, after.drivers, &out);
    Compare("monitor", before.monitors, after.monitors, &out);
    Compare("port", before.ports, after.ports, &out);
    Compare("print processor", before.printProcessors, after.printProcessors, &out);
    Compare("INF directory", before.infFiles, after.infFiles, &out);
    Compare("driver directory", before.driverFiles, after.driverFiles, &out);
    Compare("print processor directory", before.processorFiles, after.processorFiles, &out);
    Compare("system directory", before.systemFiles, after.systemFiles, &out);
    return out;
}

std::string Join(const std::vector<std::string>& lines, const char* separator)
{
    std::string out;
    for (const std::string& line : lines) {
        if (!out.empty())
            out += separator;
        out += line;
    }
    return out;
}

}  // namespace scenario
