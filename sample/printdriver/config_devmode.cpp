// The configuration DLL's DEVMODEW: defaults, settings taken from a caller's DEVMODEW, copy-out.
#include "sample/printdriver/config_devmode.h"

#include <cstddef>

namespace zrncfg {

const Paper kPapers[] = {
    {DMPAPER_A4, L"A4", 2100, 2970},
    {DMPAPER_LETTER, L"Letter", 2159, 2794},
};
const DWORD kPaperCount = sizeof kPapers / sizeof kPapers[0];

namespace {

// True when `in` is long enough to hold the member that ends at `end` bytes.
bool Holds(const DEVMODEW* in, size_t end) { return in->dmSize >= end; }

#define END_OF(member) (offsetof(DEVMODEW, member) + sizeof(DEVMODEW::member))

bool KnownPaper(short id)
{
    for (DWORD i = 0; i < kPaperCount; ++i)
        if (kPapers[i].id == id)
            return true;
    return false;
}

}  // namespace

DEVMODEW DefaultDevmode(const wchar_t* printerName)
{
    DEVMODEW dm;
    ZeroMemory(&dm, sizeof dm);
    if (printerName)
        lstrcpynW(dm.dmDeviceName, printerName, CCHDEVICENAME);
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmDriverVersion = kDriverVersion;
    dm.dmSize = sizeof dm;
    dm.dmDriverExtra = 0;
    dm.dmFields = kDevmodeFields;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = kPapers[0].id;
    dm.dmCopies = 1;
    dm.dmDefaultSource = DMBIN_AUTO;
    dm.dmPrintQuality = kResolution;
    dm.dmYResolution = kResolution;
    dm.dmColor = DMCOLOR_MONOCHROME;
    return dm;
}

void MergeDevmode(DEVMODEW* dm, const DEVMODEW* in)
{
    if (!dm || !in || !Holds(in, END_OF(dmFields)))
        return;
    if ((in->dmFields & DM_ORIENTATION) && Holds(in, END_OF(dmOrientation)) &&
        (in->dmOrientation == DMORIENT_PORTRAIT || in->dmOrientation == DMORIENT_LANDSCAPE))
        dm->dmOrientation = in->dmOrientation;
    if ((in->dmFields & DM_PAPERSIZE) && Holds(in, END_OF(dmPaperSize)) && KnownPaper(in->dmPaperSize))
        dm->dmPaperSize = in->dmPaperSize;
}

bool CopyDevmodeOut(const DEVMODEW& dm, DEVMODEW* out, DWORD size)
{
    if (!out || size < sizeof dm) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    CopyMemory(out, &dm, sizeof dm);
    return true;
}

}  // namespace zrncfg
