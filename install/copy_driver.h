// The copy task: the package's files, and its port monitor's files beside them.
#pragma once
#include <string>

// The copy's target for a destination directory: the directory with "\." appended (one
// backslash, also when the directory ends with one).
std::string CopyTargetPath(const std::string& directory);

struct Package;

// Copies the files of the package's directory into destination and the files of its
// monitor sub-directory, when there is one, into the sub-directory of the same name below
// destination. An empty destination copies nothing. True when every file was copied.
bool CopyDriverPackage(const Package& package, const std::string& destination);
