// The install task without the pages: the steps of the wizard's install task in the same
// order, with the checks of the printer page made on the command line's values before
// anything is changed.
#include "app/unattended.h"

#include <algorithm>

#include "app/install_journal.h"
#include "framework/message_box.h"
#include "framework/strings.h"
#include "install/driver_install.h"
#include "install/install_mark.h"
#include "install/oem_inf.h"
#include "install/port_monitor.h"
#include "install/ports.h"
#include "install/printer_create.h"
#include "install/printer_name.h"
#include "install/uninstall.h"
#include "install/version_compare.h"
#include "package/model.h"
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
// question is answered Yes: the wizard's step, ended by the command line's rules.
ExitCode InstallMonitor(UnattendedRun& run)
{
    const MonitorStepResult result = InstallMonitorStep(nullptr, run.DriverPackage(), run.Major(), run.Minor());
    const std::string monitor = "the port monitor " + result.monitorName;
    switch (result.step) {
    case MonitorStep::Registered: run.Step(monitor + " was registered"); return ExitCode::Done;
    case MonitorStep::Present:
        run.Step(monitor + " is installed and not older than the package's");
        return ExitCode::Done;
    case MonitorStep::Upgraded: run.Step(monitor + " was upgraded"); return ExitCode::Done;
    case MonitorStep::Declined: return UnattendedRun::Declined(result.answer, ExitCode::PortMonitorFailed);
    case MonitorStep::StopFailed:
    case MonitorStep::RestartFailed: return ExitCode::SpoolerFailed;
    case MonitorStep::ScanFailed:
    case MonitorStep::RegisterFailed:
    case MonitorStep::CopyFailed: break;
    }
    return ExitCode::PortMonitorFailed;
}

// Every check of the values that needs no change to the machine: the name's rules and the
// port's existence (a port of a monitor not yet registered cannot exist).
ExitCode CheckValues(UnattendedRun& run, const std::string& name, std::string& port)
{
    if (!ValidatePrinterName(nullptr, name))
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

// The driver with its print processor and INF copy: a failed copy of its files, or an INF
// copy that is not there afterwards, is the driver step failing.
ExitCode InstallDriver(UnattendedRun& run, const std::string& infName, DriverInstallResult& driver)
{
    run.Step("installing the print processor and the driver " + std::string(kModel.driverName));
    driver = InstallPrinterDriver(run.DriverPackage(), infName, kModel.driverName, nullptr);
    if (!driver.added)
        return ExitCode::DriverFailed;
    const std::string copy = FindOemInfCopy(run.DriverPackage().Path(infName));
    if (copy.empty()) {
        run.Step("the driver INF could not be placed in the system's INF directory");
        return ExitCode::DriverFailed;
    }
    run.Step("the driver INF's copy is " + copy);
    return ExitCode::Done;
}

// A printer of that name already there: the same command run again. It counts as installed
// when it uses the package's driver and, with /port, that port; an older driver is upgraded.
ExitCode CheckInstalledPrinter(UnattendedRun& run, const PrinterRecord& printer, const PackageParts& package,
                               const std::string& infName)
{
    if (!framework::EqualNoCase(printer.driver, kModel.driverName)) {
        run.Refuse(IDS_CMD_NOT_OUR_PRINTER, printer.name);
        return ExitCode::BadCommandLine;
    }
    const std::vector<std::string> ports = SplitPortList(printer.ports);
    if (!run.Line().newPort && std::none_of(ports.begin(), ports.end(), [&](const std::string& p) {
            return framework::EqualNoCase(p, run.Line().port);
        })) {
        run.Refuse(IDS_CMD_OTHER_PORT, printer.name);
        return ExitCode::BadCommandLine;
    }
    ExitCode code = InstallMonitor(run);
    if (code != ExitCode::Done)
        return code;
    const std::string installed = InstallMarkVersion(kModel.driverName);
    if (!installed.empty() && CompareVersions(package.version, installed) <= 0 && IsDriverInstalled(kModel.driverName)) {
        run.Step("the driver " + std::string(kModel.driverName) + " " + installed + " is installed: unchanged");
    } else {
        run.Step("the driver " + std::string(kModel.driverName) + " is upgraded to " + package.version);
        DriverInstallResult driver;
        code = InstallDriver(run, infName, driver);
        if (code != ExitCode::Done)
            return code;
    }
    run.Step("printer " + printer.name + " on " + printer.ports + " is installed: unchanged");
    return ExitCode::Done;
}

// The steps that change the machine, for a printer that is not there yet.
ExitCode InstallNewPrinter(UnattendedRun& run, const std::string& name, std::string port, const std::string& infName,
                           StepRecords& steps)
{
    ExitCode code = InstallMonitor(run);
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
    DriverInstallResult driver;
    code = InstallDriver(run, infName, driver);
    if (code == ExitCode::Done)
        code = AddX86Driver(run, steps);
    if (code != ExitCode::Done)
        return code;

    const std::string& shareName = run.Line().shareName;
    run.Step("creating the printer " + name + " on " + port + (shareName.empty() ? "" : ", shared as " + shareName));
    PrinterQueueSettings settings;
    settings.printerName = name;
    settings.driverName = kModel.driverName;
    settings.portName = port;
    settings.printProcessor = driver.printProcessor;
    settings.dataType = driver.defaultDataType;
    settings.shareName = shareName;
    if (!CreatePrinterQueue(settings).created)
        return ExitCode::PrinterFailed;
    run.Step("printer " + name + " installed (the Printers folder is not opened without the pages)");
    return ExitCode::Done;
}

}  // namespace

