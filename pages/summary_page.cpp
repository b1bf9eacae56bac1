#include "pages/summary_page.h"

#include "framework/strings.h"
#include "install/spooler.h"
#include "res/resource.h"

namespace {
void AppendSection(std::string& text, UINT headingId, const std::string& value)
{
    if (value.empty())
        return;
    text += framework::LoadText(headingId);
    text += value;
}
}  // namespace

SummaryPage::SummaryPage() : PageDialog(IDD_SUMMARY) {}

std::string SummaryPage::ComposeSummary(const std::string& printerName, const std::string& port,
                                        const std::string& destination)
{
    std::string text;
    AppendSection(text, IDS_SECTION_PRINTER_NAME, printerName);
    AppendSection(text, IDS_SECTION_PORT, port);
    AppendSection(text, IDS_SECTION_DESTINATION, destination);
    return text;
}

void SummaryPage::DoDataExchange(framework::DataExchange& dx)
{
    framework::DDX_Control(dx, IDOK, m_btnFinish);
    framework::DDX_Control(dx, IDC_HEADING, m_staticHeading);
}

BOOL SummaryPage::OnInitDialog()
{
    PageDialog::OnInitDialog();

    if (HWND summary = Item(IDC_SUMMARY_TEXT)) {
        std::string text = ComposeSummary(m_szPrinterName, m_szPort, m_szDestination);
        m_staticHeading.SetText(framework::LoadText(m_nTask ? IDS_HEADING_COPY : IDS_HEADING_INSTALL));
        SetWindowTextA(summary, text.c_str());
    }

    // Enter finishes.
    m_btnFinish.SetFocus();
    return FALSE;
}

void SummaryPage::OnOK()
{
    // Both tasks end here, and both need the spooler from now on.
    EnsureSpoolerRunning(GetSafeHwnd());
    m_nResult = PAGE_NEXT;
    Dialog::OnOK();
}
