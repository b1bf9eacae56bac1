#include "pages/welcome_page.h"

#include "res/resource.h"

WelcomePage::WelcomePage() : Dialog(IDD_WELCOME) {}

void WelcomePage::OnOK()
{
    m_nResult = PAGE_NEXT;
    Dialog::OnOK();
}

void WelcomePage::OnCancel()
{
    m_nResult = PAGE_CANCEL;
    Dialog::OnCancel();
}

bool WelcomePage::OnCommand(UINT id, UINT code, HWND /*control*/)
{
    if (id == IDC_BACK && code == BN_CLICKED) {
        m_nResult = PAGE_BACK;
        Dialog::OnCancel();
        return true;
    }
    return false;
}
