#include "pages/destination_page.h"

#include <cctype>

#include "framework/strings.h"
#include "install/destination_path.h"
#include "platform/api.h"
#include "res/resource.h"

DestinationPage::DestinationPage() : PageDialog(IDD_DESTINATION)
{
    OnControl(IDC_CREATE, BN_CLICKED, [this] { OnCreateDirectory(); });
    OnControl(IDC_DRIVE, CBN_SELCHANGE, [this] { OnSelchangeDrive(); });
    OnControl(IDC_DIRECTORY, EN_CHANGE, [this] { OnChangeDirectory(); });
}

INT_PTR DestinationPage::DoModal()
{
    const INT_PTR result = PageDialog::DoModal();
    m_tree.RestoreCurrentDirectory();
    return result;
}

DestinationPage::~DestinationPage()
{
    if (m_imageList)
        sys().ImageList_Destroy(m_imageList);
}

void DestinationPage::DoDataExchange(framework::DataExchange& dx)
{
    framework::DDX_Control(dx, IDOK, m_btnNext);
    framework::DDX_Control(dx, IDC_DRIVE, m_cboDrive);
    framework::DDX_Control(dx, IDC_TREE, m_tree);
    framework::DDX_Control(dx, IDC_DIRECTORY, m_editDirectory);
    framework::DDX_Control(dx, IDC_CREATE, m_btnCreate);
}

BOOL DestinationPage::OnInitDialog()
{
    PageDialog::OnInitDialog();

    if (!m_imageList)
        m_imageList = sys().ImageList_LoadImageA(framework::ResourceModule(), MAKEINTRESOURCEA(IDB_FOLDERS), 16, 10,
                                                 RGB(255, 0, 255), IMAGE_BITMAP, 0);
    m_tree.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_imageList));

    // The tree comes first: filling it makes its drive's root the current directory, and
    // the drive box selects the current directory's drive.
    if (!m_szDirectory.empty()) {
        // Filling the tree selects its root, and the selection handler overwrites
        // m_szDirectory: keep the directory of the earlier visit aside.
        std::string earlier = m_szDirectory;
        m_tree.FillDrive();
        m_cboDrive.FillDrives();
        m_tree.SelectPath(earlier);
    } else {
        m_tree.FillDrive();
        m_cboDrive.FillDrives();
        m_editDirectory.SetText(m_tree.m_strPath);
    }
    return TRUE;
}

bool DestinationPage::OnNotify(NMHDR* nm, LRESULT& result)
{
    if (nm->idFrom == IDC_TREE && (nm->code == TVN_SELCHANGEDA || nm->code == TVN_SELCHANGEDW)) {
        OnSelchangedTree(nm, &result);
        return true;
    }
    return false;
}

void DestinationPage::OnSelchangeDrive()
{
    int index = m_cboDrive.GetCurSel();
    if (!m_cboDrive.CheckDrive(index)) {
        m_cboDrive.SelectDrive(m_tree.m_cDrive);
        return;
    }
    std::string entry = m_cboDrive.GetItemText(index);
    m_tree.m_cDrive = entry[0];
    m_tree.FillDrive();
    m_editDirectory.SetText(m_tree.m_strPath);
}

void DestinationPage::OnSelchangedTree(NMHDR* nm, LRESULT* result)
{
    m_tree.UpdatePathFromSelection(nm, result);
    m_szDirectory = m_tree.m_strPath;
    m_editDirectory.SetText(m_szDirectory);
    *result = 0;
}

void DestinationPage::OnChangeDirectory()
{
    bool any = !m_editDirectory.GetText().empty();
    m_btnNext.Enable(any);
    m_btnCreate.Enable(any);
}

void DestinationPage::OnOK()
{
    AcceptDirectory(false);
    if (m_nResult == PAGE_NEXT)
        Dialog::OnOK();
}

void DestinationPage::OnCreateDirectory()
{
    AcceptDirectory(true);
}

void DestinationPage::AcceptDirectory(bool create)
{
    HWND owner = GetSafeHwnd();
    std::string path;
    bool accepted = destination::CheckDestinationText(owner, m_editDirectory.GetText(), path);
    // A refused name is kept as the page's directory, as long as it fits; a refused
    // drive leaves the directory as it was.
    if (!path.empty() && path.size() <= destination::kMaxPath)
        m_szDirectory = path;
    if (!accepted) {
        m_nResult = PAGE_REFUSED;
        return;
    }

    destination::CreateDestinationDirectory(m_szDirectory);

    if (create) {
        char letter = m_szDirectory[0];
        m_cboDrive.SelectDrive(letter);
        // Upper case: 'a' is the tree's mark for "no drive chosen yet".
        m_tree.m_cDrive = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        m_tree.FillDrive();
        m_editDirectory.SetText(m_tree.m_strPath);
        // Filling the tree has put its root into m_szDirectory through the selection
        // handler; selecting the new directory leaves the path of the deepest item reached.
        m_szDirectory = path;
        m_tree.SelectPath(m_szDirectory);
    }

    m_editDirectory.SetText(m_szDirectory);
    m_nResult = PAGE_NEXT;
}
