// The wizard's states and transitions, with scripted pages and operations.
#include <gtest/gtest.h>

#include "app/install_status.h"
#include "framework/message_box.h"
#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "res/resource.h"
#include "seam_fakes.h"
#include "support/fake_wizard.h"
#include "support/scoped_api.h"
#include "support/wizard_texts.h"

using fakes::FakeWizardApp;
using Calls = std::vector<std::string>;

namespace {

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.candidates = {"driver.inf"};
        app.driverInfs = {"driver.inf"};
    }

    void Run()
    {
        app.m_nState = StateWelcome;
        app.RunWizard();
    }

    static std::function<void(WelcomePageBase&)> Choose(int task)
    {
        return [task](WelcomePageBase& p) {
            p.m_nTask = task;
            p.m_nResult = PAGE_NEXT;
        };
    }
    static std::function<void(PrinterPageBase&)> Name(const std::string& name,
                                                     const std::string& port)
    {
        return [name, port](PrinterPageBase& p) {
            p.m_strPrinterName = name;
            p.m_szPort = port;
            p.m_nResult = PAGE_NEXT;
        };
    }
    static std::function<void(DestinationPageBase&)> Directory(const std::string& dir)
    {
        return [dir](DestinationPageBase& p) {
            p.m_szDirectory = dir;
            p.m_nResult = PAGE_NEXT;
        };
    }

    platform::ScopedApi api;
    FakeWizardApp app;
};

TEST_F(ControllerTest, InstallTaskRunsEveryStepInOrder)
{
    app.welcome->Then(Choose(0));
    app.printer->Then(Name("Office", "ZRN1:"));
    app.summary->onShow = [](SummaryPageBase& s) {
        EXPECT_EQ(s.m_nTask, 0);
        EXPECT_EQ(s.m_szPrinterName, "Office");
        EXPECT_EQ(s.m_szPort, "ZRN1:");
        EXPECT_EQ(s.m_szDestination, "");
    };
    app.summary->ThenResult(PAGE_NEXT);
    Run();

    EXPECT_EQ(app.lastPattern, "*.inf");
    EXPECT_EQ(app.calls, (Calls{"rights", "monitor", "driver:driver.inf|ZRN 7730",
                                "printer:Office|ZRN 7730|ZRN1:", "open-printers"}));
    EXPECT_EQ(app.m_nTask, 0u);
    EXPECT_EQ(app.InstallStatus, 0);
    EXPECT_EQ(framework::WaitCursor::Depth(), 0);
}

TEST_F(ControllerTest, CopyTaskCopiesToTheDirectoryWithBackslashDotAndOpensIt)
{
    app.welcome->Then(Choose(1));
    app.destination->Then(Directory("C:\\drivers\\zrn"));
    app.summary->onShow = [](SummaryPageBase& s) {
        EXPECT_EQ(s.m_nTask, 1);
        EXPECT_EQ(s.m_szDestination, "C:\\drivers\\zrn");
    };
    app.summary->ThenResult(PAGE_NEXT);
    Run();

    EXPECT_EQ(app.calls, (Calls{"rights", "copy:C:\\drivers\\zrn\\.", "open-copy:C:\\drivers\\zrn"}));
    EXPECT_EQ(app.m_nTask, 1u);
    EXPECT_EQ(app.InstallStatus, 0);
}

TEST_F(ControllerTest, CopyTargetHasOneBackslashBeforeTheDotWhenTheDirectoryEndsWithOne)
{
    app.welcome->Then(Choose(1));
    app.destination->Then(Directory("C:\\drivers\\"));
    app.summary->ThenResult(PAGE_NEXT);
    Run();
    EXPECT_EQ(app.calls.at(1), "copy:C:\\drivers\\.");
}

TEST_F(ControllerTest, DiscoveryOffersInstallOnlyWithADriverInfAmongTheCandidates)
{
    struct Case {
        std::vector<std::string> candidates, drivers;
        std::string expectedInf;
        int disabled;
    } cases[] = {
        {{"a.inf", "b.inf", "c.inf"}, {"b.inf"}, "b.inf", 0},  // not the first listed
        {{"a.inf", "b.inf"}, {"a.inf", "b.inf"}, "a.inf", 0},  // the first that passes
        {{"a.inf"}, {}, "", 1},
        {{}, {}, "", 1},
    };
    for (const Case& c : cases) {
        FakeWizardApp a;
        a.candidates = c.candidates;
        a.driverInfs = c.drivers;
        a.welcome->Then(Choose(0));
        a.printer->ThenResult(PAGE_NEXT);
        a.summary->ThenResult(PAGE_NEXT);
        a.printerAnswers = {1};
        int disabled = -1;
        a.welcome->onShow = [&](WelcomePageBase& w) { disabled = w.m_bInstallDisabled; };
        a.RunWizard();
        EXPECT_EQ(disabled, c.disabled);
        EXPECT_EQ(a.calls.at(2), "driver:" + c.expectedInf + "|ZRN 7730");
    }
}

