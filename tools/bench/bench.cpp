// The benchmark's measurements, one per command; scripts/bench.sh runs each on its own fresh
// machine (Wine prefix) and prints the ratios. Every command prints one line "RESULT ..." with
// its figures in milliseconds, or "FAILED ..." and exit code 1.
//
//   bench.exe start DIR EXE CAPTION RUNS   start of DIR\EXE to its visible window CAPTION,
//                                          RUNS times (Cancel ends each): median and minimum
//   bench.exe install PACKAGE              the install task driven at full speed: setup.exe's
//                                          lifetime (creation to exit)
//   bench.exe direct PACKAGE               the same installation made by direct calls, each timed:
//                                          only the calls that change the machine, files copied
//                                          with CopyFileA (the platform's floor)
//   bench.exe direct-same PACKAGE          the same, with the quiet install's own platform calls
//                                          (spooler state, SetupAPI, listings, shell copies, ...)
//   bench.exe quiet PACKAGE                PACKAGE\setup.exe /install /newport /quiet /yes: its
//                                          lifetime
//   bench.exe direct-process PACKAGE       bench.exe direct PACKAGE as a child process: its
//                                          lifetime (one process start, as the quiet install)
//   bench.exe direct-same-process PACKAGE  the same for direct-same
//   bench.exe copy PACKAGE DEST            the copy task into DEST: Finish to exit, and lifetime
//   bench.exe copyfile PACKAGE DEST        the package's files copied with CopyFileA in a loop
//   bench.exe shellcopy PACKAGE DEST       the same files copied as the copy task copies them:
//                                          one SHFileOperationA for the package's files and one
//                                          for its monitor directory's, the shell loaded first
//   bench.exe adopt                        drives the install task of a setup.exe that another
//                                          program started (for /usr/bin/time)
//   bench.exe close CAPTION                presses Cancel in the visible window CAPTION, once it shows
#include <windows.h>
#include <setupapi.h>
#include <shellapi.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clock.h"
#include "support/process.h"
#include "support/scenario_flows.h"
#include "support/scenario_machine.h"
#include "support/scenario_wizard.h"
#include "support/ui_driver.h"

namespace {

using namespace scenario;

double Milliseconds(const FILETIME& from, const FILETIME& to)
{
    ULARGE_INTEGER a, b;
    a.LowPart = from.dwLowDateTime;
    a.HighPart = from.dwHighDateTime;
    b.LowPart = to.dwLowDateTime;
    b.HighPart = to.dwHighDateTime;
    return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

int Failed(const std::string& why)
{
    std::printf("FAILED %s\n", why.c_str());
    return 1;
}

// ---- start to the visible window ----------------------------------------------------------

struct WindowSearch {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char text[256] = {};
    if (pid == s->pid && IsWindowVisible(window) && GetWindowTextA(window, text, sizeof text) &&
        std::string(text) == s->caption) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

int Start(const std::string& dir, const std::string& exe, const std::string& caption, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const std::string path = dir + "\\" + exe;
        std::string commandLine = "\"" + path + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        const double t0 = Now();
        if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
            return Failed("cannot start " + path);
        WindowSearch search{pi.dwProcessId, caption.c_str(), nullptr};
        // Looked for every millisecond: the figure is as fine as the scheduler allows.
        while (!search.found && Now() - t0 < e2e::kWaitMs) {
            EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search));
            if (!search.found)
                Sleep(1);
        }
        const double t1 = Now();
        bool ended = false;
        if (search.found) {
            e2e::Click(search.found, IDCANCEL);
            ended = WaitForSingleObject(pi.hProcess, e2e::kWaitMs) == WAIT_OBJECT_0;
        }
        if (!ended)
            TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        if (!search.found)
            return Failed("no visible window \"" + caption + "\" of " + exe);
        times.push_back(t1 - t0);
    }
    std::sort(times.begin(), times.end());
    std::printf("RESULT median %.1f min %.1f max %.1f\n", times[times.size() / 2], times.front(), times.back());
    return 0;
}

// ---- the install task ---------------------------------------------------------------------

