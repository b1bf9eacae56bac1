// Entry point of ZRN7730UI.DLL, and the spooler's DEVMODE conversion and printer events.
#include "sample/printdriver/config_devmode.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}

// The driver has one DEVMODE version: a conversion gives this driver's DEVMODEW, with the
// settings of pdmIn it can take; CDM_DRIVER_DEFAULT gives the defaults. *size holds the size
// of pdmOut and receives the size needed.
extern "C" __declspec(dllexport) BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, PDEVMODEW in,
                                                               PDEVMODEW out, PLONG size, DWORD mode)
{
    if (!size || (mode != CDM_DRIVER_DEFAULT && mode != CDM_CONVERT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const LONG available = *size;
    *size = sizeof(DEVMODEW);
    if (available < *size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    DEVMODEW dm = zrncfg::DefaultDevmode(printerName);
    if (mode == CDM_CONVERT)
        zrncfg::MergeDevmode(&dm, in);
    return zrncfg::CopyDevmodeOut(dm, out, static_cast<DWORD>(available));
}

// Nothing to set up or clean up for a printer: every event succeeds.
extern "C" __declspec(dllexport) BOOL WINAPI DrvPrinterEvent(LPWSTR, INT, DWORD, LPARAM)
{
    return TRUE;
}
