// The run's log, asked for on the command line: a plain-text file with one timestamped line
// per entry ("2026-12-09 02:15:27.123 text"). Nothing is written while no log is open.
#pragma once
#include <string>

#include "platform/win.h"

namespace framework {

// Opens the log at path, appending to what it holds (made when missing). False, with the
// system's error code, when the file cannot be opened for writing.
bool OpenLog(const std::string& path, DWORD& error);
void CloseLog();
bool LogOpen();

// Writes one line; line breaks inside the text become " / ". The last error is kept.
void Log(const std::string& text);

// "ok", or "failed: <code> <the system's text>" for a call's outcome.
std::string Outcome(bool ok, DWORD error);

}  // namespace framework
