// A wizard application whose pages and operations are scripted by the test.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/wizard_app.h"

namespace fakes {

// Shows nothing: each DoModal takes the next scripted action, which sets the page's
// fields and result as the user's clicks would.
template <typename Base>
class ScriptedPage : public Base {
public:
    INT_PTR DoModal() override
    {
        ++shown;
        if (onShow)
            onShow(*this);
        if (script.empty()) {
            this->m_nResult = PAGE_CANCEL;  // a script that runs dry cancels
            return IDCANCEL;
        }
        auto step = script.front();
        script.pop_front();
        step(*this);
        if (failing) {  // the dialog could not be made
            ::SetLastError(failWith);
            failing = false;
            return -1;
        }
        return this->m_nResult == PAGE_NEXT ? IDOK : IDCANCEL;
    }
    HWND GetSafeHwnd() const override { return nullptr; }

    void Then(std::function<void(Base&)> step) { script.push_back(std::move(step)); }
    void ThenResult(int result)
    {
        Then([result](Base& p) { p.m_nResult = result; });
    }
    void ThenFail(DWORD error)
    {
        Then([this, error](Base&) {
            failing = true;
            failWith = error;
        });
    }

    std::deque<std::function<void(Base&)>> script;
    std::function<void(Base&)> onShow;  // sees the fields as the page opens
    int shown = 0;
    bool failing = false;
    DWORD failWith = 0;
};

using Welcome = ScriptedPage<WelcomePageBase>;
using Printer = ScriptedPage<PrinterPageBase>;
using Destination = ScriptedPage<DestinationPageBase>;
using Summary = ScriptedPage<SummaryPageBase>;

class FakeWizardApp : public WizardApp {
public:
    FakeWizardApp();

    void CheckInstallRights() override;
    std::vector<std::string> ListInfFiles(const std::string& pattern) override;
    bool IsDriverInf(const std::string& infName) override;
    bool InstallPortMonitor(PrinterPageBase& page) override;
    int InstallDriver(const std::string& infName, const std::string& driverName,
                      const char* environment) override;
    int CreatePrinter(const char* serverName, const std::string& printerName,
                      const std::string& driverName, const std::string& portName,
                      const char* comment, const char* location, const char* sepFile) override;
    void CopyDriverToDirectory(const std::string& destination) override;
    void OpenPrintersFolder() override;
    void OpenCopiedDirectory(const std::string& directory) override;
    WizardPages CreatePages() override;

    // The pages the controller gets.
    std::shared_ptr<Welcome> welcome;
    std::shared_ptr<Printer> printer;
    std::shared_ptr<Destination> destination;
    std::shared_ptr<Summary> summary;

    // Scripted answers.
    std::function<void()> rights = [] {};
    std::vector<std::string> candidates;
    std::vector<std::string> driverInfs;
    std::deque<bool> monitorAnswers;  // default true when empty
    std::deque<int> driverAnswers;    // default 1
    std::deque<int> printerAnswers;   // default 1

    // What the controller did, in order ("rights", "monitor", "driver:<inf>", ...).
    std::vector<std::string> calls;
    std::string lastPattern;

private:
    WizardPages pages_;
};

}  // namespace fakes