ExitCode RunInstallTask(UnattendedRun& run)
{
    const std::string name = framework::Trim(run.Line().name.empty() ? kModel.printerName : run.Line().name);
    // The name's own rules first: a bad name changes nothing, not even the spooler's state.
    if (name.empty() || !IsLegalPrinterName(name)) {
        run.Refuse(name.empty() ? IDS_BLANK_PRINTER_NAME : IDS_ILLEGAL_NAME);
        return ExitCode::BadCommandLine;
    }
    std::string infName;
    ExitCode code = run.PrepareSpoolerTask(infName);
    if (code != ExitCode::Done)
        return code;
    const PackageParts package = ReadPackageParts(run.DriverPackage(), infName, kModel.driverName, run.Major(), run.Minor());
    std::vector<PrinterRecord> printers;
    const PrinterRecord* existing = ListLocalPrinters(printers) ? FindPrinter(printers, name) : nullptr;
    // The print-server options' own checks come before the first change too.
    StepRecords steps;
    bool installed = false;  // the printer is there, with its driver and port
    if (existing) {
        const std::string printer = existing->name;
        code = CheckServerOptions(run, printer, printers);
        if (code == ExitCode::Done)
            code = CheckInstalledPrinter(run, *existing, package, infName);
        if (code == ExitCode::Done)
            code = AddX86Driver(run, steps);
        if (code == ExitCode::Done)
            code = ShareInstalledPrinter(run, *existing, steps);
        if (code != ExitCode::Done)
            steps.UndoAll(run);
        installed = code == ExitCode::Done;
        if (installed)
            code = FinishServerSetUp(run, printer);
    } else {
        std::string port;
        code = CheckValues(run, name, port);
        if (code == ExitCode::Done)
            code = CheckServerOptions(run, name, printers);
        if (code != ExitCode::Done)
            return code;
        // What is on the machine before the first change, to take out what a failed run made.
        const InstallJournal journal(package, run.DriverPackage().Path(infName), kModel.driverName);
        code = InstallNewPrinter(run, name, port, infName, steps);
        installed = code == ExitCode::Done;
        if (installed) {
            code = FinishServerSetUp(run, name);
        } else {
            steps.UndoAll(run);
            if (!journal.Undo(run))
                run.Step("the run could not take out everything it made (see the lines above)");
        }
    }
    if (installed && !WriteInstallMark(kModel.driverName, package))
        run.Step("the mark " + InstallMarkKey(kModel.driverName) + " could not be written");
    return code;
}
