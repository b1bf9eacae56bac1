// What a print server's set-up adds to an installed printer: it becomes the user's default,
// it is shared, and a test page goes through it. Each change gives back what undoes it.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

// The user's default printer; "" when there is none (or the spooler cannot say).
std::string DefaultPrinter();

// Makes the printer the default printer of the user who runs the program. False with the
// system's reason in error.
bool MakeDefaultPrinter(const std::string& printer, DWORD& error);

// True when the program runs as the system account (start-up scripts), whose default printer
// is its own and nobody else's.
bool RunsAsSystem();

// Windows' rules for a share name: 1 to 80 characters, none of \ / : * ? " < > | , and no =.
bool IsLegalShareName(const std::string& name);

struct PrinterRecord;

// The local printer of the list, other than `printer`, that is shared under the name (letter
// case aside); "" when none is.
std::string PrinterSharedAs(const std::string& shareName, const std::string& printer,
                            const std::vector<PrinterRecord>& printers);

// How a printer was shared: its attributes' shared bit and its share name.
struct Sharing {
    bool shared = false;
    std::string shareName;
};

// Shares the printer as the sharing says (shared under its name, or not shared); false with
// the system's reason in error.
bool SetSharing(const std::string& printer, const Sharing& sharing, DWORD& error);
