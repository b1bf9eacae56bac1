// The sample ZRN 7730 package as the build lays it out, against Wine's real SetupAPI, spooler,
// registry and files: its INF, its port monitor (registration, ports, the port dialog driven as
// a user would, printing) and its versions.
//
// The suite registers the monitor from the system directory as the wizard does and removes
// what it created when it ends: ports, printer, driver, the monitor registration and the DLL
// copies (restoring a registration and DLLs that were there before it started).
#include <windows.h>
#include <setupapi.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sample/kpmonitor_shared.h"
#include "sample/kpmonitor_ui_ids.h"
#include "support/paths.h"
#include "support/scenario_machine.h"

namespace {

const char kMonitorName[] = KPMON_MONITOR_NAME;
const char kMonitorDll[] = KPMON_DLL_NAME;
const char kUiDll[] = KPMON_UI_DLL_NAME;

using scenario::FileExists;
using scenario::FileVersionOf;
using scenario::ReadFileBytes;

std::string Unique(const char* stem)
{
    return std::string(stem) + std::to_string(GetCurrentProcessId());
}

bool RegString(const char* key, const char* value, std::string* out)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    LONG rc = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return false;
    *out = buf;
    return true;
}

bool PortType(const std::string& port, DWORD* type)
{
    std::string key = std::string(KPMON_PORTS_KEY) + "\\" + port;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    DWORD value = 0, size = sizeof value, kind = 0;
    LONG rc = RegQueryValueExA(h, KPMON_VALUE_TYPE, nullptr, &kind, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || kind != REG_DWORD)
        return false;
    *type = value;
    return true;
}

struct PortRecord {
    std::string name, monitor, description;
};

// EnumPortsA at level 2 with a size probe.
std::vector<PortRecord> EnumPorts2()
{
    std::vector<PortRecord> ports;
    DWORD needed = 0, count = 0;
    EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count);
    if (!needed)
        return ports;
    std::vector<BYTE> buf(needed);
    if (!EnumPortsA(nullptr, 2, buf.data(), needed, &needed, &count))
        return ports;
    auto* info = reinterpret_cast<PORT_INFO_2A*>(buf.data());
    for (DWORD i = 0; i < count; ++i)
        ports.push_back({info[i].pPortName ? info[i].pPortName : "(null)",
                         info[i].pMonitorName ? info[i].pMonitorName : "(null)",
                         info[i].pDescription ? info[i].pDescription : "(null)"});
    return ports;
}

std::vector<std::string> EnumPorts1()
{
    std::vector<std::string> ports;
    DWORD needed = 0, count = 0;
    EnumPortsA(nullptr, 1, nullptr, 0, &needed, &count);
    if (!needed)
        return ports;
    std::vector<BYTE> buf(needed);
    if (!EnumPortsA(nullptr, 1, buf.data(), needed, &needed, &count))
        return ports;
    auto* info = reinterpret_cast<PORT_INFO_1A*>(buf.data());
    for (DWORD i = 0; i < count; ++i)
        ports.push_back(info[i].pName ? info[i].pName : "(null)");
    return ports;
}

const PortRecord* FindPort(const std::vector<PortRecord>& ports, const std::string& name)
{
    for (const PortRecord& p : ports)
        if (p.name == name)
            return &p;
    return nullptr;
}

