#include "framework/registry.h"

#include <cstring>

#include "framework/strings.h"
#include "platform/api.h"

namespace framework {

bool ReadRegistryText(HKEY key, const char* name, std::string& value)
{
    char buf[kMaxText + 2] = {};
    DWORD type = 0;
    DWORD size = kMaxText + 1;
    if (sys().RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buf), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    if (size > kMaxText + 1)
        size = kMaxText + 1;
    value.assign(buf, strnlen(buf, size));
    return true;
}

}  // namespace framework
