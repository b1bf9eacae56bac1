// The driver package that setup.exe installs from or copies: the directory that holds the
// driver INF and the driver's files, with the port monitor's sub-directory beside them.
// Every step names the package's files through this value; none relies on the process's
// current directory.
#pragma once
#include <string>

struct Package {
    std::string root;  // the package's directory ("" when it could not be found)

    // A file of the package's directory.
    std::string Path(const std::string& name) const;
    // The port monitor's sub-directory, and a file in it.
    std::string MonitorDirectory() const;
    std::string MonitorPath(const std::string& name) const;
};

// The package of the running program: the directory of setup.exe, which is started from
// the package. An empty root when the system cannot give the program's path.
Package ProgramPackage();
