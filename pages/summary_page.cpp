#include "pages/summary_page.h"

#include "res/resource.h"

SummaryPage::SummaryPage() : Dialog(IDD_SUMMARY) {}

void SummaryPage::OnOK()
{
    m_nResult = PAGE_NEXT;
    Dialog::OnOK();
}

void SummaryPage::OnCancel()
{
    m_nResult = PAGE_CANCEL;
    Dialog::OnCancel();
}

bool SummaryPage::OnCommand(UINT id, UINT code, HWND /*control*/)
{
    if (id == IDC_BACK && code == BN_CLICKED) {
        m_nResult = PAGE_BACK;
        Dialog::OnCancel();
        return true;
    }
    return false;
}
