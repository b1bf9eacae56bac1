// Removing the package monitor's ports, the monitor and its files.
#include <algorithm>

#include "framework/paths.h"
#include "framework/strings.h"
#include "install/port_monitor.h"
#include "install/ports.h"
#include "install/spooler_list.h"
#include "install/uninstall.h"
#include "platform/api.h"

using framework::EqualNoCase;

void DeleteMonitorPort(const std::string& monitor, const std::string& port, UninstallReport& report)
{
    const DWORD status = SendPortCommand(monitor, L"DeletePort", port);
    if (status == ERROR_SUCCESS)
        report.push_back({"port " + port, PartState::Removed, ""});
    else
        report.push_back({"port " + port, PartState::Failed, ErrorReason(status)});
}

namespace {

// The other printer that prints through the port; null when none does.
const PrinterRecord* PrinterUsingPort(const std::vector<PrinterRecord>& printers, const std::string& port)
{
    for (const PrinterRecord& printer : printers)
        for (const std::string& used : SplitPortList(printer.ports))
            if (EqualNoCase(used, port))
                return &printer;
    return nullptr;
}

// The monitor's files in the system directory that no remaining monitor loads.
void RemoveMonitorFiles(const std::vector<std::string>& files, UninstallReport& report)
{
    std::vector<std::pair<std::string, std::string>> monitors;  // name, DLL
    const std::string system = framework::SystemDirectory();
    if (system.empty() || !ReadSpoolerList<MONITOR_INFO_2A>(
                              [](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD count) {
                                  return sys().EnumMonitorsA(nullptr, 2, buffer, size, needed, count);
                              },
                              [&](const MONITOR_INFO_2A& m) {
                                  monitors.emplace_back(FieldText(m.pName), FieldText(m.pDLLName));
                              })) {
        report.push_back({"files of the port monitor", PartState::Failed,
                          "the other monitors' files cannot be told: " + ErrorReason(sys().GetLastError())});
        return;
    }
    for (const std::string& file : files) {
        auto user = std::find_if(monitors.begin(), monitors.end(), [&](const std::pair<std::string, std::string>& m) {
            return EqualNoCase(m.second, file);
        });
        if (user != monitors.end())
            report.push_back({"file " + file, PartState::Kept, "port monitor " + user->first + " uses it"});
        else
            DeleteLeftoverFile(framework::JoinPath(system, file), report);
    }
}

}  // namespace

void RemovePortMonitor(const PackageParts& package, const std::vector<std::string>& printerPorts,
                       const std::vector<PrinterRecord>& others, UninstallReport& report)
{
    std::string monitor;
    if (!FindRegisteredMonitor(package.monitorDll, monitor)) {
        report.push_back({"port monitor " + package.monitorDll, PartState::Absent, ""});
        return;
    }
    const std::string part = "port monitor " + monitor;
    std::vector<PortRecord> ports;
    if (EnumerateSpoolerPorts(ports) != PortEnumeration::Ok) {
        report.push_back({part, PartState::Failed, "the spooler cannot list its ports: " +
                                                       ErrorReason(sys().GetLastError())});
        return;
    }
    std::vector<std::string> own;
    for (const PortRecord& port : ports)
        if (port.monitor == monitor && std::find(own.begin(), own.end(), port.name) == own.end())
            own.push_back(port.name);
    for (const std::string& port : printerPorts)
        if (std::none_of(own.begin(), own.end(), [&](const std::string& p) { return EqualNoCase(p, port); }))
            report.push_back({"port " + port, PartState::Kept, "it is not a port of " + monitor});

    // A port that another printer prints through stays, and the monitor with it. The removed
    // printer's own ports go; the monitor's spare ports go only with the monitor itself.
    const PrinterRecord* monitorUser = nullptr;
    std::string usedPort;
    for (const std::string& port : own) {
        if (const PrinterRecord* user = PrinterUsingPort(others, port)) {
            report.push_back({"port " + port, PartState::Kept, "printer " + user->name + " uses it"});
            monitorUser = user;
            usedPort = port;
        }
    }
    for (const std::string& port : own) {
        if (PrinterUsingPort(others, port))
            continue;
        const bool printers = std::any_of(printerPorts.begin(), printerPorts.end(),
                                          [&](const std::string& p) { return EqualNoCase(p, port); });
        if (printers || !monitorUser)
            DeleteMonitorPort(monitor, port, report);
        else
            report.push_back({"port " + port, PartState::Kept, "a spare port of " + monitor + ", which stays"});
    }
    if (monitorUser) {
        report.push_back({part, PartState::Kept, "printer " + monitorUser->name + " uses its port " + usedPort});
        return;
    }
    if (!sys().DeleteMonitorA(nullptr, nullptr, &monitor[0])) {
        report.push_back({part, PartState::Failed, ErrorReason(sys().GetLastError())});
        return;
    }
    report.push_back({part, PartState::Removed, ""});
    RemoveMonitorFiles(package.monitorFiles, report);
}
