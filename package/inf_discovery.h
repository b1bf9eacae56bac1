// Finding the driver INF among the package's INF files, and its catalog.
#pragma once
#include <functional>
#include <string>
#include <vector>

// True when infName (in the program's own directory) is this package's driver INF.
bool IsDriverInfFile(const std::string& infName);

// The first of the candidates that `isDriverInf` takes for the driver INF; "" when none is.
std::string FirstDriverInf(const std::vector<std::string>& candidates,
                           const std::function<bool(const std::string&)>& isDriverInf = IsDriverInfFile);

// 1 when the INF names a catalog file (relative to the current directory) that exists and
// is not empty; 0 otherwise.
int InfHasCatalogFile(const std::string& infName);
