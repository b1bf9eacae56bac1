// The printer page's port list: the ports of the package's port monitor and the file port,
// each with the physical port behind it, and the New port button that has the monitor
// create one.
#include <algorithm>

#include "framework/strings.h"
#include "framework/wait_cursor.h"
#include "install/ports.h"
#include "pages/printer_page.h"
#include "res/resource.h"

void PrinterPage::FillPortList()
{
    framework::ScopedWaitCursor wait;
    m_listPorts.DeleteAllItems();

    std::vector<PortRecord> ports;
    switch (EnumerateSpoolerPorts(ports)) {
    case PortEnumeration::NoBuffer:
        return;
    case PortEnumeration::Failed: {
        // Without the spooler's list the file port is the one choice.
        std::string filePort = framework::LoadText(IDS_FILE_PORT);
        m_szPort = filePort;
        int row = m_listPorts.InsertItem(m_listPorts.GetItemCount(), filePort);
        m_listPorts.SetItemText(row, 1, std::string());
        return;
    }
    case PortEnumeration::Ok:
        break;
    }

    const std::vector<std::string> names = PackagePortNames(ports);
    for (const std::string& name : names) {
        // The list keeps its rows sorted and answers with the row's place.
        int row = m_listPorts.InsertItem(m_listPorts.GetItemCount(), name);
        m_listPorts.SetItemText(row, 1, RelatedPhysicalPort(name));
        // A port that the last fill did not show is the one just made: it becomes the choice.
        if (!IsNameInList(name, m_szShownPorts))
            m_szPort = framework::Truncate(name);
        if (framework::EqualNoCase(name, m_szPort)) {
            // Selecting raises OnPortChanged, which takes the row's name into m_szPort.
            m_listPorts.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_listPorts.Send(LVM_SETSELECTIONMARK, 0, row);
            m_listPorts.Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
        }
    }
    m_szShownPorts = names;

    if (m_szPort.empty()) {
        m_listPorts.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_listPorts.Send(LVM_SETSELECTIONMARK, 0, 0);
        m_szPort = m_listPorts.GetItemCount() > 0 ? framework::Truncate(m_listPorts.GetItemText(0, 0))
                                                  : std::string();
    }

    if (HWND page = GetSafeHwnd()) {
        InvalidateRect(page, nullptr, TRUE);
        UpdateWindow(page);
    }
    EnableNext(!m_szPort.empty());
}

std::string PrinterPage::GetRelatedPhysicalPort(const std::string& portName)
{
    return RelatedPhysicalPort(portName);
}

bool PrinterPage::IsNameInList(const std::string& name, const std::vector<std::string>& list)
{
    return list.empty() || std::find(list.begin(), list.end(), name) != list.end();
}

void PrinterPage::OnNewPort()
{
    NewPortResult result = AddPortThroughMonitor(GetSafeHwnd(), m_package);
    if (!result.tried)
        return;
    // The port that the monitor added becomes the choice; the fill also finds a port it
    // has not shown before as new.
    if (!result.added.empty())
        m_szPort = framework::Truncate(result.added);
    FillPortList();
}
