// The uninstall task: the printer queue named on the command line, then the parts it shares
// with other printers, each only when no other printer still uses it.
#include "app/unattended.h"
#include "framework/strings.h"
#include "install/uninstall.h"
#include "package/model.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

void LogPart(UnattendedRun& run, const PartResult& result)
{
    switch (result.state) {
    case PartState::Removed: run.Step("removed " + result.part); break;
    case PartState::Kept: run.Step("kept " + result.part + " (" + result.reason + ")"); break;
    case PartState::Absent: run.Step(result.part + " is not installed"); break;
    case PartState::Scheduled:
        run.Step(result.part + " is in use; Windows deletes it when it restarts (" + result.reason + ")");
        break;
    case PartState::Failed: run.Step("could not remove " + result.part + " (" + result.reason + ")"); break;
    }
}

}  // namespace

ExitCode UninstallPrinter(UnattendedRun& run, const std::string& infName, const PackageParts& package)
{
    // Trimmed as the install task trims it.
    const std::string name = framework::Trim(run.Line().name.empty() ? g_szDefaultName : run.Line().name);
    std::vector<PrinterRecord> printers;
    if (!ListLocalPrinters(printers)) {
        run.Step("the spooler cannot list its printers: " + ErrorReason(sys().GetLastError()));
        run.Refuse(IDS_CMD_UNINSTALL_INCOMPLETE);
        return ExitCode::UninstallIncomplete;
    }
    const PrinterRecord* found = FindPrinter(printers, name);
    if (!found) {
        run.Refuse(IDS_CMD_NO_SUCH_PRINTER, name);
        return ExitCode::BadCommandLine;
    }
    if (!framework::EqualNoCase(found->driver, g_szDefaultName)) {
        run.Refuse(IDS_CMD_NOT_OUR_PRINTER, found->name);
        return ExitCode::BadCommandLine;
    }
    const PrinterRecord printer = *found;
    run.Step("printer " + printer.name + " on " + printer.ports + ", driver " + printer.driver +
             ", print processor " + printer.printProcessor);

    // The reverse of the install: queue, driver with its INF copy, print processor, ports,
    // monitor. Each step's results are logged as soon as it is done.
    UninstallReport report;
    size_t logged = 0;
    auto logNew = [&] {
        for (; logged < report.size(); ++logged)
            LogPart(run, report[logged]);
    };
    std::vector<PrinterRecord> others;
    bool deleted = DeletePrinterQueue(printer.name, others, report);
    logNew();
    if (deleted) {
        if (RemoveDriver(g_szDefaultName, others, report))
            RemoveOemInfCopy(infName, report);
        logNew();
        RemovePrintProcessor(package.printProcessor, package.printProcessorFile, others, report);
        logNew();
        RemovePortMonitor(package, SplitPortList(printer.ports), others, report);
        logNew();
    }
    if (!UninstallComplete(report)) {
        run.Refuse(IDS_CMD_UNINSTALL_INCOMPLETE);
        return ExitCode::UninstallIncomplete;
    }
    return ExitCode::Done;
}

ExitCode RunUninstallTask(UnattendedRun& run)
{
    // The checks that change nothing come first; the spooler must run to find the printer.
    std::string infName;
    ExitCode code = run.PrepareSpoolerTask(infName);
    if (code != ExitCode::Done)
        return code;

    const PackageParts package = ReadPackageParts(infName, g_szDefaultName, run.Major(), run.Minor());
    std::string parts = package.printProcessor.empty()
                            ? std::string("no print processor")
                            : "print processor " + package.printProcessor + " (" + package.printProcessorFile + ")";
    parts += " and port monitor " + package.monitorDll + " (";
    for (const std::string& file : package.monitorFiles)
        parts += (&file == &package.monitorFiles.front() ? "" : ", ") + file;
    run.Step("the package brings " + parts + ")");
    return UninstallPrinter(run, infName, package);
}
