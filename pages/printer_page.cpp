#include "pages/printer_page.h"

#include "framework/ansi_text.h"
#include "framework/message_box.h"
#include "framework/strings.h"
#include "install/printer_name.h"
#include "install/spooler.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

PrinterPage::PrinterPage(const Package& package) : PageDialog(IDD_PRINTER), m_package(package)
{
    OnControl(IDC_NEW_PORT, BN_CLICKED, [this] { OnNewPort(); });
    OnControl(IDC_NAME, EN_CHANGE, [this] { OnNameChange(); });
}

void PrinterPage::DoDataExchange(framework::DataExchange& dx)
{
    framework::DDX_Control(dx, IDC_NAME, m_editName);
    framework::DDX_Control(dx, IDC_PORTS, m_listPorts);
    framework::DDX_Text(dx, IDC_NAME, m_strPrinterName);
    framework::DDV_MaxChars(dx, m_strPrinterName, kMaxPrinterNameLength);
}

BOOL PrinterPage::OnInitDialog()
{
    PageDialog::OnInitDialog();

    m_listPorts.ModifyStyle(0, LVS_SHOWSELALWAYS);
    m_listPorts.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT rc = {};
    GetClientRect(m_listPorts.hwnd(), &rc);
    int width = rc.right - rc.left;
    m_listPorts.InsertColumn(0, framework::LoadText(IDS_COLUMN_PORT_NAME), LVCFMT_LEFT,
                             width / 2 - GetSystemMetrics(SM_CXVSCROLL));
    m_listPorts.InsertColumn(1, framework::LoadText(IDS_COLUMN_PHYSICAL_PORT), LVCFMT_LEFT, width / 2);
    return TRUE;
}

void PrinterPage::OnShowWindow(BOOL /*show*/, UINT /*status*/)
{
    // Every visit starts with a fresh list and no port selected; the deselections
    // disable Next, while m_szPort keeps the last choice.
    FillPortList();
    int count = m_listPorts.GetItemCount();
    for (int i = 0; i < count; ++i)
        m_listPorts.SetItemState(i, 0, LVIS_SELECTED);
}

void PrinterPage::EnableNext(bool on) const
{
    if (HWND next = Item(IDOK))
        EnableWindow(next, on ? TRUE : FALSE);
}

void PrinterPage::OnNameChange()
{
    // A name of blanks counts as a name here; OnOK trims and refuses it.
    m_strPrinterName = m_editName.GetText();
    EnableNext(!m_strPrinterName.empty() && m_listPorts.GetNextSelected() >= 0);
}

LRESULT PrinterPage::OnPortChanged(const NMLISTVIEW& change)
{
    if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED)) {
        m_szPort = framework::Truncate(m_listPorts.GetItemText(change.iItem, 0));
        m_strPrinterName = m_editName.GetText();
        if (!m_strPrinterName.empty())
            EnableNext(true);
    } else {
        EnableNext(false);
    }
    return 0;
}

LRESULT PrinterPage::OnPortDoubleClick(const NMITEMACTIVATE& click)
{
    if (click.iItem >= 0)
        OnOK();
    return 0;
}

void PrinterPage::OnOK()
{
    m_strPrinterName = framework::Trim(m_editName.hwnd() ? m_editName.GetText() : m_strPrinterName);
    EnsureSpoolerRunning(GetSafeHwnd());
    if (!ValidatePrinterName(GetSafeHwnd(), m_strPrinterName)) {
        m_editName.SetFocus();
        return;
    }
    // No data exchange here: it would read the untrimmed text back from the box.
    m_nResult = PAGE_NEXT;
    EndDialog(IDOK);
}

bool PrinterPage::OnNotify(NMHDR* nm, LRESULT& result)
{
    if (nm->idFrom != IDC_PORTS)
        return false;
    switch (nm->code) {
    case LVN_ITEMCHANGED:
        result = OnPortChanged(*reinterpret_cast<NMLISTVIEW*>(nm));
        return true;
    case NM_DBLCLK:
        result = OnPortDoubleClick(*reinterpret_cast<NMITEMACTIVATE*>(nm));
        return true;
    default:
        return false;
    }
}

HCURSOR PrinterPage::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
