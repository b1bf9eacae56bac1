// What the unattended tasks share: asking, refusing and logging by the command line's rules,
// the first checks, and the choice of task.
#include "app/unattended.h"

#include "app/install_rights.h"
#include "framework/ansi_text.h"
#include "framework/file.h"
#include "framework/message_box.h"
#include "framework/paths.h"
#include "framework/run_log.h"
#include "framework/strings.h"
#include "install/spooler.h"
#include "install/uninstall.h"
#include "package/inf_discovery.h"
#include "package/inf_file.h"
#include "package/model.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

const char* Meaning(ExitCode code)
{
    switch (code) {
    case ExitCode::Done: return "done";
    case ExitCode::Cancelled: return "cancelled, or a question answered No";
    case ExitCode::BadCommandLine: return "bad command line";
    case ExitCode::Refused: return "refused";
    case ExitCode::SpoolerFailed: return "the spooler could not be started, stopped or restarted";
    case ExitCode::PortMonitorFailed: return "the port monitor or the port failed";
    case ExitCode::DriverFailed: return "the print processor or the driver failed";
    case ExitCode::PrinterFailed: return "the printer queue failed";
    case ExitCode::CopyFailed: return "the copy failed";
    case ExitCode::UninstallIncomplete: return "the uninstall left something behind";
    case ExitCode::PageFailed: return "a page could not be shown";
    case ExitCode::RestartNeeded: return "done; Windows must restart to finish";
    }
    return "";
}

}  // namespace

Answer UnattendedRun::Ask(UINT questionId)
{
    const std::string question = framework::LoadText(questionId);
    if (m_line.yes) {
        Step("question answered Yes (/yes): " + question);
        return Answer::Yes;
    }
    if (m_line.quiet) {
        Step("question not asked (/quiet without /yes), so the run ends: " + question);
        return Answer::NotAsked;
    }
    int button = framework::ShowMessage(nullptr, questionId, IDS_WIZARD_CAPTION, MB_YESNO | MB_ICONQUESTION);
    return button == IDYES ? Answer::Yes : Answer::No;
}

