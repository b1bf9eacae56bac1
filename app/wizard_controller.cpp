// The wizard's state machine: one page per state, the installation steps between pages.
#include <memory>

#include "app/install_status.h"
#include "app/wizard_app.h"
#include "framework/message_box.h"
#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "platform/api.h"
#include "res/resource.h"

using framework::WaitCursor;

// The copy's target: the directory with "\." appended (one backslash, also when the
// typed directory ended with one).
static std::string CopyTargetPath(const std::string& directory)
{
    if (!directory.empty() && directory.back() == '\\')
        return directory + ".";
    return directory + "\\.";
}

std::string WizardApp::FindDriverInf(const std::vector<std::string>& candidates)
{
    for (const std::string& name : candidates)
        if (IsDriverInf(name))
            return name;
    return {};
}

bool WizardApp::ShowPage(WizardPage& page)
{
    // A result left from an earlier showing must not count for this one.
    page.m_nResult = 0;
    if (page.DoModal() != -1)
        return true;
    DWORD error = sys().GetLastError();
    framework::ShowSystemError(nullptr, error, IDS_WIZARD_CAPTION);
    m_nExitCode = ExitCode::PageFailed;
    return false;
}

void WizardApp::RunWizard()
{
    WizardPages pages = CreatePages();
    WelcomePageBase& welcome = *pages.welcome;
    DestinationPageBase& destination = *pages.destination;
    SummaryPageBase& summary = *pages.summary;
    PrinterPageBase& printer = *pages.printer;

    std::string pattern = framework::LoadText(IDS_INF_PATTERN);
    std::vector<std::string> candidates;
    if (!pattern.empty())
        candidates = ListInfFiles(pattern);

    WaitCursor::Begin();
    bool running = true;
    while (running) {
        switch (m_nState) {
        case StateWelcome: {
            try {
                CheckInstallRights();
            } catch (...) {
                // A failing check leaves the status as it was.
            }
            if (InstallStatus == INSTALL_NOT_ALLOWED)
                welcome.m_bInstallDisabled = 1;
            else
                welcome.m_bInstallDisabled = FindDriverInf(candidates).empty() ? 1 : 0;
            if (!ShowPage(welcome)) {
                InstallStatus = INSTALL_CANCELLED;
                running = false;
            } else if (welcome.m_nResult == PAGE_NEXT) {
                m_nTask = welcome.m_nTask == 1 ? 1 : 0;
                m_nState = m_nTask == 0 ? StatePrinter : StateDestination;
            } else if (welcome.m_nResult == PAGE_CANCEL) {
                InstallStatus = INSTALL_CANCELLED;
                running = false;
            }
            break;
        }
        case StatePrinter:
            if (!InstallPortMonitor(printer)) {
                InstallStatus = INSTALL_CANCELLED;
                m_nExitCode = ExitCode::PortMonitorFailed;
                running = false;
                break;
            }
            if (!ShowPage(printer)) {
                InstallStatus = INSTALL_CANCELLED;
                running = false;
                break;
            }
            WaitCursor::Restore();
            if (printer.m_nResult == PAGE_NEXT) {
                m_nState = StateSummary;
            } else if (printer.m_nResult == PAGE_BACK) {
                m_nState = StateWelcome;
            } else if (printer.m_nResult == PAGE_CANCEL) {
                InstallStatus = INSTALL_CANCELLED;
                running = false;
            }
            break;
        case StateDestination: {
            // The page moves about the file system; the package directory must be current
            // again for the copy and for the next visit.
            char saved[MAX_PATH + 1] = {};
            DWORD n = sys().GetCurrentDirectoryA(sizeof saved, saved);
            bool noted = n > 0 && n < sizeof saved;
            bool shown = ShowPage(destination);
            if (noted)
                sys().SetCurrentDirectoryA(saved);
            WaitCursor::Restore();
            if (!shown)
                running = false;
            else if (destination.m_nResult == PAGE_NEXT)
                m_nState = StateSummary;
            else if (destination.m_nResult == PAGE_BACK)
                m_nState = StateWelcome;
            else if (destination.m_nResult == PAGE_CANCEL)
                running = false;
            break;
        }
        case StateSummary:
            // Only this task's sections: what an earlier pass through the other task
            // left in the page would describe work that is not about to be done.
            if (m_nTask == 0) {
                summary.SetPrinterName(printer.m_strPrinterName.c_str());
                summary.SetPort(printer.m_szPort.c_str());
                summary.SetDestination(nullptr);
            } else {
                summary.SetPrinterName(nullptr);
                summary.SetPort(nullptr);
                summary.SetDestination(destination.m_szDirectory.c_str());
            }
            summary.m_nTask = static_cast<int>(m_nTask);
            if (!ShowPage(summary)) {
                InstallStatus = INSTALL_CANCELLED;
                running = false;
                break;
            }
            WaitCursor::Restore();
            if (summary.m_nResult == PAGE_NEXT) {
                if (m_nTask == 0) {
                    m_nState = StateInstallDriver;
                } else {
                    CopyDriverToDirectory(CopyTargetPath(destination.m_szDirectory));
                    m_nState = StateOpenCopy;
                }
            } else if (summary.m_nResult == PAGE_BACK) {
                m_nState = m_nTask == 0 ? StatePrinter : StateDestination;
            } else if (summary.m_nResult == PAGE_CANCEL) {
                InstallStatus = INSTALL_CANCELLED;
                running = false;
            }
            break;
        case StateInstallDriver:
            WaitCursor::Restore();
            m_nState = InstallDriver(FindDriverInf(candidates), m_szDriverName, nullptr)
                           ? StateCreatePrinter
                           : StatePrinter;
            break;
        case StateCreatePrinter:
            WaitCursor::Restore();
            m_nState = CreatePrinter(nullptr, printer.m_strPrinterName, m_szDriverName,
                                     printer.m_szPort, nullptr, nullptr, nullptr)
                           ? StateOpenPrinters
                           : StatePrinter;
            break;
        case StateOpenPrinters:
            WaitCursor::Restore();
            OpenPrintersFolder();
            running = false;
            break;
        case StateOpenCopy:
            WaitCursor::Restore();
            OpenCopiedDirectory(destination.m_szDirectory);
            running = false;
            break;
        default:
            running = false;
            break;
        }
    }
    WaitCursor::End();
}
