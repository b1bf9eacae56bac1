// Directories of the system and the process, through the seam, at any length.
#pragma once
#include <string>

namespace framework {

// The process's current directory ("" when the system cannot give it).
std::string CurrentDirectory();

// The system directory ("" when the system cannot give it).
std::string SystemDirectory();

// A directory and a name with one backslash between them.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace framework
