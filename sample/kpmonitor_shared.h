// Names and rules shared by the ZRN 7730 sample port monitor (ZRNKPMON.DLL), its user interface
// (ZRNKPUI.DLL) and the programs that test them. Header only; no dependency beyond the C++ library.
//
// Registry layout, all under HKEY_LOCAL_MACHINE:
//   System\CurrentControlSet\Control\Print\Monitors\ZRN 7730 Language/Port Monitor
//       "Driver"           REG_SZ     written by the spooler when the monitor is added
//       "Version"          REG_SZ     the monitor DLL's FileVersion, written each time it is loaded
//       "OutputDirectory"  REG_SZ     where printed jobs go; written with the default when missing
//       Ports\<port name>
//           "TYPE"         REG_DWORD  0 = USB, n = COM n
//
// Printed jobs: every port writes to one file, OutputDirectory\<PortFileName(port)>. Each job
// replaces the file's content when it starts, so the file holds the port's last job byte for byte.
#pragma once

#include <string>

namespace kpmonitor {

// The monitor's display name, its registry key name and the pMonitorName of its ports.
// KPMON_W(KPMON_MONITOR_KEY) gives the wide form of any of the narrow names below.
#define KPMON_W_(s) L##s
#define KPMON_W(s) KPMON_W_(s)

#define KPMON_MONITOR_NAME "ZRN 7730 Language/Port Monitor"
#define KPMON_MONITORS_KEY "System\\CurrentControlSet\\Control\\Print\\Monitors"
#define KPMON_MONITOR_KEY KPMON_MONITORS_KEY "\\" KPMON_MONITOR_NAME
#define KPMON_PORTS_KEY KPMON_MONITOR_KEY "\\Ports"

#define KPMON_VALUE_VERSION "Version"
#define KPMON_VALUE_OUTPUT_DIRECTORY "OutputDirectory"
#define KPMON_VALUE_TYPE "TYPE"

// The default output directory, below the Windows directory.
#define KPMON_DEFAULT_OUTPUT_SUBDIR "Temp\\ZRNKPMON"

// File names of the monitor and of its user interface (answer of the Xcv command "MonitorUI").
#define KPMON_DLL_NAME "ZRNKPMON.DLL"
#define KPMON_UI_DLL_NAME "ZRNKPUI.DLL"

// Xcv commands that the monitor answers (XcvDataW). Input "port" is the port name as a
// NUL-terminated UTF-16 string; "port+type" is that string followed directly by a DWORD type.
//   "MonitorUI"    out: UI DLL name (UTF-16, NUL-terminated)
//   "PortIsValid"  in: port          status ERROR_SUCCESS or ERROR_INVALID_NAME
//   "PortExists"   in: port          out: DWORD 1 when the monitor has that port, else 0
//   "AddPort"      in: port[+type]   (type 0 when absent) needs SERVER_ACCESS_ADMINISTER
//   "DeletePort"   in: port          needs SERVER_ACCESS_ADMINISTER; ERROR_BUSY while printing
//   "GetPortType"  in: port          out: DWORD type
//   "SetPortType"  in: port+type     needs SERVER_ACCESS_ADMINISTER
#define KPMON_XCV_MONITOR_UI L"MonitorUI"
#define KPMON_XCV_PORT_IS_VALID L"PortIsValid"
#define KPMON_XCV_PORT_EXISTS L"PortExists"
#define KPMON_XCV_ADD_PORT L"AddPort"
#define KPMON_XCV_DELETE_PORT L"DeletePort"
#define KPMON_XCV_GET_PORT_TYPE L"GetPortType"
#define KPMON_XCV_SET_PORT_TYPE L"SetPortType"

// Port types: 0 is USB, 1 to kMaxComPort are COM 1 to COM n.
const unsigned long kTypeUsb = 0;
const unsigned long kMaxComPort = 255;

// Longest port name that the monitor accepts, in characters.
const size_t kMaxPortNameLength = 64;

// A port name is valid when it has 1 to kMaxPortNameLength characters, none of them a control
// character, comma (the spooler's separator in "<port>, Port"), backslash or slash (registry
// and path separators), or one of the characters that Windows file names forbid apart from a
// colon; a colon may only be the last character ("KPL1:"). It must not begin or end with a space,
// and must not look like a drive ("K:"), which spoolers may take for a file path (Wine does).
template <typename Char>
bool IsValidPortName(const std::basic_string<Char>& name)
{
    if (name.empty() || name.size() > kMaxPortNameLength)
        return false;
    if (name.front() == Char(' ') || name.back() == Char(' '))
        return false;
    if (name.size() == 2 && name[1] == Char(':') &&
        ((name[0] >= Char('A') && name[0] <= Char('Z')) || (name[0] >= Char('a') && name[0] <= Char('z'))))
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned c = static_cast<unsigned>(name[i]);
        if (sizeof(Char) == 1)
            c &= 0xFFu;
        if (c < 0x20 || c == 0x7F)
            return false;
        switch (c) {
        case ',': case '\\': case '/': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        case ':':
            if (i + 1 != name.size())
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

// The output file name of a port: the port name with every character other than a letter,
// digit, '.', '_' or '-' written as %XX (or %uXXXX above 0xFF), then ".prn". A name that
// would be a DOS device (CON, PRN, AUX, NUL, COM1-9, LPT1-9) has its first letter encoded too.
// Distinct port names (which the registry compares without case) give distinct file names.
template <typename Char>
std::basic_string<Char> PortFileName(const std::basic_string<Char>& port)
{
    static const char hex[] = "0123456789ABCDEF";
    std::basic_string<Char> out;
    auto put = [&out](const char* s) {
        while (*s)
            out.push_back(Char(*s++));
    };
    auto encode = [&](unsigned c) {
        char buf[8] = {};
        if (c <= 0xFF) {
            buf[0] = '%';
            buf[1] = hex[(c >> 4) & 0xF];
            buf[2] = hex[c & 0xF];
        } else {
            buf[0] = '%';
            buf[1] = 'u';
            buf[2] = hex[(c >> 12) & 0xF];
            buf[3] = hex[(c >> 8) & 0xF];
            buf[4] = hex[(c >> 4) & 0xF];
            buf[5] = hex[c & 0xF];
        }
        put(buf);
    };

    // A device name is the part before the first dot.
    std::string base;
    for (Char ch : port) {
        if (ch == Char('.'))
            break;
        unsigned c = static_cast<unsigned>(ch);
        base.push_back(c < 0x80 ? static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) : '?');
    }
    bool device = base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" ||
                  (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
                   base[3] >= '1' && base[3] <= '9');

    for (size_t i = 0; i < port.size(); ++i) {
        unsigned c = static_cast<unsigned>(port[i]);
        if (sizeof(Char) == 1)
            c &= 0xFFu;
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '.' || c == '_' || c == '-';
        if (plain && !(device && i == 0))
            out.push_back(port[i]);
        else
            encode(c);
    }
    put(".prn");
    return out;
}

}  // namespace kpmonitor