BOOL RegisterMonitor()
{
    MONITOR_INFO_2A info = {};
    info.pName = const_cast<char*>(kMonitorName);
    info.pDLLName = const_cast<char*>(kMonitorDll);
    return AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// One Xcv command to the monitor (",XcvMonitor <name>", administrator access): the monitor's
// status, or ~0 when the handle or the call failed.
DWORD Xcv(const wchar_t* command, const std::string& port, const DWORD* type = nullptr, BYTE* out = nullptr,
          DWORD outSize = 0)
{
    std::wstring name = L",XcvMonitor " + Wide(kMonitorName);
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE h = nullptr;
    if (!OpenPrinterW(&name[0], &h, &defaults))
        return ~0u;
    std::wstring wport = Wide(port);
    const BYTE* text = reinterpret_cast<const BYTE*>(wport.c_str());
    std::vector<BYTE> input(text, text + (wport.size() + 1) * sizeof(wchar_t));
    if (type) {
        const BYTE* t = reinterpret_cast<const BYTE*>(type);
        input.insert(input.end(), t, t + sizeof *type);
    }
    DWORD needed = 0, status = 0;
    BOOL ok = XcvDataW(h, command, input.data(), static_cast<DWORD>(input.size()), out, outSize, &needed, &status);
    ClosePrinter(h);
    return ok ? status : ~0u;
}

// A window that owns the monitor's dialogs, as the wizard's printer page does.
class OwnerWindow {
public:
    OwnerWindow()
    {
        h_ = CreateWindowExA(0, "STATIC", "sample package test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~OwnerWindow()
    {
        if (h_)
            DestroyWindow(h_);
    }
    HWND get() const { return h_; }

private:
    HWND h_ = nullptr;
};

// Waits (bounded, so that a missing window fails the test instead of hanging it) for a visible
// top-level dialog with that caption, owned by `owner` when one is given.
HWND WaitForDialog(const char* caption, HWND owner = nullptr)
{
    for (int i = 0; i < 2000; ++i) {
        HWND found = nullptr;
        HWND w = nullptr;
        while ((w = FindWindowExA(nullptr, w, "#32770", caption)) != nullptr) {
            if (IsWindowVisible(w) && (!owner || GetWindow(w, GW_OWNER) == owner)) {
                found = w;
                break;
            }
        }
        if (found)
            return found;
        Sleep(10);
    }
    return nullptr;
}

std::string TextOf(HWND w)
{
    char buf[1024] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// Runs a spooler call that shows the monitor's dialog (on this thread, as the wizard does),
// while `drive` plays the user from a second thread. The call's result and last error come back.
struct CallResult {
    BOOL ok;
    DWORD error;
};
CallResult WithUser(const std::function<BOOL()>& call, const std::function<void()>& drive)
{
    std::thread user(drive);
    CallResult r;
    r.ok = call();
    r.error = GetLastError();
    user.join();
    return r;
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

class SamplePackage : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        package_ = testpaths::PackageDir();
        system_ = scenario::SystemDirectory();
        // Keep what the prefix had, to put it back at the end.
        wasRegistered_ = scenario::HasMonitorDll(kMonitorDll);
        backup_ = testpaths::MakeTempDir("sample-backup");
        for (const char* dll : {kMonitorDll, kUiDll}) {
            std::string installed = system_ + "\\" + dll;
            hadDll_[dll == kMonitorDll ? 0 : 1] = FileExists(installed);
            if (FileExists(installed))
                CopyFileA(installed.c_str(), (backup_ + "\\" + dll).c_str(), FALSE);
        }
        if (wasRegistered_)
            DeleteMonitorA(nullptr, nullptr, const_cast<char*>(kMonitorName));
        // As the wizard does: the monitor's files into the system directory, then AddMonitor.
        for (const char* dll : {kMonitorDll, kUiDll})
            copied_ &= CopyFileA((package_ + "\\kpmonitor\\" + dll).c_str(), (system_ + "\\" + dll).c_str(), FALSE) !=
                       FALSE;
        added_ = RegisterMonitor();
        addError_ = GetLastError();
    }

    static void TearDownTestSuite()
    {
        DeleteMonitorA(nullptr, nullptr, const_cast<char*>(kMonitorName));
        for (int i = 0; i < 2; ++i) {
            const char* dll = i == 0 ? kMonitorDll : kUiDll;
            std::string installed = system_ + "\\" + dll;
            if (hadDll_[i])
                CopyFileA((backup_ + "\\" + dll).c_str(), installed.c_str(), FALSE);
            else
                DeleteFileA(installed.c_str());
        }
        if (wasRegistered_)
            RegisterMonitor();
        testpaths::RemoveTree(backup_);
    }

    void SetUp() override
    {
        ASSERT_TRUE(copied_) << "monitor DLLs not copied from " << package_;
        ASSERT_TRUE(added_) << "AddMonitorA failed with " << addError_;
    }

    void TearDown() override
    {
        for (const std::string& port : ports_)
            Xcv(KPMON_XCV_DELETE_PORT, port);
    }

    // A port made through the monitor's Xcv interface; removed when the test ends.
    std::string MakePort(const char* stem, DWORD type)
    {
        std::string port = Unique(stem) + ":";
        EXPECT_EQ(ERROR_SUCCESS, Xcv(KPMON_XCV_ADD_PORT, port, &type));
        ports_.push_back(port);
        return port;
    }

    static std::string package_, system_, backup_;
    static bool wasRegistered_, copied_, added_;
    static bool hadDll_[2];
    static DWORD addError_;
    std::vector<std::string> ports_;
};

std::string SamplePackage::package_, SamplePackage::system_, SamplePackage::backup_;
bool SamplePackage::wasRegistered_ = false, SamplePackage::copied_ = true, SamplePackage::added_ = false;
bool SamplePackage::hadDll_[2] = {false, false};
DWORD SamplePackage::addError_ = 0;

// ---- The package as laid out ----

TEST(SamplePackageLayout, BothCopiesHoldThePackage)
{
    for (const std::string& dir : {testpaths::PackageDir(), testpaths::UpgradePackageDir()}) {
        for (const char* f : {"setup.exe", "ZRN7730.INF", "ZRN7730.DLL", "ZRN7730UI.DLL", "ZRN7730.GPD", "ZRN7730.HLP",
                              "ZRNKPL.DAT", "KPLPRINT.DLL", "readme.txt"})
            EXPECT_TRUE(FileExists(dir + "\\" + f)) << dir << "\\" << f;
        // kpmonitor holds the two INFs and the two DLLs, nothing else.
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + "\\kpmonitor\\*").c_str(), &fd);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << dir;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return lstrcmpiA(a.c_str(), b.c_str()) < 0;
        });
        EXPECT_EQ((std::vector<std::string>{"monitor.inf", "monitorxp.inf", "ZRNKPMON.DLL", "ZRNKPUI.DLL"}), names);
    }
}

