#include "install/printer_name.h"

#include "framework/ansi_text.h"
#include "framework/strings.h"
#include "install/feedback.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

namespace {

// Characters that a printer name may not contain.
const char kIllegalNameChars[] = "=,;\\*?/<>|\":";

bool Refuse(HWND owner, UINT textId)
{
    StepFeedback().Tell(owner, framework::LoadText(textId), IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
    return false;
}

}  // namespace

bool ValidatePrinterName(HWND owner, const std::string& name)
{
    if (name.empty())
        return Refuse(owner, IDS_BLANK_PRINTER_NAME);

    // The spooler decides what counts as an existing name: a local queue, a share name,
    // or a connection it can open.
    platform::PrinterHandle printer;
    std::string copy = name;
    if (sys().OpenPrinterA(&copy[0], printer.receive(), nullptr))
        return Refuse(owner, IDS_PRINTER_EXISTS);
    printer.reset();

    if (!IsLegalPrinterName(name))
        return Refuse(owner, IDS_ILLEGAL_NAME);
    return true;
}

bool IsLegalPrinterName(const std::string& name)
{
    return framework::FindFirstOfCharacters(name, kIllegalNameChars) == std::string::npos &&
           name.size() <= static_cast<size_t>(kMaxPrinterNameLength);
}
