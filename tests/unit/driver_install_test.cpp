// Installing the driver with the spooler faked. The driver INF is a real file read by the
// real SetupAPI from a temporary package directory, which the faked module name makes the
// program's own directory; the system's INF directory is a temporary one too.
#include <gmock/gmock.h>
#include <gtest/gtest.h>


#include "app/install_status.h"
#include "app/wizard_app.h"
#include "framework/file.h"
#include "framework/message_box.h"
#include "install/oem_inf.h"
#include "install_fakes.h"
#include "support/paths.h"
#include "support/wizard_texts.h"

using installfakes::Recorder;
using testing::ElementsAre;

namespace {

const char kDriverInf[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Printer\r\n"
    "%CATALOG%"
    "\r\n[Manufacturer]\r\n"
    "\"ZRN\"=ZRN\r\n"
    "\r\n[ZRN]\r\n"
    "\"ZRN 7730\" = Z.Install\r\n"
    "\r\n[Z.Install]\r\n"
    "CopyFiles=Z.Files,@Z.GPD\r\n"
    "DataSection=Z.Data\r\n"
    "Include=zbase.inf\r\n"
    "Needs=Z.OEM\r\n"
    "%PROCESSOR%"
    "DefaultData=NT EMF 1.008\r\n"
    "\r\n[Z.Data]\r\n"
    "DriverFile=Z.DLL\r\n"
    "DataFile=Z.GPD\r\n"
    "ConfigFile=ZUI.DLL\r\n"
    "HelpFile=Z.HLP\r\n"
    "\r\n[Z.Files]\r\n"
    "Z.DLL\r\n"
    "ZUI.DLL\r\n";

const char kBaseInf[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Printer\r\n"
    "\r\n[Z.OEM]\r\n"
    "CopyFiles=Z.Extra\r\n"
    "\r\n[Z.Extra]\r\n"
    "Z.DAT\r\n";

std::string Replace(std::string text, const std::string& mark, const std::string& value)
{
    size_t at = text.find(mark);
    if (at != std::string::npos)
        text.replace(at, mark.size(), value);
    return text;
}

std::string Str(const char* s) { return s ? s : "<null>"; }

struct DriverRecord {
    std::string server;
    DWORD level = 0, flags = 0, version = 0;
    std::string name, environment, driverPath, dataFile, configFile, helpFile, monitor,
        dataType;
    std::vector<std::string> dependentFiles;
};

class DriverInstallTest : public testing::Test {
protected:
    void SetUp() override
    {
        root = testpaths::MakeTempDir("drvunit");
        ASSERT_FALSE(root.empty());
        package = root + "\\pkg";
        windows = root + "\\windows";
        infDirectory = windows + "\\inf\\";
        driverDirectory = root + "\\drv";
        for (const std::string& d : {package, windows, windows + "\\inf", driverDirectory,
                                     root + "\\prtprocs", root + "\\base"})
            CreateDirectoryA(d.c_str(), nullptr);
        testpaths::WriteText(root + "\\base\\zbase.inf", kBaseInf);
        WritePackage("", "PrintProcessor=KPLPrint,KPLPRINT.DLL\r\n");
        app.m_package.root = package;  // never made current

        recorder.Install(*api);
        api->GetModuleFileNameA = [this](HMODULE module, LPSTR buffer, DWORD size) -> DWORD {
            std::string name = module ? "C:\\other.dll" : package + "\\setup.exe";
            if (size <= name.size())
                return 0;
            std::strcpy(buffer, name.c_str());
            return static_cast<DWORD>(name.size());
        };
        // A bare include name is looked up in the system's INF directories; here, in base.
        auto append = (*api).SetupOpenAppendInfFileA;
        api->SetupOpenAppendInfFileA = [this, append](PCSTR name, HINF inf, PUINT line) {
            std::string path = name && !std::strchr(name, '\\') ? root + "\\base\\" + name
                                                                 : Str(name);
            return append(path.c_str(), inf, line);
        };
        api->GetWindowsDirectoryA = [this](LPSTR buffer, UINT size) -> UINT {
            if (size <= windows.size())
                return static_cast<UINT>(windows.size() + 1);
            std::strcpy(buffer, windows.c_str());
            return static_cast<UINT>(windows.size());
        };
        api->EnumPrintProcessorsA = [](LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD needed,
                                       LPDWORD count) {
            *needed = 0;
            *count = 0;
            return TRUE;
        };
        api->GetPrintProcessorDirectoryA = [this](LPSTR, LPSTR, DWORD, LPBYTE buf, DWORD size,
                                                  LPDWORD needed) {
            return installfakes::AnswerDirectory(root + "\\prtprocs", buf, size, needed);
        };
        api->AddPrintProcessorA = [this](LPSTR, LPSTR, LPSTR path, LPSTR name) {
            processorsAdded.push_back(std::string(path) + " " + name);
            return TRUE;
        };
        api->GetPrinterDriverDirectoryA = [this](LPSTR server, LPSTR env, DWORD level,
                                                 LPBYTE buf, DWORD size, LPDWORD needed) -> BOOL {
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(env, nullptr);
            EXPECT_EQ(level, 1u);
            if (driverDirectoryFails) {
                SetLastError(ERROR_INVALID_ENVIRONMENT);
                return FALSE;
            }
            return installfakes::AnswerDirectory(driverDirectory, buf, size, needed);
        };
        api->SetupCopyOEMInfA = [this](PCSTR source, PCSTR media, DWORD mediaType, DWORD style,
                                       PSTR dest, DWORD destSize, PDWORD required,
                                       PSTR* component) -> BOOL {
            oemCalls.push_back(Str(source));
            EXPECT_EQ(media, nullptr);
            EXPECT_EQ(mediaType, static_cast<DWORD>(SPOST_PATH));
            EXPECT_EQ(style, 0u);
            EXPECT_EQ(dest, nullptr);
            EXPECT_EQ(destSize, 0u);
            EXPECT_EQ(required, nullptr);
            EXPECT_EQ(component, nullptr);
            if (!setupCopySucceeds)
                SetLastError(ERROR_FILE_NOT_FOUND);
            return setupCopySucceeds;
        };
        api->AddPrinterDriverExA = [this](LPSTR server, DWORD level, LPBYTE data,
                                          DWORD flags) -> BOOL {
            ++driverCalls;
            const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(data);
            record.server = Str(server);
            record.level = level;
            record.flags = flags;
            record.version = info->cVersion;
            record.name = Str(info->pName);
            record.environment = Str(info->pEnvironment);
            record.driverPath = Str(info->pDriverPath);
            record.dataFile = Str(info->pDataFile);
            record.configFile = Str(info->pConfigFile);
            record.helpFile = Str(info->pHelpFile);
            record.dependentFiles = seamfakes::SplitList(info->pDependentFiles);
            record.monitor = Str(info->pMonitorName);
            record.dataType = Str(info->pDefaultDataType);
            if (driverError) {
                SetLastError(driverError);
                return FALSE;
            }
            return TRUE;
        };
    }

    void TearDown() override
    {
        testpaths::RemoveTree(root);
    }

    void WritePackage(const std::string& catalogLine, const std::string& processorLine)
    {
        std::string text = Replace(kDriverInf, "%CATALOG%", catalogLine);
        testpaths::WriteText(package + "\\ZRN7730.INF", Replace(text, "%PROCESSOR%", processorLine));
    }

    int Install(const std::string& inf = "ZRN7730.INF")
    {
        return app.InstallDriver(inf, "ZRN 7730", nullptr);
    }

    std::vector<std::string> OemFiles() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((infDirectory + "OEM*.inf").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do
                names.emplace_back(fd.cFileName);
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        return names;
    }

    // Destinations of the shell copies.
    std::vector<std::string> CopyTargets() const
    {
        std::vector<std::string> targets;
        for (const auto& c : recorder.copies)
            targets.push_back(c.destination.empty() ? "" : c.destination[0]);
        return targets;
    }

    platform::ScopedApi api;
    Recorder recorder;
    WizardApp app;
    std::string root, package, windows, infDirectory, driverDirectory;
    std::vector<std::string> processorsAdded, oemCalls;
    DriverRecord record;
    int driverCalls = 0;
    DWORD driverError = 0;
    bool driverDirectoryFails = false;
    bool setupCopySucceeds = false;
};

TEST_F(DriverInstallTest, PackageDriverIsAddedAtLevelThreeWithItsFiles)
{
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(app.m_strPrintProcessor, "KPLPrint");
    EXPECT_EQ(app.m_strDefaultDataType, "NT EMF 1.008");
    EXPECT_THAT(processorsAdded, ElementsAre("KPLPRINT.DLL KPLPrint"));
    EXPECT_THAT(CopyTargets(), ElementsAre(root + "\\prtprocs\\", driverDirectory + "\\"));
    ASSERT_EQ(recorder.copies.size(), 2u);
    EXPECT_THAT(recorder.copies[1].sources,
                ElementsAre(package + "\\Z.DLL", package + "\\ZUI.DLL", package + "\\Z.GPD",
                            package + "\\Z.DAT"));

    ASSERT_EQ(driverCalls, 1);
    EXPECT_EQ(record.server, "<null>");
    EXPECT_EQ(record.level, 3u);
    EXPECT_EQ(record.flags, static_cast<DWORD>(APD_COPY_ALL_FILES));
    EXPECT_EQ(record.version, 3u);
    EXPECT_EQ(record.name, "ZRN 7730");
    EXPECT_EQ(record.environment, "<null>");
    EXPECT_EQ(record.driverPath, "Z.DLL");
    EXPECT_EQ(record.dataFile, "Z.GPD");
    EXPECT_EQ(record.configFile, "ZUI.DLL");
    EXPECT_EQ(record.helpFile, "Z.HLP");
    EXPECT_THAT(record.dependentFiles, ElementsAre("Z.DLL", "ZUI.DLL", "Z.GPD", "Z.DAT"));
    EXPECT_EQ(record.monitor, "<null>");
    EXPECT_EQ(record.dataType, "NT EMF 1.008");

    // Unsigned: the program's own numbered copy, and none the second time.
    EXPECT_TRUE(oemCalls.empty());
    EXPECT_THAT(OemFiles(), ElementsAre("OEM0.inf"));
    std::string source, copy;
    ASSERT_TRUE(framework::ReadWholeFile(package + "\\ZRN7730.INF", source));
    ASSERT_TRUE(framework::ReadWholeFile(infDirectory + "OEM0.inf", copy));
    EXPECT_EQ(copy, source);
    EXPECT_EQ(Install(), 1);
    EXPECT_THAT(OemFiles(), ElementsAre("OEM0.inf"));

    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(app.InstallStatus, 0);
}

TEST_F(DriverInstallTest, ProcessorNamedWithoutFileIsKeptButNotInstalled)
{
    WritePackage("", "PrintProcessor=KPLPrint\r\n");
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(app.m_strPrintProcessor, "KPLPrint");
    EXPECT_TRUE(processorsAdded.empty());
    EXPECT_THAT(CopyTargets(), ElementsAre(driverDirectory + "\\"));
}

TEST_F(DriverInstallTest, FailingDriverDirectoryQueryEndsQuietly)
{
    driverDirectoryFails = true;
    EXPECT_EQ(Install(), 0);
    EXPECT_THAT(CopyTargets(), ElementsAre(root + "\\prtprocs\\"));  // the processor only
    EXPECT_EQ(driverCalls, 0);
    EXPECT_TRUE(OemFiles().empty());
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(app.InstallStatus, 0);
}

TEST_F(DriverInstallTest, FilesThatCannotBeCopiedFailTheStepBeforeTheDriverIsAdded)
{
    recorder.copyResult = ERROR_ACCESS_DENIED;
    EXPECT_EQ(Install(), 0);  // the print processor's file first
    EXPECT_TRUE(processorsAdded.empty());
    WritePackage("", "PrintProcessor=KPLPrint\r\n");  // then the driver's own
    EXPECT_EQ(Install(), 0);
    EXPECT_EQ(driverCalls, 0);
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[1].text, "The files could not be copied into " + driverDirectory + ".");
    EXPECT_EQ(app.InstallStatus, INSTALL_DRIVER_FAILED);
}

TEST_F(DriverInstallTest, RefusedDriverIsReportedAndMarked)
{
    driverError = ERROR_UNKNOWN_PRINTER_DRIVER;
    EXPECT_EQ(Install(), 0);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].owner, nullptr);
    EXPECT_EQ(recorder.boxes[0].text, framework::SystemErrorText(ERROR_UNKNOWN_PRINTER_DRIVER));
    EXPECT_EQ(recorder.boxes[0].caption, texts::kInstallFailedCaption);
    EXPECT_EQ(recorder.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(app.InstallStatus, INSTALL_DRIVER_FAILED);
}

TEST_F(DriverInstallTest, AFileNameTooLongForAPathFieldFailsBeforeAnythingIsCopied)
{
    const std::string longName = std::string(256, 'n') + ".DLL";  // 260 characters
    for (const char* line : {"\r\n[Z.Files]\r\n", "HelpFile="}) {  // a dependent file, a single file
        recorder.boxes.clear();
        std::string text = Replace(Replace(kDriverInf, "%CATALOG%", ""), "%PROCESSOR%",
                                   "PrintProcessor=KPLPrint,KPLPRINT.DLL\r\n");
        testpaths::WriteText(package + "\\ZRN7730.INF", Replace(text, line, line + longName + "\r\n"));
        EXPECT_EQ(Install(), 0);
        EXPECT_TRUE(recorder.copies.empty());
        EXPECT_TRUE(OemFiles().empty());
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].text, framework::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_EQ(recorder.boxes[0].caption, texts::kInstallFailedCaption);
        EXPECT_EQ(app.InstallStatus, INSTALL_DRIVER_FAILED);
    }
}

