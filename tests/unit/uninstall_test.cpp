// The uninstall after its first checks, with the spooler faked: what a second printer keeps,
// a printer that is not the package's, and what stays behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/unattended.h"
#include "framework/run_log.h"
#include "install/uninstall.h"
#include "monitor_fakes.h"

using testing::HasSubstr;

namespace {

const char kMonitor[] = "ZRN 7730 Language/Port Monitor";
const std::string kDeletePort = std::string(",XcvMonitor ") + kMonitor + " DeletePort ";
const std::string kDriverFile = "C:\\spool\\drivers\\3\\ZRN7730.DLL";
const std::string kProcessorFile = "C:\\spool\\prtprocs\\KPLPRINT.DLL";
const std::string kMonitorFile = "C:\\windows\\system32\\ZRNKPMON.DLL";

class UninstallTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine.Register(kMonitor, "ZRNKPMON.DLL");
        machine.ports = {{"KPL1:", kMonitor}, {"KPL2:", kMonitor}, {"FILE:", "Local Port"}};
        machine.printers = {{"A", "KPL1:", "ZRN 7730", "KPLPrint"}};
        machine.drivers = {{"ZRN 7730", kDriverFile, ""}};
        machine.processors = {{"WinPrint"}, {"KPLPrint"}};
        machine.files = {{kDriverFile, ""}, {kProcessorFile, ""}, {kMonitorFile, ""}, {"C:\\u.log", ""}};
        listing.Install(*api);
        api->WriteFile = [this](HANDLE, LPCVOID text, DWORD n, LPDWORD written, LPOVERLAPPED) {
            return log.append(static_cast<const char*>(text), *written = n), TRUE;
        };
        DWORD error = 0;
        framework::OpenLog("C:\\u.log", error);
    }
    void TearDown() override { framework::CloseLog(); }

    ExitCode Uninstall(const char* name, bool all = false)
    {
        CommandLine line;
        line.name = name, line.quiet = true, line.all = all;
        UnattendedRun run(line, Package{"C:\\pkg"});
        return UninstallPrinter(run, "ZRN7730.INF", {"KPLPrint", "KPLPRINT.DLL", "ZRNKPMON.DLL", {"ZRNKPMON.DLL"}, {}, ""});
    }

    platform::ScopedApi api;
    monitorfakes::Machine machine{api};
    installfakes::FakeListing listing;  // the INF directory
    std::string log;
};

TEST_F(UninstallTest, SecondPrinterKeepsTheSharedParts)
{
    machine.printers.push_back({"B", "KPL2:", "ZRN 7730", "KPLPrint"});
    machine.ports.push_back({"KPL3:", kMonitor});  // a spare port stays with the monitor
    EXPECT_EQ(Uninstall("a"), ExitCode::Done);
    EXPECT_THAT(machine.events, testing::ElementsAre("DeletePrinter A", kDeletePort + "KPL1:"));
    EXPECT_THAT(log, HasSubstr("kept driver ZRN 7730 (printer B uses it)"));
}

TEST_F(UninstallTest, PrinterOfAnotherDriverIsRefusedWithNothingChanged)
{
    machine.printers[0][2] = "Other";  // its driver
    EXPECT_EQ(Uninstall("A"), ExitCode::BadCommandLine);
    EXPECT_THAT(machine.events, testing::IsEmpty());
    EXPECT_THAT(log, HasSubstr("The printer A does not use the ZRN 7730 driver."));
}

TEST_F(UninstallTest, WithThePrinterGoneThePartsNoPrinterUsesGoAndAllTakesEveryPrinter)
{
    machine.printers = {{"B", "KPL2:", "ZRN 7730", "KPLPrint"}};
    EXPECT_EQ(Uninstall("A"), ExitCode::Done);  // a retry after the queue went
    EXPECT_THAT(machine.events, testing::IsEmpty());  // B uses every part
    machine.printers.push_back({"C", "KPL1:", "ZRN 7730", "KPLPrint"});
    EXPECT_EQ(Uninstall("", true), ExitCode::Done);
    EXPECT_THAT(machine.events, testing::IsSupersetOf(std::vector<std::string>{
                                    "DeletePrinter B", "DeletePrinter C", "DeletePrinterDriverExA ZRN 7730",
                                    std::string("DeleteMonitorA ") + kMonitor}));
    EXPECT_TRUE(machine.printers.empty());
    EXPECT_EQ(Uninstall("A"), ExitCode::Done);  // nothing of the package is left
}

TEST_F(UninstallTest, WhatStaysBehindEndsWithNine)
{
    const std::string inf = "[Version]\r\n";
    machine.files["C:\\pkg\\ZRN7730.INF"] = machine.files["C:\\windows\\inf\\OEM3.inf"] = inf;
    listing.entries = {{"OEM3.inf", 0, static_cast<DWORD>(inf.size())}};
    machine.failures[kDriverFile] = ERROR_ACCESS_DENIED;  // loaded
    machine.failures["DeleteMonitorA"] = ERROR_ACCESS_DENIED;
    EXPECT_EQ(Uninstall("A"), ExitCode::UninstallIncomplete);
    EXPECT_THAT(machine.events, testing::IsSupersetOf(std::vector<std::string>{
                                    "SetupUninstallOEMInfA OEM3.inf", "DeleteFileA " + kProcessorFile,
                                    kDeletePort + "KPL2:", "schedule C:\\spool\\drivers\\3\\zrn1.tmp"}));
    EXPECT_TRUE(machine.files.count(kMonitorFile));  // kept with its monitor
    EXPECT_THAT(log, HasSubstr("could not remove port monitor ZRN 7730 Language/Port Monitor"));
}

TEST_F(UninstallTest, AFileInUseLeavesItsPathFreeAndTheRunAsksForARestart)
{
    machine.failures[kDriverFile] = ERROR_SHARING_VIOLATION;
    EXPECT_EQ(Uninstall("A"), ExitCode::RestartNeeded);
    EXPECT_FALSE(machine.files.count(kDriverFile));  // a new install's file would outlive the restart
    EXPECT_THAT(machine.events, testing::Contains("schedule C:\\spool\\drivers\\3\\zrn1.tmp"));
}

}  // namespace