void UnattendedRun::Refuse(const std::string& text)
{
    // The box goes to the log by itself; without it, or under /quiet, the log says it.
    if (m_line.quiet)
        Step("refused: " + text);
    else
        framework::ShowText(nullptr, text, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
}

void UnattendedRun::Refuse(UINT textId, const std::string& argument)
{
    Refuse(framework::LoadTextWith(textId, argument));
}

void UnattendedRun::Step(const std::string& text)
{
    framework::Log("step: " + text);
}

ExitCode UnattendedRun::Finish(ExitCode code)
{
    framework::Log("exit code " + std::to_string(static_cast<unsigned>(code)) + ": " + Meaning(code));
    return code;
}

ExitCode UnattendedRun::CheckPlatform()
{
    m_version.dwOSVersionInfoSize = sizeof m_version;
    if (!sys().GetVersionExA(&m_version) || !IsSupportedWindows(m_version)) {
        Refuse(IDS_WRONG_PLATFORM);
        return ExitCode::Refused;
    }
    Step(framework::Format("Windows %lu.%lu.%lu", m_version.dwMajorVersion, m_version.dwMinorVersion,
                           m_version.dwBuildNumber));
    // The directory of setup.exe itself: the package's directory, whatever the caller's.
    m_package = ProgramPackage();
    if (m_package.root.empty() || !framework::IsDirectory(m_package.root)) {
        Refuse(IDS_CMD_NO_PACKAGE, m_package.root);
        return ExitCode::Refused;
    }
    Step("package directory " + m_package.root);
    return ExitCode::Done;
}

ExitCode UnattendedRun::CheckRights()
{
    if (!IsAdministrator(DOMAIN_ALIAS_RID_ADMINS)) {
        Refuse(IDS_CMD_NOT_ADMINISTRATOR);
        return ExitCode::Refused;
    }
    Step("the user is an administrator");
    return ExitCode::Done;
}

ExitCode UnattendedRun::FindDriverInf(std::string& infName)
{
    infName = FindPackageDriverInf(m_package);
    if (infName.empty()) {
        Refuse(IDS_CMD_NO_DRIVER_INF);
        return ExitCode::Refused;
    }
    Step("driver INF " + infName);
    return ExitCode::Done;
}

ExitCode UnattendedRun::EnsureSpooler()
{
    // The pages' check, asked and told through the command line's feedback.
    const SpoolerCheck check = CheckSpooler(nullptr);
    if (check.running) {
        m_startedSpooler = check.started;
        Step(check.started ? "the spooler was started" : "the spooler runs");
        return ExitCode::Done;
    }
    if (check.unreachable != ERROR_SUCCESS) {
        Refuse(framework::LoadText(IDS_SPOOLER_UNREACHABLE) + framework::SystemErrorText(check.unreachable));
        return ExitCode::SpoolerFailed;
    }
    // Declined, not asked, or a refused start (told by the check).
    return Declined(check.answer, ExitCode::SpoolerFailed);
}

ExitCode UnattendedRun::PrepareSpoolerTask(std::string& infName)
{
    ExitCode code = CheckRights();
    if (code == ExitCode::Done)
        code = FindDriverInf(infName);
    if (code == ExitCode::Done)
        code = EnsureSpooler();
    return code;
}

void LogPart(UnattendedRun& run, const PartResult& result, const std::string& prefix)
{
    const std::string& part = result.part;
    switch (result.state) {
    case PartState::Removed: run.Step(prefix + "removed " + part); break;
    case PartState::Kept: run.Step(prefix + "kept " + part + " (" + result.reason + ")"); break;
    case PartState::Absent: run.Step(prefix + part + " is not installed"); break;
    case PartState::Scheduled:
        run.Step(prefix + part + " is in use; Windows deletes it when it restarts (" + result.reason + ")");
        break;
    case PartState::Failed: run.Step(prefix + "could not remove " + part + " (" + result.reason + ")"); break;
    }
}

namespace {

// What the steps ask and tell, answered by the command line's rules: /yes, /quiet and the log.
class UnattendedFeedback : public Feedback {
public:
    explicit UnattendedFeedback(UnattendedRun& run) : run_(run) {}
    Answer Ask(HWND, UINT questionId) override { return run_.Ask(questionId); }
    // Under /quiet the box is answered without being shown, and the log keeps its text.
    void Tell(HWND, const std::string& text, UINT captionId, UINT style) override
    {
        framework::ShowText(nullptr, text, captionId, style);
    }
    void End(ExitCode code) override
    {
        run_.Finish(code);
        framework::CloseLog();
        sys().ExitProcess(static_cast<UINT>(code));
    }
    bool MayShowWindows() const override { return !run_.Line().quiet; }

private:
    UnattendedRun& run_;
};

}  // namespace

ExitCode RunUnattended(const CommandLine& line)
{
    UnattendedRun run(line);
    UnattendedFeedback feedback(run);
    ScopedFeedback steps(feedback);
    ExitCode code = run.CheckPlatform();
    if (code == ExitCode::Done) {
        switch (line.task) {
        case Task::Install: code = RunInstallTask(run); break;
        case Task::Copy: code = RunCopyTask(run); break;
        case Task::Uninstall: code = RunUninstallTask(run); break;
        default: code = ExitCode::BadCommandLine; break;
        }
    }
    // A refused value promises that nothing changed: a spooler that the run started stops again.
    if (code == ExitCode::BadCommandLine && run.StartedSpooler()) {
        DependentServiceList stopped;
        run.Step(StopSpooler(stopped) ? "undo: the spooler is stopped again, as it was"
                                      : "undo: the spooler could not be stopped again");
    }
    return run.Finish(code);
}
