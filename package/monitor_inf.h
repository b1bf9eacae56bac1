// The port monitor's INF, read as text: display name, DLL name and the files to copy.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

// "monitor.inf" on Windows 5.0, "monitorxp.inf" on 5.1 and 5.2; MonitorInfScan reads each
// in its own layout.
std::string MonitorInfName(DWORD majorVersion, DWORD minorVersion);

// Why a scan gave nothing that its caller must tell the user.
enum class MonitorInfProblem {
    None,         // read (a read error leaves the record empty without a problem to tell)
    CannotOpen,   // the file could not be opened
    NameTooLong,  // it names something longer than 259 characters
};

class MonitorInfScan {
public:
    // Reads and scans the INF infName of a directory (the package's monitor directory) at
    // once. When the file cannot be opened or names something too long, every field but the
    // directory and the INF's name stays empty and m_problem says why.
    MonitorInfScan(const std::string& directory, const std::string& infName, DWORD majorVersion,
                   DWORD minorVersion);

    std::string m_directory;                // where the INF and the monitor's files are
    std::vector<std::string> m_szFileList;  // the monitor's files, in the order found
    std::string m_szInfName;
    std::string m_szDllName;
    std::string m_szMonitorName;
    std::string m_szOptionValue;
    MonitorInfProblem m_problem = MonitorInfProblem::None;
};
