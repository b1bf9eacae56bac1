// The wizard's state machine: one page per state, the installation steps between pages.
// Each state has one handler that returns the next state, or kEndWizard to end the run.
#include "app/install_status.h"
#include "app/wizard_app.h"
#include "framework/message_box.h"
#include "framework/run_log.h"
#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "install/copy_driver.h"
#include "package/inf_discovery.h"
#include "platform/api.h"
#include "res/resource.h"

using framework::WaitCursor;

// The wizard's states: the name the log gives each, and its handler, which shows the state's
// page or runs its step and returns the next state. A new page is one row here (its state
// number, its name, its handler, which may be a function of its own file that shows the page
// of WizardRun::PageOf) and its own files; the neighbours' handlers lead to it.
struct StateRow {
    unsigned state;
    const char* name;
    unsigned (*handler)(WizardApp& app, WizardApp::WizardRun& run);
};

const StateRow* WizardApp::FindState(unsigned state)
{
    using Run = WizardRun;
    static const StateRow kStates[] = {
        {StateWelcome, "welcome page", [](WizardApp& a, Run& r) { return a.WelcomeState(r); }},
        {StatePrinter, "port monitor, then the printer page", [](WizardApp& a, Run& r) { return a.PrinterState(r); }},
        {StateDestination, "destination page", [](WizardApp& a, Run& r) { return a.DestinationState(r); }},
        {StateSummary, "summary page", [](WizardApp& a, Run& r) { return a.SummaryState(r); }},
        {StateInstallDriver, "print processor and driver", [](WizardApp& a, Run& r) { return a.InstallDriverState(r); }},
        {StateCreatePrinter, "printer queue", [](WizardApp& a, Run& r) { return a.CreatePrinterState(r); }},
        {StateOpenPrinters, "Printers folder", [](WizardApp& a, Run& r) { return a.OpenPrintersState(r); }},
        {StateOpenCopy, "copied directory", [](WizardApp& a, Run& r) { return a.OpenCopyState(r); }},
    };
    for (const StateRow& row : kStates)
        if (row.state == state)
            return &row;
    return nullptr;
}

std::string WizardApp::FindDriverInf(const std::vector<std::string>& candidates)
{
    return FirstDriverInf(candidates, [this](const std::string& name) { return IsDriverInf(name); });
}

