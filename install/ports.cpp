// The spooler's ports of the package's monitor, the physical port behind each, and a new
// port made through the monitor's dialog.
#include "install/ports.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "framework/strings.h"
#include "install/port_monitor.h"
#include "install/spooler.h"
#include "package/monitor_inf.h"
#include "package/package.h"
#include "package/printer_model.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

namespace {

const char kMonitorsKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\";
constexpr REGSAM kPortKeyAccess = KEY_READ | KEY_WRITE;

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::wstring Widen(const std::string& text)
{
    int n = sys().MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    sys().MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

}  // namespace

// The buffer is twice the size that the probe reports, so that ports added between the two
// calls still fit.
PortEnumeration EnumerateSpoolerPorts(std::vector<PortRecord>& ports)
{
    ports.clear();
    DWORD needed = 0;
    DWORD count = 0;
    sys().EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer;
    try {
        buffer.assign(std::max<size_t>(static_cast<size_t>(needed) * 2, sizeof(PORT_INFO_2A)), 0);
    } catch (const std::bad_alloc&) {
        return PortEnumeration::NoBuffer;
    }
    count = 0;
    if (!sys().EnumPortsA(nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
        return PortEnumeration::Failed;
    const auto* records = reinterpret_cast<const PORT_INFO_2A*>(buffer.data());
    size_t fits = buffer.size() / sizeof(PORT_INFO_2A);
    for (DWORD i = 0; i < count && i < fits; ++i)
        ports.push_back({records[i].pPortName ? records[i].pPortName : "",
                         records[i].pMonitorName ? records[i].pMonitorName : ""});
    return PortEnumeration::Ok;
}

std::vector<std::string> PackagePortNames(const std::vector<PortRecord>& ports)
{
    const std::string monitor = framework::LoadText(IDS_MONITOR_NAME);
    const std::string filePort = framework::LoadText(IDS_FILE_PORT);
    std::vector<std::string> names;
    for (const PortRecord& port : ports) {
        if ((port.monitor == monitor || port.name == filePort) && !Contains(names, port.name))
            names.push_back(port.name);
    }
    return names;
}

std::string RelatedPhysicalPort(const std::string& portName)
{
    std::string path = kMonitorsKey + framework::LoadText(IDS_MONITOR_NAME) + "\\Ports\\" + portName;
    if (path.size() > framework::kMaxText)
        return {};
    platform::RegKey key;
    if (sys().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, kPortKeyAccess, key.receive()) != ERROR_SUCCESS)
        return {};

    // The monitor keeps the port's type as a 32-bit number; a value of another kind or
    // shorter than four bytes counts as missing.
    DWORD type = 0;
    DWORD size = 0;
    if (sys().RegQueryValueExA(key.get(), "TYPE", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size < sizeof(DWORD))
        return {};
    std::vector<BYTE> value;
    try {
        value.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    DWORD got = size;
    if (sys().RegQueryValueExA(key.get(), "TYPE", nullptr, &type, value.data(), &got) != ERROR_SUCCESS ||
        type != REG_DWORD || got < sizeof(DWORD))
        return {};
    std::uint32_t n = 0;
    std::memcpy(&n, value.data(), sizeof n);
    if (n == 0)
        return "USB";
    return framework::Format("COM %ld", static_cast<long>(static_cast<std::int32_t>(n)));
}

DWORD SendPortCommand(const std::string& monitor, const wchar_t* command, const std::string& port)
{
    std::string object = ",XcvMonitor " + monitor;
    PRINTER_DEFAULTSA access = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    platform::PrinterHandle xcv;
    if (!sys().OpenPrinterA(&object[0], xcv.receive(), &access))
        return sys().GetLastError();
    std::wstring name = Widen(port);
    DWORD needed = 0;
    DWORD status = ERROR_NOT_SUPPORTED;  // stays so when the monitor has no data call
    if (!sys().XcvDataW(xcv.get(), command, reinterpret_cast<PBYTE>(&name[0]),
                        static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)), nullptr, 0, &needed, &status))
        return sys().GetLastError();
    return status;
}

std::string AddPortWithoutDialog(DWORD& error)
{
    std::vector<PortRecord> ports;
    if (EnumerateSpoolerPorts(ports) != PortEnumeration::Ok) {
        error = sys().GetLastError();
        return {};
    }
    // The monitor's ports are named after its port language, as its own dialog names them.
    std::string name;
    for (unsigned n = 1; name.empty(); ++n) {
        std::string candidate = framework::Format("%s%u:", kModel.portPrefix, n);
        bool taken = false;
        for (const PortRecord& port : ports)
            taken = taken || framework::EqualNoCase(port.name, candidate);
        if (!taken)
            name = candidate;
    }

    error = SendPortCommand(framework::LoadText(IDS_MONITOR_NAME), L"AddPort", name);
    return error == ERROR_SUCCESS ? name : std::string();
}

NewPortResult AddPortThroughMonitor(HWND owner, const Package& package)
{
    NewPortResult result;
    if (!RequireSpooler(owner))
        return result;

    std::vector<PortRecord> before;
    bool haveBefore = EnumerateSpoolerPorts(before) == PortEnumeration::Ok;

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    sys().GetVersionExA(&version);
    std::optional<MonitorInfScan> read =
        ReadPackageMonitorInf(owner, package, version.dwMajorVersion, version.dwMinorVersion);
    if (!read)
        return result;
    result.tried = true;

    MonitorInfScan& scan = *read;
    TellMonitorInfProblem(owner, scan);
    bool ready = FindRegisteredMonitor(scan.m_szDllName, scan.m_szMonitorName) ? UpgradePortMonitor(owner, scan)
                                                                                : RegisterPortMonitor(owner, scan);
    if (ready) {
        std::string monitorName = scan.m_szMonitorName;
        // The outcome shows in the port list; a cancelled dialog adds nothing.
        sys().AddPortA(nullptr, owner, &monitorName[0]);
    }

    // Without the earlier list a new port cannot be told from the others.
    std::vector<PortRecord> after;
    if (haveBefore && EnumerateSpoolerPorts(after) == PortEnumeration::Ok && after.size() > before.size()) {
        std::vector<std::string> known;
        for (const PortRecord& port : before)
            known.push_back(port.name);
        for (const PortRecord& port : after) {
            if (!Contains(known, port.name)) {
                result.added = port.name;
                break;
            }
        }
    }
    return result;
}