TEST(SamplePackageLayout, UpgradeCopyCarriesANewerMonitor)
{
    std::string older = FileVersionOf(testpaths::PackageDir() + "\\kpmonitor\\ZRNKPMON.DLL");
    std::string newer = FileVersionOf(testpaths::UpgradePackageDir() + "\\kpmonitor\\ZRNKPMON.DLL");
    ASSERT_FALSE(older.empty());
    ASSERT_FALSE(newer.empty());
    // Newer as text (the wizard's comparison) and as dotted numbers.
    EXPECT_LT(older, newer);
    unsigned a[4] = {}, b[4] = {};
    ASSERT_EQ(4, std::sscanf(older.c_str(), "%u.%u.%u.%u", &a[0], &a[1], &a[2], &a[3]));
    ASSERT_EQ(4, std::sscanf(newer.c_str(), "%u.%u.%u.%u", &b[0], &b[1], &b[2], &b[3]));
    EXPECT_TRUE(std::lexicographical_compare(a, a + 4, b, b + 4));
}

// ---- The driver INF through SetupAPI ----

std::string Field(HINF inf, const char* section, const char* key, DWORD index)
{
    INFCONTEXT ctx;
    if (!SetupFindFirstLineA(inf, section, key, &ctx))
        return "<no line>";
    char buf[MAX_PATH] = {};
    if (!SetupGetStringFieldA(&ctx, index, buf, sizeof buf, nullptr))
        return "<no field>";
    return buf;
}

std::vector<std::string> SectionLines(HINF inf, const char* section)
{
    std::vector<std::string> lines;
    INFCONTEXT ctx;
    if (!SetupFindFirstLineA(inf, section, nullptr, &ctx))
        return lines;
    do {
        char buf[MAX_PATH] = {};
        SetupGetLineTextA(&ctx, nullptr, nullptr, nullptr, buf, sizeof buf, nullptr);
        lines.push_back(buf);
    } while (SetupFindNextLine(&ctx, &ctx));
    return lines;
}

