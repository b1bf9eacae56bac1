// The printer model that this driver package is for: every name of the model that the code
// uses. The texts that the user reads (captions, questions, the usage) are in the string
// table and the dialogs of res/ and pages/.
#pragma once

struct PrinterModel {
    const char* driverName;        // the driver, as the INF's maker section lists the model
    const char* printerName;       // the printer name that the pages and the command line suggest
    const char* monitorDll;        // the port monitor's DLL, whose version decides about an upgrade
    const char* monitorDirectory;  // the package's sub-directory with the monitor and its INFs
    const char* portPrefix;        // the monitor's new ports are named <prefix><n>:
    const char* vendorKey;         // the key below HKLM that holds the deployment mark
    const char* logFileName;       // the command line's log in %TEMP% when the one asked for fails
};

inline constexpr PrinterModel kModel = {
    "ZRN 7730",
    "ZRN 7730",
    "ZRNKPMON.DLL",
    "kpmonitor",
    "KPL",
    "SOFTWARE\\ZRN",
    "ZRN7730-setup.log",
};
