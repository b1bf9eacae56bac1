// Internals of ZRN7730UI.DLL, the configuration DLL (ConfigFile) of the sample driver package:
// the printer's DEVMODEW and the paper it takes.
//
// The DLL keeps no private DEVMODE data (dmDriverExtra is 0). The settings a document can choose
// are the orientation and the paper; everything else is fixed by the printer.
//
// Wine 8's spooler runs in the calling process and loads this DLL in AddPrinter,
// DocumentProperties and DeviceCapabilities; it calls DrvDocumentPropertySheets and
// DrvDeviceCapabilities without checking that they are exported, so both must be.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
#include <compstui.h>

// From the DDK's winddiui.h (the cross compiler's copy lacks them).
struct DOCUMENTPROPERTYHEADER {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD cbOut;
    DWORD fMode;
};
struct DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
};
#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04

namespace zrncfg {

// One paper size the printer takes; sizes in tenths of a millimetre.
struct Paper {
    short id;  // DMPAPER_*
    const wchar_t* name;
    short width;
    short length;
};
extern const Paper kPapers[];
extern const DWORD kPaperCount;

const WORD kDriverVersion = 0x0100;
const short kResolution = 300;  // dots per inch, both directions
const DWORD kDevmodeFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE |
                             DM_PRINTQUALITY | DM_YRESOLUTION | DM_COLOR;

// The printer's default settings, dmDeviceName set from the printer name (may be null).
DEVMODEW DefaultDevmode(const wchar_t* printerName);

// Takes over the document settings of `in` that are set in its dmFields and valid for this
// printer, reading nothing beyond in->dmSize. A null or too short `in` changes nothing.
void MergeDevmode(DEVMODEW* dm, const DEVMODEW* in);

// Copies dm into a caller's buffer of `size` bytes; false (ERROR_INSUFFICIENT_BUFFER) when the
// buffer is null or smaller than the DEVMODEW.
bool CopyDevmodeOut(const DEVMODEW& dm, DEVMODEW* out, DWORD size);

}  // namespace zrncfg
