// The printer page's port list and New port button, on the real page and list control,
// against a faked spooler, registry and port monitor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "framework/message_box.h"
#include "monitor_fakes.h"
#include "pages/printer_page.h"
#include "res/resource.h"
#include "support/page_run.h"
#include "support/wizard_texts.h"

using monitorfakes::Machine;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const char kMonitorName[] = "ZRN 7730 Language/Port Monitor";
const std::string kPortsKey = std::string(Machine::kMonitorsKey) + "\\" + kMonitorName + "\\Ports\\";

struct Row {
    std::string name, physical;
    bool selected;
    bool operator==(const Row& o) const
    {
        return name == o.name && physical == o.physical && selected == o.selected;
    }
};

std::ostream& operator<<(std::ostream& os, const Row& r)
{
    return os << '{' << r.name << ", " << r.physical << (r.selected ? ", selected}" : "}");
}

// Runs the page as the wizard does and calls body once it shows; then cancels it.
void RunPage(PrinterPage& page, std::function<void()> body)
{
    INT_PTR result = 0;
    bool ran = testpages::PageRun::Run(page, std::move(body), &result);
    ASSERT_TRUE(ran) << "the page did not show; DoModal gave " << result;
}

class PortListTest : public testing::Test {
protected:
    PortListTest() : machine(api)
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        machine.Register(kMonitorName, "ZRNKPMON.DLL", "1.0.0.1");
        machine.PackageVersion("1.0.0.1");
        machine.ports = {{"KPL2:", kMonitorName},   {"LPT1:", "Local Port"}, {"KPL1:", kMonitorName},
                         {"FILE:", "Local Port"},    {"KPL1:", kMonitorName},  // reported twice
                         {"kpl9:", "zrn 7730 language/port monitor"}};           // another monitor
        machine.registry.SetDword(kPortsKey + "KPL1:", "TYPE", 0);
        machine.registry.SetDword(kPortsKey + "KPL2:", "TYPE", 3);
    }

    std::vector<Row> Rows() const
    {
        std::vector<Row> rows;
        for (int i = 0; i < page.m_listPorts.GetItemCount(); ++i)
            rows.push_back({page.m_listPorts.GetItemText(i, 0), page.m_listPorts.GetItemText(i, 1),
                            (page.m_listPorts.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) != 0});
        return rows;
    }

    bool NextEnabled() const { return IsWindowEnabled(GetDlgItem(page.GetSafeHwnd(), IDOK)) != FALSE; }

    void ClickNewPort() const
    {
        HWND hwnd = page.GetSafeHwnd();
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_NEW_PORT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_NEW_PORT)));
    }

    // The monitor's port dialog: creates a port of the monitor with a type.
    void MonitorCreates(const std::string& name, DWORD type)
    {
        machine.onAddPort = [this, name, type] {
            machine.ports.insert(machine.ports.begin() + 1, {name, kMonitorName});
            machine.registry.SetDword(kPortsKey + name, "TYPE", type);
        };
    }

    platform::ScopedApi api;
    Machine machine;
    PrinterPage page{Package{Machine::kPackage}};
};

TEST_F(PortListTest, FirstShowingListsTheMonitorsPortsAndTheFilePortOnce)
{
    RunPage(page, [&] {
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", false}, Row{"KPL1:", "USB", false},
                                        Row{"KPL2:", "COM 3", false}));
        // The first row in sorted order was chosen; the page then cleared the selection.
        EXPECT_EQ(page.m_szPort, "FILE:");
        EXPECT_FALSE(NextEnabled());
        EXPECT_THAT(page.m_szShownPorts, ElementsAre("KPL2:", "KPL1:", "FILE:"));
    });
}

TEST_F(PortListTest, PortThatAppearedSinceTheLastFillBecomesTheChoice)
{
    RunPage(page, [&] {
        machine.ports.push_back({"KPL4:", kMonitorName});
        machine.ports.push_back({"KPL3:", kMonitorName});
        page.FillPortList();
        // The last new one in the spooler's order wins.
        EXPECT_EQ(page.m_szPort, "KPL3:");
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", false}, Row{"KPL1:", "USB", false},
                                        Row{"KPL2:", "COM 3", false}, Row{"KPL3:", "", true},
                                        Row{"KPL4:", "", false}));
        EXPECT_TRUE(NextEnabled());
    });
}

TEST_F(PortListTest, EarlierChoiceIsSelectedAgainWhateverItsLetterCase)
{
    RunPage(page, [&] {
        page.m_szPort = "kpl2:";
        page.FillPortList();
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", false}, Row{"KPL1:", "USB", false},
                                        Row{"KPL2:", "COM 3", true}));
        // The selection hands the row's own spelling to the page.
        EXPECT_EQ(page.m_szPort, "KPL2:");
        EXPECT_TRUE(NextEnabled());
    });
}