TEST_F(ControllerTest, NoAdministratorDisablesInstallOnEveryVisit)
{
    app.rights = [this] { app.InstallStatus = INSTALL_NOT_ALLOWED; };
    std::vector<int> disabled;
    app.welcome->onShow = [&](WelcomePageBase& w) { disabled.push_back(w.m_bInstallDisabled); };
    app.welcome->Then(Choose(1));
    app.destination->ThenResult(PAGE_BACK);
    app.welcome->ThenResult(PAGE_CANCEL);
    Run();

    EXPECT_EQ(disabled, (std::vector<int>{1, 1}));
    EXPECT_EQ(app.calls, (Calls{"rights", "rights"}));  // checked again on every entry
}

TEST_F(ControllerTest, AnExceptionFromTheRightsCheckIsIgnored)
{
    app.rights = [] { throw std::runtime_error("token"); };
    int disabled = -1;
    app.welcome->onShow = [&](WelcomePageBase& w) { disabled = w.m_bInstallDisabled; };
    app.welcome->ThenResult(PAGE_CANCEL);
    Run();
    EXPECT_EQ(disabled, 0);
    EXPECT_EQ(app.InstallStatus, INSTALL_CANCELLED);
}

TEST_F(ControllerTest, CancelOnEachPageEndsTheWizard)
{
    {
        FakeWizardApp a;
        a.welcome->ThenResult(PAGE_CANCEL);
        EXPECT_EQ(a.RunWizard(), INSTALL_CANCELLED);
        EXPECT_EQ(a.calls, (Calls{"rights"}));
    }
    {
        FakeWizardApp a;
        a.welcome->Then(Choose(0));
        a.printer->ThenResult(PAGE_CANCEL);
        EXPECT_EQ(a.RunWizard(), INSTALL_CANCELLED);
        EXPECT_EQ(a.calls, (Calls{"rights", "monitor"}));
    }
    {
        FakeWizardApp a;
        a.welcome->Then(Choose(0));
        a.printer->ThenResult(PAGE_NEXT);
        a.summary->ThenResult(PAGE_CANCEL);
        EXPECT_EQ(a.RunWizard(), INSTALL_CANCELLED);
        EXPECT_EQ(a.calls, (Calls{"rights", "monitor"}));
    }
    {
        // The destination page's Cancel ends the wizard without recording a cancel.
        FakeWizardApp a;
        a.welcome->Then(Choose(1));
        a.destination->ThenResult(PAGE_CANCEL);
        EXPECT_EQ(a.RunWizard(), 0);
        EXPECT_EQ(a.calls, (Calls{"rights"}));
    }
}

TEST_F(ControllerTest, RefusedPortMonitorStepEndsWithoutShowingThePrinterPage)
{
    app.welcome->Then(Choose(0));
    app.monitorAnswers = {false};
    Run();
    EXPECT_EQ(app.InstallStatus, INSTALL_CANCELLED);
    EXPECT_EQ(app.m_nExitCode, ExitCode::PortMonitorFailed);
    EXPECT_EQ(app.printer->shown, 0);
    EXPECT_EQ(app.calls, (Calls{"rights", "monitor"}));
}

TEST_F(ControllerTest, BackFromSummaryReturnsToThePageOfTheTask)
{
    app.welcome->Then(Choose(0));
    app.printer->Then(Name("P", "FILE:"));
    app.summary->ThenResult(PAGE_BACK);
    app.printer->ThenResult(PAGE_BACK);
    app.welcome->Then(Choose(1));
    app.destination->Then(Directory("C:\\x"));
    app.summary->ThenResult(PAGE_BACK);
    app.destination->ThenResult(PAGE_CANCEL);
    Run();
    EXPECT_EQ(app.printer->shown, 2);
    EXPECT_EQ(app.destination->shown, 2);
    EXPECT_EQ(app.summary->shown, 2);
    EXPECT_EQ(app.welcome->shown, 2);
    EXPECT_EQ(app.calls, (Calls{"rights", "monitor", "monitor", "rights"}));
}

