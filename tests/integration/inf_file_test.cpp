// INF access, the driver description, discovery and the catalog check against Wine's
// SetupAPI and file system, with INF files written for each test; and the monitor INF
// scan reading real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/wizard_app.h"
#include "install/port_monitor.h"
#include "native/monitor_inf_cases.h"
#include "package/inf_file.h"
#include "package/monitor_inf.h"
#include "support/fake_wizard.h"
#include "support/paths.h"
#include "support/scoped_api.h"

namespace {

std::string Unique(const std::string& stem)
{
    return "zrnit" + std::to_string(GetCurrentProcessId()) + stem;
}

std::string WindowsInfDir()
{
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\inf";
}

// A multi-string from names ("a\0b\0\0").
std::string Multi(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& n : names)
        out += n + '\0';
    return out + '\0';
}

// Files written for one test and removed after it.
class Fixtures {
public:
    ~Fixtures()
    {
        for (const std::string& p : paths_)
            DeleteFileA(p.c_str());
    }
    // An INF next to the test program, the package of its WizardApp; returns its path.
    std::string NextToProgram(const std::string& stem, const std::string& text)
    {
        const std::string path = testpaths::ModuleDir() + "\\" + Unique(stem);
        Write(path, text);
        return path;
    }
    void Write(const std::string& path, const std::string& text)
    {
        testpaths::WriteText(path, text);
        paths_.push_back(path);
    }

private:
    std::vector<std::string> paths_;
};

const char kVersion[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Printer\r\n"
    "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"
    "Provider=%ZRN%\r\n";

// The driver INF of the package: three models, one with an include and a data section,
// one without either, one whose needed section copies a single file first.
std::string DriverInf(const std::string& includeName, const std::string& catalogLine = "")
{
    return std::string(kVersion) + catalogLine +
           "\r\n"
           "[Manufacturer]\r\n"
           "\"ZRN\"=ZRN\r\n"
           "\r\n"
           "[ZRN]\r\n"
           "\"ZRN 7730\" = ZRN7730\r\n"
           "\"ZRN 7730 B\" = ZRN7730B\r\n"
           "\"ZRN 7730 C\" = ZRN7730C\r\n"
           "\r\n"
           "[ZRN7730]\r\n"
           "CopyFiles=ZRN_FILES,@ZRN7730.PPD\r\n"
           "DataSection=PSCRIPT_DATA\r\n"
           "Include=" + includeName + "\r\n"
           "Needs=PSCRIPT.OEM,OTHER.OEM\r\n"
           "PrintProcessor=ZRNPROC,ZRNPROC.DLL\r\n"
           "\r\n"
           "[ZRN7730B]\r\n"
           "CopyFiles=@ZRN7730B.PPD,ZRN_FILES\r\n"
           "PrintProcessor=ZRNPROC,ZRNPROC.DLL\r\n"
           "DefaultData=RAW\r\n"
           "\r\n"
           "[ZRN7730C]\r\n"
           "CopyFiles=ZRN_FILES\r\n"
           "DataSection=DATA_C\r\n"
           "Include=" + includeName + "\r\n"
           "Needs=PSCRIPT.FILE\r\n"
           "PrintProcessor=ZRNPROC,ZRNPROC.DLL\r\n"
           "DefaultData=EMF\r\n"
           "\r\n"
           "[PSCRIPT_DATA]\r\n"
           "DriverFile=PSCRIPT5.DLL\r\n"
           "DataFile=ZRN7730.PPD\r\n"
           "ConfigFile=PS5UI.DLL\r\n"
           "HelpFile=PSCRIPT.HLP\r\n"
           "DefaultData=NT EMF 1.008\r\n"
           "\r\n"
           "[DATA_C]\r\n"
           "DriverFile=PSCRIPT5.DLL\r\n"
           "ConfigFile=PS5UI.DLL\r\n"
           "DefaultData=RAW\r\n"
           "\r\n"
           "[ZRN_FILES]\r\n"
           "ZRNRES.DLL\r\n"
           "ZRN7730.INI,,,0x20\r\n"
           "\r\n"
           "[FIVE]\r\n"
           "ABCDE\r\n"
           "FGHIJ,K\r\n"
           "\r\n"
           "[LONG]\r\n" +
           std::string(300, 'L') +
           "\r\n"
           "\r\n"
           "[Strings]\r\n"
           "ZRN=\"ZRN\"\r\n";
}

// The INF that the driver INF includes, as Windows ships it in its INF directory.
std::string IncludedInf()
{
    return std::string(kVersion) +
           "\r\n"
           "[PSCRIPT.OEM]\r\n"
           "CopyFiles=PSCRIPT_COMMON,@PSCRIPT.NTF\r\n"
           "\r\n"
           "[PSCRIPT.FILE]\r\n"
           "CopyFiles=@PSCRIPT.NTF,PSCRIPT_COMMON\r\n"
           "\r\n"
           "[PSCRIPT_COMMON]\r\n"
           "PSCRIPT5.DLL\r\n"
           "PS5UI.DLL\r\n"
           "\r\n"
           "[Strings]\r\n"
           "ZRN=\"ZRN\"\r\n";
}

class InfFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        includeName = Unique("inc.inf");
        files.Write(WindowsInfDir() + "\\" + includeName, IncludedInf());
        driverInf = files.NextToProgram("drv.inf", DriverInf(includeName));
    }

    Fixtures files;
    std::string includeName;
    std::string driverInf;
};