TEST_F(PortListTest, RemovedChoiceStaysChosenWithNothingSelected)
{
    RunPage(page, [&] {
        page.m_szPort = "KPL2:";
        machine.ports.erase(machine.ports.begin());
        page.FillPortList();
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", false}, Row{"KPL1:", "USB", false}));
        EXPECT_EQ(page.m_szPort, "KPL2:");
        EXPECT_TRUE(NextEnabled());
    });
}

TEST_F(PortListTest, FailedEnumerationLeavesTheFilePort)
{
    machine.enumPortsError = ERROR_OUTOFMEMORY;
    RunPage(page, [&] {
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", false}));
        EXPECT_EQ(page.m_szPort, "FILE:");
        EXPECT_THAT(page.m_szShownPorts, IsEmpty());
    });
}

TEST_F(PortListTest, WithoutMonitorPortsTheFilePortIsChosen)
{
    machine.ports = {{"LPT1:", "Local Port"}, {"FILE:", "Local Port"}};
    RunPage(page, [&] {
        page.m_szPort.clear();
        page.FillPortList();
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", true}));
        EXPECT_EQ(page.m_szPort, "FILE:");
        EXPECT_TRUE(NextEnabled());

        // No ports at all: nothing to choose, Next off.
        machine.ports.clear();
        page.m_szShownPorts.clear();
        page.m_szPort.clear();
        page.FillPortList();
        EXPECT_THAT(Rows(), IsEmpty());
        EXPECT_EQ(page.m_szPort, "");
        EXPECT_FALSE(NextEnabled());
    });
}

TEST_F(PortListTest, PhysicalPortComesFromTheTypeNumber)
{
    machine.registry.SetDword(kPortsKey + "A", "TYPE", 12);
    machine.registry.SetDword(kPortsKey + "B", "TYPE", 0xFFFFFFFFu);
    machine.registry.SetRaw(kPortsKey + "C", "TYPE", REG_BINARY, std::string(4, '\0'));
    machine.registry.SetRaw(kPortsKey + "D", "TYPE", REG_DWORD, std::string(2, '\0'));
    machine.registry.SetRaw(kPortsKey + "E", "TYPE", REG_SZ, std::string("1\0", 2));
    machine.registry.SetRaw(kPortsKey + "F", "TYPE", REG_DWORD, std::string("\x02\0\0\0\x09\0\0\0", 8));
    machine.registry.AddKey(kPortsKey + "G");

    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("KPL1:"), "USB");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("A"), "COM 12");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("B"), "COM -1");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("C"), "");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("D"), "");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("E"), "");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("F"), "COM 2");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("G"), "");
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort("FILE:"), "");
    // A key path beyond 259 characters is not looked up.
    size_t accesses = machine.registry.accesses.size();
    EXPECT_EQ(PrinterPage::GetRelatedPhysicalPort(std::string(260, 'x')), "");
    EXPECT_EQ(machine.registry.accesses.size(), accesses);
    for (REGSAM access : machine.registry.accesses)
        EXPECT_EQ(access, static_cast<REGSAM>(0x2001F));
    EXPECT_EQ(machine.registry.OpenCount(), 0);
}

TEST_F(PortListTest, NameListTestsExactNamesAndAcceptsAnyNameWhenEmpty)
{
    EXPECT_TRUE(PrinterPage::IsNameInList("KPL1:", {}));
    EXPECT_TRUE(PrinterPage::IsNameInList("KPL1:", {"FILE:", "KPL1:"}));
    EXPECT_FALSE(PrinterPage::IsNameInList("kpl1:", {"FILE:", "KPL1:"}));
    EXPECT_FALSE(PrinterPage::IsNameInList("KPL", {"KPL1:"}));
}

TEST_F(PortListTest, NewPortIsAddedThroughTheMonitorListedAndChosen)
{
    MonitorCreates("KPL3:", 2);
    RunPage(page, [&] {
        ClickNewPort();
        EXPECT_THAT(machine.portRequests, ElementsAre(kMonitorName));
        EXPECT_THAT(machine.portOwners, ElementsAre(page.GetSafeHwnd()));
        EXPECT_EQ(page.m_szPort, "KPL3:");
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", false}, Row{"KPL1:", "USB", false},
                                        Row{"KPL2:", "COM 3", false}, Row{"KPL3:", "COM 2", true}));
        EXPECT_TRUE(NextEnabled());
        EXPECT_THAT(machine.events, ElementsAre("add port"));
        EXPECT_THAT(machine.boxes, IsEmpty());
    });
}

