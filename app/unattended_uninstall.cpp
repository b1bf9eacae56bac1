// The uninstall task: the printer queue named on the command line, then the parts it shares
// with other printers, each only when no other printer still uses it.
#include "app/unattended.h"
#include "framework/strings.h"
#include "install/install_mark.h"
#include "install/uninstall.h"
#include "package/model.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

// The printers to delete: every printer of the package's driver with /all, otherwise the
// printer of /name (the model name when not given), or none when it is gone already. False,
// refused, for a printer of that name that uses another driver.
bool ChooseTargets(UnattendedRun& run, const std::vector<PrinterRecord>& printers, std::vector<PrinterRecord>& targets)
{
    if (run.Line().all) {
        for (const PrinterRecord& p : printers)
            if (framework::EqualNoCase(p.driver, kModel.driverName))
                targets.push_back(p);
        run.Step(std::to_string(targets.size()) + " printer(s) of the driver " + kModel.driverName);
        return true;
    }
    // Trimmed as the install task trims it.
    const std::string name = framework::Trim(run.Line().name.empty() ? kModel.printerName : run.Line().name);
    const PrinterRecord* found = FindPrinter(printers, name);
    if (!found) {
        run.Step(framework::LoadTextWith(IDS_CMD_NO_SUCH_PRINTER, name) +
                 " The package's parts that no printer uses are removed.");
        return true;
    }
    if (!framework::EqualNoCase(found->driver, kModel.driverName)) {
        run.Refuse(IDS_CMD_NOT_OUR_PRINTER, found->name);
        return false;
    }
    targets.push_back(*found);
    return true;
}

}  // namespace

ExitCode UninstallPrinter(UnattendedRun& run, const std::string& infName, const PackageParts& package)
{
    std::vector<PrinterRecord> printers;
    if (!ListLocalPrinters(printers)) {
        run.Step("the spooler cannot list its printers: " + ErrorReason(sys().GetLastError()));
        run.Refuse(IDS_CMD_UNINSTALL_INCOMPLETE);
        return ExitCode::UninstallIncomplete;
    }
    std::vector<PrinterRecord> targets;
    if (!ChooseTargets(run, printers, targets))
        return ExitCode::BadCommandLine;

    // The reverse of the install: queues, driver with its INF copy, print processor, ports,
    // monitor. Each step's results are logged as soon as it is done.
    UninstallReport report;
    size_t logged = 0;
    auto logNew = [&] {
        for (; logged < report.size(); ++logged)
            LogPart(run, report[logged]);
    };
    std::vector<PrinterRecord> others = printers;
    std::vector<std::string> ports;
    bool deleted = true;
    for (const PrinterRecord& printer : targets) {
        run.Step("printer " + printer.name + " on " + printer.ports + ", driver " + printer.driver +
                 ", print processor " + printer.printProcessor);
        if (DeletePrinterQueue(printer.name, others, report))
            for (const std::string& port : SplitPortList(printer.ports))
                ports.push_back(port);
        else
            deleted = false;
        logNew();
    }
    if (deleted) {
        if (RemoveDriver(kModel.driverName, others, report)) {
            RemoveX86Driver(report);
            RemoveOemInfCopy(run.DriverPackage().Path(infName), report);
        } else
            report.push_back({"the INF copy of " + infName, PartState::Kept, "the driver stays"});
        logNew();
        RemovePrintProcessor(package.printProcessor, package.printProcessorFile, others, report);
        logNew();
        RemovePortMonitor(package, ports, others, report);
        logNew();
    }
    if (!InstallMarkVersion(kModel.driverName).empty() && !IsDriverInstalled(kModel.driverName)) {
        const bool removed = RemoveInstallMark(kModel.driverName);
        report.push_back({"the mark " + InstallMarkKey(kModel.driverName), removed ? PartState::Removed : PartState::Failed, ""});
        logNew();
    }
    if (!UninstallComplete(report)) {
        run.Refuse(IDS_CMD_UNINSTALL_INCOMPLETE);
        return ExitCode::UninstallIncomplete;
    }
    return RestartPending(report) ? ExitCode::RestartNeeded : ExitCode::Done;
}

ExitCode RunUninstallTask(UnattendedRun& run)
{
    // The checks that change nothing come first; the spooler must run to find the printer.
    std::string infName;
    ExitCode code = run.PrepareSpoolerTask(infName);
    if (code != ExitCode::Done)
        return code;

    const PackageParts package = ReadPackageParts(run.DriverPackage(), infName, kModel.driverName, run.Major(), run.Minor());
    std::string parts = package.printProcessor.empty()
                            ? std::string("no print processor")
                            : "print processor " + package.printProcessor + " (" + package.printProcessorFile + ")";
    parts += " and port monitor " + package.monitorDll + " (";
    for (const std::string& file : package.monitorFiles)
        parts += (&file == &package.monitorFiles.front() ? "" : ", ") + file;
    run.Step("the package brings " + parts + ")");
    return UninstallPrinter(run, infName, package);
}
