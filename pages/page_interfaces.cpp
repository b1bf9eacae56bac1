#include "pages/page_interfaces.h"

#include "framework/strings.h"
#include "package/model.h"

PrinterPageBase::PrinterPageBase() : m_strPrinterName(kModel.printerName) {}

static std::string Stored(const char* text)
{
    return text ? framework::Truncate(text) : std::string();
}

void SummaryPageBase::SetDestination(const char* text) { m_szDestination = Stored(text); }
void SummaryPageBase::SetPrinterName(const char* text) { m_szPrinterName = Stored(text); }
void SummaryPageBase::SetPort(const char* text) { m_szPort = Stored(text); }
