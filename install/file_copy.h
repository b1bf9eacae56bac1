// Copying the package's files with the shell.
#pragma once
#include <string>
#include <vector>

// Copies the named files of the source directory into a directory with one shell copy,
// overwriting and creating directories without asking. True when the shell copied them all
// (or there was nothing to copy).
bool CopyFilesToDirectory(const std::string& source, const std::vector<std::string>& fileNames,
                          const std::string& directory);

// Copies every file (not sub-directory) of the source directory into the destination; true
// when all were copied.
bool CopyDirectoryFiles(const std::string& source, const std::string& destination);