TEST(SamplePackageInf, OpensAsPrinterInfAndNamesTheModelAndItsFiles)
{
    const std::string dir = testpaths::PackageDir();
    HINF inf = SetupOpenInfFileA((dir + "\\ZRN7730.INF").c_str(), "Printer", INF_STYLE_WIN4, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, inf);

    EXPECT_EQ("$Windows NT$", Field(inf, "Version", "Signature", 1));
    EXPECT_EQ("Printer", Field(inf, "Version", "Class", 1));
    EXPECT_EQ("{4D36E979-E325-11CE-BFC1-08002BE10318}", Field(inf, "Version", "ClassGUID", 1));
    EXPECT_EQ("ZRN", Field(inf, "Version", "Provider", 1));

    const std::string install = Field(inf, "ZRN", "ZRN 7730", 1);
    EXPECT_EQ("ZRN7730.Install", install);
    EXPECT_EQ("ZRN7730.Files", Field(inf, install.c_str(), "CopyFiles", 1));
    EXPECT_EQ("@ZRN7730.GPD", Field(inf, install.c_str(), "CopyFiles", 2));
    const std::string data = Field(inf, install.c_str(), "DataSection", 1);
    EXPECT_EQ("ntprint.inf", Field(inf, install.c_str(), "Include", 1));
    const std::string needs = Field(inf, install.c_str(), "Needs", 1);
    EXPECT_EQ("ZRNKPL.OEM", needs);
    const std::string processor = Field(inf, install.c_str(), "PrintProcessor", 1);
    EXPECT_EQ("KPLPrint", processor);
    EXPECT_EQ("KPLPRINT.DLL", Field(inf, install.c_str(), "PrintProcessor", 2));
    // Wine lists no print processor whose key sorts after "winprint".
    EXPECT_LT(lstrcmpiA(processor.c_str(), "winprint"), 0);
    EXPECT_EQ("RAW", Field(inf, install.c_str(), "DefaultData", 1));

    std::vector<std::string> files;
    for (const char* key : {"DriverFile", "DataFile", "ConfigFile", "HelpFile"}) {
        std::string f = Field(inf, data.c_str(), key, 1);
        EXPECT_EQ(std::string::npos, f.find('<')) << key << ": " << f;
        files.push_back(f);
    }
    EXPECT_EQ((std::vector<std::string>{"ZRN7730.DLL", "ZRN7730.GPD", "ZRN7730UI.DLL", "ZRN7730.HLP"}), files);
    for (const std::string& f : SectionLines(inf, "ZRN7730.Files"))
        files.push_back(f);

    // The base INF, found by its bare name as Windows finds it, holds the Needs section.
    ASSERT_TRUE(SetupOpenAppendInfFileA("ntprint.inf", inf, nullptr))
        << "stand-in base INF missing from the Windows INF directory";
    const std::string needed = Field(inf, needs.c_str(), "CopyFiles", 1);
    EXPECT_EQ("ZRNKPL", needed);
    std::vector<std::string> neededFiles = SectionLines(inf, needed.c_str());
    EXPECT_EQ((std::vector<std::string>{"ZRNKPL.DAT"}), neededFiles);
    files.insert(files.end(), neededFiles.begin(), neededFiles.end());
    files.push_back("KPLPRINT.DLL");
    SetupCloseInfFile(inf);

    // Every file that the INF names lies in the package: the DLLs as programs for the processor
    // of this build, the other files as marked stand-ins.
    for (const std::string& f : files) {
        const std::string path = dir + "\\" + f;
        if (f.size() > 4 && f.compare(f.size() - 4, 4, ".DLL") == 0) {
            HMODULE dll = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
            EXPECT_NE(nullptr, dll) << f << ": error " << GetLastError();
            if (dll)
                FreeLibrary(dll);
        } else {
            EXPECT_EQ(0u, ReadFileBytes(path).find("ZRN 7730 SAMPLE STAND-IN FILE")) << f;
        }
    }
}

TEST(SamplePackageInf, MonitorInfsNameTheMonitorAndItsFiles)
{
    const std::string dir = testpaths::PackageDir() + "\\kpmonitor\\";
    for (const char* name : {"monitor.inf", "monitorxp.inf"}) {
        std::string text = ReadFileBytes(dir + name);
        EXPECT_NE(std::string::npos, text.find("\"" KPMON_MONITOR_NAME "\"")) << name;
        EXPECT_NE(std::string::npos, text.find("ZRNKPMON.DLL")) << name;
        EXPECT_NE(std::string::npos, text.find("ZRNKPUI.DLL")) << name;
        // Read as text by the wizard: single-byte, CR LF line ends.
        EXPECT_EQ(std::string::npos, text.find('\0')) << name;
        for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << name << " has a bare line feed at " << i;
    }
}

// ---- The monitor in the spooler ----

TEST_F(SamplePackage, MonitorIsRegisteredFromTheSystemDirectory)
{
    EXPECT_TRUE(scenario::HasMonitorDll(kMonitorDll));
    std::string driver;
    ASSERT_TRUE(RegString(KPMON_MONITOR_KEY, "Driver", &driver));
    EXPECT_EQ(0, lstrcmpiA(driver.c_str(), kMonitorDll));
    // A second registration is refused as Windows refuses it.
    EXPECT_FALSE(RegisterMonitor());
    EXPECT_EQ(static_cast<DWORD>(ERROR_PRINT_MONITOR_ALREADY_INSTALLED), GetLastError());
}

TEST_F(SamplePackage, VersionValueIsTheDllsFileVersion)
{
    std::string version;
    ASSERT_TRUE(RegString(KPMON_MONITOR_KEY, KPMON_VALUE_VERSION, &version));
    EXPECT_EQ(FileVersionOf(system_ + "\\" + kMonitorDll), version);
    EXPECT_EQ(FileVersionOf(package_ + "\\kpmonitor\\" + kMonitorDll), version);
    std::string output;
    ASSERT_TRUE(RegString(KPMON_MONITOR_KEY, KPMON_VALUE_OUTPUT_DIRECTORY, &output));
    EXPECT_FALSE(output.empty());
}

