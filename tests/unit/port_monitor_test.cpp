// The port monitor step before the printer page: registration, the upgrade offer and its
// spooler stop and restart, and the version comparison behind the offer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/wizard_app.h"
#include "framework/message_box.h"
#include "framework/strings.h"
#include "install/port_monitor.h"
#include "install/version_compare.h"
#include "monitor_fakes.h"
#include "native/monitor_inf_cases.h"
#include "res/resource.h"
#include "support/wizard_texts.h"

using monitorfakes::Machine;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const char kMonitorName[] = "ZRN 7730 Language/Port Monitor";

HWND Owner()
{
    return reinterpret_cast<HWND>(0x4242);
}

class FakePrinterPage : public PrinterPageBase {
public:
    INT_PTR DoModal() override { return IDCANCEL; }
    HWND GetSafeHwnd() const override { return hwnd; }
    HWND hwnd = Owner();
};

class PortMonitorTest : public testing::Test {
protected:
    PortMonitorTest() : machine(api)
    {
        app.m_versionInfo.dwPlatformId = VER_PLATFORM_WIN32_NT;
        app.m_versionInfo.dwMajorVersion = 5;
        app.m_versionInfo.dwMinorVersion = 1;
        app.m_package.root = Machine::kPackage;
    }

    static MonitorInfScan PackageScan() { return MonitorInfScan(Machine::kMonitorDir, "monitorxp.inf", 5, 1); }

    bool Install() { return app.InstallPortMonitor(page); }

    std::vector<std::string> Captions() const
    {
        std::vector<std::string> out;
        for (const auto& b : machine.boxes)
            out.push_back(b.caption);
        return out;
    }

    platform::ScopedApi api;
    Machine machine;
    WizardApp app;
    FakePrinterPage page;
};

TEST_F(PortMonitorTest, UnregisteredMonitorIsCopiedAndRegisteredWithoutStoppingTheSpooler)
{
    machine.Register("Local Port", "localspl.dll", "1.0");

    EXPECT_TRUE(Install());

    ASSERT_EQ(machine.copies.size(), 1u);
    EXPECT_THAT(machine.copies[0].sources,
                ElementsAre("C:\\pkg\\kpmonitor\\ZRNKPMON.DLL", "C:\\pkg\\kpmonitor\\ZRNKPUI.DLL"));
    EXPECT_EQ(machine.copies[0].destination, "C:\\windows\\system32\\");
    ASSERT_EQ(machine.addedMonitors.size(), 1u);
    EXPECT_EQ(machine.addedMonitors[0].name, kMonitorName);
    EXPECT_EQ(machine.addedMonitors[0].dll, "ZRNKPMON.DLL");
    EXPECT_THAT(machine.events, ElementsAre("copy", std::string("add monitor ") + kMonitorName));
    EXPECT_THAT(machine.boxes, IsEmpty());
    EXPECT_EQ(machine.registry.OpenCount(), 0);
}

