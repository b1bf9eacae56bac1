// The application object: start-up, the platform gate, the wizard controller, and the
// operations the controller runs between pages.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "install/exit_codes.h"
#include "package/model.h"
#include "package/package.h"
#include "pages/page_interfaces.h"
#include "platform/win.h"


enum WizardState : unsigned {
    StateWelcome = 0,
    StatePrinter = 2,
    StateDestination = 4,
    StateSummary = 6,
    StateInstallDriver = 8,
    StateCreatePrinter = 10,
    StateOpenPrinters = 12,
    StateOpenCopy = 14,
};

// What a state handler returns to end the run.
constexpr unsigned kEndWizard = 0xFFFFFFFFu;

// The four pages, made once per run of the wizard.
struct WizardPages {
    std::shared_ptr<WelcomePageBase> welcome;
    std::shared_ptr<DestinationPageBase> destination;
    std::shared_ptr<SummaryPageBase> summary;
    std::shared_ptr<PrinterPageBase> printer;
};

struct StateRow;

class WizardApp {
public:
    WizardApp();
    virtual ~WizardApp();
    WizardApp(const WizardApp&) = delete;
    WizardApp& operator=(const WizardApp&) = delete;

    // Passes the platform gate and runs the wizard; always FALSE (no message loop follows).
    BOOL InitInstance();
    // Runs the wizard's states from the current one to the end; returns InstallStatus.
    int RunWizard();

    // The operations of the wizard. Virtual so that tests can stand in for them.
    virtual void CheckInstallRights();
    virtual std::vector<std::string> ListInfFiles(const std::string& pattern);
    virtual bool IsDriverInf(const std::string& infName);
    virtual bool InstallPortMonitor(PrinterPageBase& page);
    virtual int InstallDriver(const std::string& infName, const std::string& driverName,
                              const char* environment);
    virtual int CreatePrinter(const char* serverName, const std::string& printerName,
                              const std::string& driverName, const std::string& portName,
                              const char* comment, const char* location, const char* sepFile);
    virtual void CopyDriverToDirectory(const std::string& destination);
    virtual void OpenPrintersFolder();
    virtual void OpenCopiedDirectory(const std::string& directory);
    virtual WizardPages CreatePages();

    // Shows a page after clearing its result. False when the page could not be shown: the
    // system's reason has been shown and the exit code says so.
    bool ShowPage(WizardPage& page);

    // 1 when the INF names a catalog file that exists and is not empty.
    int HasCatalogFile(const std::string& infName);

    Package m_package;  // the package of setup.exe, found when the application is made
    int InstallStatus = 0;  // how the installation went (install_status.h); never cleared
    unsigned m_nState = StateWelcome;
    OSVERSIONINFOA m_versionInfo;
    unsigned m_nTask = 0;
    ExitCode m_nExitCode = ExitCode::Done;  // the process's exit code when the wizard ends
    std::string m_szDriverName;
    std::string m_strPrintProcessor;
    // The package's default data type, given to the printer as well as the driver
    // (Wine's spooler needs an explicit data type; Windows treats it the same way).
    std::string m_strDefaultDataType;

    // The working data of one run of the wizard: the pages and the candidate INF names.
    struct WizardRun {
        WizardPages pages;
        std::vector<std::string> candidates;

        // The page of a state beyond the four: made on the state's first visit (with args)
        // and kept for the run, so that it shows what the user entered when shown again.
        template <typename Page, typename... Args>
        Page& PageOf(unsigned state, Args&&... args)
        {
            std::shared_ptr<WizardPage>& page = morePages[state];
            if (!page)
                page = std::make_shared<Page>(std::forward<Args>(args)...);
            return static_cast<Page&>(*page);
        }
        std::map<unsigned, std::shared_ptr<WizardPage>> morePages;
    };

    unsigned Cancelled();  // records the cancel and ends the run

private:
    // The row of the state table for a state; null for none (the end).
    static const StateRow* FindState(unsigned state);

    std::string FindDriverInf(const std::vector<std::string>& candidates);
    unsigned RunState(WizardRun& run);
    unsigned WelcomeState(WizardRun& run);
    unsigned PrinterState(WizardRun& run);
    unsigned DestinationState(WizardRun& run);
    unsigned SummaryState(WizardRun& run);
    unsigned InstallDriverState(WizardRun& run);
    unsigned CreatePrinterState(WizardRun& run);
    unsigned OpenPrintersState(WizardRun& run);
    unsigned OpenCopyState(WizardRun& run);
};

