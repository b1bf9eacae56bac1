// The test page of a print server's set-up: printed to a printer through GDI and followed
// until the spooler has sent it.
#pragma once
#include <string>

#include "platform/win.h"

// What a test page did: printed (the job left the queue), or why not.
struct TestPageResult {
    bool printed = false;
    std::string reason;  // the step that failed, with the system's text or the job's status
};

// Prints a page naming the printer, its driver and port, the date and the time, as Windows'
// own test page does, then waits at most waitMs for the job to leave the printer's queue. A
// job that reports an error, or that is still there at the end of the wait, has failed.
TestPageResult PrintTestPage(const std::string& printer, const std::string& driver, const std::string& port,
                             DWORD waitMs);
