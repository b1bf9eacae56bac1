// Reading files through the seam.
#pragma once
#include <string>

#include "platform/win.h"

namespace framework {

enum class ReadResult { Ok, OpenFailed, ReadFailed };

// Reads at most maxBytes from the start of a file into out.
ReadResult ReadFilePrefix(const std::string& path, size_t maxBytes, std::string& out);

// Reads a whole file (used for comparisons); false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

// Renames a file to a fresh temporary name (prefix, then a number) in its own directory: a
// library in use can be renamed though not deleted. The new path, or "" when the file stays.
std::string MoveFileAside(const std::string& path, const char* prefix);

// True when the path names a directory that exists.
bool IsDirectory(const std::string& path);

}  // namespace framework