int Install(const std::string& package)
{
    if (!SetSpoolerRunning(true))
        return Failed("the spooler does not run");
    Wizard wizard;
    InstallChoices choices;
    InstallOutcome outcome;
    if (!RunInstall(wizard, package, choices, &outcome))
        return Failed(wizard.Error());
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(wizard.Process().Handle(), &created, &exited, &kernel, &user))
        return Failed("no process times");
    if (!FindPrinter(choices.printerName, nullptr))
        return Failed("no printer after the install task");
    std::printf("RESULT lifetime %.1f\n", Milliseconds(created, exited));
    return 0;
}

// The installation that the install task makes, by direct calls, each timed.
class Steps {
public:
    template <typename F>
    bool Run(const char* name, bool spooler, F f)
    {
        const double t0 = Now();
        const bool ok = f();
        const double ms = Now() - t0;
        std::printf("  %-48s %8.1f ms%s\n", name, ms, ok ? "" : "  FAILED");
        (spooler ? m_calls : m_files) += ms;
        return ok;
    }
    double Calls() const { return m_calls; }
    double Files() const { return m_files; }

private:
    double m_calls = 0, m_files = 0;
};

bool CopyInto(const std::string& from, const std::vector<std::string>& names, const std::string& to)
{
    for (const std::string& n : names)
        if (!CopyFileA((from + "\\" + n).c_str(), (to + "\\" + n).c_str(), FALSE))
            return false;
    return true;
}

// The platform calls of the quiet install that the direct calls below leave out or make
// otherwise, for the reference that makes the same calls.

