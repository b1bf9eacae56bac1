// Placeholder until the copy operations land.
#include "install/file_copy.h"

void CopyFilesToDirectory(const std::vector<std::string>& /*fileNames*/,
                          const std::string& /*directory*/)
{
}

void CopyDirectoryFiles(const std::string& /*destination*/) {}
