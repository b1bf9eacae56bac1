#include "package/printer_model.h"
#include "support/fake_wizard.h"

#include <algorithm>

namespace fakes {

FakeWizardApp::FakeWizardApp()
{
    // The test keeps the pages too, to look at them after the run.
    pages_.welcome = welcome = std::make_shared<Welcome>();
    pages_.printer = printer = std::make_shared<Printer>();
    pages_.destination = destination = std::make_shared<Destination>();
    pages_.summary = summary = std::make_shared<Summary>();
    m_szDriverName = kModel.driverName;
}

WizardPages FakeWizardApp::CreatePages()
{
    return pages_;
}

void FakeWizardApp::CheckInstallRights()
{
    calls.push_back("rights");
    rights();
}

std::vector<std::string> FakeWizardApp::ListInfFiles(const std::string& pattern)
{
    lastPattern = pattern;
    return candidates;
}

bool FakeWizardApp::IsDriverInf(const std::string& infName)
{
    return std::find(driverInfs.begin(), driverInfs.end(), infName) != driverInfs.end();
}

bool FakeWizardApp::InstallPortMonitor(PrinterPageBase&)
{
    calls.push_back("monitor");
    if (monitorAnswers.empty())
        return true;
    bool r = monitorAnswers.front();
    monitorAnswers.pop_front();
    return r;
}

int FakeWizardApp::InstallDriver(const std::string& infName, const std::string& driverName,
                                 const char* environment)
{
    calls.push_back("driver:" + infName + "|" + driverName + (environment ? "|env" : ""));
    if (driverAnswers.empty())
        return 1;
    int r = driverAnswers.front();
    driverAnswers.pop_front();
    return r;
}

int FakeWizardApp::CreatePrinter(const char* serverName, const std::string& printerName,
                                 const std::string& driverName, const std::string& portName,
                                 const char* comment, const char* location, const char* sepFile)
{
    bool nulls = !serverName && !comment && !location && !sepFile;
    calls.push_back("printer:" + printerName + "|" + driverName + "|" + portName +
                    (nulls ? "" : "|non-null"));
    if (printerAnswers.empty())
        return 1;
    int r = printerAnswers.front();
    printerAnswers.pop_front();
    return r;
}

void FakeWizardApp::CopyDriverToDirectory(const std::string& destination)
{
    calls.push_back("copy:" + destination);
}

void FakeWizardApp::OpenPrintersFolder()
{
    calls.push_back("open-printers");
}

void FakeWizardApp::OpenCopiedDirectory(const std::string& directory)
{
    calls.push_back("open-copy:" + directory);
}

}  // namespace fakes