// Every INF of the package opened through SetupAPI and its model line looked up, as the
// discovery of the driver INF does.
bool FindDriverInf(const std::string& package)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((package + "\\*.inf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool model = false;
    do {
        HINF inf = SetupOpenInfFileA((package + "\\" + found.cFileName).c_str(), nullptr, INF_STYLE_WIN4, nullptr);
        if (inf == INVALID_HANDLE_VALUE)
            continue;
        INFCONTEXT line;
        char section[MAX_PATH] = {};
        model = model || (SetupFindFirstLineA(inf, "ZRN", kDriverName, &line) &&
                          SetupGetStringFieldA(&line, 1, section, sizeof section, nullptr));
        SetupCloseInfFile(inf);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return model;
}

// One listing of a spooler enumeration at level 2 (printers, ports or monitors).
template <typename Enumerate>
bool List(Enumerate enumerate)
{
    DWORD needed = 0, count = 0;
    enumerate(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    return enumerate(buffer.data(), needed, &needed, &count) != 0;
}

bool WriteMark()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZRN\\ZRN 7730 Printer Driver", 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const char* const values[][2] = {
        {"Version", "1.0.0.1"}, {"Driver", kDriverName}, {"PortMonitor", kMonitorDll}, {"PrintProcessor", kPrintProcessor}};
    bool ok = true;
    for (const auto& v : values)
        ok = ok && RegSetValueExA(key, v[0], 0, REG_SZ, reinterpret_cast<const BYTE*>(v[1]),
                                  static_cast<DWORD>(std::strlen(v[1]) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

using ShellOperation = int(WINAPI*)(LPSHFILEOPSTRUCTA);
ShellOperation LoadShellCopy();
bool ShellCopy(const std::string& from, const std::vector<std::string>& names, const std::string& to,
               ShellOperation operation);

// The installation of the quiet install by direct calls, each timed. With sameCalls, it makes
// the quiet install's own platform calls: the spooler's state, the driver INF found and read
// through SetupAPI, the printers, ports and monitors listed, the copies made by the shell,
// the INF copied under a free OEM name, the deployment mark in the registry. Without, only
// the calls that change the machine, files copied with CopyFileA: the platform's floor.
int Direct(const std::string& package, bool sameCalls)
{
    if (!SetSpoolerRunning(true))
        return Failed("the spooler does not run");
    const std::string kpmonitor = package + "\\kpmonitor";
    const std::string port = "KPL1:";
    const std::string printer = kDriverName;
    ShellOperation shell = nullptr;
    Steps steps;
    bool ok = true;
    auto copy = [&](const std::string& from, const std::vector<std::string>& names, const std::string& to) {
        return shell ? ShellCopy(from, names, to, shell) : CopyInto(from, names, to);
    };

    if (sameCalls) {
        ok = ok && steps.Run("the spooler's state", true, [] { return SpoolerState() == SERVICE_RUNNING; });
        ok = ok && steps.Run("the driver INF found and read (SetupAPI)", true, [&] { return FindDriverInf(package); });
        ok = ok && steps.Run("the printers, ports and monitors listed", true, [&] {
            return List([](BYTE* b, DWORD n, DWORD* need, DWORD* c) {
                       return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, n, need, c);
                   }) &&
                   List([](BYTE* b, DWORD n, DWORD* need, DWORD* c) { return EnumPortsA(nullptr, 2, b, n, need, c); }) &&
                   List([](BYTE* b, DWORD n, DWORD* need, DWORD* c) { return EnumMonitorsA(nullptr, 2, b, n, need, c); });
        });
        ok = ok && steps.Run("the shell loaded", false, [&] { return (shell = LoadShellCopy()) != nullptr; });
    }
    ok = ok && steps.Run("copy the monitor files to the system directory", false, [&] {
        return copy(kpmonitor, {kMonitorDll, kMonitorUiDll}, SystemDirectory());
    });
    ok = ok && steps.Run("AddMonitorA", true, [&] {
        MONITOR_INFO_2A info = {};
        info.pName = const_cast<char*>(kMonitorName);
        info.pDLLName = const_cast<char*>(kMonitorDll);
        return AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)) != 0;
    });
    ok = ok && steps.Run("XcvDataW AddPort (the port dialog's call)", true, [&] {
        HANDLE xcv = nullptr;
        PRINTER_DEFAULTSA access = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
        std::string name = std::string(",XcvMonitor ") + kMonitorName;
        if (!OpenPrinterA(&name[0], &xcv, &access))
            return false;
        std::wstring wide(port.begin(), port.end());
        DWORD needed = 0, status = 0;
        BOOL done = XcvDataW(xcv, L"AddPort", reinterpret_cast<BYTE*>(&wide[0]),
                             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)), nullptr, 0, &needed, &status);
        ClosePrinter(xcv);
        return done && status == ERROR_SUCCESS;
    });
    ok = ok && steps.Run("copy the print processor file", false, [&] {
        return copy(package, {kPrintProcessorFile}, PrintProcessorDirectory());
    });
    ok = ok && steps.Run("AddPrintProcessorA", true, [&] {
        return AddPrintProcessorA(nullptr, nullptr, const_cast<char*>(kPrintProcessorFile),
                                  const_cast<char*>(kPrintProcessor)) != 0;
    });
    ok = ok && steps.Run("copy the driver files to the driver directory", false, [&] {
        return copy(package, {"ZRN7730.DLL", "ZRN7730UI.DLL", "ZRN7730.GPD", "ZRN7730.HLP", "ZRNKPL.DAT"},
                    DriverDirectory());
    });
    ok = ok && steps.Run("AddPrinterDriverExA", true, [&] {
        static char dependent[] = "ZRN7730.DLL\0ZRN7730UI.DLL\0ZRN7730.HLP\0ZRN7730.GPD\0ZRNKPL.DAT\0";
        DRIVER_INFO_3A di = {};
        di.cVersion = 3;
        di.pName = const_cast<char*>(kDriverName);
        di.pDriverPath = const_cast<char*>("ZRN7730.DLL");
        di.pDataFile = const_cast<char*>("ZRN7730.GPD");
        di.pConfigFile = const_cast<char*>("ZRN7730UI.DLL");
        di.pHelpFile = const_cast<char*>("ZRN7730.HLP");
        di.pDependentFiles = dependent;
        di.pDefaultDataType = const_cast<char*>("RAW");
        return AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES) != 0;
    });
    ok = ok && steps.Run(sameCalls ? "the INF copied to a free OEM name" : "SetupCopyOEMInfA", true, [&] {
        const std::string inf = package + "\\" + kDriverInf;
        if (sameCalls) {
            char windows[MAX_PATH] = {};
            GetWindowsDirectoryA(windows, MAX_PATH);
            for (int n = 0; n < 1000; ++n) {
                const std::string name = std::string(windows) + "\\inf\\oem" + std::to_string(n) + ".inf";
                if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES)
                    return CopyFileA(inf.c_str(), name.c_str(), FALSE) != 0;
            }
            return false;
        }
        char copied[MAX_PATH] = {};
        return SetupCopyOEMInfA(inf.c_str(), package.c_str(), SPOST_PATH, 0, copied, sizeof copied, nullptr,
                                nullptr) != 0;
    });
    ok = ok && steps.Run("AddPrinterA", true, [&] {
        PRINTER_INFO_2A pi = {};
        pi.pPrinterName = const_cast<char*>(printer.c_str());
        pi.pPortName = const_cast<char*>(port.c_str());
        pi.pDriverName = const_cast<char*>(kDriverName);
        pi.pPrintProcessor = const_cast<char*>(kPrintProcessor);
        pi.pDatatype = const_cast<char*>("RAW");
        HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
        if (h)
            ClosePrinter(h);
        return h != nullptr;
    });
    if (sameCalls)
        ok = ok && steps.Run("the deployment mark", false, WriteMark);
    if (!ok)
        return Failed("a direct call failed");
    std::printf("RESULT calls %.1f files %.1f\n", steps.Calls(), steps.Files());
    return 0;
}

