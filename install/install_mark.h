// The mark that software-distribution tools test to tell whether the package is installed:
// HKLM\<vendor key>\<model> Printer Driver, whose value Version is the driver INF's
// DriverVer version, with the driver, port monitor and print processor it installed.
#pragma once
#include <string>

struct PackageParts;

// The key's path under HKEY_LOCAL_MACHINE for a model.
std::string InstallMarkKey(const std::string& model);

// Writes the mark; false when it could not be written.
bool WriteInstallMark(const std::string& model, const PackageParts& package);

// The Version of the mark; "" when there is no mark.
std::string InstallMarkVersion(const std::string& model);

// Deletes the mark, and the maker's key when nothing else is left in it; true when there is
// no mark afterwards.
bool RemoveInstallMark(const std::string& model);
