// The port monitor's INF, read as text: display name, DLL name and the files to copy.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

// "monitor.inf" on Windows 5.0, "monitorxp.inf" on 5.1 and 5.2; MonitorInfScan reads each
// in its own layout.
std::string MonitorInfName(DWORD majorVersion, DWORD minorVersion);

class MonitorInfScan {
public:
    // Reads and scans infName (relative to the current directory) at once. When the
    // file cannot be opened, shows "Unable to open file" with the name, and when it names
    // something longer than 259 characters, the system's text for a name too long; every
    // field stays empty then. A read error leaves them empty without a message.
    MonitorInfScan(const std::string& infName, DWORD majorVersion, DWORD minorVersion);

    std::vector<std::string> m_szFileList;  // the monitor's files, in the order found
    std::string m_szInfName;
    std::string m_szDllName;
    std::string m_szMonitorName;
    std::string m_szOptionValue;
    bool m_bReported = false;  // the file could not be opened or used, and the user was told
};