TEST_F(SamplePackage, XcvCommandsAddCheckAndDeletePorts)
{
    wchar_t ui[64] = {};
    EXPECT_EQ(ERROR_SUCCESS, Xcv(KPMON_XCV_MONITOR_UI, "", nullptr, reinterpret_cast<BYTE*>(ui), sizeof ui));
    EXPECT_STREQ(KPMON_W(KPMON_UI_DLL_NAME), ui);

    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), Xcv(KPMON_XCV_PORT_IS_VALID, "bad,name"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), Xcv(KPMON_XCV_PORT_IS_VALID, "a:b"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Xcv(KPMON_XCV_PORT_IS_VALID, "KPL7:"));

    const std::string port = MakePort("ZXCV", 2);
    DWORD type = 99;
    ASSERT_TRUE(PortType(port, &type));
    EXPECT_EQ(2u, type);
    DWORD exists = 0;
    EXPECT_EQ(ERROR_SUCCESS, Xcv(KPMON_XCV_PORT_EXISTS, port, nullptr, reinterpret_cast<BYTE*>(&exists), 4));
    EXPECT_EQ(1u, exists);

    DWORD other = 1;
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), Xcv(KPMON_XCV_ADD_PORT, port, &other));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), Xcv(KPMON_XCV_ADD_PORT, "bad\\name", &other));
    DWORD tooHigh = 256;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Xcv(KPMON_XCV_ADD_PORT, Unique("ZHIGH") + ":", &tooHigh));

    DWORD four = 4;
    EXPECT_EQ(ERROR_SUCCESS, Xcv(KPMON_XCV_SET_PORT_TYPE, port, &four));
    DWORD got = 0;
    EXPECT_EQ(ERROR_SUCCESS, Xcv(KPMON_XCV_GET_PORT_TYPE, port, nullptr, reinterpret_cast<BYTE*>(&got), 4));
    EXPECT_EQ(4u, got);

    // A port that is open for a job cannot be deleted.
    HANDLE open = nullptr;
    std::string portObject = port + ", Port";
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(portObject.c_str()), &open, nullptr)) << GetLastError();
    EXPECT_EQ(static_cast<DWORD>(ERROR_BUSY), Xcv(KPMON_XCV_DELETE_PORT, port));
    ClosePrinter(open);

    EXPECT_EQ(ERROR_SUCCESS, Xcv(KPMON_XCV_DELETE_PORT, port));
    EXPECT_FALSE(PortType(port, &type));
    EXPECT_EQ(static_cast<DWORD>(ERROR_UNKNOWN_PORT), Xcv(KPMON_XCV_DELETE_PORT, port));
}

TEST_F(SamplePackage, EnumPortsListsItsPortsBesideOtherMonitorsPorts)
{
    const std::string usb = MakePort("ZENU", 0);
    const std::string com = MakePort("ZENC", 3);

    std::vector<PortRecord> ports = EnumPorts2();
    for (const PortRecord& p : ports)
        EXPECT_NE("(null)", p.monitor + p.description) << p.name;
    const PortRecord* a = FindPort(ports, usb);
    const PortRecord* b = FindPort(ports, com);
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(kMonitorName, a->monitor);
    EXPECT_EQ(kMonitorName, b->monitor);
    EXPECT_EQ("ZRN 7730 KPL Port (USB)", a->description);
    EXPECT_EQ("ZRN 7730 KPL Port (COM 3)", b->description);
    const PortRecord* file = FindPort(ports, "FILE:");
    ASSERT_TRUE(file) << "the local monitor's FILE: port is missing beside the sample's ports";
    EXPECT_NE(kMonitorName, file->monitor);

    std::vector<std::string> names = EnumPorts1();
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), usb));
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "FILE:"));
}

// The user of AddPortDialogCreatesTheTypedPort, run in a second process of this program: fills in
// the dialog that the first process shows. ZRN_SAMPLE_DIALOG_USER holds "<port>|<type>|<file>";
// the dialog's proposed name goes to <file>.
const char kDialogUserVariable[] = "ZRN_SAMPLE_DIALOG_USER";