TEST_F(InfFileTest, ADriverInfIsOneOfPrinterClassWithAMakerSection)
{
    std::string noMaker = files.NextToProgram(
        "nomaker.inf", std::string(kVersion) + "[Manufacturer]\r\n\"ZRN\"=ZRNX\r\n[ZRNX]\r\n\"ZRN 7730\"=A\r\n");
    std::string ports = files.NextToProgram(
        "ports.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Ports\r\n[ZRN]\r\n\"ZRN 7730\"=A\r\n");
    std::string lower = files.NextToProgram(
        "lower.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\nclass=printer\r\n[ZRN]\r\n\"ZRN 7730\"=A\r\n");
    std::string emptyMaker =
        files.NextToProgram("emptymaker.inf", std::string(kVersion) + "[ZRN]\r\n[Other]\r\nA=B\r\n");
    std::string noSignature =
        files.NextToProgram("nosig.inf", "[Version]\r\nClass=Printer\r\n[ZRN]\r\nA=B\r\n");

    EXPECT_TRUE(InfFile(driverInf, "").IsDriverInf());
    EXPECT_TRUE(InfFile(lower, "").IsDriverInf());
    EXPECT_FALSE(InfFile(noMaker, "").IsDriverInf());
    EXPECT_FALSE(InfFile(emptyMaker, "").IsDriverInf());
    EXPECT_FALSE(InfFile(testpaths::ModuleDir() + "\\" + Unique("missing.inf"), "").IsDriverInf());

    // Wine opens these; Windows would not. The program refuses them on both.
    InfFile portsInf(ports, "");
    EXPECT_FALSE(portsInf.IsOpen());
    EXPECT_FALSE(portsInf.IsDriverInf());
    EXPECT_EQ(portsInf.GetField("ZRN", "ZRN 7730", 1), "");

    // Not a Windows NT style INF.
    InfFile old(noSignature, "");
    EXPECT_FALSE(old.IsOpen());
    EXPECT_FALSE(old.IsDriverInf());
}

TEST_F(InfFileTest, TheInfIsOpenedFromTheProgramsDirectoryWhateverTheCurrentOne)
{
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    std::string elsewhere = testpaths::MakeTempDir("inf");
    ASSERT_FALSE(elsewhere.empty());
    SetCurrentDirectoryA(elsewhere.c_str());
    WizardApp app;
    EXPECT_TRUE(app.IsDriverInf(Unique("drv.inf")));
    // A driver INF only in the current directory is not found.
    testpaths::WriteText(elsewhere + "\\" + Unique("only.inf"), DriverInf(includeName));
    EXPECT_FALSE(app.IsDriverInf(Unique("only.inf")));
    SetCurrentDirectoryA(saved);
    testpaths::RemoveTree(elsewhere);
}

