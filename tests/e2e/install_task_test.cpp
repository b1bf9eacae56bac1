// The install task as a user meets it, on a clean machine (a fresh prefix, see
// fresh_prefix.sh) and then again on the same machine: every page, the spooler question, the
// port monitor's own port dialog, the summary, Finish, and then what got installed, read
// through the spooler, the file system and a RAW test page.
//
// The second test builds on the machine that the first one leaves; run alone, it installs
// the first printer itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/paths.h"
#include "support/scenario_flows.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"

namespace {

using namespace scenario;

const char kFirstPrinter[] = "ZRN 7730 Office";
const char kSecondPrinter[] = "ZRN 7730 Warehouse";
const char kPort[] = "KPLTEST1:";
const int kPortCom2 = 2;

// Driver files as the INF names them, and where they must be found below the driver directory.
const char* const kDriverFiles[] = {"ZRN7730.DLL", "ZRN7730UI.DLL", "ZRN7730.GPD", "ZRN7730.HLP", "ZRNKPL.DAT"};

std::string PackageDir()
{
    return testpaths::PackageDir();
}

std::string BaseName(const std::string& path)
{
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A page of bytes as a printer would get it: every byte value, escape sequences, a form feed.
std::string TestPage()
{
    std::string page = "\x1b" "E\x1b&l0O ZRN 7730 RAW test page\r\n";
    for (int i = 0; i < 4096; ++i)
        page.push_back(static_cast<char>((i * 31 + i / 256) & 0xFF));
    page += "\r\nend of page\f";
    return page;
}

class InstallTask : public testing::Test {
protected:
    static void SetUpTestSuite() { e2e::ScopedWineVersion::Clear("setup.exe"); }

    void SetUp() override
    {
        ASSERT_TRUE(e2e::FileExists(PackageDir() + "\\setup.exe")) << "no laid-out package in " << PackageDir();
    }
};

TEST_F(InstallTask, InstallsOnACleanMachineAndPrintsThroughTheNewPort)
{
    // A clean machine: nothing of the package, and the spooler stopped, so that the wizard asks.
    ASSERT_FALSE(HasDriver(kDriverName)) << "not a clean machine";
    ASSERT_FALSE(HasMonitorDll(kMonitorDll)) << "not a clean machine";
    ASSERT_TRUE(SetSpoolerRunning(false));
    const MachineState before = Snapshot();

    Wizard wizard;
    ASSERT_TRUE(wizard.Start(PackageDir())) << wizard.Error();

    // Welcome: both tasks, install chosen.
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    EXPECT_TRUE(e2e::IsItemEnabled(welcome, IDC_TASK_INSTALL));
    EXPECT_TRUE(e2e::IsChecked(welcome, IDC_TASK_INSTALL));
    EXPECT_TRUE(e2e::IsItemEnabled(welcome, IDC_TASK_COPY));
    ASSERT_TRUE(wizard.ChooseTask(welcome, IDC_TASK_INSTALL)) << wizard.Error();

    // The spooler is stopped: the question, answered Yes, starts it.
    EXPECT_EQ(texts::kStartSpoolerQuestion, wizard.Answer(IDYES, "spooler-question")) << wizard.Error();

    // The printer page, after the monitor step has registered the monitor.
    HWND printer = wizard.WaitForPage(Page::Printer);
    ASSERT_NE(nullptr, printer) << wizard.Error();
    EXPECT_EQ(DWORD(SERVICE_RUNNING), SpoolerState());
    const std::vector<PortMonitor> monitors = Monitors();
    const PortMonitor* monitor = FindMonitorByDll(monitors, kMonitorDll);
    ASSERT_NE(nullptr, monitor) << "the monitor was not registered before the printer page";
    EXPECT_EQ(kMonitorName, monitor->name);
    EXPECT_EQ(kDriverName, e2e::ItemText(printer, IDC_NAME));
    // No port of the monitor yet: the file port alone, nothing selected.
    EXPECT_GE(e2e::ListFind(printer, IDC_PORTS, "FILE:"), 0);
    EXPECT_EQ(1, e2e::ListCount(printer, IDC_PORTS));
    EXPECT_FALSE(e2e::IsItemEnabled(printer, IDOK));

    // A new port through the monitor's own dialog: it is listed, selected and chosen.
    std::string port = kPort;
    ASSERT_TRUE(wizard.AddPort(printer, &port, kPortCom2)) << wizard.Error();
    const int row = e2e::ListFind(printer, IDC_PORTS, kPort);
    ASSERT_GE(row, 0) << "the new port is not listed";
    EXPECT_EQ("COM 2", e2e::ListItemText(printer, IDC_PORTS, row, 1));
    EXPECT_TRUE(e2e::ListIsSelected(printer, IDC_PORTS, row));
    EXPECT_TRUE(e2e::IsItemEnabled(printer, IDOK));

    ASSERT_TRUE(wizard.TypePrinterName(printer, kFirstPrinter)) << wizard.Error();
    ASSERT_TRUE(wizard.Press(printer, IDOK)) << wizard.Error();

    // Summary: the name and the port; Finish.
    HWND summary = wizard.WaitForPage(Page::Summary);
    ASSERT_NE(nullptr, summary) << wizard.Error();
    EXPECT_EQ(texts::kHeadingInstall, e2e::ItemText(summary, IDC_HEADING));
    EXPECT_EQ(std::string("\r\n\r\nPrinter name:\r\n\t") + kFirstPrinter + "\r\n\r\nPort:\r\n\t" + kPort,
              e2e::ItemText(summary, IDC_SUMMARY_TEXT));
    ASSERT_TRUE(wizard.Press(summary, IDOK)) << wizard.Error();
    ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();

    // The shell was asked for the Printers folder (Wine's explorer starts and gives up on it).
    EXPECT_TRUE(wizard.Children().WaitForChild(kPrintersFolderClsid, e2e::kWaitMs))
        << "programs started by setup.exe: " << wizard.Children().Describe();

    // The queue.
    PrinterQueue queue;
    ASSERT_TRUE(FindPrinter(kFirstPrinter, &queue)) << "no printer \"" << kFirstPrinter << "\"";
    EXPECT_EQ(kFirstPrinter, queue.name);
    EXPECT_EQ(kPort, queue.port);
    EXPECT_EQ(kDriverName, queue.driver);
    EXPECT_EQ(kPrintProcessor, queue.printProcessor);
    EXPECT_EQ("RAW", queue.dataType);

    // The driver and its files in the driver directory.
    const std::vector<PrinterDriver> drivers = Drivers();
    const PrinterDriver* driver = FindDriver(drivers, kDriverName);
    ASSERT_NE(nullptr, driver);
    const std::string driverDir = DriverDirectory();
    for (const std::string& path : {driver->driverPath, driver->dataFile, driver->configFile, driver->helpFile}) {
        EXPECT_EQ(0u, path.find(driverDir + "\\")) << path;
        EXPECT_TRUE(FileExists(path)) << path;
    }
    EXPECT_EQ("ZRN7730.DLL", BaseName(driver->driverPath));
    EXPECT_EQ("ZRN7730.GPD", BaseName(driver->dataFile));
    EXPECT_EQ("ZRN7730UI.DLL", BaseName(driver->configFile));
    EXPECT_EQ("ZRN7730.HLP", BaseName(driver->helpFile));
    EXPECT_EQ("RAW", driver->defaultDataType);
    const std::string versionDir = driverDir + "\\3";
    for (const char* file : kDriverFiles)
        EXPECT_EQ(ReadFileBytes(PackageDir() + "\\" + file), ReadFileBytes(versionDir + "\\" + file)) << file;

    // The INF in the system's INF directory, once.
    EXPECT_EQ(1u, InfCopiesOf(PackageDir() + "\\" + kDriverInf).size())
        << Join(InfCopiesOf(PackageDir() + "\\" + kDriverInf), ", ");

    // The print processor, registered and in its directory.
    EXPECT_TRUE(Contains(PrintProcessors(), kPrintProcessor)) << Join(PrintProcessors(), ", ");
    EXPECT_EQ(ReadFileBytes(PackageDir() + "\\" + kPrintProcessorFile),
              ReadFileBytes(PrintProcessorDirectory() + "\\" + kPrintProcessorFile));

    // The monitor's files in the system directory; the port, of the monitor, on COM 2.
    for (const char* file : {kMonitorDll, kMonitorUiDll})
        EXPECT_EQ(ReadFileBytes(PackageDir() + "\\kpmonitor\\" + file), ReadFileBytes(SystemDirectory() + "\\" + file))
            << file;
    const std::vector<SpoolerPort> ports = Ports();
    const SpoolerPort* spoolerPort = FindPort(ports, kPort);
    ASSERT_NE(nullptr, spoolerPort);
    EXPECT_EQ(kMonitorName, spoolerPort->monitor);

    // Nothing else: one queue, one driver, one monitor, one port, one print processor more.
    const MachineState after = Snapshot();
    EXPECT_EQ(before.printers.size() + 1, after.printers.size()) << Join(Differences(before, after));
    EXPECT_EQ(before.drivers.size() + 1, after.drivers.size()) << Join(Differences(before, after));
    EXPECT_EQ(before.monitors.size() + 1, after.monitors.size()) << Join(Differences(before, after));
    EXPECT_EQ(before.ports.size() + 1, after.ports.size()) << Join(Differences(before, after));
    EXPECT_EQ(before.printProcessors.size() + 1, after.printProcessors.size()) << Join(Differences(before, after));

    // A RAW test page printed to the new queue arrives in the monitor's output file for the port.
    const std::string page = TestPage();
    std::string error;
    ASSERT_TRUE(PrintRaw(kFirstPrinter, page, &error)) << error;
    const std::string output = MonitorOutputFile(kPort);
    ASSERT_FALSE(output.empty());
    EXPECT_TRUE(page == ReadFileBytes(output)) << "the page did not arrive byte for byte in " << output;
}

TEST_F(InstallTask, InstallingAgainKeepsTheMonitorAndTheInfAndRefusesATakenName)
{
    if (!FindPrinter(kFirstPrinter, nullptr) && !HasDriver(kDriverName)) {
        // Run alone: the first installation, as a user would have made it.
        Wizard first;
        InstallChoices choices;
        choices.printerName = kFirstPrinter;
        choices.port = kPort;
        choices.physicalPort = kPortCom2;
        InstallOutcome outcome;
        ASSERT_TRUE(RunInstall(first, PackageDir(), choices, &outcome)) << first.Error();
    }
    PrinterQueue firstQueue;
    ASSERT_TRUE(FindPrinter(kFirstPrinter, &firstQueue));
    ASSERT_TRUE(SetSpoolerRunning(true));
    const MachineState before = Snapshot();
    const std::string monitorBytes = ReadFileBytes(SystemDirectory() + "\\" + kMonitorDll);

    Wizard wizard;
    ASSERT_TRUE(wizard.Start(PackageDir())) << wizard.Error();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    ASSERT_NE(nullptr, welcome) << wizard.Error();
    ASSERT_TRUE(wizard.ChooseTask(welcome, IDC_TASK_INSTALL)) << wizard.Error();

    // The spooler runs and the installed monitor has the package's version: no question at all.
    HWND box = nullptr;
    HWND printer = wizard.WaitForPageOrBox(Page::Printer, &box);
    ASSERT_NE(nullptr, printer) << (box ? "unexpected question: " + e2e::MessageBoxText(box) : wizard.Error());

    // The port made before is listed with its physical port.
    const int row = e2e::ListFind(printer, IDC_PORTS, kPort);
    ASSERT_GE(row, 0);
    EXPECT_EQ("COM 2", e2e::ListItemText(printer, IDC_PORTS, row, 1));
    ASSERT_TRUE(wizard.SelectPort(printer, kPort)) << wizard.Error();

    // The name of the queue that exists is refused with the wizard's message; the page stays.
    ASSERT_TRUE(wizard.TypePrinterName(printer, kFirstPrinter)) << wizard.Error();
    ASSERT_TRUE(wizard.Press(printer, IDOK)) << wizard.Error();
    EXPECT_EQ(texts::kNameExists, wizard.Answer(IDOK, "name-taken")) << wizard.Error();
    ASSERT_TRUE(e2e::Sync(printer));
    EXPECT_TRUE(IsWindowVisible(printer));

    ASSERT_TRUE(wizard.TypePrinterName(printer, kSecondPrinter)) << wizard.Error();
    ASSERT_TRUE(wizard.Press(printer, IDOK)) << wizard.Error();
    HWND summary = wizard.WaitForPage(Page::Summary);
    ASSERT_NE(nullptr, summary) << wizard.Error();
    ASSERT_TRUE(wizard.Press(summary, IDOK)) << wizard.Error();
    ASSERT_TRUE(wizard.WaitForExit(0)) << wizard.Error();

    // A second queue on the same driver and port; the first one unchanged.
    PrinterQueue queue;
    ASSERT_TRUE(FindPrinter(kSecondPrinter, &queue));
    EXPECT_EQ(kPort, queue.port);
    EXPECT_EQ(kDriverName, queue.driver);
    EXPECT_EQ(kPrintProcessor, queue.printProcessor);
    PrinterQueue firstAfter;
    ASSERT_TRUE(FindPrinter(kFirstPrinter, &firstAfter));
    EXPECT_EQ(firstQueue.port, firstAfter.port);
    EXPECT_EQ(firstQueue.driver, firstAfter.driver);

    // No second copy of the INF, the monitor kept as it was, no second driver or monitor.
    EXPECT_EQ(1u, InfCopiesOf(PackageDir() + "\\" + kDriverInf).size())
        << Join(InfCopiesOf(PackageDir() + "\\" + kDriverInf), ", ");
    EXPECT_TRUE(monitorBytes == ReadFileBytes(SystemDirectory() + "\\" + kMonitorDll));
    const MachineState after = Snapshot();
    std::vector<std::string> changes = Differences(before, after);
    ASSERT_EQ(1u, changes.size()) << Join(changes);
    EXPECT_EQ(0u, changes[0].find(std::string("+ printer: ") + kSecondPrinter)) << changes[0];
}

}  // namespace
