// The text scan of the port monitor's INF: plain C++ with no platform header, so that
// it can be built and checked on any host.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace monitorinf {

// The scan looks at no more than this many bytes from the start of the file.
constexpr size_t kMaxScanBytes = 26000;
// Longest name a field holds. A longer one is never cut (a cut file name names another
// file): it makes the whole scan unusable.
constexpr size_t kMaxName = 259;

// What the scan finds. Fields stay empty when the markers they need are missing, and all
// of them when a name is longer than kMaxName (nameTooLong is set then).
struct ScanResult {
    std::vector<std::string> files;  // the monitor's files, in the order found
    std::string dllName;
    std::string monitorName;
    std::string optionValue;
    bool nameTooLong = false;
};

// Which monitor INF a Windows version reads, and in which layout: Windows 2000 (5.0) and
// earlier read "monitor.inf" in the [Options] layout; XP, Server 2003 and XP x64 (5.1, 5.2)
// and later read "monitorxp.inf" in the [PortMonitors] layout. The file and its layout
// always go together.
inline bool UsesXpMonitorInf(unsigned majorVersion, unsigned minorVersion)
{
    return majorVersion > 5 || (majorVersion == 5 && minorVersion >= 1);
}

// Scans the bytes of a monitor INF as the given Windows version reads it (the layout that
// UsesXpMonitorInf picks). The text ends at
// its first NUL byte or after kMaxScanBytes bytes, whichever comes first.
ScanResult ScanMonitorInfText(const char* data, size_t size, unsigned majorVersion,
                              unsigned minorVersion);

inline ScanResult ScanMonitorInfText(const std::string& bytes, unsigned majorVersion,
                                     unsigned minorVersion)
{
    return ScanMonitorInfText(bytes.data(), bytes.size(), majorVersion, minorVersion);
}

}  // namespace monitorinf
