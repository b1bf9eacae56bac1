// Installing the package's port monitor before the printer page, and upgrading an installed
// one whose version is older than the package's.
#include "install/port_monitor.h"

#include <algorithm>
#include <cstring>

#include "framework/file.h"
#include "framework/paths.h"
#include "framework/registry.h"
#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "install/exit_codes.h"
#include "install/feedback.h"
#include "install/file_copy.h"
#include "install/spooler.h"
#include "install/version_compare.h"
#include "package/monitor_inf.h"
#include "package/package.h"
#include "package/printer_model.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

using framework::JoinPath;
using framework::SystemDirectory;
using platform::RegKey;


namespace {

const char kMonitorsKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors";
const char kFileVersionBlock[] = "\\StringFileInfo\\040904b0\\FileVersion";
// The access with which the spooler's keys are opened (KEY_READ | KEY_WRITE).
constexpr REGSAM kMonitorKeyAccess = KEY_READ | KEY_WRITE;
// Storage of one name or value: 259 characters and the NUL.
constexpr DWORD kNameBytes = MAX_PATH;

// The monitor's files from the package's monitor directory into the system directory.
bool CopyMonitorFiles(const std::string& monitorDirectory, const std::vector<std::string>& fileList)
{
    return CopyFilesToDirectory(monitorDirectory, fileList, SystemDirectory());
}

// A copy of the monitor's files that failed: the monitor in use is the one that was there.
void ReportMonitorFilesNotCopied(HWND owner)
{
    StepFeedback().Tell(owner, framework::LoadTextWith(IDS_FILES_NOT_COPIED, SystemDirectory()),
                        IDS_INSTALL_FAILED_CAPTION, MB_OK | MB_ICONHAND);
}

}  // namespace

void ReportMissingMonitorDirectory(HWND owner, const std::string& infName)
{
    StepFeedback().Tell(owner, framework::LoadTextWith(IDS_CANNOT_OPEN_FILE, infName), IDS_WIZARD_CAPTION,
                        MB_OK | MB_ICONHAND);
}

std::optional<MonitorInfScan> ReadPackageMonitorInf(HWND owner, const Package& package, DWORD major, DWORD minor)
{
    const std::string infName = MonitorInfName(major, minor);
    const std::string directory = package.MonitorDirectory();
    if (!framework::IsDirectory(directory)) {
        ReportMissingMonitorDirectory(owner, infName);
        return std::nullopt;
    }
    return MonitorInfScan(directory, infName, major, minor);
}

std::optional<MonitorInfScan> ScanPackageMonitorInf(HWND owner, const Package& package, DWORD major, DWORD minor)
{
    std::optional<MonitorInfScan> scan = ReadPackageMonitorInf(owner, package, major, minor);
    if (scan && scan->m_szFileList.empty()) {
        // A file that was read but names no files (another layout, a missing marker) is
        // told as one that cannot be opened.
        if (!TellMonitorInfProblem(owner, *scan))
            ReportMissingMonitorDirectory(owner, scan->m_szInfName);
        return std::nullopt;
    }
    return scan;
}

bool TellMonitorInfProblem(HWND owner, const MonitorInfScan& scan)
{
    switch (scan.m_problem) {
    case MonitorInfProblem::None:
        return false;
    case MonitorInfProblem::CannotOpen:
        ReportMissingMonitorDirectory(owner, scan.m_szInfName);
        return true;
    case MonitorInfProblem::NameTooLong:
        TellSystemError(owner, ERROR_FILENAME_EXCED_RANGE, IDS_INSTALL_FAILED_CAPTION);
        return true;
    }
    return false;
}

