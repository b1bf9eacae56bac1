// The copy task: the package's files, and its port monitor's files beside them.
#pragma once
#include <string>

// The copy's target for a destination directory: the directory with "\." appended (one
// backslash, also when the directory ends with one).
std::string CopyTargetPath(const std::string& directory);

// Copies the files of the current directory (the package) into destination and the files
// of its "kpmonitor" sub-directory, when there is one, into destination\kpmonitor. An empty
// destination copies nothing. True when every file was copied.
bool CopyDriverPackage(const std::string& destination);