TEST(SamplePortDialogUser, FillsInTheAddPortDialog)
{
    char request[1024] = {};
    DWORD n = GetEnvironmentVariableA(kDialogUserVariable, request, sizeof request);
    if (n == 0 || n >= sizeof request)
        GTEST_SKIP() << "the second process of SamplePackage.AddPortDialogCreatesTheTypedPort";
    std::string text(request);
    size_t a = text.find('|'), b = text.find('|', a + 1);
    ASSERT_NE(std::string::npos, b);
    const std::string port = text.substr(0, a);
    const int type = std::atoi(text.substr(a + 1, b - a - 1).c_str());
    const std::string result = text.substr(b + 1);

    HWND dialog = WaitForDialog(KPUI_ADD_CAPTION);
    ASSERT_TRUE(dialog) << "the port dialog did not appear";
    std::ofstream(result, std::ios::binary) << TextOf(GetDlgItem(dialog, IDC_KPUI_PORT_NAME));
    SendMessageA(GetDlgItem(dialog, IDC_KPUI_PORT_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(port.c_str()));
    SendMessageA(GetDlgItem(dialog, IDC_KPUI_PHYSICAL_PORT), CB_SETCURSEL, type, 0);
    Click(dialog, IDOK);
    for (int i = 0; i < 1000 && IsWindow(dialog); ++i)
        Sleep(10);
    EXPECT_FALSE(IsWindow(dialog)) << "the dialog stayed open after OK";
}

TEST_F(SamplePackage, AddPortDialogCreatesTheTypedPort)
{
    OwnerWindow owner;
    ASSERT_TRUE(owner.get());
    const std::string port = Unique("ZDLG") + ":";
    ports_.push_back(port);
    const std::vector<std::string> before = EnumPorts1();
    const std::string dir = testpaths::MakeTempDir("sample-dialog");
    const std::string result = dir + "\\proposed.txt";

    // The user: this program again, in a second process, running only the test above.
    std::string self(MAX_PATH, '\0');
    self.resize(GetModuleFileNameA(nullptr, &self[0], MAX_PATH));
    std::string command = "\"" + self + "\" --gtest_filter=SamplePortDialogUser.*";
    SetEnvironmentVariableA(kDialogUserVariable, (port + "|3|" + result).c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION user = {};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &user);
    SetEnvironmentVariableA(kDialogUserVariable, nullptr);
    ASSERT_TRUE(started) << GetLastError();

    BOOL ok = AddPortA(nullptr, owner.get(), const_cast<char*>(kMonitorName));
    DWORD error = GetLastError();
    DWORD userExit = 1;
    if (WaitForSingleObject(user.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(user.hProcess, &userExit);
    else
        TerminateProcess(user.hProcess, 1);
    CloseHandle(user.hThread);
    CloseHandle(user.hProcess);
    const std::string proposed = ReadFileBytes(result);
    testpaths::RemoveTree(dir);

    EXPECT_EQ(0u, userExit) << "the user process failed";
    ASSERT_TRUE(ok) << "AddPortA failed with " << error;

    // The proposal is a KPL<n>: name that no port used.
    EXPECT_EQ(0u, proposed.find(KPUI_PORT_PREFIX)) << proposed;
    EXPECT_EQ(':', proposed.empty() ? '\0' : proposed.back()) << proposed;
    EXPECT_EQ(before.end(), std::find(before.begin(), before.end(), proposed)) << proposed;

    DWORD type = 99;
    ASSERT_TRUE(PortType(port, &type));
    EXPECT_EQ(3u, type);
    const std::vector<PortRecord> after = EnumPorts2();
    const PortRecord* p = FindPort(after, port);
    ASSERT_TRUE(p);
    EXPECT_EQ(kMonitorName, p->monitor);
}

TEST_F(SamplePackage, AddPortDialogRefusesTakenAndInvalidNamesAndCancels)
{
    OwnerWindow owner;
    ASSERT_TRUE(owner.get());
    std::string takenText, invalidText;
    std::atomic<bool> driven{false};
    const std::vector<std::string> before = EnumPorts1();

    CallResult r = WithUser(
        [&] { return AddPortA(nullptr, owner.get(), const_cast<char*>(kMonitorName)); },
        [&] {
            HWND dialog = WaitForDialog(KPUI_ADD_CAPTION);
            if (!dialog)
                return;
            HWND edit = GetDlgItem(dialog, IDC_KPUI_PORT_NAME);
            // Another monitor's port: refused, the dialog stays.
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("file:"));
            Click(dialog, IDOK);
            HWND box = WaitForDialog(KPUI_MESSAGE_CAPTION, dialog);
            if (!box)
                return;
            takenText = TextOf(GetDlgItem(box, 0xFFFF));
            Click(box, IDOK);
            for (int i = 0; i < 500 && IsWindow(box); ++i)
                Sleep(10);
            // A name with a comma: refused.
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("KPL,9"));
            Click(dialog, IDOK);
            box = WaitForDialog(KPUI_MESSAGE_CAPTION, dialog);
            if (!box)
                return;
            invalidText = TextOf(GetDlgItem(box, 0xFFFF));
            Click(box, IDOK);
            for (int i = 0; i < 500 && IsWindow(box); ++i)
                Sleep(10);
            Click(dialog, IDCANCEL);
            driven = true;
        });
    ASSERT_TRUE(driven) << "the dialog or its messages did not appear";
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), r.error);
    EXPECT_NE(std::string::npos, takenText.find("already exists")) << takenText;
    EXPECT_NE(std::string::npos, invalidText.find("not a valid port name")) << invalidText;
    EXPECT_EQ(before, EnumPorts1());
}

