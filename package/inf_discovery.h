// Finding the driver INF among the package's INF files, and its catalog.
#pragma once
#include <string>

// True when infName (in the program's own directory) is this package's driver INF.
bool IsDriverInfFile(const std::string& infName);

// 1 when the INF names a catalog file (relative to the current directory) that exists and
// is not empty; 0 otherwise.
int InfHasCatalogFile(const std::string& infName);
