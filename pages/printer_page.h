// The install task's page on which the user names the new printer and picks its port.
#pragma once
#include <string>
#include <vector>

#include "pages/page_interfaces.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "pages/page_dialog.h"
#include "pages/controls/masked_bitmap.h"
#include "package/package.h"

class PrinterPage : public PageDialog<PrinterPageBase> {
public:
    // The New port button registers the package's monitor.
    explicit PrinterPage(const Package& package);

    // The port list (printer_ports.cpp): fills m_listPorts from the spooler's ports and
    // chooses m_szPort; the New port button adds a port through the port monitor.
    void FillPortList();
    void OnNewPort();
    static std::string GetRelatedPhysicalPort(const std::string& portName);
    // True when list is empty or holds name (exact comparison).
    static bool IsNameInList(const std::string& name, const std::vector<std::string>& list);

    std::vector<std::string> m_szShownPorts;  // the port names shown after the last fill
    framework::Edit m_editName;
    framework::ListView m_listPorts;

protected:
    void DoDataExchange(framework::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnNotify(NMHDR* nm, LRESULT& result) override;
    void OnShowWindow(BOOL show, UINT status) override;
    HCURSOR OnQueryDragIcon() override;

    void OnNameChange();
    LRESULT OnPortChanged(const NMLISTVIEW& change);
    LRESULT OnPortDoubleClick(const NMITEMACTIVATE& click);

private:
    void EnableNext(bool on) const;

    Package m_package;
};