TEST_F(SamplePackage, ConfigureAndDeletePortThroughTheSpooler)
{
    const std::string port = MakePort("ZCFG", 0);
    OwnerWindow owner;
    ASSERT_TRUE(owner.get());
    std::atomic<bool> driven{false};
    std::string shownName;
    bool readOnly = false;
    CallResult r = WithUser(
        [&] { return ConfigurePortA(nullptr, owner.get(), const_cast<char*>(port.c_str())); },
        [&] {
            HWND dialog = WaitForDialog(KPUI_CONFIGURE_CAPTION);
            if (!dialog)
                return;
            HWND edit = GetDlgItem(dialog, IDC_KPUI_PORT_NAME);
            shownName = TextOf(edit);
            readOnly = (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0;
            SendMessageA(GetDlgItem(dialog, IDC_KPUI_PHYSICAL_PORT), CB_SETCURSEL, 4, 0);
            Click(dialog, IDOK);
            driven = true;
        });
    ASSERT_TRUE(driven) << "the configuration dialog did not appear";
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(port, shownName);
    EXPECT_TRUE(readOnly);
    DWORD type = 99;
    ASSERT_TRUE(PortType(port, &type));
    EXPECT_EQ(4u, type);

    EXPECT_TRUE(DeletePortA(nullptr, owner.get(), const_cast<char*>(port.c_str())));
    EXPECT_FALSE(PortType(port, &type));
    const std::vector<PortRecord> after = EnumPorts2();
    EXPECT_EQ(nullptr, FindPort(after, port));
}

// ---- Printing ----

bool PrintRaw(const std::string& printer, const std::string& bytes)
{
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &h, nullptr))
        return false;
    DOC_INFO_1A doc = {const_cast<char*>("sample package test"), nullptr, const_cast<char*>("RAW")};
    bool ok = StartDocPrinterA(h, 1, reinterpret_cast<BYTE*>(&doc)) != 0;
    // In pieces, as applications write.
    for (size_t at = 0; ok && at < bytes.size(); at += 1000) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(1000, bytes.size() - at));
        DWORD written = 0;
        ok = WritePrinter(h, const_cast<char*>(bytes.data() + at), n, &written) && written == n;
    }
    ok = EndDocPrinter(h) && ok;
    ClosePrinter(h);
    return ok;
}

// Files and registry keys that a test adds to the spooler's directories, removed again when it
// ends unless they were there before (Wine's DeletePrintProcessor deletes nothing).
class Leftovers {
public:
    Leftovers() = default;
    Leftovers(const Leftovers&) = delete;
    Leftovers& operator=(const Leftovers&) = delete;
    ~Leftovers()
    {
        for (const std::string& f : files_)
            DeleteFileA(f.c_str());
        for (const std::string& k : keys_)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, k.c_str());
    }
    void File(const std::string& path)
    {
        if (!FileExists(path))
            files_.push_back(path);
    }
    void Key(const std::string& path)
    {
        HKEY h = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS)
            RegCloseKey(h);
        else
            keys_.push_back(path);
    }

private:
    std::vector<std::string> files_, keys_;
};