TEST_F(DriverInstallTest, EmptyInfNameHandsAnEmptyRecordToTheSpooler)
{
    app.m_strPrintProcessor = "left over";
    driverError = ERROR_INVALID_PARAMETER;
    EXPECT_EQ(Install(""), 0);
    EXPECT_EQ(app.m_strPrintProcessor, "");
    EXPECT_EQ(app.m_strDefaultDataType, "RAW");
    EXPECT_TRUE(processorsAdded.empty());
    EXPECT_TRUE(recorder.copies.empty());
    EXPECT_TRUE(OemFiles().empty());
    ASSERT_EQ(driverCalls, 1);
    EXPECT_EQ(record.name, "ZRN 7730");
    EXPECT_EQ(record.driverPath, "");
    EXPECT_EQ(record.dataFile, "");
    EXPECT_EQ(record.configFile, "");
    EXPECT_EQ(record.helpFile, "");
    EXPECT_TRUE(record.dependentFiles.empty());
    EXPECT_EQ(record.dataType, "");
    EXPECT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(app.InstallStatus, INSTALL_DRIVER_FAILED);
}

TEST_F(DriverInstallTest, SignedPackageGoesThroughSetupApiFirst)
{
    WritePackage("CatalogFile=zrn.cat\r\n", "PrintProcessor=KPLPrint,KPLPRINT.DLL\r\n");
    testpaths::WriteText(package + "\\zrn.cat", "catalog");

    setupCopySucceeds = true;
    EXPECT_EQ(Install(), 1);
    EXPECT_THAT(oemCalls, ElementsAre(package + "\\ZRN7730.INF"));
    EXPECT_TRUE(OemFiles().empty());

    // When SetupAPI fails, the program's own copy follows, silently.
    setupCopySucceeds = false;
    oemCalls.clear();
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(oemCalls.size(), 1u);
    EXPECT_THAT(OemFiles(), ElementsAre("OEM0.inf"));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(DriverInstallTest, EmptyCatalogFileIsNotASignature)
{
    WritePackage("CatalogFile=zrn.cat\r\n", "");
    testpaths::WriteText(package + "\\zrn.cat", "");
    EXPECT_EQ(Install(), 1);
    EXPECT_TRUE(oemCalls.empty());
    EXPECT_THAT(OemFiles(), ElementsAre("OEM0.inf"));
}

TEST_F(DriverInstallTest, InfWithANulNeverMatchesACopy)
{
    testpaths::WriteText(package + "\\ZERO.INF", std::string("[Version]\0tail\r\n", 16));
    CopyInfToSystemDirectory(package + "\\ZERO.INF", false);
    CopyInfToSystemDirectory(package + "\\ZERO.INF", false);
    EXPECT_THAT(OemFiles(), ElementsAre("OEM0.inf", "OEM1.inf"));
}

TEST_F(DriverInstallTest, NumberingStopsAtItsBound)
{
    int probes = 0;
    int copies = 0;
    api->GetFileAttributesA = [&](LPCSTR) -> DWORD {
        ++probes;
        return FILE_ATTRIBUTE_NORMAL;  // every numbered name is taken
    };
    api->CopyFileA = [&](LPCSTR, LPCSTR, BOOL) {
        ++copies;
        return TRUE;
    };
    CopyInfToSystemDirectory(package + "\\ZRN7730.INF", false);
    EXPECT_EQ(probes, kMaxOemInfNumber + 1);
    EXPECT_EQ(copies, 0);
}

}  // namespace
