// The uninstall task after its first checks, with the spooler faked: what a second printer
// keeps, a printer that is not the package's, and what stays behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/unattended.h"
#include "framework/run_log.h"
#include "install/uninstall.h"
#include "monitor_fakes.h"

using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

const char kMonitor[] = "ZRN 7730 Language/Port Monitor";
const char kDriverFile[] = "C:\\spool\\drivers\\3\\ZRN7730.DLL";
const char kProcessorFile[] = "C:\\spool\\prtprocs\\KPLPRINT.DLL";
const char kMonitorFile[] = "C:\\windows\\system32\\ZRNKPMON.DLL";

class UninstallTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine.Register(kMonitor, "ZRNKPMON.DLL");
        machine.ports = {{"KPL1:", kMonitor}, {"KPL2:", kMonitor}, {"FILE:", "Local Port"}};
        machine.printers = {{"A", "KPL1:", "ZRN 7730", "KPLPrint"}};
        machine.drivers = {{"ZRN 7730", kDriverFile}};
        machine.processors = {"WinPrint", "KPLPrint"};
        for (const char* file : {kDriverFile, kProcessorFile, kMonitorFile, "C:\\u.log"})
            machine.files[file] = "";
        api->WriteFile = [this](HANDLE, LPCVOID text, DWORD n, LPDWORD written, LPOVERLAPPED) {
            log.append(static_cast<const char*>(text), *written = n);
            return TRUE;
        };
        DWORD error = 0;
        ASSERT_TRUE(framework::OpenLog("C:\\u.log", error));
    }
    void TearDown() override { framework::CloseLog(); }

    ExitCode Uninstall(const char* name)
    {
        line.name = name;
        line.quiet = true;
        UnattendedRun run(line);
        return UninstallPrinter(run, "", {"KPLPrint", "KPLPRINT.DLL", "ZRNKPMON.DLL", {"ZRNKPMON.DLL"}});
    }

    platform::ScopedApi api;
    monitorfakes::Machine machine{api};
    CommandLine line;
    std::string log;
};

TEST_F(UninstallTest, SecondPrinterKeepsTheSharedParts)
{
    machine.printers.push_back({"B", "KPL2:", "ZRN 7730", "KPLPrint"});
    EXPECT_EQ(Uninstall("a"), ExitCode::Done);
    EXPECT_THAT(machine.events, ElementsAre("DeletePrinter A", "XcvDataW DeletePort KPL1:"));
    EXPECT_THAT(log, HasSubstr("kept driver ZRN 7730: printer B uses it"));
    EXPECT_THAT(log, HasSubstr("kept port monitor ZRN 7730 Language/Port Monitor: printer B uses its port KPL2:"));
}

TEST_F(UninstallTest, PrinterOfAnotherDriverIsRefusedWithNothingChanged)
{
    machine.printers[0].driver = "Other";
    EXPECT_EQ(Uninstall("A"), ExitCode::BadCommandLine);
    EXPECT_EQ(Uninstall("Z"), ExitCode::BadCommandLine);
    EXPECT_THAT(machine.events, IsEmpty());
    EXPECT_THAT(log, HasSubstr("The printer A does not use the ZRN 7730 driver."));
    EXPECT_THAT(log, HasSubstr("There is no printer named Z."));
}

TEST_F(UninstallTest, WhatStaysBehindEndsWithNine)
{
    machine.processorDeleteIsStub = true;                 // as Wine's DeletePrintProcessorA
    machine.failures[kMonitorFile] = ERROR_ACCESS_DENIED;  // loaded
    EXPECT_EQ(Uninstall("A"), ExitCode::UninstallIncomplete);
    EXPECT_THAT(machine.events, Contains("DeleteMonitorA ZRN 7730 Language/Port Monitor"));
    EXPECT_THAT(machine.events, Contains("XcvDataW DeletePort KPL2:"));
    EXPECT_THAT(machine.events, Contains(std::string("schedule ") + kMonitorFile));
    EXPECT_FALSE(machine.files.count(kDriverFile));
    EXPECT_TRUE(machine.files.count(kProcessorFile));
    EXPECT_THAT(log, HasSubstr("could not remove print processor KPLPrint: the spooler still lists it"));
    EXPECT_THAT(log, HasSubstr("Some parts could not be removed"));
}

}  // namespace
