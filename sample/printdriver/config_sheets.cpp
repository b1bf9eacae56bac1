// DrvDocumentPropertySheets and DrvDevicePropertySheets: the document settings the spooler asks
// for, and the (empty) property pages of the document and of the printer.
//
// The sample has no settings a user could change in a dialog, so it adds no property page; the
// common property sheet then reports that there is nothing to show.
#include "sample/printdriver/config_devmode.h"

namespace {

const DOCUMENTPROPERTYHEADER* Header(LPARAM lParam)
{
    auto* header = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(lParam);
    if (!header || header->cbSize < sizeof *header) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return header;
}

// The printer's default settings, updated from pdmIn when the caller asks for it, copied to
// pdmOut when the caller asks for it.
bool Fill(const DOCUMENTPROPERTYHEADER& header)
{
    if (!(header.fMode & DM_OUT_BUFFER) || !header.pdmOut)
        return true;
    DEVMODEW dm = zrncfg::DefaultDevmode(header.pszPrinterName);
    if (header.fMode & DM_IN_BUFFER)
        zrncfg::MergeDevmode(&dm, header.pdmIn);
    // cbOut is the size of pdmOut. Wine passes pdmOut->dmSize there, which its AddPrinter sets
    // to the size this DLL asked for; a smaller value is refused rather than written past.
    return zrncfg::CopyDevmodeOut(dm, header.pdmOut, header.cbOut);
}

}  // namespace

// Without a property sheet (info null) the spooler calls this directly: with fMode 0 or no
// pdmOut for the size of the DEVMODEW (in cbOut and as the result), otherwise to fill pdmOut
// (IDOK, or -1 on failure). AddPrinter and DocumentProperties do both.
extern "C" __declspec(dllexport) LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    if (!info) {
        auto* header = const_cast<DOCUMENTPROPERTYHEADER*>(Header(lParam));
        if (!header)
            return -1;
        if (header->fMode == 0 || !header->pdmOut) {
            header->cbOut = sizeof(DEVMODEW);
            return sizeof(DEVMODEW);
        }
        return Fill(*header) ? IDOK : -1;
    }
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        const DOCUMENTPROPERTYHEADER* header = Header(lParam);
        if (!header || !Fill(*header))
            return ERR_CPSUI_GETLASTERROR;
        info->Result = CPSUI_OK;
    }
    return CPSUI_OK;
}

extern "C" __declspec(dllexport) LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERR_CPSUI_GETLASTERROR;
    }
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        auto* header = reinterpret_cast<const DEVICEPROPERTYHEADER*>(lParam);
        if (!header || header->cbSize < sizeof *header) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return ERR_CPSUI_GETLASTERROR;
        }
        info->Result = CPSUI_OK;
    }
    return CPSUI_OK;
}
