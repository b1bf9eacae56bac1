// What is installed on the machine, read through the platform's own calls from the test
// process: printer queues, drivers, monitors, ports, print processors, the INF directory, the
// driver directory, the spooler service, and the sample port monitor's output file.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace scenario {

struct PrinterQueue {
    std::string name, port, driver, printProcessor, dataType;
    std::string share;  // "" when not shared
};
struct PrinterDriver {
    std::string name, environment, driverPath, dataFile, configFile, helpFile, defaultDataType;
    std::vector<std::string> dependentFiles;
};
struct PortMonitor {
    std::string name, dll;
};
struct SpoolerPort {
    std::string name, monitor;
};

std::vector<PrinterQueue> Printers();        // EnumPrintersA, local, level 2
// OpenPrinterA + GetPrinterA level 2; out may be null.
bool FindPrinter(const std::string& name, PrinterQueue* out);
std::vector<PrinterDriver> Drivers();        // EnumPrinterDriversA, level 3
std::vector<PortMonitor> Monitors();         // EnumMonitorsA, level 2
std::vector<SpoolerPort> Ports();            // EnumPortsA, level 2
std::vector<std::string> PrintProcessors();  // EnumPrintProcessorsA, level 1

// The finders point into the list they are given: keep the list while the pointer is used
// (a temporary list ends with the full expression).
const PrinterDriver* FindDriver(const std::vector<PrinterDriver>& all, const std::string& name);
const PortMonitor* FindMonitorByDll(const std::vector<PortMonitor>& all, const std::string& dll);
const SpoolerPort* FindPort(const std::vector<SpoolerPort>& all, const std::string& name);
bool Contains(const std::vector<std::string>& all, const std::string& name);   // exact
bool HasDriver(const std::string& name);
bool HasMonitorDll(const std::string& dll);


std::string DriverDirectory();           // GetPrinterDriverDirectoryA
std::string PrintProcessorDirectory();   // GetPrintProcessorDirectoryA
std::string SystemDirectory();
std::string WindowsDirectory();
std::string InfDirectory();              // <windows>\inf

// Names of the files (not directories) directly in a directory, sorted.
std::vector<std::string> FilesIn(const std::string& dir);
// Paths relative to `dir` of every file and directory below it ("kpmonitor\\", "kpmonitor\\x.inf"),
// sorted; directories end in a backslash.
std::vector<std::string> TreeOf(const std::string& dir);
std::string ReadFileBytes(const std::string& path);   // "" when missing
// True when the first file can be read, is not empty, and the second holds the same bytes.
bool SameBytes(const std::string& a, const std::string& b);
bool FileExists(const std::string& path);
// Names of the files in the INF directory whose content equals that of `inf`.
std::vector<std::string> InfCopiesOf(const std::string& inf);
// The "FileVersion" string of a file's version resource (block 040904b0), "" when none.
std::string FileVersionOf(const std::string& path);

// The sample port monitor: registry "Version" value and where it writes a port's jobs.
std::string MonitorRegistryVersion();
std::string MonitorOutputFile(const std::string& port);
// Sends `bytes` to a queue as one RAW job.
bool PrintRaw(const std::string& printer, const std::string& bytes, std::string* error);

// The "Spooler" service.
DWORD SpoolerState();                 // SERVICE_RUNNING, SERVICE_STOPPED, ...; 0 on failure
bool SetSpoolerRunning(bool running);  // starts or stops it and waits (bounded) for the state

// Everything above in one record, for "nothing changed" comparisons.
struct MachineState {
    std::vector<std::string> printers, drivers, monitors, ports, printProcessors;
    std::vector<std::string> infFiles, driverFiles, processorFiles, systemFiles;
    std::vector<std::string> shares, defaultPrinter;
};
MachineState Snapshot();
// Lines "+ kind: name" / "- kind: name" for each difference; empty when equal.
std::vector<std::string> Differences(const MachineState& before, const MachineState& after);
std::string Join(const std::vector<std::string>& lines, const char* separator = "\n");

}  // namespace scenario
