// setup.exe as a user meets it, for the end-to-end scenarios and the tour: its pages, its
// message boxes and the sample port monitor's port dialog, one step at a time. Every step
// waits (bounded) for the window it needs and reports what went wrong in `Error()`.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "res/resource.h"
#include "support/process.h"
#include "support/scenario_children.h"
#include "support/wizard_texts.h"

namespace scenario {

// The sample package: its driver, monitor and print processor.
constexpr const char* kDriverName = "ZRN 7730";
constexpr const char* kMonitorName = "ZRN 7730 Language/Port Monitor";
constexpr const char* kMonitorDll = "ZRNKPMON.DLL";
constexpr const char* kMonitorUiDll = "ZRNKPUI.DLL";
constexpr const char* kPrintProcessor = "KPLPrint";
constexpr const char* kPrintProcessorFile = "KPLPRINT.DLL";
constexpr const char* kDriverInf = "ZRN7730.INF";

enum class Page { Welcome, Printer, Destination, Summary };
const char* PageName(Page page);
// The visible page of the process `pid` (found by a control only it has) other than `exclude`;
// waits for it, bounded. nullptr when it does not come.
HWND WaitForPage(DWORD pid, Page page, HWND exclude = nullptr);

class Wizard {
public:
    // Called with every page, message box and port dialog that a step meets, once it is
    // shown, and a short name for it ("welcome", "spooler-question", ...).
    using ScreenHook = std::function<void(HWND window, const std::string& name)>;

    Wizard() = default;
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    void OnScreen(ScreenHook hook) { m_hook = std::move(hook); }

    // Starts <dir>\setup.exe (with arguments) with `dir` as its current directory, in a job
    // that reports the programs it starts.
    bool Start(const std::string& dir, const std::string& arguments = {});
    // Takes over a setup.exe that another program started (its welcome page showing), e.g.
    // one that runs under /usr/bin/time. It is not ended when this object goes.
    bool Adopt(DWORD pid);
    e2e::Process& Process() { return m_process; }
    DWORD Pid() const { return m_pid; }
    bool Running() const;
    const ChildWatch& Children() const { return m_children; }
    const std::string& Error() const { return m_error; }

    // The visible page (found by a control only it has), or nullptr with Error() set.
    HWND WaitForPage(Page page);
    // The wizard's visible message box with this caption, or nullptr with Error() set.
    HWND WaitForBox(const std::string& caption = texts::kBoxCaption);
    // Waits for the page or a message box of the wizard, whichever shows first: returns the
    // page, or nullptr with *box set (both null and Error() set when neither came).
    HWND WaitForPageOrBox(Page page, HWND* box);
    // True when no message box of the program is open right now.
    bool NoBoxOpen() const;
    // Waits for a box, shows it to the hook as `name`, presses `button`; its text ("" and
    // Error() set when no box came).
    std::string Answer(int button, const std::string& name, const std::string& caption = texts::kBoxCaption);

    // Clicks a button of a page; false with Error() set when it cannot be pressed.
    bool Press(HWND page, int button);
    // Welcome page: picks the task (IDC_TASK_INSTALL or IDC_TASK_COPY) and presses Next.
    bool ChooseTask(HWND welcome, int task);
    // Printer page: "New KPL Port...", then the monitor's dialog: the name typed (empty: the
    // dialog's proposal is kept, and returned in *name), the physical port chosen by its index
    // (0 USB, n COM n), OK. Waits until the dialog has gone and the page has refilled its list.
    bool AddPort(HWND printer, std::string* name, int physicalPort);
    // Printer page: types the name into the name box.
    bool TypePrinterName(HWND printer, const std::string& name);
    // Selects the port's row of the printer page's list.
    bool SelectPort(HWND printer, const std::string& port);

    // Waits for the program to end; false with Error() set when it does not, or ends with
    // another code than `exitCode`.
    bool WaitForExit(DWORD exitCode = 0);

    // Hands a window to the hook once its thread has handled what was posted to it.
    void Show(HWND window, const std::string& name);
    // "caption [class]; ..." of the program's windows.
    std::string Windows();

private:
    bool Fail(const std::string& what);
    HANDLE Handle() const;

    e2e::Process m_process;
    HANDLE m_adopted = nullptr;
    DWORD m_pid = 0;
    ChildWatch m_children;
    ScreenHook m_hook;
    std::string m_error;
};

}  // namespace scenario