TEST_F(InfFileTest, LookupsOfFieldsAndModelValues)
{
    InfFile inf(driverInf, "");
    ASSERT_TRUE(inf.IsOpen());
    EXPECT_EQ(inf.m_bHasInclude, 0);
    EXPECT_EQ(inf.GetField("ZRN", "ZRN 7730", 1), "ZRN7730");
    EXPECT_EQ(inf.GetField("ZRN", nullptr, 1), "ZRN7730");  // the section's first line
    EXPECT_EQ(inf.GetField("ZRN7730", "PrintProcessor", 2), "ZRNPROC.DLL");
    EXPECT_EQ(inf.GetField("ZRN7730", "NoSuchKey", 1), "");
    EXPECT_EQ(inf.GetField("ZRN7730", "PrintProcessor", 3), "");
    EXPECT_EQ(inf.GetField("NoSuchSection", "PrintProcessor", 1), "");
    EXPECT_EQ(inf.GetField("LONG", nullptr, 1), "");  // does not fit a name field

    EXPECT_EQ(inf.GetModelValue("ZRN 7730", "DataSection", nullptr), "PSCRIPT_DATA");
    EXPECT_EQ(inf.GetModelValue("ZRN 7730", "HelpFile", "DataSection"), "PSCRIPT.HLP");
    EXPECT_EQ(inf.GetModelValue("ZRN 7730 B", "HelpFile", "DataSection"), "");
    EXPECT_EQ(inf.GetModelValue("ZRN 9999", "CopyFiles", nullptr), "");
}

TEST_F(InfFileTest, SectionLinesAsAMultiStringOfLineTexts)
{
    InfFile inf(driverInf, "");
    size_t length = 0;
    std::vector<std::string> lines = inf.GetSectionLines("FIVE", &length);
    EXPECT_EQ(lines, (std::vector<std::string>{"ABCDE", "FGHIJ,K"}));
    EXPECT_EQ(length, 14u);

    EXPECT_TRUE(inf.GetSectionLines("NoSuchSection", &length).empty());
    EXPECT_EQ(length, 0u);

    // A line longer than a name field is kept whole, neither cut nor dropped.
    EXPECT_EQ(inf.GetSectionLines("LONG", &length), std::vector<std::string>{std::string(300, 'L')});
    EXPECT_EQ(length, 301u);
}

TEST_F(InfFileTest, TheIncludeIsAppendedOnlyForAModel)
{
    InfFile withModel(driverInf, "ZRN 7730");
    EXPECT_EQ(withModel.m_bHasInclude, 1);
    EXPECT_EQ(withModel.GetField("PSCRIPT.OEM", "CopyFiles", 1), "PSCRIPT_COMMON");

    InfFile noModel(driverInf, "");
    EXPECT_EQ(noModel.m_bHasInclude, 0);
    EXPECT_EQ(noModel.GetField("PSCRIPT.OEM", "CopyFiles", 1), "");

    InfFile noInclude(driverInf, "ZRN 7730 B");
    EXPECT_EQ(noInclude.m_bHasInclude, 0);
}

TEST_F(InfFileTest, DescribesAModelWithIncludeAndDataSection)
{
    InfFile inf(driverInf, "ZRN 7730");
    inf.Describe();
    EXPECT_EQ(inf.m_szDriverFile, "PSCRIPT5.DLL");
    EXPECT_EQ(inf.m_szDataFile, "ZRN7730.PPD");
    EXPECT_EQ(inf.m_szConfigFile, "PS5UI.DLL");
    EXPECT_EQ(inf.m_szHelpFile, "PSCRIPT.HLP");
    EXPECT_EQ(inf.m_szPrintProcessor, "ZRNPROC");
    EXPECT_EQ(inf.m_szPrintProcessorFile, "ZRNPROC.DLL");
    // Only the data section has DefaultData.
    EXPECT_EQ(inf.m_szDefaultDataType, "NT EMF 1.008");
    // The model's files, then those of the section the first needed section copies.
    std::string want =
        Multi({"ZRNRES.DLL", "ZRN7730.INI,,,0x20", "ZRN7730.PPD", "PSCRIPT5.DLL", "PS5UI.DLL"});
    EXPECT_EQ(inf.m_szDependentFiles, want);
    EXPECT_EQ(inf.m_nDependentFilesLength, want.size() - 1);
}

