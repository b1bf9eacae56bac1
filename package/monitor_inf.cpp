#include "package/monitor_inf.h"

#include <new>

#include "framework/file.h"
#include "framework/paths.h"
#include "framework/strings.h"
#include "package/monitor_inf_text.h"
#include "res/resource.h"

std::string MonitorInfName(DWORD majorVersion, DWORD minorVersion)
{
    return framework::LoadText(monitorinf::UsesXpMonitorInf(majorVersion, minorVersion) ? IDS_MONITOR_INF_XP
                                                                                       : IDS_MONITOR_INF_2000);
}

MonitorInfScan::MonitorInfScan(const std::string& directory, const std::string& infName, DWORD majorVersion,
                               DWORD minorVersion)
    : m_directory(directory), m_szInfName(framework::Truncate(infName))
{
    try {
        std::string bytes;
        // The given name is opened, not the cut one, so that a cut name never opens
        // some other file.
        switch (framework::ReadFilePrefix(framework::JoinPath(directory, infName), monitorinf::kMaxScanBytes, bytes)) {
        case framework::ReadResult::OpenFailed:
            m_problem = MonitorInfProblem::CannotOpen;
            return;
        case framework::ReadResult::ReadFailed:
            return;
        case framework::ReadResult::Ok:
            break;
        }
        monitorinf::ScanResult r = monitorinf::ScanMonitorInfText(bytes, majorVersion, minorVersion);
        if (r.nameTooLong) {
            // A name cut to fit would name another file or monitor.
            m_problem = MonitorInfProblem::NameTooLong;
            return;
        }
        m_szFileList = std::move(r.files);
        m_szDllName = std::move(r.dllName);
        m_szMonitorName = std::move(r.monitorName);
        m_szOptionValue = std::move(r.optionValue);
    } catch (const std::bad_alloc&) {
        // No memory for the text: the record stays empty, as after a read error.
        m_szFileList.clear();
        m_szDllName.clear();
        m_szMonitorName.clear();
        m_szOptionValue.clear();
    }
}
