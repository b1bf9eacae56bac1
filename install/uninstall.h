// Taking out what the install task put on the machine: the printer queue, then each part it
// shares with other printers (driver, INF copy, print processor, ports, port monitor) only
// when no other printer still uses it. Each step tells in a report what it did with every
// part and why, for the run's log.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/win.h"

// One local printer as the spooler lists it.
struct PrinterRecord {
    std::string name;
    std::string ports;  // the spooler's list: one port, or several separated by commas
    std::string driver;
    std::string printProcessor;
    std::string shareName;  // as the spooler keeps it, also while the printer is not shared
    bool shared = false;
};

// What one step did with one part.
enum class PartState {
    Removed,
    Kept,       // still used (the reason says by what), or not the package's own
    Absent,     // not on the machine: nothing to remove
    Scheduled,  // a file in use: Windows deletes it when it next starts
    Failed,     // still there (the reason says why)
};

struct PartResult {
    std::string part;  // "driver ZRN 7730", "port KPL1:", "file C:\...\ZRNKPMON.DLL"
    PartState state;
    std::string reason;
};

using UninstallReport = std::vector<PartResult>;

// True when every part of the report is gone, rightly kept or to be deleted at the restart.
bool UninstallComplete(const UninstallReport& report);
// True when a file of the report is deleted only when Windows next starts.
bool RestartPending(const UninstallReport& report);

struct Package;

// What the package puts on the machine besides the queue and the driver, read from its
// driver INF and its monitor INF.
struct PackageParts {
    std::string printProcessor;      // "" when the package brings none
    std::string printProcessorFile;
    std::string monitorDll;
    std::vector<std::string> monitorFiles;  // copied into the system directory
    std::vector<std::string> driverFiles;   // copied into the spooler's driver directory
    std::string version;                    // the driver INF's DriverVer version ("" when none)
};
PackageParts ReadPackageParts(const Package& package, const std::string& infName, const std::string& model,
                              DWORD major, DWORD minor);

// The local printers (level 2); false when the spooler cannot list them.
bool ListLocalPrinters(std::vector<PrinterRecord>& printers);
// Each local printer's record (level 2) in turn; false when the spooler cannot list them.
bool VisitLocalPrinters(const std::function<void(const PRINTER_INFO_2A&)>& visit);

// The printer of that name (letter case aside); null when there is none.
const PrinterRecord* FindPrinter(const std::vector<PrinterRecord>& printers, const std::string& name);

// The port names of a printer's port list.
std::vector<std::string> SplitPortList(const std::string& ports);

// Deletes the queue; the remaining printers are listed again into `others`. False when the
// queue is still there (refused, or kept by the spooler until its jobs are done).
bool DeletePrinterQueue(const std::string& name, std::vector<PrinterRecord>& others,
                        UninstallReport& report);

// Deletes the driver and the files the spooler leaves of it (in its directory and the
// driver directory) that no other driver names, unless another printer uses it. True when
// the driver is not installed afterwards. The environment is the machine's own unless given
// ("Windows NT x86" for the driver that an x64 server keeps for its 32-bit clients).
bool RemoveDriver(const std::string& driver, const std::vector<PrinterRecord>& others,
                  UninstallReport& report, const char* environment = nullptr);

// True when the spooler lists the driver, or the print processor (letter case aside).
// The driver is looked for in an environment, the machine's own unless given.
bool IsDriverInstalled(const std::string& driver, const char* environment = nullptr);
bool IsPrintProcessorListed(const std::string& name);

// Deletes a port through its monitor's data call, which shows no dialog.
void DeleteMonitorPort(const std::string& monitor, const std::string& port, UninstallReport& report);

// Removes the system INF directory's copy of the package's INF (a file of the current directory).
void RemoveOemInfCopy(const std::string& infPath, UninstallReport& report);

// Deletes the print processor and then its file, unless another printer uses it.
void RemovePrintProcessor(const std::string& name, const std::string& fileName,
                          const std::vector<PrinterRecord>& others, UninstallReport& report);

// The deleted printer's ports of the package's monitor that no other printer uses; then,
// when no other printer uses any port of the monitor, its spare ports, the monitor and its
// files in the system directory. Ports are deleted through the monitor without its dialog.
void RemovePortMonitor(const PackageParts& package, const std::vector<std::string>& printerPorts,
                       const std::vector<PrinterRecord>& others, UninstallReport& report);

// Deletes a file that a step leaves behind; a library in use is renamed in its directory and
// the new name deleted when Windows next starts. A missing file adds nothing to the report.
void DeleteLeftoverFile(const std::string& path, UninstallReport& report);

// The system's text for an error code, for a report's reason.
std::string ErrorReason(DWORD error);
