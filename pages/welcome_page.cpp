#include "pages/welcome_page.h"

#include "framework/strings.h"
#include "install/spooler.h"
#include "platform/api.h"
#include "res/resource.h"

WelcomePage::WelcomePage(const Package& package) : PageDialog(IDD_WELCOME), m_package(package)
{
    m_nTask = 0;
    m_iconWhenMinimized = false;
    OnControl(IDC_VIEW_README, BN_CLICKED, [this] { OnViewReadme(); });
}

void WelcomePage::DoDataExchange(framework::DataExchange& dx)
{
    framework::DDX_Control(dx, IDOK, m_btnNext);
    framework::DDX_Radio(dx, IDC_TASK_INSTALL, m_nTask);
}

BOOL WelcomePage::OnInitDialog()
{
    // Puts the task chosen on an earlier showing back into the radio buttons.
    PageDialog::OnInitDialog();
    if (m_bInstallDisabled) {
        HWND install = Item(IDC_TASK_INSTALL);
        SendMessageA(install, BM_SETCHECK, BST_UNCHECKED, 0);
        EnableWindow(install, FALSE);
        SendMessageA(Item(IDC_TASK_COPY), BM_SETCHECK, BST_CHECKED, 0);
    }
    return TRUE;
}

void WelcomePage::OnOK()
{
    // The install task needs the spooler; the copy task does not. The live state of the
    // button counts, not the value of the last data exchange.
    if (IsDlgButtonChecked(GetSafeHwnd(), IDC_TASK_INSTALL) == BST_CHECKED)
        EnsureSpoolerRunning(GetSafeHwnd());
    m_nResult = PAGE_NEXT;
    Dialog::OnOK();
}

void WelcomePage::OnViewReadme()
{
    // The package's readme; whatever the shell makes of it is not reported.
    std::string file = framework::LoadText(IDS_README_FILE);
    std::string verb = framework::LoadText(IDS_VERB_OPEN);
    if (file.empty() || verb.empty())
        return;
    sys().ShellExecuteA(nullptr, verb.c_str(), m_package.Path(file).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
