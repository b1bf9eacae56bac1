// The print-server options of the install task, each one more step, logged: the x86 driver for
// the 32-bit clients before the printer (taken back when a later step fails, with the rest of
// the run), the share with the printer (a new printer is made shared), then the user's default
// printer and the test page, whose failures keep the installed printer.
#include <functional>
#include <utility>
#include <vector>

#include "app/unattended.h"
#include "framework/file.h"
#include "framework/strings.h"
#include "install/driver_install.h"
#include "install/server_options.h"
#include "install/test_page.h"
#include "install/uninstall.h"
#include "package/inf_discovery.h"
#include "package/printer_model.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

const char kX86Environment[] = "Windows NT x86";
// How long the test page may take to leave the queue.
constexpr DWORD kTestPageWaitMs = 60000;

ExitCode Failed(UnattendedRun& run, const std::string& what, DWORD error, ExitCode code)
{
    run.Step(what + ": " + framework::SystemErrorText(error));
    return code;
}

bool HasX86Driver()
{
    return IsDriverInstalled(kModel.driverName, kX86Environment);
}

ExitCode MakeDefault(UnattendedRun& run, const std::string& printer)
{
    const std::string before = DefaultPrinter();
    run.Step(before.empty() ? "there was no default printer" : "the default printer was " + before);
    if (RunsAsSystem())
        run.Step("setup runs as the system account: the default printer is the system account's own, "
                 "not that of the users who log on");
    DWORD error = ERROR_SUCCESS;
    if (!MakeDefaultPrinter(printer, error))
        return Failed(run, printer + " could not become the default printer, and stays installed", error,
                      ExitCode::PrinterFailed);
    run.Step(printer + " is the default printer");
    return ExitCode::Done;
}

ExitCode TestPage(UnattendedRun& run, const std::string& printer)
{
    std::vector<PrinterRecord> printers;
    const PrinterRecord* record = ListLocalPrinters(printers) ? FindPrinter(printers, printer) : nullptr;
    run.Step("printing a test page to " + printer);
    const TestPageResult page = PrintTestPage(printer, record ? record->driver : kModel.driverName,
                                              record ? record->ports : std::string(), kTestPageWaitMs);
    if (page.printed) {
        run.Step("the test page has left the queue");
        return ExitCode::Done;
    }
    run.Step("the test page failed, and the printer stays: " + page.reason);
    return ExitCode::PrinterFailed;
}

}  // namespace

ExitCode CheckServerOptions(UnattendedRun& run, const std::string& printer, const std::vector<PrinterRecord>& printers)
{
    const CommandLine& line = run.Line();
    if (!line.shareName.empty()) {
        const std::string other = PrinterSharedAs(line.shareName, printer, printers);
        if (!other.empty()) {
            run.Refuse(IDS_CMD_SHARE_TAKEN, line.shareName);
            run.Step("the share name is the printer " + other + "'s");
            return ExitCode::BadCommandLine;
        }
    }
    if (!line.x86Directory.empty() &&
        (!framework::IsDirectory(line.x86Directory) || FindPackageDriverInf(Package{line.x86Directory}).empty())) {
        run.Refuse(IDS_CMD_NO_X86_PACKAGE, line.x86Directory);
        return ExitCode::BadCommandLine;
    }
    return ExitCode::Done;
}

void StepRecords::UndoAll(UnattendedRun& run)
{
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step)
        run.Step((step->undo() ? "took back: " : "could not take back: ") + step->what);
    steps_.clear();
}

ExitCode AddX86Driver(UnattendedRun& run, StepRecords& steps)
{
    if (run.Line().x86Directory.empty())
        return ExitCode::Done;
    const Package x86{run.Line().x86Directory};
    const std::string infName = FindPackageDriverInf(x86);
    const bool there = HasX86Driver();
    run.Step("adding the driver " + std::string(kModel.driverName) + " for " + kX86Environment + " from " +
             x86.Path(infName));
    if (!InstallPrinterDriver(x86, infName, kModel.driverName, kX86Environment, DriverExtras::None).added)
        return ExitCode::DriverFailed;
    if (!there)
        steps.Made("the driver for " + std::string(kX86Environment), [] {
            return sys().DeletePrinterDriverExA(nullptr, const_cast<char*>(kX86Environment),
                                                const_cast<char*>(kModel.driverName), DPD_DELETE_UNUSED_FILES,
                                                0) != FALSE;
        });
    return ExitCode::Done;
}

ExitCode ShareInstalledPrinter(UnattendedRun& run, const PrinterRecord& record, StepRecords& steps)
{
    const std::string& shareName = run.Line().shareName;
    if (shareName.empty())
        return ExitCode::Done;
    const std::string& printer = record.name;
    const Sharing before{record.shared, record.shareName};
    if (before.shared && framework::EqualNoCase(before.shareName, shareName)) {
        run.Step("the printer " + printer + " is shared as " + shareName + ": unchanged");
        return ExitCode::Done;
    }
    DWORD error = ERROR_SUCCESS;
    if (!SetSharing(printer, {true, shareName}, error))
        return Failed(run, "the printer " + printer + " could not be shared", error, ExitCode::PrinterFailed);
    run.Step("the printer " + printer + " is shared as " + shareName);
    steps.Made("the share " + shareName, [printer, before] {
        DWORD ignored = ERROR_SUCCESS;
        return SetSharing(printer, before, ignored);
    });
    return ExitCode::Done;
}

void RemoveX86Driver(UninstallReport& report)
{
    // For the 32-bit program the x86 driver is the driver itself.
    if (sizeof(void*) == 8 && HasX86Driver())
        RemoveDriver(kModel.driverName, {}, report, kX86Environment);
}

ExitCode FinishServerSetUp(UnattendedRun& run, const std::string& printer)
{
    ExitCode code = run.Line().makeDefault ? MakeDefault(run, printer) : ExitCode::Done;
    if (code == ExitCode::Done && run.Line().testPage)
        code = TestPage(run, printer);
    return code;
}