TEST_F(SamplePackage, RawJobArrivesByteForByteInThePortsOutputFile)
{
    const std::string port = MakePort("ZPRN", 1);
    const std::string driver = "ZRN 7730 sample test " + Unique("");
    const std::string printer = "ZRN 7730 sample test printer " + Unique("");
    Leftovers leftovers;

    // The driver's files into the driver directory, then the driver, as the wizard does.
    char driverDir[MAX_PATH] = {};
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir), MAX_PATH, &needed));
    for (const char* f : {"ZRN7730.DLL", "ZRN7730UI.DLL", "ZRN7730.GPD", "ZRN7730.HLP", "ZRNKPL.DAT"}) {
        leftovers.File(std::string(driverDir) + "\\" + f);
        leftovers.File(std::string(driverDir) + "\\3\\" + f);
        ASSERT_TRUE(CopyFileA((package_ + "\\" + f).c_str(), (std::string(driverDir) + "\\" + f).c_str(), FALSE)) << f;
    }
    static char dependent[] = "ZRN7730.DLL\0ZRN7730UI.DLL\0ZRN7730.HLP\0ZRN7730.GPD\0ZRNKPL.DAT\0";
    DRIVER_INFO_3A di = {};
    di.cVersion = 3;
    di.pName = const_cast<char*>(driver.c_str());
    di.pDriverPath = const_cast<char*>("ZRN7730.DLL");
    di.pDataFile = const_cast<char*>("ZRN7730.GPD");
    di.pConfigFile = const_cast<char*>("ZRN7730UI.DLL");
    di.pHelpFile = const_cast<char*>("ZRN7730.HLP");
    di.pDependentFiles = dependent;
    di.pDefaultDataType = const_cast<char*>("RAW");
    ASSERT_TRUE(AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_ALL_FILES))
        << GetLastError();

    // The package's print processor, registered as the wizard registers it.
    char processorDir[MAX_PATH] = {};
    ASSERT_TRUE(
        GetPrintProcessorDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(processorDir), MAX_PATH, &needed));
    CreateDirectoryA(processorDir, nullptr);
    leftovers.File(std::string(processorDir) + "\\KPLPRINT.DLL");
    const std::vector<scenario::PrinterDriver> drivers = scenario::Drivers();
    const scenario::PrinterDriver* installed = scenario::FindDriver(drivers, driver);
    ASSERT_NE(nullptr, installed);
    leftovers.Key("System\\CurrentControlSet\\Control\\Print\\Environments\\" + installed->environment +
                  "\\Print Processors\\KPLPrint");
    CopyFileA((package_ + "\\KPLPRINT.DLL").c_str(), (std::string(processorDir) + "\\KPLPRINT.DLL").c_str(), FALSE);
    EXPECT_TRUE(AddPrintProcessorA(nullptr, nullptr, const_cast<char*>("KPLPRINT.DLL"), const_cast<char*>("KPLPrint")));

    PRINTER_INFO_2A pi = {};
    pi.pPrinterName = const_cast<char*>(printer.c_str());
    pi.pPortName = const_cast<char*>(port.c_str());
    pi.pDriverName = const_cast<char*>(driver.c_str());
    pi.pPrintProcessor = const_cast<char*>("KPLPrint");
    pi.pDatatype = const_cast<char*>("RAW");
    HANDLE added = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
    DWORD addError = GetLastError();
    if (added)
        ClosePrinter(added);

    std::string job;
    for (int i = 0; i < 5000; ++i)
        job.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    job += "\r\n\x1b" "E end of the ZRN 7730 sample test job\f";
    const std::string file = scenario::MonitorOutputFile(port);
    bool printed = false, second = false;
    std::string got, got2;
    if (added) {
        printed = PrintRaw(printer, job);
        got = ReadFileBytes(file);
        second = PrintRaw(printer, "second job");
        got2 = ReadFileBytes(file);
        HANDLE h = nullptr;
        PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterA(const_cast<char*>(printer.c_str()), &h, &all)) {
            DeletePrinter(h);
            ClosePrinter(h);
        }
    }
    DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(driver.c_str()));
    DeleteFileA(file.c_str());

    ASSERT_TRUE(added) << "AddPrinterA failed with " << addError;
    EXPECT_TRUE(printed);
    EXPECT_EQ(job.size(), got.size()) << file;
    EXPECT_TRUE(job == got) << "the job did not arrive byte for byte in " << file;
    // Each job replaces the file's content.
    EXPECT_TRUE(second);
    EXPECT_EQ("second job", got2);
}

// ---- Output file names ----

TEST(SamplePortFileName, EncodesReservedCharactersAndDeviceNames)
{
    using kpmonitor::PortFileName;
    EXPECT_EQ("KPL1%3A.prn", PortFileName(std::string("KPL1:")));
    EXPECT_EQ("KPL1.prn", PortFileName(std::string("KPL1")));
    EXPECT_EQ("My%20Port_1-a.b.prn", PortFileName(std::string("My Port_1-a.b")));
    EXPECT_EQ("%25.prn", PortFileName(std::string("%")));
    EXPECT_EQ("%43ON.prn", PortFileName(std::string("CON")));
    EXPECT_EQ("com1%3A.prn", PortFileName(std::string("com1:")));
    EXPECT_EQ("%63om1.prn", PortFileName(std::string("com1")));
    EXPECT_EQ("%4Cpt9.x.prn", PortFileName(std::string("Lpt9.x")));
    EXPECT_EQ("COM10.prn", PortFileName(std::string("COM10")));
    EXPECT_EQ(L"KPL%u0100.prn", PortFileName(std::wstring(L"KPL\x0100")));
    EXPECT_TRUE(kpmonitor::IsValidPortName(std::string("KPL1:")));
    EXPECT_FALSE(kpmonitor::IsValidPortName(std::string("")));
    EXPECT_FALSE(kpmonitor::IsValidPortName(std::string(" KPL1:")));
    EXPECT_FALSE(kpmonitor::IsValidPortName(std::string("KPL:1")));
    EXPECT_FALSE(kpmonitor::IsValidPortName(std::string("k:")));
    EXPECT_TRUE(kpmonitor::IsValidPortName(std::string("7:")));
    EXPECT_FALSE(kpmonitor::IsValidPortName(std::string(65, 'K')));
    EXPECT_TRUE(kpmonitor::IsValidPortName(std::string(64, 'K')));
}

}  // namespace
