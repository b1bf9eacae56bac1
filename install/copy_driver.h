// The copy task: the package's files, and its port monitor's files beside them.
#pragma once
#include <string>

// Copies the files of the current directory (the package) into destination and the files
// of its "kpmonitor" sub-directory into destination\kpmonitor. An empty destination copies
// nothing.
void CopyDriverPackage(const std::string& destination);
