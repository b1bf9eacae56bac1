// Leftover files, the report's reasons, and what the package installs besides its driver.
#include <cstring>

#include "framework/file.h"
#include "framework/strings.h"
#include "install/port_monitor.h"
#include "install/uninstall.h"
#include "package/inf_file.h"
#include "package/monitor_inf.h"
#include "package/package.h"
#include "package/printer_model.h"
#include "platform/api.h"

bool UninstallComplete(const UninstallReport& report)
{
    for (const PartResult& result : report)
        if (result.state == PartState::Failed)
            return false;
    return true;
}

bool RestartPending(const UninstallReport& report)
{
    for (const PartResult& result : report)
        if (result.state == PartState::Scheduled)
            return true;
    return false;
}

std::string ErrorReason(DWORD error)
{
    std::string text = framework::Trim(framework::SystemErrorText(error));
    return (text.empty() ? std::string("error") : text) + " (" + std::to_string(error) + ")";
}

void DeleteLeftoverFile(const std::string& path, UninstallReport& report)
{
    DWORD attributes = sys().GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    const std::string part = "file " + path;
    // A copy from read-only media keeps its read-only mark, which would stop the deletion.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        sys().SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (sys().DeleteFileA(path.c_str())) {
        report.push_back({part, PartState::Removed, ""});
        return;
    }
    DWORD error = sys().GetLastError();
    // A library that a process holds loaded cannot be deleted while it stays loaded, but it
    // can be renamed. The new name is what Windows deletes when it next starts: a file that
    // a later install puts at the old path must outlive that restart.
    bool inUse = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    std::string aside = inUse ? framework::MoveFileAside(path, "zrn") : std::string();
    if (aside.empty())
        report.push_back({part, PartState::Failed, ErrorReason(error)});
    else if (sys().MoveFileExA(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        report.push_back({part, PartState::Scheduled, ErrorReason(error) + "; moved to " + aside});
    else
        report.push_back({part, PartState::Failed, "moved to " + aside + ", which " + ErrorReason(sys().GetLastError())});
}

PackageParts ReadPackageParts(const Package& package, const std::string& infName, const std::string& model,
                              DWORD major, DWORD minor)
{
    PackageParts parts;
    try {
        InfFile inf(package.Path(infName), model);
        inf.Describe();
        // A print processor that the package names without its file is the machine's own.
        if (!inf.m_szPrintProcessorFile.empty()) {
            parts.printProcessor = inf.m_szPrintProcessor;
            parts.printProcessorFile = inf.m_szPrintProcessorFile;
        }
        for (const std::string& file : {inf.m_szDriverFile, inf.m_szDataFile, inf.m_szConfigFile, inf.m_szHelpFile})
            if (!file.empty())
                parts.driverFiles.push_back(file);
        for (const char* p = inf.m_szDependentFiles.c_str(); *p; p += std::strlen(p) + 1)
            parts.driverFiles.emplace_back(p);
        parts.version = inf.GetField("Version", "DriverVer", 2);
    } catch (...) {
        // Without a description the package brings no print processor of its own.
    }
    const MonitorInfScan scan(package.MonitorDirectory(), MonitorInfName(major, minor), major, minor);
    parts.monitorDll = scan.m_szDllName;
    parts.monitorFiles = scan.m_szFileList;
    if (parts.monitorDll.empty())
        parts.monitorDll = kModel.monitorDll;
    if (parts.monitorFiles.empty())
        parts.monitorFiles = {parts.monitorDll};
    return parts;
}
