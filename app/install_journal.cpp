#include "app/install_journal.h"

#include <algorithm>

#include "app/unattended.h"
#include "framework/paths.h"
#include "framework/strings.h"
#include "install/driver_install.h"
#include "install/oem_inf.h"
#include "install/port_monitor.h"
#include "install/ports.h"
#include "install/print_processor.h"
#include "platform/api.h"

namespace {

std::vector<std::string> MonitorPorts(const std::string& monitor)
{
    std::vector<std::string> names;
    std::vector<PortRecord> ports;
    if (!monitor.empty() && EnumerateSpoolerPorts(ports) == PortEnumeration::Ok)
        for (const PortRecord& port : ports)
            if (port.monitor == monitor)
                names.push_back(port.name);
    return names;
}

std::string RegisteredMonitor(const std::string& dll)
{
    std::string name;
    return FindRegisteredMonitor(dll, name) ? name : std::string();
}

// Where the steps put the package's files: the monitor's in the system directory, the print
// processor's in its directory, the driver's in the driver directory and its version 3.
std::vector<std::string> PackageFilePaths(const PackageParts& package)
{
    std::vector<std::string> paths;
    const std::string system = framework::SystemDirectory();
    for (const std::string& file : package.monitorFiles)
        if (!system.empty())
            paths.push_back(framework::JoinPath(system, file));
    const std::string processors = PrintProcessorDirectory(nullptr);
    if (!processors.empty() && !package.printProcessorFile.empty())
        paths.push_back(framework::JoinPath(processors, package.printProcessorFile));
    const std::string drivers = PrinterDriverDirectory(nullptr);
    for (const std::string& file : package.driverFiles)
        if (!drivers.empty())
            for (const std::string& dir : {drivers, framework::JoinPath(drivers, "3")})
                paths.push_back(framework::JoinPath(dir, file));
    return paths;
}

bool Exists(const std::string& path)
{
    DWORD attributes = sys().GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

InstallJournal::InstallJournal(const PackageParts& package, const std::string& infPath, const std::string& model)
    : package_(package), infPath_(infPath), model_(model)
{
    const std::string monitor = RegisteredMonitor(package.monitorDll);
    monitor_ = !monitor.empty();
    ports_ = MonitorPorts(monitor);
    driver_ = IsDriverInstalled(model);
    printProcessor_ = package.printProcessor.empty() || IsPrintProcessorListed(package.printProcessor);
    infCopy_ = !FindOemInfCopy(infPath).empty();
    for (const std::string& path : PackageFilePaths(package))
        if (!Exists(path))
            missing_.push_back(path);
}

std::vector<std::string> InstallJournal::NewMonitorPorts(const std::string& monitor) const
{
    std::vector<std::string> made;
    for (const std::string& port : MonitorPorts(monitor))
        if (std::none_of(ports_.begin(), ports_.end(), [&](const std::string& p) { return framework::EqualNoCase(p, port); }))
            made.push_back(port);
    return made;
}

bool InstallJournal::Undo(UnattendedRun& run) const
{
    UninstallReport report;
    std::vector<PrinterRecord> printers;
    if (!ListLocalPrinters(printers))
        report.push_back({"what the run made", PartState::Failed, "the spooler cannot list its printers: " +
                                                                        ErrorReason(sys().GetLastError())});
    else {
        if (!driver_ && RemoveDriver(model_, printers, report) && !infCopy_)
            RemoveOemInfCopy(infPath_, report);
        if (!printProcessor_)
            RemovePrintProcessor(package_.printProcessor, package_.printProcessorFile, printers, report);
        const std::string monitor = RegisteredMonitor(package_.monitorDll);
        if (!monitor.empty() && !monitor_)
            RemovePortMonitor(package_, {}, printers, report);
        else
            for (const std::string& port : NewMonitorPorts(monitor))
                DeleteMonitorPort(monitor, port, report);
    }
    // A file that is missing now adds nothing to the report.
    for (const std::string& path : missing_)
        DeleteLeftoverFile(path, report);
    for (const PartResult& part : report)
        if (part.state != PartState::Absent)
            LogPart(run, part, "undo: ");
    return UninstallComplete(report);
}
