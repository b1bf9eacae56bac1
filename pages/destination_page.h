// The destination page of the copy task: a drive box, the drive's directory tree and the
// directory box. Next checks the typed directory, creates it with any missing parents and
// ends the page; Create does the same and stays, showing the new directory in the tree.
#pragma once
#include <string>

#include "pages/page_interfaces.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "pages/controls/directory_tree.h"
#include "pages/controls/drive_combo.h"
#include "pages/controls/masked_bitmap.h"
#include "pages/page_dialog.h"

class DestinationPage : public PageDialog<DestinationPageBase> {
public:
    DestinationPage();
    ~DestinationPage() override;

    // The page moves the current directory about the file system while it is shown.
    INT_PTR DoModal() override;

protected:
    void DoDataExchange(framework::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnNotify(NMHDR* nm, LRESULT& result) override;

    void OnCreateDirectory();
    void OnSelchangeDrive();
    void OnSelchangedTree(NMHDR* nm, LRESULT* result);
    void OnChangeDirectory();

    // The check-and-create of Next (create false) and Create (create true); the outcome is
    // left in m_nResult: PAGE_NEXT when the directory was accepted, PAGE_REFUSED otherwise.
    void AcceptDirectory(bool create);

    framework::Button m_btnNext;
    DriveComboBox m_cboDrive;
    CDirectoryTree m_tree;
    framework::Edit m_editDirectory;
    framework::Button m_btnCreate;
    HIMAGELIST m_imageList = nullptr;
};