bool FindRegisteredMonitor(const std::string& dllName, std::string& monitorName)
{
    DWORD needed = 0;
    DWORD count = 0;
    sys().EnumMonitorsA(nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0)
        return false;
    std::vector<BYTE> buffer(needed);
    if (!sys().EnumMonitorsA(nullptr, 2, buffer.data(), needed, &needed, &count))
        return false;
    const auto* monitors = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
    size_t fits = buffer.size() / sizeof(MONITOR_INFO_2A);
    for (DWORD i = 0; i < count && i < fits; ++i) {
        if (monitors[i].pDLLName && framework::EqualNoCase(monitors[i].pDLLName, dllName)) {
            monitorName = framework::Truncate(monitors[i].pName ? monitors[i].pName : "");
            return true;
        }
    }
    return false;
}

bool RegisterPortMonitor(HWND owner, const MonitorInfScan& scan)
{
    if (!CopyMonitorFiles(scan.m_directory, scan.m_szFileList)) {
        ReportMonitorFilesNotCopied(owner);
        return false;
    }

    // The monitor is registered for the local machine's environment: the program runs only
    // on Windows NT, whose spooler takes a null environment as its own.
    std::string name = scan.m_szMonitorName;
    std::string dll = scan.m_szDllName;
    MONITOR_INFO_2A info = {};
    info.pName = &name[0];
    info.pEnvironment = nullptr;
    info.pDLLName = &dll[0];
    if (sys().AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(&info)))
        return true;
    DWORD error = sys().GetLastError();
    TellSystemError(owner, error, IDS_INSTALL_FAILED_CAPTION);
    return false;
}