TEST_F(InfFileTest, DescribesAModelWithoutIncludeOrDataSection)
{
    InfFile inf(driverInf, "ZRN 7730 B");
    inf.Describe();
    EXPECT_EQ(inf.m_szDriverFile, "");
    EXPECT_EQ(inf.m_szConfigFile, "");
    EXPECT_EQ(inf.m_szHelpFile, "");
    // The data file falls back on the first CopyFiles entry, without its at sign.
    EXPECT_EQ(inf.m_szDataFile, "ZRN7730B.PPD");
    // Without an include, no print processor, data type or needed files.
    EXPECT_EQ(inf.m_szPrintProcessor, "");
    EXPECT_EQ(inf.m_szPrintProcessorFile, "");
    EXPECT_EQ(inf.m_szDefaultDataType, "");
    std::string want = Multi({"ZRN7730B.PPD", "ZRNRES.DLL", "ZRN7730.INI,,,0x20"});
    EXPECT_EQ(inf.m_szDependentFiles, want);
    EXPECT_EQ(inf.m_nDependentFilesLength, want.size() - 1);
}

TEST_F(InfFileTest, ANeededSectionThatCopiesASingleFileFirstAddsNothing)
{
    InfFile inf(driverInf, "ZRN 7730 C");
    inf.Describe();
    EXPECT_EQ(inf.m_szDefaultDataType, "EMF");  // the install section's own
    EXPECT_EQ(inf.m_szDataFile, "ZRN_FILES");   // no DataFile: the first CopyFiles entry
    EXPECT_EQ(inf.m_szDependentFiles, Multi({"ZRNRES.DLL", "ZRN7730.INI,,,0x20"}));
}

TEST_F(InfFileTest, AnIncludeThatCannotBeFoundLeavesTheMainInf)
{
    std::string inf2 = files.NextToProgram("drv2.inf", DriverInf(Unique("absent.inf")));
    InfFile inf(inf2, "ZRN 7730");
    EXPECT_EQ(inf.m_bHasInclude, 1);
    inf.Describe();
    EXPECT_EQ(inf.m_szPrintProcessor, "ZRNPROC");
    EXPECT_EQ(inf.m_szDriverFile, "PSCRIPT5.DLL");
    EXPECT_EQ(inf.m_szDependentFiles, Multi({"ZRNRES.DLL", "ZRN7730.INI,,,0x20", "ZRN7730.PPD"}));
}

TEST_F(InfFileTest, AnUnopenedInfDescribesNothing)
{
    InfFile inf(Unique("missing.inf"), "ZRN 7730");
    inf.Describe();
    EXPECT_EQ(inf.m_szDriverFile, "");
    EXPECT_EQ(inf.m_szDataFile, "");
    EXPECT_EQ(inf.m_szDependentFiles, std::string(1, '\0'));
    EXPECT_EQ(inf.m_nDependentFilesLength, 0u);
}

TEST_F(InfFileTest, TheCatalogMustExistAndNotBeEmpty)
{
    std::string catalog = Unique(".cat");
    files.NextToProgram("cat.inf", DriverInf(includeName, "CatalogFile=" + catalog + "\r\n"));
    const std::string named = Unique("cat.inf");
    WizardApp app;
    EXPECT_EQ(app.HasCatalogFile(Unique("drv.inf")), 0);  // no CatalogFile line
    EXPECT_EQ(app.HasCatalogFile(named), 0);              // named, absent
    files.Write(testpaths::ModuleDir() + "\\" + catalog, "");
    EXPECT_EQ(app.HasCatalogFile(named), 0);  // present and empty
    testpaths::WriteText(testpaths::ModuleDir() + "\\" + catalog, "0\x82\x01\x00");
    EXPECT_EQ(app.HasCatalogFile(named), 1);  // present with content
    EXPECT_EQ(app.HasCatalogFile(Unique("missing.inf")), 0);
}

