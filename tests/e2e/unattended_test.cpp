// setup.exe's command line on a clean machine (a fresh prefix, see fresh_prefix.sh): a quiet
// install makes what the clicked install task makes, /uninstall takes it out again and keeps
// what a second printer still uses, a question under /quiet without /yes ends the run with
// nothing changed, a bad command line ends with the usage, and the log names every step.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <cstdlib>
#include <string>

#include "support/paths.h"
#include "support/scenario_flows.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/wizard_texts.h"

namespace {

using namespace scenario;

struct Outcome {
    DWORD code = ~0u;
    std::string log;
    std::string children;  // the programs it started
};

// Runs setup.exe from the package with the arguments and a log of its own, to its end;
// answers a message box with OK when `box` is given (and returns its text there).
Outcome RunSetup(const std::string& arguments, std::string* box = nullptr,
                 const std::string& package = testpaths::PackageDir())
{
    const std::string log = testpaths::MakeTempDir("run") + "\\setup.log";
    Wizard wizard;
    Outcome out;
    if (!wizard.Start(package, arguments + " /log:\"" + log + "\"")) {
        out.log = wizard.Error();
        return out;
    }
    if (box)
        *box = wizard.Answer(IDOK, "command-line");
    wizard.Process().WaitForExit(e2e::kLongWaitMs);
    out.code = wizard.Process().ExitCode();
    out.log = ReadFileBytes(log);
    out.children = wizard.Children().Describe();
    return out;
}

// The clicked install task of a printer on KPL1:, to the end of the program.
void ClickInstall(const std::string& name)
{
    Wizard wizard;
    InstallChoices choices;
    choices.printerName = name;
    choices.port = "KPL1:";
    InstallOutcome outcome;
    ASSERT_TRUE(RunInstall(wizard, testpaths::PackageDir(), choices, &outcome)) << wizard.Error();
}

bool Logged(const Outcome& run, const std::string& text)
{
    return run.log.find(text) != std::string::npos;
}

// What changed against `before`, but for the print processor: a known Wine limitation,
// Wine 8's DeletePrintProcessorA deletes nothing.
std::string ChangedButThePrintProcessor(const MachineState& before)
{
    std::string left;
    for (const std::string& d : Differences(before, Snapshot()))
        if (d.find(kPrintProcessor) == std::string::npos && d.find(kPrintProcessorFile) == std::string::npos)
            left += d + "\n";
    return left;
}

// What an uninstall left against `before`; the print processor stays (and the run ends 9).
std::string LeftAfterUninstall(const MachineState& before, const Outcome& run)
{
    EXPECT_EQ(9u, run.code) << run.log;
    EXPECT_TRUE(Logged(run, "could not remove print processor KPLPrint")) << run.log;
    return ChangedButThePrintProcessor(before);
}

// The Version of the mark that deployment tools test; "" without the mark.
std::string MarkVersion()
{
    char text[64] = {};
    DWORD size = sizeof text - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZRN\\ZRN 7730 Printer Driver", 0, KEY_QUERY_VALUE, &key))
        return "";
    RegQueryValueExA(key, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return text;
}

TEST(Unattended, AQuestionUnderQuietWithoutYesEndsTheRunWithNothingChanged)
{
    ASSERT_TRUE(SetSpoolerRunning(false));
    const MachineState before = Snapshot();
    const Outcome run = RunSetup("/install /newport /quiet");
    EXPECT_EQ(4u, run.code) << run.log;
    EXPECT_EQ(DWORD(SERVICE_STOPPED), SpoolerState());
    EXPECT_EQ("", Join(Differences(before, Snapshot())));
    EXPECT_TRUE(Logged(run, "question not asked") && Logged(run, "exit code 4")) << run.log;

    Wizard asked;  // without /quiet the question is a box: No ends the run with 1
    ASSERT_TRUE(asked.Start(testpaths::PackageDir(), "/install /newport")) << asked.Error();
    EXPECT_NE("", asked.Answer(IDNO, "spooler question")) << asked.Error();
    asked.Process().WaitForExit(e2e::kLongWaitMs);
    EXPECT_EQ(1u, asked.Process().ExitCode());
    EXPECT_EQ("", Join(Differences(before, Snapshot())));
}

TEST(Unattended, QuietInstallMakesWhatTheInstallTaskMakesAndUninstallTakesItOut)
{
    const char kName[] = "ZRN Quiet";
    ASSERT_TRUE(SetSpoolerRunning(false));
    const MachineState before = Snapshot();

    // The clicked install task, then what it changed, taken out again from the command line.
    ASSERT_NO_FATAL_FAILURE(ClickInstall(kName));
    const std::vector<std::string> clicked = Differences(before, Snapshot());
    Outcome run = RunSetup(std::string("/uninstall /name:\"") + kName + "\" /quiet");
    EXPECT_EQ("", LeftAfterUninstall(before, run)) << run.log;

    // The quiet install on the same clean machine makes the same changes, opens no window,
    // and logs each step and each change.
    ASSERT_TRUE(SetSpoolerRunning(false));
    run = RunSetup(std::string("/install /name:\"") + kName + "\" /newport /quiet /yes");
    ASSERT_EQ(0u, run.code) << run.log;
    EXPECT_EQ(Join(clicked), Join(Differences(before, Snapshot())));
    EXPECT_EQ("(no child processes)", run.children);
    for (const char* step : {"step: driver INF ZRN7730.INF", "call: StartServiceA Spooler -> ok",
                             "call: AddMonitorA", "AddPort KPL1: -> ok", "call: AddPrintProcessorA",
                             "call: AddPrinterDriverExA ZRN 7730 -> ok", "call: AddPrinterA ZRN Quiet on KPL1:",
                             "exit code 0: done"})
        EXPECT_TRUE(Logged(run, step)) << step << " is not in the log:\n" << run.log;
    std::string error;
    const std::string page = "\x1b" "E quiet install test page\f";
    ASSERT_TRUE(PrintRaw(kName, page, &error)) << error;
    EXPECT_EQ(page, ReadFileBytes(MonitorOutputFile("KPL1:")));

    // The same command again changes nothing and says so; the mark for deployment tools
    // names the driver's version.
    const MachineState installed = Snapshot();
    run = RunSetup(std::string("/install /name:\"") + kName + "\" /newport /quiet /yes");
    EXPECT_EQ(0u, run.code) << run.log;
    EXPECT_TRUE(Logged(run, "on KPL1: is installed: unchanged")) << run.log;
    EXPECT_EQ("", Join(Differences(installed, Snapshot())));
    EXPECT_EQ("1.0.0.1", MarkVersion());
    EXPECT_EQ(2u, RunSetup(std::string("/install /name:\"") + kName + "\" /port:FILE: /quiet").code);

    // A second printer on the same port, set up for a print server (the x64 program adds the
    // x86 package's driver too): the default printer, shared, its test page printed.
    const std::string x86Package = testpaths::BuildDir() + "\\..\\x86\\package";
    const bool x64 = sizeof(void*) == 8;
    run = RunSetup("/install /name:Second /port:kpl1: /default /share:ZRNSECOND /testpage /quiet" +
                   (x64 ? " \"/x86:" + x86Package + "\"" : std::string()));
    ASSERT_EQ(0u, run.code) << run.log;
    EXPECT_EQ("Second as ZRNSECOND", Join(Snapshot().shares));
    // Run again with another share name, the printer that is there takes it.
    run = RunSetup("/install /name:Second /port:kpl1: /share:ZRNSECOND2 /quiet");
    ASSERT_EQ(0u, run.code) << run.log;
    const MachineState both = Snapshot();
    EXPECT_EQ("Second", Join(both.defaultPrinter));
    EXPECT_EQ("Second as ZRNSECOND2", Join(both.shares));
    EXPECT_NE(std::string::npos, ReadFileBytes(MonitorOutputFile("KPL1:")).find("Test Page")) << run.log;
    if (x64) {
        EXPECT_EQ(ReadFileBytes(x86Package + "\\ZRN7730.DLL"),
                  ReadFileBytes(DriverDirectory() + "\\..\\w32x86\\3\\ZRN7730.DLL")) << run.log;
    }
    run = RunSetup(std::string("/uninstall /name:\"") + kName + "\" /quiet");
    EXPECT_EQ(0u, run.code) << run.log;
    EXPECT_EQ("- printer: ZRN Quiet (ZRN 7730 on KPL1:, KPLPrint)", Join(Differences(both, Snapshot()))) << run.log;
    EXPECT_TRUE(Logged(run, "kept")) << run.log;
    run = RunSetup("/uninstall /all /quiet");
    EXPECT_EQ("", LeftAfterUninstall(before, run)) << run.log;
    EXPECT_EQ("", MarkVersion());
    EXPECT_EQ(x64, Logged(run, "removed driver ZRN 7730 for Windows NT x86")) << run.log;
}

TEST(Unattended, AFailedInstallTakesOutWhatItMadeAndTheUninstallWhatIsLeftWithoutItsPrinter)
{
    // A copy of the package without the driver's DLL: the driver step fails.
    const std::string broken = testpaths::MakeTempDir("broken") + "\\package";
    ASSERT_EQ(0u, RunSetup("/copy:\"" + broken + "\" /quiet").code);
    ASSERT_TRUE(DeleteFileA((broken + "\\ZRN7730.DLL").c_str()));
    ASSERT_TRUE(SetSpoolerRunning(true));
    const MachineState before = Snapshot();
    Outcome run = RunSetup("/install /newport /quiet /yes", nullptr, broken);
    EXPECT_EQ(6u, run.code) << run.log;
    EXPECT_TRUE(Logged(run, "undo: removed port KPL")) << run.log;
    EXPECT_EQ("", ChangedButThePrintProcessor(before)) << run.log;
    ASSERT_TRUE(DeleteFileA((broken + "\\ZRN7730.INF").c_str()));
    EXPECT_EQ(3u, RunSetup("/install /newport /quiet /yes", nullptr, broken).code);  // no driver INF

    // A whole install, its printer deleted by hand: the uninstall removes the rest.
    ASSERT_EQ(0u, RunSetup("/install /newport /quiet /yes").code);
    HANDLE printer = nullptr;
    char name[] = "ZRN 7730";
    ASSERT_TRUE(OpenPrinterA(name, &printer, nullptr));
    EXPECT_TRUE(DeletePrinter(printer));
    ClosePrinter(printer);
    run = RunSetup("/uninstall /quiet");
    EXPECT_EQ("", LeftAfterUninstall(before, run)) << run.log;
}

TEST(Unattended, BadCommandLinesAndValuesEndWithExitCode2AndChangeNothing)
{
    ASSERT_TRUE(SetSpoolerRunning(false));  // started for the port's check, stopped again
    const MachineState before = Snapshot();
    const std::string usageEnd = "3010 done, Windows must restart to finish.";
    std::string box;
    Outcome run = RunSetup("/frobnicate", &box);
    EXPECT_EQ(2u, run.code);
    EXPECT_EQ(0u, box.find("Unknown option: /frobnicate\n\nZRN 7730 Printer Driver Wizard.")) << box;
    EXPECT_NE(std::string::npos, box.find(usageEnd)) << box;
    run = RunSetup("/?", &box);
    EXPECT_EQ(0u, run.code);
    EXPECT_EQ(0u, box.find("ZRN 7730 Printer Driver Wizard. Without options: the wizard.")) << box;
    EXPECT_EQ(0u, RunSetup("/? /quiet").code);  // no box: the run ends by itself

    for (const char* line : {"/install /bogus /quiet", "/install /name:\"a;b\" /port:FILE: /quiet /yes",
                             "/install /port:NOSUCH: /quiet /yes", "/copy:C:\\nul /quiet",
                             "/uninstall /all /name:x /quiet /yes", "/install /newport /share:a=b /quiet /yes"}) {
        run = RunSetup(line);
        EXPECT_EQ(2u, run.code) << line << "\n" << run.log;
        EXPECT_TRUE(Logged(run, "exit code 2")) << line << "\n" << run.log;
    }
    EXPECT_TRUE(Logged(RunSetup("/install /bogus /quiet"), usageEnd));
    testpaths::WriteText("C:\\zrn-a-file", "");  // a directory cannot be made below a file
    EXPECT_EQ(8u, RunSetup("/copy:C:\\zrn-a-file\\x /quiet").code);
    EXPECT_EQ("", Join(Differences(before, Snapshot())));
    EXPECT_EQ(DWORD(SERVICE_STOPPED), SpoolerState());

    // A good copy, for contrast: the package, as the copy task makes it; a log that cannot be
    // opened takes its place in the temporary directory, and the run goes on.
    char temp[MAX_PATH] = {};
    const std::string fallback = std::string(temp, GetEnvironmentVariableA("TEMP", temp, MAX_PATH)) + "\\ZRN7730-setup.log";
    Wizard wizard;
    ASSERT_TRUE(wizard.Start(testpaths::PackageDir(), "/copy:\"C:\\zrn quiet copy\\driver\" /quiet /log:Q:\\no\\x.log"));
    wizard.Process().WaitForExit(e2e::kLongWaitMs);
    EXPECT_EQ(0u, wizard.Process().ExitCode());
    EXPECT_EQ(TreeOf(testpaths::PackageDir()), TreeOf("C:\\zrn quiet copy\\driver"));
    const std::string log = ReadFileBytes(fallback);
    EXPECT_TRUE(log.find("The log file cannot be opened: Q:\\no\\x.log") != std::string::npos &&
                log.find("exit code 0") != std::string::npos) << log;
}

// Under a double-byte ANSI code page (932: the Japanese locale, see CMakeLists.txt) a name or
// path whose characters have '\\' or '|' as their second byte is accepted on the pages and on the
// command line, and a real '\\' or '|' is still refused.
TEST(Unattended, DoubleByteNamesAndPathsUnderCodePage932)
{
    const char* expected = std::getenv("ZRN_EXPECT_ACP");
    if (!expected && GetACP() != 932)
        GTEST_SKIP() << "runs under the Japanese locale only";
    ASSERT_EQ(932u, GetACP()) << "the Japanese locale is missing (localedef -i ja_JP -f UTF-8 ja_JP.UTF-8)";
    const std::string soft = "\x83\x5C\x83\x74\x83\x67", shown = "\x95\x5C\x8E\xA6";  // ソフト, 表示
    ASSERT_NO_FATAL_FAILURE(ClickInstall(soft));
    Outcome run = RunSetup("/install /name:" + shown + " /port:FILE: /quiet /yes");
    EXPECT_EQ(0u, run.code) << run.log;
    EXPECT_TRUE(FindPrinter(soft, nullptr) && FindPrinter(shown, nullptr));
    EXPECT_EQ(2u, RunSetup("/install /name:" + shown + "| /port:FILE: /quiet /yes").code);

    const std::string port = "C:\\\x83\x7C\x81\x5B\x83\x67", typed = port + "\\" + soft;  // C:\ポート\ソフト
    bool opened = false;
    Wizard wizard;
    ASSERT_TRUE(RunCopy(wizard, testpaths::PackageDir(), typed, &opened)) << wizard.Error();
    EXPECT_EQ(TreeOf(testpaths::PackageDir()), TreeOf(typed));
    run = RunSetup("/copy:\"" + port + "\\" + shown + "\" /quiet");
    EXPECT_EQ(0u, run.code) << run.log;
    EXPECT_EQ(TreeOf(testpaths::PackageDir()), TreeOf(port + "\\" + shown));
    EXPECT_EQ(2u, RunSetup("/copy:\"" + port + "\\\\x\" /quiet").code);
}

}  // namespace
