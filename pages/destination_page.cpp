#include "pages/destination_page.h"

#include "res/resource.h"

DestinationPage::DestinationPage() : Dialog(IDD_DESTINATION) {}

void DestinationPage::OnOK()
{
    m_nResult = PAGE_NEXT;
    Dialog::OnOK();
}

void DestinationPage::OnCancel()
{
    m_nResult = PAGE_CANCEL;
    Dialog::OnCancel();
}

bool DestinationPage::OnCommand(UINT id, UINT code, HWND /*control*/)
{
    if (id == IDC_BACK && code == BN_CLICKED) {
        m_nResult = PAGE_BACK;
        Dialog::OnCancel();
        return true;
    }
    return false;
}