// The controller with the real discovery; the candidates are offered in name order so
// that the driver INF is not the first.
class DiscoveryApp : public fakes::FakeWizardApp {
public:
    std::vector<std::string> ListInfFiles(const std::string& pattern) override
    {
        lastPattern = pattern;
        listed = WizardApp::ListInfFiles(pattern);
        std::vector<std::string> sorted = listed;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
    bool IsDriverInf(const std::string& infName) override { return WizardApp::IsDriverInf(infName); }

    std::vector<std::string> listed;
};

TEST_F(InfFileTest, DiscoveryOffersInstallExactlyWhenThePackageHoldsTheDriverInf)
{
    std::string start = testpaths::MakeTempDir("disc");
    ASSERT_FALSE(start.empty());

    // Candidates in the package's directory.
    const std::string notDriver = std::string(kVersion) + "[Other]\r\nA=B\r\n";
    const std::string portsWithMaker = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Ports\r\n[ZRN]\r\nA=B\r\n";
    struct Candidate {
        std::string stem, text;
    } candidates[] = {{"a_plain.inf", notDriver}, {"b_ports.inf", portsWithMaker}, {"c_driver.inf", DriverInf(includeName)}};
    for (const Candidate& c : candidates)
        testpaths::WriteText(start + "\\" + Unique(c.stem), c.text);
    testpaths::WriteText(start + "\\readme.txt", "readme");

    auto run = [&start](DiscoveryApp& app) {
        app.m_package.root = start;
        int disabled = -1;
        app.welcome->onShow = [&](WelcomePageBase& w) {
            disabled = w.m_bInstallDisabled;
            w.m_nTask = 0;
        };
        app.welcome->ThenResult(PAGE_NEXT);
        app.printer->ThenResult(PAGE_NEXT);
        app.summary->ThenResult(PAGE_NEXT);
        app.RunWizard();
        return disabled;
    };

    DiscoveryApp app;
    EXPECT_EQ(run(app), 0);
    EXPECT_EQ(app.lastPattern, "*.inf");
    std::vector<std::string> listed = app.listed;
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{Unique("a_plain.inf"), Unique("b_ports.inf"), Unique("c_driver.inf")}));
    ASSERT_GE(app.calls.size(), 3u);
    EXPECT_EQ(app.calls[2], "driver:" + Unique("c_driver.inf") + "|ZRN 7730");

    // Without the driver INF in the start directory, install is not offered.
    DeleteFileA((start + "\\" + Unique("c_driver.inf")).c_str());
    DiscoveryApp without;
    without.m_package.root = start;
    without.welcome->ThenResult(PAGE_CANCEL);
    int disabled = -1;
    without.welcome->onShow = [&](WelcomePageBase& w) { disabled = w.m_bInstallDisabled; };
    without.RunWizard();
    EXPECT_EQ(disabled, 1);

    // An empty directory lists nothing.
    std::string empty = testpaths::MakeTempDir("empty");
    EXPECT_TRUE(ListInfFiles(empty, "*.inf").empty());

    testpaths::RemoveTree(start);
    testpaths::RemoveTree(empty);
}

TEST(MonitorInfFile, ScansTheMonitorInfsOfAPackageDirectory)
{
    std::string dir = testpaths::MakeTempDir("kpmonitor");
    ASSERT_FALSE(dir.empty());
    testpaths::WriteText(dir + "\\monitorxp.inf", monitorinf_cases::XpInf());
    testpaths::WriteText(dir + "\\monitor.inf", monitorinf_cases::W2kInf());
    testpaths::WriteText(dir + "\\big.inf", monitorinf_cases::PaddedTo("; padding\r\n", 26000) + monitorinf_cases::XpInf());

    MonitorInfScan xp(dir, MonitorInfName(5, 1), 5, 1);
    EXPECT_EQ(xp.m_szMonitorName, "ZRN 7730 Language/Port Monitor");
    EXPECT_EQ(xp.m_szDllName, "ZRNKPMON.DLL");
    EXPECT_EQ(xp.m_szFileList, monitorinf_cases::kXpFiles);

    MonitorInfScan w2k(dir, MonitorInfName(5, 0), 5, 0);
    EXPECT_EQ(w2k.m_szOptionValue, "ZRNMON");
    EXPECT_EQ(w2k.m_szDllName, "ZRNKPMON.DLL");
    EXPECT_EQ(w2k.m_szFileList, monitorinf_cases::kW2kFiles);

    MonitorInfScan big(dir, "big.inf", 5, 1);
    EXPECT_EQ(big.m_szMonitorName, "");
    EXPECT_TRUE(big.m_szFileList.empty());

    {
        platform::ScopedApi api;
        std::vector<std::string> texts;
        api->MessageBoxA = [&](HWND, LPCSTR text, LPCSTR, UINT) {
            texts.push_back(text);
            return IDOK;
        };
        MonitorInfScan missing(dir, "absent.inf", 5, 1);
        TellMonitorInfProblem(nullptr, missing);
        EXPECT_EQ(texts, std::vector<std::string>{"Unable to open file: absent.inf.\nInstallation aborted."});
        EXPECT_TRUE(missing.m_szFileList.empty());
    }

    testpaths::RemoveTree(dir);
}

}  // namespace
