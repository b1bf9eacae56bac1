#include "package/model.h"

char g_szDefaultName[] = "ZRN 7730";

bool IsSupportedWindows(const OSVERSIONINFOA& version)
{
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5;
}
