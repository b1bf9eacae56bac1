#include "pages/printer_page.h"

#include "res/resource.h"

PrinterPage::PrinterPage() : Dialog(IDD_PRINTER) {}

void PrinterPage::OnOK()
{
    m_nResult = PAGE_NEXT;
    Dialog::OnOK();
}

void PrinterPage::OnCancel()
{
    m_nResult = PAGE_CANCEL;
    Dialog::OnCancel();
}

bool PrinterPage::OnCommand(UINT id, UINT code, HWND /*control*/)
{
    if (id == IDC_BACK && code == BN_CLICKED) {
        m_nResult = PAGE_BACK;
        Dialog::OnCancel();
        return true;
    }
    return false;
}
