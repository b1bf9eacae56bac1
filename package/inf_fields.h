// Reading fields and line texts of an INF line through SetupAPI.
#pragma once
#include <string>

#include "platform/win.h"

namespace inffields {

// Field `index` of the line; empty when it does not exist or does not fit in 259 characters.
std::string ShortField(PINFCONTEXT ctx, DWORD index);

// Field `index` of the line, cut at 259 characters when longer; empty when it does not exist.
std::string CutField(PINFCONTEXT ctx, DWORD index);

// The text of the line (its fields joined by commas), cut at 259 characters when longer.
std::string LineText(PINFCONTEXT ctx);

// Whether the INF's [Version] names the class: Class compared without regard to case
// or, without a Class line, the class's GUID in ClassGUID.
bool HasClass(HINF inf, const std::string& infClass);

}  // namespace inffields
