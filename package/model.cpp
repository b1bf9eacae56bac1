#include "package/model.h"


bool IsSupportedWindows(const OSVERSIONINFOA& version)
{
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5;
}
