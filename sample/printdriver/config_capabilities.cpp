// DrvDeviceCapabilities: what the printer can do, as DeviceCapabilities reports it.
#include "sample/printdriver/config_devmode.h"

namespace {

using zrncfg::kPaperCount;
using zrncfg::kPapers;

const DWORD kPaperNameLength = 64;  // characters per name for DC_PAPERNAMES
const DWORD kBinNameLength = 24;    // characters per name for DC_BINNAMES

// Writes one fixed-width, zero-padded name into an array of such names.
void PutName(void* out, DWORD index, DWORD width, const wchar_t* name)
{
    wchar_t* slot = static_cast<wchar_t*>(out) + index * width;
    ZeroMemory(slot, width * sizeof(wchar_t));
    lstrcpynW(slot, name, static_cast<int>(width));
}

// The smallest (or largest) width and length of paper, as DC_MINEXTENT and DC_MAXEXTENT report it.
DWORD Extent(bool largest)
{
    auto pick = [largest](short a, short b) { return (b > a) == largest ? b : a; };
    short width = kPapers[0].width, length = kPapers[0].length;
    for (DWORD i = 1; i < kPaperCount; ++i) {
        width = pick(width, kPapers[i].width);
        length = pick(length, kPapers[i].length);
    }
    return MAKELONG(width, length);
}

}  // namespace

// A null output asks for the number of items only. Queries the printer has no answer for return
// GDI_ERROR, as the callers of DeviceCapabilities expect.
extern "C" __declspec(dllexport) DWORD WINAPI DrvDeviceCapabilities(HANDLE, PWSTR, WORD capability,
                                                                    PVOID out, PDEVMODEW)
{
    switch (capability) {
    case DC_FIELDS:
        return zrncfg::kDevmodeFields;
    case DC_SIZE:
        return sizeof(DEVMODEW);
    case DC_EXTRA:
        return 0;
    case DC_VERSION:
        return DM_SPECVERSION;
    case DC_DRIVER:
        return zrncfg::kDriverVersion;
    case DC_PAPERS:
        for (DWORD i = 0; out && i < kPaperCount; ++i)
            static_cast<WORD*>(out)[i] = kPapers[i].id;
        return kPaperCount;
    case DC_PAPERNAMES:
        for (DWORD i = 0; out && i < kPaperCount; ++i)
            PutName(out, i, kPaperNameLength, kPapers[i].name);
        return kPaperCount;
    case DC_PAPERSIZE:
        for (DWORD i = 0; out && i < kPaperCount; ++i) {
            POINT size = {kPapers[i].width, kPapers[i].length};
            static_cast<POINT*>(out)[i] = size;
        }
        return kPaperCount;
    case DC_MINEXTENT:
        return Extent(false);
    case DC_MAXEXTENT:
        return Extent(true);
    case DC_BINS:
        if (out)
            *static_cast<WORD*>(out) = DMBIN_AUTO;
        return 1;
    case DC_BINNAMES:
        if (out)
            PutName(out, 0, kBinNameLength, L"Automatically Select");
        return 1;
    case DC_ENUMRESOLUTIONS:
        if (out) {
            static_cast<LONG*>(out)[0] = zrncfg::kResolution;
            static_cast<LONG*>(out)[1] = zrncfg::kResolution;
        }
        return 1;
    case DC_ORIENTATION:
        return 90;  // landscape turns the page counter-clockwise
    case DC_COPIES:
        return 1;
    case DC_DUPLEX:
    case DC_COLLATE:
    case DC_COLORDEVICE:
    case DC_TRUETYPE:
    case DC_FILEDEPENDENCIES:
        return 0;
    default:
        return GDI_ERROR;
    }
}