// ---- whole processes: the quiet install and the direct calls -----------------------------

// Runs exe with args in dir while the spooler runs: its lifetime, once it has ended with exit
// code 0 and the printer is there.
int Lifetime(const std::string& exe, const std::string& args, const std::string& dir)
{
    if (!SetSpoolerRunning(true))
        return Failed("the spooler does not run");
    e2e::Process process;
    if (!process.Start(exe, args, dir))
        return Failed(process.Error());
    if (!process.WaitForExit(e2e::kLongWaitMs))
        return Failed(exe + " did not end");
    if (process.ExitCode() != 0)
        return Failed(exe + " ended with exit code " + std::to_string(process.ExitCode()));
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process.Handle(), &created, &exited, &kernel, &user))
        return Failed("no process times");
    if (!FindPrinter(kDriverName, nullptr))
        return Failed(std::string("no printer ") + kDriverName + " after " + exe);
    std::printf("RESULT lifetime %.1f\n", Milliseconds(created, exited));
    return 0;
}

int DirectProcess(const std::string& package, const char* command)
{
    char self[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return Failed("no path of bench.exe");
    return Lifetime(self, std::string(command) + " \"" + package + "\"", package);
}

// ---- the copy task ------------------------------------------------------------------------

int Copy(const std::string& package, const std::string& destination)
{
    if (!SetSpoolerRunning(true))
        return Failed("the spooler does not run");
    Wizard wizard;
    HWND page = StartTask(wizard, package, IDC_TASK_COPY);
    if (!page || !e2e::SetItemText(page, IDC_DIRECTORY, destination) || !wizard.Press(page, IDOK))
        return Failed(wizard.Error());
    HWND summary = wizard.WaitForPage(Page::Summary);
    if (!summary)
        return Failed(wizard.Error());
    FILETIME finish;
    GetSystemTimeAsFileTime(&finish);
    if (!wizard.Press(summary, IDOK) || !wizard.WaitForExit(0))
        return Failed(wizard.Error());
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(wizard.Process().Handle(), &created, &exited, &kernel, &user))
        return Failed("no process times");
    if (TreeOf(destination) != TreeOf(package))
        return Failed("the destination does not hold the package");
    std::printf("RESULT finish-to-exit %.1f lifetime %.1f files %u\n", Milliseconds(finish, exited),
                Milliseconds(created, exited), static_cast<unsigned>(FilesIn(package).size() + FilesIn(package + "\\kpmonitor").size()));
    return 0;
}