bool WizardApp::ShowPage(WizardPage& page)
{
    // A result left from an earlier showing must not count for this one.
    page.m_nResult = 0;
    if (page.DoModal() != -1)
        return true;
    // The system's reason follows when there is one; a dialog can fail without setting one.
    DWORD error = sys().GetLastError();
    std::string text = framework::LoadText(IDS_PAGE_NOT_SHOWN);
    if (error != ERROR_SUCCESS)
        text += " " + framework::SystemErrorText(error);
    framework::ShowText(nullptr, text, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
    m_nExitCode = ExitCode::PageFailed;
    return false;
}

unsigned WizardApp::Cancelled()
{
    InstallStatus = INSTALL_CANCELLED;
    return kEndWizard;
}

int WizardApp::RunWizard()
{
    WizardRun run;
    run.pages = CreatePages();
    std::string pattern = framework::LoadText(IDS_INF_PATTERN);
    if (!pattern.empty())
        run.candidates = ListInfFiles(pattern);

    WaitCursor::Begin();
    for (unsigned next = RunState(run); next != kEndWizard; next = RunState(run))
        m_nState = next;
    WaitCursor::End();
    return InstallStatus;
}

unsigned WizardApp::RunState(WizardRun& run)
{
    const StateRow* row = FindState(m_nState);
    framework::Log(std::string("step: ") + (row ? row->name : "end"));
    return row ? row->handler(*this, run) : kEndWizard;
}

unsigned WizardApp::WelcomeState(WizardRun& run)
{
    WelcomePageBase& welcome = *run.pages.welcome;
    try {
        CheckInstallRights();
    } catch (...) {
        // A failing check leaves the status as it was.
    }
    if (InstallStatus == INSTALL_NOT_ALLOWED)
        welcome.m_bInstallDisabled = 1;
    else
        welcome.m_bInstallDisabled = FindDriverInf(run.candidates).empty() ? 1 : 0;
    if (!ShowPage(welcome))
        return Cancelled();
    if (welcome.m_nResult == PAGE_NEXT) {
        m_nTask = welcome.m_nTask == 1 ? 1 : 0;
        return m_nTask == 0 ? StatePrinter : StateDestination;
    }
    return welcome.m_nResult == PAGE_CANCEL ? Cancelled() : StateWelcome;
}

unsigned WizardApp::PrinterState(WizardRun& run)
{
    PrinterPageBase& printer = *run.pages.printer;
    if (!InstallPortMonitor(printer)) {
        m_nExitCode = ExitCode::PortMonitorFailed;
        return Cancelled();
    }
    if (!ShowPage(printer))
        return Cancelled();
    WaitCursor::Restore();
    switch (printer.m_nResult) {
    case PAGE_NEXT: return StateSummary;
    case PAGE_BACK: return StateWelcome;
    case PAGE_CANCEL: return Cancelled();
    default: return StatePrinter;
    }
}

unsigned WizardApp::DestinationState(WizardRun& run)
{
    DestinationPageBase& destination = *run.pages.destination;
    const bool shown = ShowPage(destination);
    WaitCursor::Restore();
    // The destination page's Cancel ends the wizard without recording a cancel.
    if (!shown)
        return kEndWizard;
    switch (destination.m_nResult) {
    case PAGE_NEXT: return StateSummary;
    case PAGE_BACK: return StateWelcome;
    case PAGE_CANCEL: return kEndWizard;
    default: return StateDestination;
    }
}

unsigned WizardApp::SummaryState(WizardRun& run)
{
    SummaryPageBase& summary = *run.pages.summary;
    const bool install = m_nTask == 0;
    // Only this task's sections: what an earlier pass through the other task left in the
    // page would describe work that is not about to be done.
    summary.SetPrinterName(install ? run.pages.printer->m_strPrinterName.c_str() : nullptr);
    summary.SetPort(install ? run.pages.printer->m_szPort.c_str() : nullptr);
    summary.SetDestination(install ? nullptr : run.pages.destination->m_szDirectory.c_str());
    summary.m_nTask = static_cast<int>(m_nTask);
    if (!ShowPage(summary))
        return Cancelled();
    WaitCursor::Restore();
    switch (summary.m_nResult) {
    case PAGE_NEXT:
        if (install)
            return StateInstallDriver;
        CopyDriverToDirectory(CopyTargetPath(run.pages.destination->m_szDirectory));
        return StateOpenCopy;
    case PAGE_BACK: return install ? StatePrinter : StateDestination;
    case PAGE_CANCEL: return Cancelled();
    default: return StateSummary;
    }
}

unsigned WizardApp::InstallDriverState(WizardRun& run)
{
    WaitCursor::Restore();
    return InstallDriver(FindDriverInf(run.candidates), m_szDriverName, nullptr) ? StateCreatePrinter
                                                                                : StatePrinter;
}

unsigned WizardApp::CreatePrinterState(WizardRun& run)
{
    WaitCursor::Restore();
    const PrinterPageBase& printer = *run.pages.printer;
    return CreatePrinter(nullptr, printer.m_strPrinterName, m_szDriverName, printer.m_szPort, nullptr, nullptr,
                         nullptr)
               ? StateOpenPrinters
               : StatePrinter;
}

unsigned WizardApp::OpenPrintersState(WizardRun&)
{
    WaitCursor::Restore();
    OpenPrintersFolder();
    return kEndWizard;
}

unsigned WizardApp::OpenCopyState(WizardRun& run)
{
    WaitCursor::Restore();
    OpenCopiedDirectory(run.pages.destination->m_szDirectory);
    return kEndWizard;
}
