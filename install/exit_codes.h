// How setup.exe ends: the process exit codes, fixed once for scripts that start it.
#pragma once

enum class ExitCode : unsigned {
    Done = 0,                 // done, or ended by the user's own Cancel or No on a page
    Cancelled = 1,            // cancelled, or a question declined without a user to ask
    BadCommandLine = 2,       // an unknown option or a value that the checks refuse
    Refused = 3,              // wrong platform, not an administrator, no driver INF
    SpoolerFailed = 4,        // the spooler could not be queried, started, stopped or restarted
    PortMonitorFailed = 5,    // the port monitor or a port could not be installed
    DriverFailed = 6,         // the print processor or the driver could not be installed
    PrinterFailed = 7,        // the printer queue could not be created
    CopyFailed = 8,           // the copy task failed
    UninstallIncomplete = 9,  // something could not be removed
    PageFailed = 10,          // a page of the wizard could not be shown
    RestartNeeded = 3010,     // done; a file is replaced or removed when Windows next starts
};

