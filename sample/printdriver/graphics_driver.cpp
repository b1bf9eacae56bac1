// ZRN7730.DLL, the printer graphics DLL (DriverFile) of the sample driver package.
//
// The sample printer takes RAW data only: documents are never rendered, so the graphics DLL has
// nothing to offer GDI. It presents itself as a user-mode printer driver and refuses to be
// enabled, so that a program that opens a device context on the printer gets a clean failure.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

// From the DDK's winddi.h (the cross compiler's copy needs DirectDraw headers it lacks).
#define DRVQUERY_USERMODE 0x00000001
struct DRVENABLEDATA;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}

// Asked by the system before it loads the driver: the driver runs in user mode.
extern "C" __declspec(dllexport) BOOL APIENTRY DrvQueryDriverInfo(DWORD mode, PVOID buffer, DWORD size,
                                                                  PDWORD needed)
{
    if (mode != DRVQUERY_USERMODE || !needed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = sizeof(DWORD);
    if (!buffer || size < sizeof(DWORD)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    *static_cast<DWORD*>(buffer) = TRUE;
    return TRUE;
}

// No drawing functions to hand out: the driver cannot be enabled.
extern "C" __declspec(dllexport) BOOL APIENTRY DrvEnableDriver(ULONG, ULONG, DRVENABLEDATA*)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

extern "C" __declspec(dllexport) VOID APIENTRY DrvDisableDriver(VOID) {}
