// Installing the package's printer driver into the local spooler.
#pragma once
#include <string>

// What InstallPrinterDriver did, for its caller to keep.
struct DriverInstallResult {
    int added = 0;                // non-zero when the spooler took the driver
    bool reported = false;        // a failure was shown to the user
    bool described = false;       // the two fields below come from the driver INF
    std::string printProcessor;   // the package's print processor ("" for none)
    std::string defaultDataType;  // the driver's default data type ("RAW" when none is named)
};

// The spooler's printer driver directory for the environment (null: the machine's own), where
// a driver's files are put before the driver is added; "" when it cannot be had.
std::string PrinterDriverDirectory(const char* environment);

struct Package;

// Describes the driver of the package's INF infName (a file name in its directory) for the model
// driverName, installs its print processor, copies the driver's files into the spooler's
// driver directory, places the INF in the system's INF directory and adds the driver; a
// failed print processor or copy ends the step before the driver is added. A null
// environment is the local machine's own. An INF that cannot be described fails silently;
// every other failure is shown under "Unable to complete the install.".
//
// With DriverExtras::None only the driver and its files: the driver for another environment
// ("Windows NT x86" on an x64 system, for the clients that connect to its printers), whose
// print processor the system's spooler would not load and whose INF is not the system's.
enum class DriverExtras { PrintProcessorAndInf, None };
DriverInstallResult InstallPrinterDriver(const Package& package, const std::string& infName,
                                         const std::string& driverName, const char* environment,
                                         DriverExtras extras = DriverExtras::PrintProcessorAndInf);
