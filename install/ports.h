// The spooler's ports as the install task sees them: the ports of the package's port monitor
// and the file port, the physical port behind one of them, and a new port made through the
// monitor's own dialog.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

struct PortRecord {
    std::string name;
    std::string monitor;
};

enum class PortEnumeration { NoBuffer, Failed, Ok };

// The spooler's ports (level 2).
PortEnumeration EnumerateSpoolerPorts(std::vector<PortRecord>& ports);

// The names of the package monitor's ports and of the file port, each once, in the
// spooler's order.
std::vector<std::string> PackagePortNames(const std::vector<PortRecord>& ports);

// "USB" or "COM n" from the port's "TYPE" value under the package monitor's key; "" when
// the port has no such value.
std::string RelatedPhysicalPort(const std::string& portName);

struct NewPortResult {
    bool tried = false;  // false: the monitor directory could not be entered (the user was told)
    std::string added;   // the port the monitor added; "" when none can be told
};

// Sends a port command ("AddPort", "DeletePort") with a port's name to a monitor through
// its data call (XcvData on ",XcvMonitor <monitor>"), which shows no dialog. ERROR_SUCCESS,
// or why not (ERROR_NOT_SUPPORTED when the monitor offers no data call).
DWORD SendPortCommand(const std::string& monitor, const wchar_t* command, const std::string& port);

// Asks the package's monitor for a new port without its dialog, through the monitor's
// "AddPort" data call (XcvData on ",XcvMonitor <monitor>"), under the first name
// "<port prefix><n>:" of the model that no port has. The new port's name; "" with the reason in error when the monitor does
// not add it (ERROR_NOT_SUPPORTED or ERROR_INVALID_PARAMETER: it offers no such call).
std::string AddPortWithoutDialog(DWORD& error);

struct Package;

// What the New port button does: makes sure the spooler runs (ending the process when it
// cannot), registers or upgrades the package's monitor as the install step does, then lets
// the monitor add a port through its dialog (owner may be null).
NewPortResult AddPortThroughMonitor(HWND owner, const Package& package);
