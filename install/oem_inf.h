// Placing the driver INF in the system's INF directory.
#pragma once
#include <string>

// The highest number tried for a new "OEM<n>.inf" name; past it the INF is not copied.
constexpr int kMaxOemInfNumber = 99999;

// Places a copy of the INF at infPath (in the package's directory) in <windows>\inf.
// A signed package goes through SetupCopyOEMInfA; otherwise, and when that fails, the INF is
// copied to the first free "OEM<n>.inf" unless an "OEM*.inf" with the same text is there.
// Nothing is reported.
void CopyInfToSystemDirectory(const std::string& infPath, bool isSigned);

// The "OEM*.inf" file of an INF directory (with its trailing backslash) that holds exactly
// the text of the source INF of the given size; empty when there is none.
std::string FindDuplicateOemInf(const std::string& infPath, unsigned long size,
                                const std::string& infDirectory);

// The "OEM*.inf" copy of the INF at infPath in the system's INF directory (its full path);
// empty when there is none.
std::string FindOemInfCopy(const std::string& infPath);
