// The package's port monitor: its registration with the spooler and the upgrade of an
// installed copy. The printer state and the New port button share these steps.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "install/feedback.h"
#include "package/monitor_inf.h"
#include "platform/win.h"

// "Unable to open file: <inf>.\nInstallation aborted." owned by owner (may be null): the
// monitor directory or its INF cannot be used.
void ReportMissingMonitorDirectory(HWND owner, const std::string& infName);

struct Package;

// Reads and scans the monitor INF of the Windows version in the package's monitor directory,
// whatever it holds. Empty, the user told, when there is no monitor directory.
std::optional<MonitorInfScan> ReadPackageMonitorInf(HWND owner, const Package& package, DWORD major, DWORD minor);

// Scans the monitor INF of the Windows version in the package's monitor directory. Empty,
// the user told, when the directory or the INF cannot be used (an INF that names no files
// included).
std::optional<MonitorInfScan> ScanPackageMonitorInf(HWND owner, const Package& package, DWORD major, DWORD minor);

// Tells why the scan gave nothing, when it has a reason to tell; true when it told one.
bool TellMonitorInfProblem(HWND owner, const MonitorInfScan& scan);

// Looks for a registered monitor whose DLL is dllName (letter case aside). When there is
// one, its name goes into monitorName and the answer is true.
bool FindRegisteredMonitor(const std::string& dllName, std::string& monitorName);

// Copies the monitor's files from the scanned directory into the system directory and
// registers the monitor under the scanned name. A failed copy, or the spooler's refusal with
// the system's text, is shown under "Unable to complete the install."; the result is whether
// the monitor is registered with its files in place.
bool RegisterPortMonitor(HWND owner, const MonitorInfScan& scan);

// True when a registered monitor's "Version" is older than the FileVersion of the model's
// monitor DLL in the package's monitor directory. An installed monitor without a "Version",
// or a package DLL without a version, is never older.
bool PackageMonitorIsNewer(const std::string& monitorDirectory);

// Replaces the installed monitor's files with those of the list (from the monitor directory)
// while the spooler is stopped, and starts the spooler again. A failed stop (nothing is
// copied then), copy or restart is shown ("Unable to stop spooler: ...", the directory that
// the files could not be copied into, "Unable to restart spooler: ..."); a stop that fails
// and leaves the spooler down counts as a failed restart.
enum class MonitorReplacement { Replaced, StopFailed, CopyFailed, RestartFailed };
MonitorReplacement ReplaceMonitorFiles(HWND owner, const std::string& monitorDirectory,
                                       const std::vector<std::string>& fileList);

// Offers to replace an installed monitor whose "Version" is older than the FileVersion of
// the package's monitor DLL (in the scanned directory), and replaces its files while the
// spooler is stopped. True when nothing had to be done or the upgrade was made; false when
// the user declined, the spooler could not be stopped or the files could not be copied (the
// installed monitor stays in use). Ends the process (the spooler's
// exit code) when the spooler cannot be restarted.
bool UpgradePortMonitor(HWND owner, const MonitorInfScan& scan);

// What the monitor step did, for each front end to go on or end by its own rules.
enum class MonitorStep {
    Registered,     // the package's monitor was not registered and now is
    Present,        // registered and not older than the package's
    Upgraded,       // an older one had its files replaced
    ScanFailed,     // the monitor directory or its INF cannot be used (told)
    RegisterFailed, // the registration was refused (told)
    Declined,       // the upgrade question was not answered Yes
    StopFailed,     // the upgrade's stop, copy or restart failed (told)
    CopyFailed,
    RestartFailed,
};
struct MonitorStepResult {
    MonitorStep step = MonitorStep::ScanFailed;
    Answer answer = Answer::Unanswered;  // to the upgrade question, when it was asked
    std::string monitorName;
};

// In the package's monitor directory: scans the monitor INF for the Windows
// version, then registers the monitor, or offers (through the steps' feedback) to upgrade an
// installed older one.
MonitorStepResult InstallMonitorStep(HWND owner, const Package& package, DWORD major, DWORD minor);

// The step before the printer page, for the Windows version given: makes sure the spooler
// runs (ending the process when it cannot), then in the package's monitor directory scans
// the monitor INF and registers the monitor, or offers to upgrade an installed older one.
// False when the monitor directory or its INF cannot be used (the user has been told), so
// that the wizard must end; a declined or failed upgrade or a refused registration still
// gives true.
bool InstallPackagePortMonitor(HWND owner, const Package& package, DWORD major, DWORD minor);

// The "Version" of the first registered monitor whose "Driver" is dll (letter case aside)
// and that has one; at most 259 characters.
bool FindInstalledMonitorVersion(const std::string& dll, std::string& version);

// The "FileVersion" of a DLL's version block (US English, Unicode); false when the file,
// its version block or that string is missing or empty.
bool ReadFileVersionText(const std::string& path, std::string& version);
