// Installing the package's own print processor.
#pragma once
#include <string>

// Copies the print processor file of the current directory into the spooler's print
// processor directory and registers it under its name, after RemoveOldPrintProcessor.
// A null environment means the local machine's own. Reports at most one failure.
void InstallPrintProcessor(const std::string& name, const std::string& fileName,
                           const char* environment);

// Clears the way for a new print processor file of that name: a registered print processor
// of exactly that name is deleted when no local queue uses it; when one does, the file that
// the new one replaces is moved aside under a temporary "set" name and the registration stays.
void RemoveOldPrintProcessor(const std::string& name, const char* environment,
                             const std::string& fileName);

// The spooler's print processor directory; empty when it cannot be had.
std::string PrintProcessorDirectory(const char* environment);
