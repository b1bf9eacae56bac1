// Copying the package's files with the shell.
#pragma once
#include <string>
#include <vector>

// Copies the named files of the current directory into a directory with one shell
// copy, overwriting and creating directories without asking.
void CopyFilesToDirectory(const std::vector<std::string>& fileNames, const std::string& directory);

// Copies every file (not sub-directory) of the current directory into the destination.
void CopyDirectoryFiles(const std::string& destination);
