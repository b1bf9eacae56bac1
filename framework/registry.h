// Reading the registry through the seam.
#pragma once
#include <string>

#include "platform/win.h"

namespace framework {

// A text value (REG_SZ or REG_EXPAND_SZ) of at most 259 characters; false when it is missing,
// longer or not text.
bool ReadRegistryText(HKEY key, const char* name, std::string& value);

}  // namespace framework
