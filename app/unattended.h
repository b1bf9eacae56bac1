// The tasks of the command line, run without the pages: install, copy, uninstall. Each
// writes its steps to the run's log and ends with an exit code (install/exit_codes.h).
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "install/exit_codes.h"
#include "install/feedback.h"
#include "package/package.h"
#include "platform/win.h"

// One unattended run: its options, and how it asks, tells and logs.
class UnattendedRun {
public:
    // The package is the one CheckPlatform finds, unless a caller that skips it gives one.
    explicit UnattendedRun(const CommandLine& line, Package package = {}) : m_line(line), m_package(std::move(package)) {}

    const CommandLine& Line() const { return m_line; }
    // The Windows version, as CheckPlatform found it.
    DWORD Major() const { return m_version.dwMajorVersion; }
    DWORD Minor() const { return m_version.dwMinorVersion; }
    // The package of setup.exe, as CheckPlatform found it.
    const Package& DriverPackage() const { return m_package; }

    // A question of the wizard (a string-table text): Yes with /yes, not asked with /quiet,
    // otherwise a message box. Logged either way.
    Answer Ask(UINT questionId);

    // Why the run cannot go on: in a message box (without /quiet) and in the log.
    void Refuse(const std::string& text);
    void Refuse(UINT textId, const std::string& argument = std::string());

    // One line in the log ("step: ...").
    void Step(const std::string& text);

    // Ends the run: logs the code with what it means and returns it.
    ExitCode Finish(ExitCode code);

    // What a question that was not answered Yes ends the run with: 1 when the user said No,
    // otherwise the code of the step that needed the answer.
    static ExitCode Declined(Answer answer, ExitCode stepCode)
    {
        return answer == Answer::No ? ExitCode::Cancelled : stepCode;
    }

    // The checks every task makes first: NT 5.x (3), the package's directory found (3).
    ExitCode CheckPlatform();
    // An administrator (3); a driver INF in the package (3), given back in infName.
    ExitCode CheckRights();
    ExitCode FindDriverInf(std::string& infName);
    // The spooler runs, or is started when the question is answered Yes (4 or 1 otherwise).
    ExitCode EnsureSpooler();
    // What installing and uninstalling both need first: the rights, the driver INF, the
    // spooler, in that order.
    ExitCode PrepareSpoolerTask(std::string& infName);

    // True when this run started the spooler.
    bool StartedSpooler() const { return m_startedSpooler; }

private:
    const CommandLine& m_line;
    bool m_startedSpooler = false;
    OSVERSIONINFOA m_version = {};
    Package m_package;
};

// Runs the task of the command line and returns the process's exit code.
ExitCode RunUnattended(const CommandLine& line);

ExitCode RunInstallTask(UnattendedRun& run);
ExitCode RunCopyTask(UnattendedRun& run);
ExitCode RunUninstallTask(UnattendedRun& run);

struct PackageParts;
struct PartResult;
// One line of the log for what a step did with a part, after `prefix`.
void LogPart(UnattendedRun& run, const PartResult& result, const std::string& prefix = std::string());

struct PrinterRecord;

// The print-server options (app/unattended_server.cpp).
// The steps they made, each with what takes it back, for a run that fails later.
class StepRecords {
public:
    void Made(std::string what, std::function<bool()> undo) { steps_.push_back({std::move(what), std::move(undo)}); }
    // Takes the steps back, the newest first, logging each.
    void UndoAll(UnattendedRun& run);

private:
    struct Step {
        std::string what;
        std::function<bool()> undo;
    };
    std::vector<Step> steps_;
};
// Their checks, before the first change: a share name that another printer has, or an x86
// package without its driver INF, ends 2.
ExitCode CheckServerOptions(UnattendedRun& run, const std::string& printer, const std::vector<PrinterRecord>& printers);
// Before the printer is made: the driver of the x86 package of /x86 (6 when it fails).
ExitCode AddX86Driver(UnattendedRun& run, StepRecords& steps);
// A printer that was there already, shared as /share says (7 when it fails; a new printer is
// made shared).
ExitCode ShareInstalledPrinter(UnattendedRun& run, const PrinterRecord& printer, StepRecords& steps);
// Once the printer is installed: /default, then /testpage. A failure ends 7 and keeps the
// printer, which is installed; the log says what failed.
ExitCode FinishServerSetUp(UnattendedRun& run, const std::string& printer);
// The x86 driver that /x86 added goes with the driver itself.
void RemoveX86Driver(std::vector<PartResult>& report);

// The uninstall after the first checks: the printer of /name (the model name when not
// given), or with /all every printer of the package's driver, then the package's parts that
// no printer uses. A printer of that name that uses another driver ends 2 with nothing
// changed; a part that stays behind ends 9, a file left for the restart 3010.
ExitCode UninstallPrinter(UnattendedRun& run, const std::string& infName, const PackageParts& package);
