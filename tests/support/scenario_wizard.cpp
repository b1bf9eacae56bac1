#include "support/scenario_wizard.h"

#include "sample/kpmonitor_ui_ids.h"
#include "support/ui_driver.h"

namespace scenario {

namespace {

int MarkerOf(Page page)
{
    switch (page) {
    case Page::Welcome: return IDC_TASK_COPY;
    case Page::Printer: return IDC_NEW_PORT;
    case Page::Destination: return IDC_DRIVE;
    case Page::Summary: return IDC_HEADING;
    }
    return 0;
}

e2e::WindowQuery PageQuery(DWORD pid, Page page, HWND exclude = nullptr)
{
    e2e::WindowQuery q;
    q.pid = pid;
    q.caption = texts::kPageCaption;
    q.withControl = MarkerOf(page);
    q.exclude = exclude;
    return q;
}

}  // namespace

const char* PageName(Page page)
{
    switch (page) {
    case Page::Welcome: return "welcome page";
    case Page::Printer: return "printer page";
    case Page::Destination: return "destination page";
    case Page::Summary: return "summary page";
    }
    return "page";
}

Wizard::~Wizard()
{
    m_children.EndChildren();
    m_process.Kill();
    if (m_adopted)
        CloseHandle(m_adopted);
}

HANDLE Wizard::Handle() const
{
    return m_adopted ? m_adopted : m_process.Handle();
}

bool Wizard::Running() const
{
    HANDLE h = Handle();
    return h && WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
}

bool Wizard::Fail(const std::string& what)
{
    m_error = what + " (windows of setup.exe: " + Windows() + ")";
    return false;
}

std::string Wizard::Windows()
{
    return m_pid ? e2e::DescribeWindows(m_pid) : "(not started)";
}

bool Wizard::Start(const std::string& dir, const std::string& arguments)
{
    // Suspended until it is in the job: a short run could otherwise end before.
    if (!m_process.Start(dir + "\\setup.exe", arguments, dir, true)) {
        m_error = "setup.exe did not start in " + dir + ": " + m_process.Error();
        return false;
    }
    m_pid = m_process.Id();
    if (!m_children.Watch(m_process.Handle(), m_pid)) {
        m_error = "cannot watch the programs that setup.exe starts: error " + std::to_string(GetLastError());
        return false;
    }
    if (!m_process.Resume()) {
        m_error = "setup.exe could not be resumed: error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

bool Wizard::Adopt(DWORD pid)
{
    m_adopted = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, pid);
    if (!m_adopted) {
        m_error = "cannot open process " + std::to_string(pid) + ": error " + std::to_string(GetLastError());
        return false;
    }
    m_pid = pid;
    if (!m_children.Watch(m_adopted, pid)) {
        m_error = "cannot watch the programs that setup.exe starts: error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

void Wizard::Show(HWND window, const std::string& name)
{
    if (!m_hook || !window)
        return;
    e2e::Sync(window);
    m_hook(window, name);
}

HWND WaitForPage(DWORD pid, Page page, HWND exclude)
{
    return e2e::WaitForWindow(PageQuery(pid, page, exclude));
}

HWND Wizard::WaitForPage(Page page)
{
    HWND found = scenario::WaitForPage(m_pid, page);
    if (!found)
        Fail(std::string("no ") + PageName(page));
    return found;
}

HWND Wizard::WaitForBox(const std::string& caption)
{
    HWND box = e2e::WaitForMessageBox(m_pid, caption);
    if (!box)
        Fail("no message box \"" + caption + "\"");
    return box;
}

HWND Wizard::WaitForPageOrBox(Page page, HWND* box)
{
    const e2e::WindowQuery pageQuery = PageQuery(m_pid, page);
    e2e::WindowQuery boxQuery;
    boxQuery.pid = m_pid;
    boxQuery.caption = texts::kBoxCaption;
    boxQuery.withControl = 0xFFFF;
    *box = nullptr;
    for (DWORD waited = 0; waited <= e2e::kWaitMs; waited += 20) {
        if (HWND found = e2e::FindWindowNow(pageQuery))
            return found;
        if ((*box = e2e::FindWindowNow(boxQuery)) != nullptr)
            return nullptr;
        Sleep(20);
    }
    Fail(std::string("neither the ") + PageName(page) + " nor a message box came");
    return nullptr;
}

bool Wizard::NoBoxOpen() const
{
    for (HWND w : e2e::VisibleWindows(m_pid))
        if (e2e::WindowClass(w) == e2e::kDialogClass && e2e::Item(w, 0xFFFF))
            return false;
    return true;
}

std::string Wizard::Answer(int button, const std::string& name, const std::string& caption)
{
    HWND box = WaitForBox(caption);
    if (!box)
        return {};
    std::string text = e2e::MessageBoxText(box);
    Show(box, name);
    if (!e2e::AnswerMessageBox(box, button))
        Fail("the message box \"" + text + "\" could not be answered");
    return text;
}

bool Wizard::Press(HWND page, int button)
{
    if (!e2e::Click(page, button))
        return Fail("button " + std::to_string(button) + " of \"" + e2e::WindowText(page) + "\" cannot be pressed");
    return true;
}

bool Wizard::ChooseTask(HWND welcome, int task)
{
    return Press(welcome, task) && Press(welcome, IDOK);
}

bool Wizard::AddPort(HWND printer, std::string* name, int physicalPort)
{
    if (!Press(printer, IDC_NEW_PORT))
        return false;
    e2e::WindowQuery q;
    q.pid = m_pid;
    q.caption = KPUI_ADD_CAPTION;
    q.withControl = IDC_KPUI_PORT_NAME;
    HWND dialog = e2e::WaitForWindow(q);
    if (!dialog)
        return Fail("the monitor's port dialog did not open");
    if (name->empty())
        *name = e2e::ItemText(dialog, IDC_KPUI_PORT_NAME);
    else if (!e2e::SetItemText(dialog, IDC_KPUI_PORT_NAME, *name))
        return Fail("cannot type the port name");
    if (!e2e::ComboSelect(dialog, IDC_KPUI_PHYSICAL_PORT, physicalPort))
        return Fail("cannot choose the physical port");
    Show(dialog, "port-dialog");
    if (!Press(dialog, IDOK))
        return false;
    // The dialog closes, or complains in a box of its own and stays.
    e2e::WindowQuery complaint;
    complaint.pid = m_pid;
    complaint.caption = KPUI_MESSAGE_CAPTION;
    complaint.withControl = 0xFFFF;
    for (DWORD waited = 0; IsWindow(dialog) && IsWindowVisible(dialog); waited += 20) {
        if (HWND box = e2e::FindWindowNow(complaint)) {
            std::string text = e2e::MessageBoxText(box);
            e2e::AnswerMessageBox(box, IDOK);
            e2e::Click(dialog, IDCANCEL);
            return Fail("the port dialog refused \"" + *name + "\": " + text);
        }
        if (waited > e2e::kWaitMs)
            return Fail("the port dialog stays open");
        Sleep(20);
    }
    // The page refills its list once the monitor's dialog has returned.
    if (!e2e::Sync(printer))
        return Fail("the printer page does not respond after the port dialog");
    return true;
}

bool Wizard::TypePrinterName(HWND printer, const std::string& name)
{
    if (!e2e::SetItemText(printer, IDC_NAME, name) || !e2e::Sync(printer))
        return Fail("cannot type the printer name");
    return true;
}

bool Wizard::SelectPort(HWND printer, const std::string& port)
{
    int row = e2e::ListFind(printer, IDC_PORTS, port);
    if (row < 0)
        return Fail("the port list does not show " + port);
    if (!e2e::ListSelect(printer, IDC_PORTS, row))
        return Fail("cannot select " + port);
    return true;
}

bool Wizard::WaitForExit(DWORD exitCode)
{
    HANDLE h = Handle();
    if (!h || WaitForSingleObject(h, e2e::kWaitMs) != WAIT_OBJECT_0)
        return Fail("setup.exe does not end");
    DWORD code = 0;
    GetExitCodeProcess(h, &code);
    if (code != exitCode)
        return Fail("setup.exe ended with exit code " + std::to_string(code));
    return true;
}

}  // namespace scenario
