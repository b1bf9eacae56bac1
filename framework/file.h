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

}  // namespace framework
