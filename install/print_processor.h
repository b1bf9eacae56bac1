// Installing the package's own print processor.
#pragma once
#include <string>

// Copies the print processor file of the source directory (the package's) into the spooler's
// print processor directory and registers it under its name, after RemoveOldPrintProcessor.
// A null environment means the local machine's own. True when the file is in place and the
// spooler has the print processor; a failure is shown under "Unable to complete the
// install.", and an old file that had been moved aside is put back.
bool InstallPrintProcessor(const std::string& source, const std::string& name, const std::string& fileName,
                           const char* environment);

// Clears the way for a new print processor file of that name: a registered print processor
// of exactly that name is deleted when no local queue uses it; when one does, the file that
// the new one replaces is moved aside under a temporary "set" name in the same directory and
// the registration stays. Returns that temporary path ("" when nothing was moved): the
// caller removes it once the new file is in place, or moves it back.
std::string RemoveOldPrintProcessor(const std::string& name, const char* environment,
                                    const std::string& fileName);

// The spooler's print processor directory; empty when it cannot be had.
std::string PrintProcessorDirectory(const char* environment);