TEST_F(ControllerTest, FailedDriverOrPrinterStepReturnsToThePrinterStateAfterTheMonitorStep)
{
    app.welcome->Then(Choose(0));
    app.printer->Then(Name("P", "ZRN1:"));
    app.summary->ThenResult(PAGE_NEXT);
    app.driverAnswers = {0};
    app.printer->Then(Name("P2", "ZRN1:"));
    app.summary->ThenResult(PAGE_NEXT);
    app.printerAnswers = {0};
    app.printer->Then(Name("P3", "ZRN2:"));
    app.summary->ThenResult(PAGE_NEXT);
    Run();
    EXPECT_EQ(app.calls,
              (Calls{"rights", "monitor", "driver:driver.inf|ZRN 7730", "monitor",
                     "driver:driver.inf|ZRN 7730", "printer:P2|ZRN 7730|ZRN1:", "monitor",
                     "driver:driver.inf|ZRN 7730", "printer:P3|ZRN 7730|ZRN2:", "open-printers"}));
}

TEST_F(ControllerTest, CopyThenBackTwiceThenInstallShowsTheInstallHeading)
{
    app.welcome->Then(Choose(1));
    app.destination->Then(Directory("D:\\out"));
    app.summary->ThenResult(PAGE_BACK);
    app.destination->ThenResult(PAGE_BACK);
    app.welcome->Then(Choose(0));
    app.printer->Then(Name("P", "FILE:"));
    std::vector<int> tasks;
    std::vector<std::string> sections;
    app.summary->onShow = [&](SummaryPageBase& s) {
        tasks.push_back(s.m_nTask);
        sections.push_back(s.m_szPrinterName + "|" + s.m_szPort + "|" + s.m_szDestination);
    };
    app.summary->ThenResult(PAGE_CANCEL);
    Run();
    EXPECT_EQ(tasks, (std::vector<int>{1, 0}));
    // Each showing carries only the sections of its own task.
    EXPECT_EQ(sections, (std::vector<std::string>{"||D:\\out", "P|FILE:|"}));
    EXPECT_EQ(app.m_nTask, 0u);
}

TEST_F(ControllerTest, APageThatCannotBeShownEndsTheWizardWithTheSystemsReason)
{
    std::vector<std::string> boxes;
    api->MessageBoxA = [&](HWND, LPCSTR text, LPCSTR caption, UINT) {
        boxes.push_back(std::string(caption) + ": " + text);
        return IDOK;
    };
    app.welcome->Then(Choose(0));
    app.printer->Then(Name("P", "FILE:"));
    app.summary->ThenResult(PAGE_BACK);
    app.printer->ThenFail(ERROR_RESOURCE_TYPE_NOT_FOUND);  // its earlier Next must not count
    Run();
    EXPECT_EQ(app.summary->shown, 1);
    EXPECT_EQ(boxes, (std::vector<std::string>{std::string(texts::kBoxCaption) + ": " +
                                               framework::LoadText(IDS_PAGE_NOT_SHOWN) + " " +
                                               framework::SystemErrorText(ERROR_RESOURCE_TYPE_NOT_FOUND)}));
    EXPECT_EQ(app.m_nExitCode, ExitCode::PageFailed);
    EXPECT_EQ(app.InstallStatus, INSTALL_CANCELLED);
}

TEST_F(ControllerTest, APageThatFailsWithoutAReasonSaysSoAndNotThatAllWentWell)
{
    std::vector<std::string> boxes;
    api->MessageBoxA = [&](HWND, LPCSTR text, LPCSTR, UINT) {
        boxes.push_back(text);
        return IDOK;
    };
    app.welcome->ThenFail(ERROR_SUCCESS);
    Run();
    EXPECT_EQ(boxes, std::vector<std::string>{framework::LoadText(IDS_PAGE_NOT_SHOWN)});
}

TEST_F(ControllerTest, AResultThePageTableDoesNotListShowsTheSamePageAgain)
{
    app.welcome->ThenResult(PAGE_BACK);  // the welcome page has no Back
    app.welcome->ThenResult(PAGE_CANCEL);
    Run();
    EXPECT_EQ(app.welcome->shown, 2);
}

TEST(WizardRun, APageBeyondTheFourIsMadeOnItsFirstVisitAndKept)
{
    WizardApp::WizardRun run;
    fakes::Summary& first = run.PageOf<fakes::Summary>(StateOpenCopy + 2);
    first.m_szPort = "entered";
    EXPECT_EQ(&run.PageOf<fakes::Summary>(StateOpenCopy + 2), &first);
    EXPECT_EQ(run.PageOf<fakes::Summary>(StateOpenCopy + 2).m_szPort, "entered");
}

}  // namespace
