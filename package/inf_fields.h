// Reading fields and line texts of an INF line through SetupAPI.
#pragma once
#include <string>

#include "platform/win.h"

namespace inffields {

// Field `index` of the line; empty when it does not exist or does not fit in 259 characters.
// `tooLong`, when given, is set when the field exists but does not fit.
std::string ShortField(PINFCONTEXT ctx, DWORD index, bool* tooLong = nullptr);

// Field `index` of the line, however long; empty when it does not exist.
std::string WholeField(PINFCONTEXT ctx, DWORD index);

// The text of the line (its fields joined by commas), however long.
std::string LineText(PINFCONTEXT ctx);

// Whether the INF's [Version] names the class: Class compared without regard to case
// or, without a Class line, the class's GUID in ClassGUID.
bool HasClass(HINF inf, const std::string& infClass);

}  // namespace inffields