bool FindInstalledMonitorVersion(const std::string& dll, std::string& version)
{
    RegKey monitors;
    if (sys().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMonitorsKey, 0, kMonitorKeyAccess, monitors.receive()) !=
        ERROR_SUCCESS)
        return false;
    DWORD subKeys = 0;
    if (sys().RegQueryInfoKeyA(monitors.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;

    for (DWORD i = 0; i < subKeys; ++i) {
        char name[kNameBytes + 1] = {};
        DWORD length = kNameBytes;
        if (sys().RegEnumKeyExA(monitors.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        RegKey monitor;
        if (sys().RegOpenKeyExA(monitors.get(), name, 0, kMonitorKeyAccess, monitor.receive()) != ERROR_SUCCESS)
            continue;
        std::string driver;
        if (!framework::ReadRegistryText(monitor.get(), "Driver", driver) || !framework::EqualNoCase(driver, dll))
            continue;
        std::string found;
        if (framework::ReadRegistryText(monitor.get(), "Version", found)) {
            version = found;
            return true;
        }
    }
    return false;
}

bool ReadFileVersionText(const std::string& path, std::string& version)
{
    DWORD ignored = 0;
    DWORD size = sys().GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    if (!sys().GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return false;
    LPVOID text = nullptr;
    UINT length = 0;
    if (!sys().VerQueryValueA(block.data(), kFileVersionBlock, &text, &length) || !text || length == 0)
        return false;
    // The length may or may not count the closing NUL; the text ends at either.
    const char* s = static_cast<const char*>(text);
    const BYTE* end = block.data() + block.size();
    size_t limit = length;
    if (reinterpret_cast<const BYTE*>(s) >= block.data() && reinterpret_cast<const BYTE*>(s) < end)
        limit = std::min<size_t>(limit, static_cast<size_t>(end - reinterpret_cast<const BYTE*>(s)));
    version = framework::Truncate(std::string(s, strnlen(s, limit)));
    return !version.empty();
}

bool PackageMonitorIsNewer(const std::string& monitorDirectory)
{
    std::string installed;
    if (!FindInstalledMonitorVersion(kModel.monitorDll, installed))
        return false;
    // The version of the very file that the upgrade would copy.
    std::string packaged;
    if (!ReadFileVersionText(JoinPath(monitorDirectory, kModel.monitorDll), packaged))
        return false;
    return CompareVersions(packaged, installed) > 0;
}

MonitorReplacement ReplaceMonitorFiles(HWND owner, const std::string& monitorDirectory,
                                       const std::vector<std::string>& fileList)
{
    framework::ScopedWaitCursor wait;
    DependentServiceList stopped;
    if (!StopSpooler(stopped, owner)) {
        // A spooler that had stopped and did not come back is a failed restart.
        DWORD error = sys().GetLastError();
        TellError(owner, stopped.spoolerDown ? IDS_RESTART_SPOOLER_FAILED : IDS_STOP_SPOOLER_FAILED,
                                     error, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
        return stopped.spoolerDown ? MonitorReplacement::RestartFailed : MonitorReplacement::StopFailed;
    }
    // The spooler is started again whether or not the files could be copied.
    bool copied = CopyMonitorFiles(monitorDirectory, fileList);
    if (!RestartSpooler(owner, stopped)) {
        DWORD error = sys().GetLastError();
        TellError(owner, IDS_RESTART_SPOOLER_FAILED, error, IDS_WIZARD_CAPTION,
                                     MB_OK | MB_ICONHAND);
        return MonitorReplacement::RestartFailed;
    }
    if (copied)
        return MonitorReplacement::Replaced;
    ReportMonitorFilesNotCopied(owner);
    return MonitorReplacement::CopyFailed;
}

namespace {

// The upgrade of an installed monitor, when the package's is newer and the answer is Yes.
MonitorStep UpgradeMonitor(HWND owner, const MonitorInfScan& scan, Answer& answer)
{
    framework::ScopedWaitCursor wait;
    if (!PackageMonitorIsNewer(scan.m_directory))
        return MonitorStep::Present;
    answer = StepFeedback().Ask(owner, IDS_UPGRADE_MONITOR);
    if (answer != Answer::Yes)
        return MonitorStep::Declined;
    switch (ReplaceMonitorFiles(owner, scan.m_directory, scan.m_szFileList)) {
    case MonitorReplacement::Replaced: return MonitorStep::Upgraded;
    case MonitorReplacement::StopFailed: return MonitorStep::StopFailed;
    case MonitorReplacement::CopyFailed: return MonitorStep::CopyFailed;
    case MonitorReplacement::RestartFailed: break;
    }
    return MonitorStep::RestartFailed;
}

}  // namespace

bool UpgradePortMonitor(HWND owner, const MonitorInfScan& scan)
{
    Answer answer = Answer::Unanswered;
    switch (UpgradeMonitor(owner, scan, answer)) {
    case MonitorStep::Present:
    case MonitorStep::Upgraded:
        return true;
    case MonitorStep::RestartFailed:
        StepFeedback().End(ExitCode::SpoolerFailed);
        return false;
    default:
        return false;
    }
}

MonitorStepResult InstallMonitorStep(HWND owner, const Package& package, DWORD major, DWORD minor)
{
    MonitorStepResult result;
    std::optional<MonitorInfScan> scan = ScanPackageMonitorInf(owner, package, major, minor);
    if (!scan)
        return result;
    if (FindRegisteredMonitor(scan->m_szDllName, scan->m_szMonitorName))
        result.step = UpgradeMonitor(owner, *scan, result.answer);
    else
        result.step = RegisterPortMonitor(owner, *scan) ? MonitorStep::Registered : MonitorStep::RegisterFailed;
    result.monitorName = scan->m_szMonitorName;
    return result;
}

bool InstallPackagePortMonitor(HWND owner, const Package& package, DWORD major, DWORD minor)
{
    if (!RequireSpooler(owner))
        return false;
    // A declined or failed upgrade keeps the old monitor, and after a refused registration
    // (told) the pages follow anyway; a spooler that did not come back ends the wizard.
    switch (InstallMonitorStep(owner, package, major, minor).step) {
    case MonitorStep::ScanFailed:
        return false;
    case MonitorStep::RestartFailed:
        StepFeedback().End(ExitCode::SpoolerFailed);
        return false;
    default:
        return true;
    }
}