TEST_F(PortListTest, NewPortRegistersAMissingMonitorFirst)
{
    machine.monitors.clear();
    MonitorCreates("KPL3:", 0);
    RunPage(page, [&] {
        ClickNewPort();
        EXPECT_THAT(machine.events, ElementsAre("copy", std::string("add monitor ") + kMonitorName,
                                                "add port"));
        EXPECT_EQ(page.m_szPort, "KPL3:");
    });
}

TEST_F(PortListTest, NewPortUsesTheInstalledMonitorsName)
{
    machine.monitors = {{"ZRN monitor, older name", "zrnkpmon.dll"}};
    RunPage(page, [&] {
        ClickNewPort();
        EXPECT_THAT(machine.portRequests, ElementsAre("ZRN monitor, older name"));
    });
}

TEST_F(PortListTest, NoPortWhenTheMonitorCannotBeReady)
{
    MonitorCreates("KPL3:", 0);
    RunPage(page, [&] {
        // The registration is refused.
        machine.monitors.clear();
        machine.addMonitorError = ERROR_PROC_NOT_FOUND;
        ClickNewPort();
        EXPECT_THAT(machine.portRequests, IsEmpty());
        ASSERT_EQ(machine.boxes.size(), 1u);
        EXPECT_EQ(machine.boxes[0].caption, texts::kInstallFailedCaption);
        EXPECT_EQ(machine.boxes[0].owner, page.GetSafeHwnd());

        // The upgrade is declined.
        machine.boxes.clear();
        machine.Register(kMonitorName, "ZRNKPMON.DLL", "1.0.0.1");
        machine.PackageVersion("1.0.0.2");
        machine.answers = {IDNO};
        ClickNewPort();
        EXPECT_THAT(machine.portRequests, IsEmpty());
        EXPECT_EQ(machine.boxes.size(), 1u);
        EXPECT_EQ(page.m_szPort, "FILE:");
    });
}

TEST_F(PortListTest, NewPortWithAnUnreadableMonitorInfAddsNoPort)
{
    machine.files.clear();
    // The spooler refuses a monitor without a name or a DLL.
    machine.addMonitorError = ERROR_INVALID_PARAMETER;
    RunPage(page, [&] {
        int enumerations = machine.portEnumerations;
        ClickNewPort();
        ASSERT_EQ(machine.boxes.size(), 2u);
        EXPECT_EQ(machine.boxes[0].text, "Unable to open file: monitorxp.inf.\nInstallation aborted.");
        EXPECT_EQ(machine.boxes[1].caption, texts::kInstallFailedCaption);
        ASSERT_EQ(machine.addedMonitors.size(), 1u);
        EXPECT_EQ(machine.addedMonitors[0].name, "");
        EXPECT_EQ(machine.addedMonitors[0].dll, "");
        EXPECT_THAT(machine.portRequests, IsEmpty());
        // Snapshot, second look and the refill.
        EXPECT_EQ(machine.portEnumerations, enumerations + 3);
    });
}

TEST_F(PortListTest, NewPortWithoutTheMonitorDirectoryOnlyReports)
{
    machine.directories = {Machine::kPackage};
    RunPage(page, [&] {
        int enumerations = machine.portEnumerations;
        ClickNewPort();
        ASSERT_EQ(machine.boxes.size(), 1u);
        EXPECT_EQ(machine.boxes[0].text, "Unable to open file: monitorxp.inf.\nInstallation aborted.");
        EXPECT_EQ(machine.boxes[0].owner, page.GetSafeHwnd());
        EXPECT_THAT(machine.portRequests, IsEmpty());
        EXPECT_EQ(machine.portEnumerations, enumerations + 1);  // the snapshot only, no refill
    });
}

TEST_F(PortListTest, CancelledPortDialogKeepsTheChoice)
{
    RunPage(page, [&] {
        page.m_szPort = "KPL2:";
        ClickNewPort();
        EXPECT_THAT(machine.portRequests, ElementsAre(kMonitorName));
        EXPECT_EQ(page.m_szPort, "KPL2:");
        EXPECT_THAT(Rows(), ElementsAre(Row{"FILE:", "", false}, Row{"KPL1:", "USB", false},
                                        Row{"KPL2:", "COM 3", true}));
    });
}

TEST_F(PortListTest, NewPortWithTheSpoolerUnavailableEndsTheProcess)
{
    RunPage(page, [&] {
        machine.scm.managerError = ERROR_ACCESS_DENIED;
        try {
            page.OnNewPort();
            ADD_FAILURE() << "the process should have ended";
        } catch (const platform::ProcessExit& e) {
            EXPECT_EQ(e.code, 4u);
        }
        EXPECT_THAT(machine.portRequests, IsEmpty());
    });
}

}  // namespace