int CopyWithCopyFile(const std::string& package, const std::string& destination)
{
    const double t0 = Now();
    bool ok = CreateDirectoryA(destination.c_str(), nullptr) && CreateDirectoryA((destination + "\\kpmonitor").c_str(), nullptr) &&
              CopyInto(package, FilesIn(package), destination) &&
              CopyInto(package + "\\kpmonitor", FilesIn(package + "\\kpmonitor"), destination + "\\kpmonitor");
    const double t1 = Now();
    if (!ok)
        return Failed("CopyFileA failed: " + std::to_string(GetLastError()));
    std::printf("RESULT copyfile %.1f\n", t1 - t0);
    return 0;
}

// The shell's copy, its library loaded first (as the seam loads it on its first call).
ShellOperation LoadShellCopy()
{
    return reinterpret_cast<ShellOperation>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("shell32.dll"), "SHFileOperationA")));
}

// One shell copy of the named files of a directory into another, with the copy task's flags.
bool ShellCopy(const std::string& from, const std::vector<std::string>& names, const std::string& to,
               ShellOperation operation)
{
    std::string sources;
    for (const std::string& name : names)
        sources += from + "\\" + name + '\0';
    sources += '\0';
    const std::string target = to + "\\" + '\0';
    CreateDirectoryA(to.c_str(), nullptr);
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_COPY;
    op.pFrom = sources.c_str();
    op.pTo = target.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    return operation(&op) == 0 && !op.fAnyOperationsAborted;
}

int CopyWithTheShell(const std::string& package, const std::string& destination)
{
    const double t0 = Now();
    const ShellOperation operation = LoadShellCopy();
    const bool ok = operation && ShellCopy(package, FilesIn(package), destination, operation) &&
                    ShellCopy(package + "\\kpmonitor", FilesIn(package + "\\kpmonitor"), destination + "\\kpmonitor",
                              operation);
    const double t1 = Now();
    if (!ok)
        return Failed("SHFileOperationA failed");
    std::printf("RESULT shellcopy %.1f\n", t1 - t0);
    return 0;
}

// ---- a setup.exe started by someone else --------------------------------------------------

int Adopt()
{
    e2e::WindowQuery q;
    q.caption = texts::kPageCaption;
    q.withControl = IDC_TASK_COPY;
    HWND welcome = e2e::WaitForWindow(q, 60000);
    if (!welcome)
        return Failed("no welcome page");
    DWORD pid = 0;
    GetWindowThreadProcessId(welcome, &pid);
    if (!SetSpoolerRunning(true))
        return Failed("the spooler does not run");
    Wizard wizard;
    InstallOutcome outcome;
    if (!wizard.Adopt(pid) || !DriveInstall(wizard, InstallChoices(), &outcome))
        return Failed(wizard.Error());
    std::printf("RESULT adopted %lu\n", static_cast<unsigned long>(pid));
    return 0;
}

int Close(const std::string& caption)
{
    e2e::WindowQuery q;
    q.caption = caption;
    HWND window = e2e::WaitForWindow(q, 60000);
    if (!window || !e2e::Click(window, IDCANCEL))
        return Failed("no window \"" + caption + "\" to close");
    std::printf("RESULT closed\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "start" && argc == 6)
        return Start(argv[2], argv[3], argv[4], std::max(1, std::atoi(argv[5])));
    if (command == "install" && argc == 3)
        return Install(argv[2]);
    if ((command == "direct" || command == "direct-same") && argc == 3)
        return Direct(argv[2], command == "direct-same");
    if (command == "quiet" && argc == 3)
        return Lifetime(std::string(argv[2]) + "\\setup.exe", "/install /newport /quiet /yes", argv[2]);
    if (command == "direct-process" && argc == 3)
        return DirectProcess(argv[2], "direct");
    if (command == "direct-same-process" && argc == 3)
        return DirectProcess(argv[2], "direct-same");
    if (command == "copy" && argc == 4)
        return Copy(argv[2], argv[3]);
    if (command == "copyfile" && argc == 4)
        return CopyWithCopyFile(argv[2], argv[3]);
    if (command == "shellcopy" && argc == 4)
        return CopyWithTheShell(argv[2], argv[3]);
    if (command == "adopt" && argc == 2)
        return Adopt();
    if (command == "close" && argc == 3)
        return Close(argv[2]);
    std::fprintf(stderr, "usage: see the top of bench.cpp\n");
    return 2;
}
