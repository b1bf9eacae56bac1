#include "support/scenario_flows.h"

#include "support/ui_driver.h"

namespace scenario {

namespace {

// How long the shell's start of explorer.exe is waited for once setup.exe has ended.
const DWORD kShellWaitMs = 10000;

}  // namespace

HWND StartTask(Wizard& wizard, const std::string& packageDir, int task)
{
    if (!wizard.Start(packageDir))
        return nullptr;
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    if (!welcome || !wizard.ChooseTask(welcome, task))
        return nullptr;
    return wizard.WaitForPage(task == IDC_TASK_COPY ? Page::Destination : Page::Printer);
}

bool RunInstall(Wizard& wizard, const std::string& packageDir, const InstallChoices& choices,
                InstallOutcome* outcome)
{
    *outcome = InstallOutcome();
    return wizard.Start(packageDir) && DriveInstall(wizard, choices, outcome);
}

bool DriveInstall(Wizard& wizard, const InstallChoices& choices, InstallOutcome* outcome)
{
    *outcome = InstallOutcome();
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    if (!welcome)
        return false;
    wizard.Show(welcome, "welcome");
    if (!wizard.ChooseTask(welcome, IDC_TASK_INSTALL))
        return false;

    // The spooler question, then perhaps the monitor upgrade question, then the page.
    HWND printer = nullptr;
    for (int boxes = 0; !printer; ++boxes) {
        HWND box = nullptr;
        printer = wizard.WaitForPageOrBox(Page::Printer, &box);
        if (printer)
            break;
        if (!box || boxes == 2)
            return false;
        std::string text = e2e::MessageBoxText(box);
        if (text == texts::kStartSpoolerQuestion) {
            outcome->spoolerAsked = true;
            wizard.Answer(IDYES, "spooler-question");
        } else if (text == texts::kUpgradeQuestion) {
            wizard.Answer(IDYES, "upgrade-question");
        } else {
            wizard.Answer(IDOK, "message");
            return false;
        }
    }
    wizard.Show(printer, "printer");

    outcome->port = choices.port;
    if (choices.port.empty() || e2e::ListFind(printer, IDC_PORTS, choices.port) < 0) {
        if (!wizard.AddPort(printer, &outcome->port, choices.physicalPort))
            return false;
    }
    if (!wizard.SelectPort(printer, outcome->port) || !wizard.TypePrinterName(printer, choices.printerName))
        return false;
    wizard.Show(printer, "printer-filled");
    if (!wizard.Press(printer, IDOK))
        return false;

    HWND summary = wizard.WaitForPage(Page::Summary);
    if (!summary)
        return false;
    outcome->summary = e2e::ItemText(summary, IDC_SUMMARY_TEXT);
    wizard.Show(summary, "summary");
    if (!wizard.Press(summary, IDOK) || !wizard.WaitForExit())
        return false;
    outcome->printersOpened = wizard.Children().WaitForChild(kPrintersFolderClsid, kShellWaitMs);
    return true;
}

bool RunCopy(Wizard& wizard, const std::string& packageDir, const std::string& destination, bool* directoryOpened)
{
    *directoryOpened = false;
    if (!wizard.Start(packageDir))
        return false;
    HWND welcome = wizard.WaitForPage(Page::Welcome);
    if (!welcome)
        return false;
    wizard.Show(welcome, "welcome");
    if (!wizard.ChooseTask(welcome, IDC_TASK_COPY))
        return false;
    HWND page = wizard.WaitForPage(Page::Destination);
    if (!page)
        return false;
    if (!e2e::SetItemText(page, IDC_DIRECTORY, destination))
        return false;
    wizard.Show(page, "destination");
    if (!wizard.Press(page, IDOK))
        return false;
    HWND summary = wizard.WaitForPage(Page::Summary);
    if (!summary)
        return false;
    wizard.Show(summary, "copy-summary");
    if (!wizard.Press(summary, IDOK))
        return false;
    // Finish asks about a stopped spooler, for this task too; otherwise the program copies and ends.
    e2e::WindowQuery question;
    question.pid = wizard.Pid();
    question.caption = texts::kBoxCaption;
    question.withControl = 0xFFFF;
    for (DWORD waited = 0; wizard.Running() && waited < e2e::kWaitMs; waited += 20) {
        if (HWND box = e2e::FindWindowNow(question)) {
            if (e2e::MessageBoxText(box) != texts::kStartSpoolerQuestion)
                break;
            wizard.Answer(IDYES, "spooler-question");
        }
        Sleep(20);
    }
    if (!wizard.WaitForExit())
        return false;
    *directoryOpened = wizard.Children().WaitForChild(destination, kShellWaitMs);
    return true;
}

}  // namespace scenario
