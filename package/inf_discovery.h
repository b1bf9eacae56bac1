// Finding the driver INF among the package's INF files, and its catalog.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct Package;

// True when the INF at infPath is this package's driver INF.
bool IsDriverInfFile(const std::string& infPath);

// The first of the candidates that `isDriverInf` takes for the driver INF; "" when none is.
std::string FirstDriverInf(const std::vector<std::string>& candidates,
                           const std::function<bool(const std::string&)>& isDriverInf);

// The name of the package's driver INF: the first INF of its directory (in the order the
// search gives them) that is the driver INF; "" when none is.
std::string FindPackageDriverInf(const Package& package);

// 1 when the INF at infPath names a catalog file (beside the INF) that exists and is not
// empty; 0 otherwise.
int InfHasCatalogFile(const std::string& infPath);
