// The install task without the pages: the steps of the wizard's install task in the same
// order, with the checks of the printer page made on the command line's values before
// anything is changed.
#include "app/unattended.h"

#include "framework/message_box.h"
#include "framework/strings.h"
#include "install/driver_install.h"
#include "install/port_monitor.h"
#include "install/ports.h"
#include "install/printer_create.h"
#include "package/model.h"
#include "pages/printer_page.h"
#include "res/resource.h"

namespace {

// The spooler's spelling of an existing port of the package's monitor (or FILE:); "" when
// there is none of that name.
std::string FindPackagePort(const std::string& wanted)
{
    std::vector<PortRecord> ports;
    if (EnumerateSpoolerPorts(ports) != PortEnumeration::Ok)
        return {};
    for (const std::string& name : PackagePortNames(ports))
        if (framework::EqualNoCase(name, wanted))
            return name;
    return {};
}

// The package's port monitor registered, or upgraded when the package's is newer and the
// question is answered Yes.
ExitCode InstallMonitor(UnattendedRun& run)
{
    framework::SavedCurrentDirectory package;
    std::optional<MonitorInfScan> scan = ScanPackageMonitorInf(nullptr, package, run.Major(), run.Minor());
    if (!scan)
        return ExitCode::PortMonitorFailed;
    if (!FindRegisteredMonitor(scan->m_szDllName, scan->m_szMonitorName)) {
        run.Step("registering the port monitor " + scan->m_szMonitorName);
        return RegisterPortMonitor(nullptr, *scan) ? ExitCode::Done : ExitCode::PortMonitorFailed;
    }
    if (!PackageMonitorIsNewer()) {
        run.Step("the port monitor " + scan->m_szMonitorName + " is installed and not older than the package's");
        return ExitCode::Done;
    }
    Answer answer = run.Ask(IDS_UPGRADE_MONITOR);
    if (answer != Answer::Yes)
        return UnattendedRun::Declined(answer, ExitCode::PortMonitorFailed);
    run.Step("replacing the port monitor's files while the spooler is stopped");
    switch (ReplaceMonitorFiles(nullptr, scan->m_szFileList)) {
    case MonitorReplacement::Replaced: return ExitCode::Done;
    case MonitorReplacement::CopyFailed: return ExitCode::PortMonitorFailed;
    case MonitorReplacement::StopFailed:
    case MonitorReplacement::RestartFailed: break;
    }
    return ExitCode::SpoolerFailed;
}

// Every check of the values that needs no change to the machine: the name's rules and the
// port's existence (a port of a monitor not yet registered cannot exist).
ExitCode CheckValues(UnattendedRun& run, const std::string& name, std::string& port)
{
    if (!PrinterPage::ValidatePrinterName(nullptr, name))
        return ExitCode::BadCommandLine;
    if (!run.Line().newPort) {
        port = FindPackagePort(run.Line().port);
        if (port.empty()) {
            run.Refuse(IDS_CMD_NO_SUCH_PORT, run.Line().port);
            return ExitCode::BadCommandLine;
        }
    }
    run.Step("printer name " + name + (port.empty() ? ", a new port" : ", port " + port));
    return ExitCode::Done;
}

}  // namespace

ExitCode RunInstallTask(UnattendedRun& run)
{
    const std::string name = framework::Trim(run.Line().name.empty() ? g_szDefaultName : run.Line().name);
    // The name's own rules first: a bad name changes nothing, not even the spooler's state.
    if (name.empty() || !PrinterPage::IsLegalPrinterName(name)) {
        run.Refuse(name.empty() ? IDS_BLANK_PRINTER_NAME : IDS_ILLEGAL_NAME);
        return ExitCode::BadCommandLine;
    }
    std::string infName;
    std::string port;
    ExitCode code = run.PrepareSpoolerTask(infName);
    if (code == ExitCode::Done)
        code = CheckValues(run, name, port);
    if (code == ExitCode::Done)
        code = InstallMonitor(run);
    if (code != ExitCode::Done)
        return code;

    if (run.Line().newPort) {
        DWORD error = ERROR_SUCCESS;
        port = AddPortWithoutDialog(error);
        if (port.empty()) {
            run.Refuse(framework::LoadText(IDS_CMD_NO_NEW_PORT) + " " + framework::SystemErrorText(error));
            return ExitCode::PortMonitorFailed;
        }
        run.Step("new port " + port);
    }

    run.Step("installing the print processor and the driver " + std::string(g_szDefaultName));
    DriverInstallResult driver = InstallPrinterDriver(infName, g_szDefaultName, nullptr);
    if (!driver.added)
        return ExitCode::DriverFailed;

    run.Step("creating the printer " + name + " on " + port);
    PrinterQueueSettings settings;
    settings.printerName = name;
    settings.driverName = g_szDefaultName;
    settings.portName = port;
    settings.printProcessor = driver.printProcessor;
    settings.dataType = driver.defaultDataType;
    if (!CreatePrinterQueue(settings).created)
        return ExitCode::PrinterFailed;
    run.Step("printer " + name + " installed (the Printers folder is not opened without the pages)");
    return ExitCode::Done;
}
