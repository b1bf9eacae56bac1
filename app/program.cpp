#include "app/program.h"

#include "app/box_feedback.h"
#include "app/command_line.h"
#include "app/unattended.h"
#include "app/wizard_app.h"
#include "framework/message_box.h"
#include "framework/paths.h"
#include "framework/run_log.h"
#include "framework/strings.h"
#include "package/printer_model.h"
#include "platform/api.h"
#include "platform/call_log.h"
#include "res/resource.h"

namespace {

// /quiet: no box is shown; each counts as answered, a question by /yes.
int QuietAnswer(bool yes, UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return yes ? IDYES : IDNO;
    default:
        return IDOK;
    }
}

// /quiet: no window of the program's own, of the system (a drive without a disk) or of
// SetupAPI (an unsigned driver under a "Warn" policy) can stop the run.
void KeepQuiet(bool yes)
{
    framework::SetBoxAnswerer([yes](const std::string&, const std::string&, UINT style) {
        return QuietAnswer(yes, style);
    });
    sys().SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    sys().SetupSetNonInteractiveMode(TRUE);
}

// Where the log goes when the one asked for cannot be opened: the model's log file in %TEMP%; "" when
// there is no temporary directory.
std::string FallbackLogPath()
{
    char temp[MAX_PATH + 1] = {};
    DWORD n = sys().GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return framework::JoinPath(std::string(temp, n), kModel.logFileName);
}

// A refusal of the command line: in a box with the usage (not under /quiet), and in the log.
ExitCode RefuseLine(const CommandLine& line, const std::string& text)
{
    const std::string usage = framework::LoadFullText(IDS_USAGE);
    if (line.quiet)
        framework::Log("refused: " + text + "\n" + usage);
    else
        framework::ShowText(nullptr, text + "\n\n" + usage, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
    framework::Log("exit code 2: bad command line");
    return ExitCode::BadCommandLine;
}

// Every platform call that changes the machine goes to the log with its outcome.
void LogMachineChanges()
{
    platform::ObserveMachineChanges([](const std::string& call, bool ok, DWORD error) {
        framework::Log("call: " + call + " -> " + framework::Outcome(ok, error));
    });
}

}  // namespace

ExitCode RunProgram(WizardApp& app, const std::string& arguments)
{
    // The steps tell and ask through boxes; the command line's tasks put their own answer in.
    BoxFeedback boxes;
    ScopedFeedback feedback(boxes);
    const CommandLine line = ParseCommandLine(arguments);
    if (line.task == Task::Wizard && line.errorId == 0 && line.logFile.empty()) {
        app.InitInstance();
        return app.m_nExitCode;
    }
    if (line.task == Task::Usage) {
        if (!line.quiet)
            framework::ShowText(nullptr, framework::LoadFullText(IDS_USAGE), IDS_WIZARD_CAPTION,
                                MB_OK | MB_ICONINFORMATION);
        return ExitCode::Done;
    }
    if (line.quiet)
        KeepQuiet(line.yes);
    if (!line.logFile.empty()) {
        DWORD error = ERROR_SUCCESS;
        if (!framework::OpenLog(line.logFile, error)) {
            // The run's outcome must not be lost: the log goes to the temporary directory.
            const std::string reason = framework::LoadTextWith(IDS_CMD_CANNOT_LOG, line.logFile) + " " +
                                       framework::SystemErrorText(error);
            DWORD fallbackError = ERROR_SUCCESS;
            const std::string fallback = FallbackLogPath();
            if (fallback.empty() || !framework::OpenLog(fallback, fallbackError))
                return RefuseLine(line, reason);
            framework::Log(reason + " This log, " + fallback + ", takes its place.");
        }
        LogMachineChanges();
        framework::Log("setup.exe " + arguments);
    }
    if (line.errorId != 0)
        return RefuseLine(line, framework::LoadTextWith(line.errorId, line.errorArgument));
    if (line.task != Task::Wizard)
        return RunUnattended(line);

    app.InitInstance();
    framework::Log("exit code " + std::to_string(static_cast<unsigned>(app.m_nExitCode)));
    return app.m_nExitCode;
}
