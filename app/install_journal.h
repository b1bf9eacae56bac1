// What one run of the command line's install task found on the machine before its first
// change, so that a run that fails can take out again what it made itself, and nothing
// that was there before it.
#pragma once
#include <string>
#include <vector>

#include "install/uninstall.h"

class UnattendedRun;

class InstallJournal {
public:
    // Notes what of the package is on the machine now: the monitor and its ports, the
    // driver, the print processor, the INF copy, the package's files where the steps put them.
    InstallJournal(const PackageParts& package, const std::string& infPath, const std::string& model);

    // Takes out, the newest first, every part that the run made, logging each; false when
    // something could not be taken out (the log names it).
    bool Undo(UnattendedRun& run) const;

private:
    std::vector<std::string> NewMonitorPorts(const std::string& monitor) const;

    PackageParts package_;
    std::string infPath_, model_;
    bool monitor_ = false, driver_ = false, printProcessor_ = false, infCopy_ = false;
    std::vector<std::string> ports_;     // the ports of the package's monitor
    std::vector<std::string> missing_;   // the package's files that were not there
};
