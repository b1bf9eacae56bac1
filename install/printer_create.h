// Creating the printer queue once the driver is in the spooler.
#pragma once
#include <string>

// What the new queue is made of. Null texts are left out.
struct PrinterQueueSettings {
    const char* serverName = nullptr;  // null: this machine
    std::string printerName;
    std::string driverName;
    std::string portName;
    const char* comment = nullptr;
    const char* location = nullptr;
    const char* sepFile = nullptr;
    std::string printProcessor;  // empty: the spooler's standard one, "WinPrint"
    std::string dataType;        // empty: "RAW"
    std::string shareName;       // empty: not shared
};

struct PrinterCreateResult {
    int created = 0;        // 1 when the spooler made the queue
    bool reported = false;  // a failure was shown to the user (also an unreachable server service)
};

// Asks the spooler for the queue. An unreachable server service ("lanmanserver") is shown
// but does not stop the creation; a refused queue is shown with the system's text.
PrinterCreateResult CreatePrinterQueue(const PrinterQueueSettings& settings);