TEST_F(PortMonitorTest, RefusedRegistrationIsShownAndThePageFollows)
{
    machine.addMonitorError = ERROR_MOD_NOT_FOUND;

    EXPECT_TRUE(Install());

    ASSERT_EQ(machine.boxes.size(), 1u);
    EXPECT_EQ(machine.boxes[0].text, framework::SystemErrorText(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(machine.boxes[0].caption, texts::kInstallFailedCaption);
    EXPECT_EQ(machine.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(machine.boxes[0].owner, Owner());
}

TEST_F(PortMonitorTest, RegisteredMonitorWithTheSameVersionShowsNothing)
{
    // The DLL name matches in any letter case.
    machine.Register("ZRN monitor (renamed)", "zrnkpmon.dll", "1.0.0.1");
    machine.PackageVersion("1.0.0.1");

    EXPECT_TRUE(Install());

    EXPECT_THAT(machine.addedMonitors, IsEmpty());
    EXPECT_THAT(machine.copies, IsEmpty());
    EXPECT_THAT(machine.boxes, IsEmpty());
    EXPECT_TRUE(machine.scm.Running("Spooler"));
    // The package's own copy, in the monitor directory, is the one compared.
    EXPECT_THAT(machine.versionQueries, ElementsAre("C:\\pkg\\kpmonitor\\ZRNKPMON.DLL"));
}

TEST_F(PortMonitorTest, VersionsCompareByTheirNumbers)
{
    struct Case {
        const char* installed;
        const char* packaged;
        bool offered;
    };
    for (const Case& c : {Case{"1.10", "1.9", false}, Case{"1.9", "1.10", true}, Case{"1.0.0.2", "1.0.0.1", false},
                          Case{"1.9", "1.9.0", false}, Case{"1.9", "1.9.0.1", true}}) {
        SCOPED_TRACE(std::string(c.installed) + " installed, " + c.packaged + " in the package");
        platform::ScopedApi scope;
        Machine m(scope);
        m.Register(kMonitorName, "ZRNKPMON.DLL", c.installed);
        m.PackageVersion(c.packaged);
        m.answers = {IDNO};
        WizardApp a;
        a.m_versionInfo = app.m_versionInfo;
        a.m_package = app.m_package;
        EXPECT_TRUE(a.InstallPortMonitor(page));
        EXPECT_EQ(m.boxes.size(), c.offered ? 1u : 0u);
        EXPECT_THAT(m.copies, IsEmpty());
    }
}

TEST_F(PortMonitorTest, NoUpgradeWithoutAnInstalledOrPackagedVersion)
{
    // No "Version" value, however old the monitor.
    machine.Register(kMonitorName, "ZRNKPMON.DLL");
    machine.PackageVersion("9.9");
    EXPECT_TRUE(Install());
    EXPECT_THAT(machine.boxes, IsEmpty());

    // A "Version" value, but no version block in the package's DLL.
    machine.fileVersions.clear();
    machine.registry.SetString(std::string(Machine::kMonitorsKey) + "\\" + kMonitorName, "Version", "0.1");
    EXPECT_TRUE(Install());
    EXPECT_THAT(machine.boxes, IsEmpty());

    // A version block without the FileVersion string.
    machine.PackageVersion("");
    EXPECT_TRUE(Install());
    EXPECT_THAT(machine.boxes, IsEmpty());
    EXPECT_THAT(machine.copies, IsEmpty());
}

TEST_F(PortMonitorTest, UpgradeStopsTheSpoolerAroundTheCopy)
{
    machine.Register(kMonitorName, "ZRNKPMON.DLL", "1.0.0.1");
    machine.PackageVersion("1.0.0.2");
    machine.versionCountsNul = false;
    machine.answers = {IDYES};

    EXPECT_TRUE(Install());

    ASSERT_EQ(machine.boxes.size(), 1u);
    EXPECT_EQ(machine.boxes[0].text, framework::LoadText(IDS_UPGRADE_MONITOR));
    EXPECT_EQ(machine.boxes[0].caption, texts::kBoxCaption);
    EXPECT_EQ(machine.boxes[0].style, 0x24u);
    EXPECT_EQ(machine.boxes[0].owner, Owner());
    EXPECT_THAT(machine.events, ElementsAre(testing::StartsWith("box "), "stop", "copy", "start"));
    ASSERT_EQ(machine.copies.size(), 1u);
    EXPECT_THAT(machine.copies[0].sources,
                ElementsAre("C:\\pkg\\kpmonitor\\ZRNKPMON.DLL", "C:\\pkg\\kpmonitor\\ZRNKPUI.DLL"));
    EXPECT_EQ(machine.copies[0].destination, "C:\\windows\\system32\\");
    EXPECT_TRUE(machine.scm.Running("Spooler"));
    EXPECT_THAT(machine.addedMonitors, IsEmpty());

    // Files that cannot be replaced (a locked DLL): the spooler comes back, and the failure
    // is said, not taken for an upgrade.
    machine.copyResult = ERROR_SHARING_VIOLATION;
    machine.events.clear();
    machine.answers = {IDYES};
    EXPECT_FALSE(UpgradePortMonitor(Owner(), PackageScan()));
    EXPECT_THAT(machine.events, ElementsAre(testing::StartsWith("box "), "stop", "copy", "start",
                                            testing::StartsWith("box The files could")));
    EXPECT_TRUE(machine.scm.Running("Spooler"));
}

TEST_F(PortMonitorTest, DeclinedUpgradeLeavesTheMonitorAsItWas)
{
    machine.Register(kMonitorName, "ZRNKPMON.DLL", "1.0.0.1");
    machine.PackageVersion("1.0.0.2");
    machine.answers = {IDNO};

    EXPECT_TRUE(Install());

    EXPECT_EQ(machine.boxes.size(), 1u);
    EXPECT_THAT(machine.copies, IsEmpty());
    EXPECT_TRUE(machine.scm.Running("Spooler"));

    // The New port button looks at the answer.
    machine.answers = {IDNO};
    EXPECT_FALSE(UpgradePortMonitor(Owner(), PackageScan()));
}

TEST_F(PortMonitorTest, SpoolerThatWillNotStopKeepsTheOldFiles)
{
    machine.Register(kMonitorName, "ZRNKPMON.DLL", "1.0.0.1");
    machine.PackageVersion("1.0.0.2");
    machine.answers = {IDYES};
    machine.Spooler().controls = {{ERROR_ACCESS_DENIED, {SERVICE_RUNNING}}};

    EXPECT_TRUE(Install());

    ASSERT_EQ(machine.boxes.size(), 2u);
    EXPECT_EQ(machine.boxes[1].text, "Unable to stop spooler: " + framework::SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(machine.boxes[1].caption, texts::kBoxCaption);
    EXPECT_EQ(machine.boxes[1].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_THAT(machine.copies, IsEmpty());

    machine.answers = {IDYES};
    EXPECT_FALSE(UpgradePortMonitor(Owner(), PackageScan()));
}

TEST_F(PortMonitorTest, SpoolerThatWillNotRestartEndsTheProgram)
{
    machine.Register(kMonitorName, "ZRNKPMON.DLL", "1.0.0.1");
    machine.PackageVersion("1.0.0.2");
    machine.answers = {IDYES};
    machine.Spooler().startError = ERROR_SERVICE_DISABLED;

    try {
        Install();
        FAIL() << "the process should have ended";
    } catch (const platform::ProcessExit& e) {
        EXPECT_EQ(e.code, 4u);
    }

    ASSERT_EQ(machine.boxes.size(), 2u);
    EXPECT_EQ(machine.boxes[1].text,
              "Unable to restart spooler: " + framework::SystemErrorText(ERROR_SERVICE_DISABLED));
    EXPECT_EQ(machine.boxes[1].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    // The new files stay in place.
    EXPECT_THAT(machine.events, ElementsAre(testing::StartsWith("box "), "stop", "copy", "start refused",
                                            testing::StartsWith("box "), "exit 4"));
}

TEST_F(PortMonitorTest, MissingMonitorDirectoryEndsTheWizard)
{
    machine.directories = {Machine::kPackage};

    EXPECT_FALSE(Install());

    ASSERT_EQ(machine.boxes.size(), 1u);
    EXPECT_EQ(machine.boxes[0].text, "Unable to open file: monitorxp.inf.\nInstallation aborted.");
    EXPECT_EQ(machine.boxes[0].caption, texts::kBoxCaption);
    EXPECT_EQ(machine.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(machine.boxes[0].owner, Owner());

    // Windows 2000 reads the other INF.
    app.m_versionInfo.dwMinorVersion = 0;
    machine.boxes.clear();
    EXPECT_FALSE(Install());
    ASSERT_EQ(machine.boxes.size(), 1u);
    EXPECT_EQ(machine.boxes[0].text, "Unable to open file: monitor.inf.\nInstallation aborted.");
}

TEST_F(PortMonitorTest, MonitorInfWithoutFilesEndsTheWizard)
{
    machine.files[std::string(Machine::kMonitorDir) + "\\monitorxp.inf"] =
        "[PortMonitors]\r\n\"ZRN 7730 Language/Port Monitor\" = ZRNKPMON.Install\r\n";

    EXPECT_FALSE(Install());

    ASSERT_EQ(machine.boxes.size(), 1u);  // read, but no files in it
    EXPECT_EQ(machine.boxes[0].text, "Unable to open file: monitorxp.inf.\nInstallation aborted.");
    EXPECT_THAT(machine.addedMonitors, IsEmpty());
    EXPECT_THAT(machine.copies, IsEmpty());

    // A name longer than a name field: refused, not cut to name another file.
    machine.files[std::string(Machine::kMonitorDir) + "\\monitorxp.inf"] =
        monitorinf_cases::Replace(monitorinf_cases::XpInf(), "ZRNKPMUI.DLL = 1", std::string(260, 'L') + " = 1");
    machine.boxes.clear();
    EXPECT_FALSE(Install());
    EXPECT_EQ(machine.boxes.size(), 1u);
    EXPECT_EQ(machine.boxes[0].text, framework::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));

    // An unreadable INF: the scan says so, and the wizard ends.
    machine.files.clear();
    machine.boxes.clear();
    EXPECT_FALSE(Install());
    ASSERT_EQ(machine.boxes.size(), 1u);
    EXPECT_EQ(machine.boxes[0].text, "Unable to open file: monitorxp.inf.\nInstallation aborted.");
}

TEST_F(PortMonitorTest, UnavailableSpoolerEndsTheProcess)
{
    machine.scm.managerError = ERROR_ACCESS_DENIED;

    try {
        Install();
        FAIL() << "the process should have ended";
    } catch (const platform::ProcessExit& e) {
        EXPECT_EQ(e.code, 4u);
    }
    EXPECT_EQ(machine.boxes.size(), 1u);  // the user is told first
    EXPECT_THAT(machine.addedMonitors, IsEmpty());
}

TEST_F(PortMonitorTest, InstalledVersionComesFromTheFirstMatchingMonitorWithAVersion)
{
    std::string monitors = Machine::kMonitorsKey;
    machine.registry.SetString(monitors + "\\Local Port", "Driver", "localspl.dll");
    machine.registry.SetString(monitors + "\\Local Port", "Version", "5.0");
    machine.registry.SetString(monitors + "\\A old copy", "Driver", "ZRNKPMON.DLL");  // no Version
    machine.registry.SetDword(monitors + "\\B numeric", "Driver", 7);
    machine.registry.SetString(monitors + "\\C copy", "Driver", "zrnKPmon.dll");
    machine.registry.SetString(monitors + "\\C copy", "Version", "2.5");
    machine.registry.SetString(monitors + "\\D copy", "Driver", "ZRNKPMON.DLL");
    machine.registry.SetString(monitors + "\\D copy", "Version", "3.0");
    machine.registry.SetString(monitors + "\\E long", "Driver", "ZRNKPMON.DLL");

    std::string version;
    EXPECT_TRUE(FindInstalledMonitorVersion("ZRNKPMON.DLL", version));
    EXPECT_EQ(version, "2.5");
    EXPECT_EQ(machine.registry.OpenCount(), 0);
    for (REGSAM access : machine.registry.accesses)
        EXPECT_EQ(access, static_cast<REGSAM>(0x2001F));

    EXPECT_FALSE(FindInstalledMonitorVersion("OTHER.DLL", version));
    EXPECT_EQ(machine.registry.OpenCount(), 0);
}

TEST_F(PortMonitorTest, OverlongInstalledVersionIsPassedOver)
{
    std::string monitors = Machine::kMonitorsKey;
    machine.registry.SetString(monitors + "\\A", "Driver", "ZRNKPMON.DLL");
    machine.registry.SetString(monitors + "\\A", "Version", std::string(300, '9'));
    machine.registry.SetString(monitors + "\\B", "Driver", "ZRNKPMON.DLL");
    machine.registry.SetString(monitors + "\\B", "Version", std::string(259, '1'));

    std::string version;
    EXPECT_TRUE(FindInstalledMonitorVersion("ZRNKPMON.DLL", version));
    EXPECT_EQ(version, std::string(259, '1'));
}

TEST(VersionCompare, DottedNumbersCompareComponentByComponent)
{
    EXPECT_GT(CompareVersions("1.10", "1.9"), 0);
    EXPECT_LT(CompareVersions("1.9", "1.10"), 0);
    EXPECT_EQ(CompareVersions("1.9", "1.9.0.0"), 0);
    EXPECT_EQ(CompareVersions("01.9", "1.09"), 0);
    EXPECT_LT(CompareVersions("1.0.0.1", "1.0.0.2"), 0);
    EXPECT_GT(CompareVersions("2", "1.99.99"), 0);
    EXPECT_LT(CompareVersions("1.99999999999999999999", "1.100000000000000000000"), 0);
}

TEST(VersionCompare, AnyTextsAreTotallyOrdered)
{
    // Ascending; the texts of one row are the same version.
    const std::vector<std::vector<std::string>> rows = {
        {"", "0", "00", "0.0", "."}, {"z"}, {"\xE9"},  // bytes are unsigned
        {"1", "1.0", "01.00"}, {"1.0.0.1"}, {"1.9", "1.9.0", "01.09"}, {"1.9.5"}, {"1.9 beta"},
        {"1.9a"}, {"1.10"}, {"1.10 beta"}, {"1.99999999999999999999"}, {"1.100000000000000000000"},
        {"2"}};
    std::vector<std::pair<std::string, int>> all;
    for (size_t r = 0; r < rows.size(); ++r)
        for (const std::string& text : rows[r])
            all.emplace_back(text, static_cast<int>(r));
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& a : all)
        for (const auto& b : all) {
            EXPECT_EQ(sign(CompareVersions(a.first, b.first)), sign(a.second - b.second)) << a.first << " / " << b.first;
            for (const auto& c : all)  // transitivity
                EXPECT_TRUE(CompareVersions(a.first, b.first) > 0 || CompareVersions(b.first, c.first) > 0 ||
                            CompareVersions(a.first, c.first) <= 0)
                    << a.first << " / " << b.first << " / " << c.first;
        }
}

}  // namespace
