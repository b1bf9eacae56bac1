// Whole runs of setup.exe, for the scenarios that need an installed printer first, the tour
// and the benchmark.
#pragma once
#include <string>

#include "support/scenario_wizard.h"

namespace scenario {

struct InstallChoices {
    std::string printerName = kDriverName;
    // Empty: a new port through the monitor's dialog with the name it proposes; otherwise the
    // port of that name, created when the list does not show it yet.
    std::string port;
    int physicalPort = 0;   // 0 USB, n COM n
};

struct InstallOutcome {
    std::string port;          // the port chosen
    std::string summary;       // the summary page's text
    bool spoolerAsked = false;
    bool printersOpened = false;   // the shell was asked for the Printers folder
};

// Starts the wizard in `packageDir` and chooses the task (IDC_TASK_INSTALL or IDC_TASK_COPY) on
// the welcome page: the task's first page, the printer or the destination page, or nullptr with
// Error() set. A message box on the way is not answered.
HWND StartTask(Wizard& wizard, const std::string& packageDir, int task);

// The install task from the welcome page to the end of the program: the spooler question
// answered Yes when it comes, the port, the name, the summary, Finish.
bool RunInstall(Wizard& wizard, const std::string& packageDir, const InstallChoices& choices,
                InstallOutcome* outcome);

// The same for a setup.exe that has been started (or adopted) already.
bool DriveInstall(Wizard& wizard, const InstallChoices& choices, InstallOutcome* outcome);

// The copy task into `destination` (typed into the destination page), to the end of the
// program; a spooler question on Finish is answered Yes.
bool RunCopy(Wizard& wizard, const std::string& packageDir, const std::string& destination,
             bool* directoryOpened);

}  // namespace scenario
