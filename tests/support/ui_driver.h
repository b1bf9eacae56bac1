// Driving another process's dialogs as a user would: find windows by caption and
// class, read and set control text, click buttons, type, answer message boxes,
// use list views, tree views and combo boxes. For a Win32 test process running
// in the same Wine prefix and X display as the program under test.
//
// How a click is made and known to be handled (checked under Wine 8):
// - Buttons are clicked with PostMessage(BM_CLICK): the program takes the click
//   from its queue in its own message loop, as it would take a mouse click, and
//   a click that opens a modal box does not block the test.
// - SendMessageTimeout(WM_NULL) right after the PostMessage is NOT enough: a
//   thread takes sent messages before posted ones, so the WM_NULL is often
//   answered before the click has been taken (about 1 in 4 under Wine 8).
//   WM_CHANGEUISTATE and WM_SETHOTKEY markers are not observable under Wine 8,
//   and DefDlgProc there ignores WM_SETFONT.
// - What works: a DM_SETDEFID marker posted behind the click. DefDlgProc stores
//   the id, DM_GETDEFID reports it, and the marker is taken only after the
//   click has been handled, or once a nested modal loop (a message box) runs.
//   Sync() posts the marker, polls DM_GETDEFID until it shows, then sends the
//   original default id back. A dialog that ends (EndDialog) stops answering
//   DM_GETDEFID with DC_HASDEFID; a destroyed window counts as handled too.
//
// Other Wine 8 findings that the functions below take care of:
// - Common-control messages (LVM_*, TVM_*) are not carried across processes:
//   their structures are placed in the program's memory (VirtualAllocEx).
// - CB_GETLBTEXT from an ANSI caller in another process comes back as UTF-16.
// - PrintWindow cannot work across processes (WM_PRINT carries a DC): shots are
//   taken from the screen.
// - A window is found before it is visible: the waits require IsWindowVisible.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "support/process.h"

namespace e2e {

constexpr const char* kDialogClass = "#32770";

// ---- Top-level windows ----------------------------------------------------

struct WindowQuery {
    DWORD pid = 0;                    // owning process; 0: any
    std::string caption;              // exact window text; empty: any
    std::string captionContains;      // part of the window text; empty: any
    std::string className = kDialogClass;  // empty: any
    int withControl = 0;              // non-zero: must have a child with this id
    HWND exclude = nullptr;           // never this window (e.g. the page just left)
};

// A visible top-level window that matches, or nullptr. Does not wait.
HWND FindWindowNow(const WindowQuery& query);
// Waits until a matching window exists AND is visible.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs = kWaitMs);
HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs = kWaitMs);
// Waits until the window is destroyed or hidden.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kWaitMs);

// Visible top-level windows of a process (pid 0: all).
std::vector<HWND> VisibleWindows(DWORD pid);
// "caption [class]; ..." of a process's visible windows, for failure messages.
std::string DescribeWindows(DWORD pid);

// Closes a top-level window of another program (a folder or text file that
// the program under test had the shell open, say) with WM_CLOSE and waits for
// that program to end; terminates it when it does not end in time. A program
// left running keeps the test's output open (CTest then waits for it) and
// holds the active window. True when the program has ended.
bool CloseProgramOf(HWND window, DWORD timeoutMs = kWaitMs);

std::string WindowText(HWND window);   // WM_GETTEXT, cross-process
std::string WindowClass(HWND window);

// ---- Waiting for the program ----------------------------------------------

// True once every message posted so far to the thread of `window` has been
// handled, or that thread runs a nested modal loop (see the top of this file).
bool Sync(HWND window, DWORD timeoutMs = kWaitMs);

// ---- Controls of a dialog --------------------------------------------------

HWND Item(HWND dialog, int id);
std::string ItemText(HWND dialog, int id);
// WM_SETTEXT (the edit notifies EN_CHANGE as for any change).
bool SetItemText(HWND dialog, int id, const std::string& text);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemVisible(HWND dialog, int id);
int CheckState(HWND dialog, int id);   // BST_UNCHECKED/CHECKED/INDETERMINATE; -1 no control
bool IsChecked(HWND dialog, int id);

// Clicks a button as a user would. Fails (nothing posted) when the button is
// missing, hidden or disabled, or its dialog is disabled (a modal box is open).
bool Click(HWND dialog, int id, DWORD timeoutMs = kWaitMs);

// Moves the focus to an edit and selects its text (as tabbing into it does),
// then types each character with WM_CHAR; the edit's own limit applies.
// With replace false the caret goes to the end and the text is appended.
bool TypeText(HWND dialog, int id, const std::string& text, bool replace = true,
              DWORD timeoutMs = kWaitMs);

// Posts WM_KEYDOWN/WM_KEYUP of a virtual key to a control (id 0: the dialog);
// VK_RETURN and VK_ESCAPE reach the dialog manager as from the keyboard.
bool PressKey(HWND dialog, int id, UINT vk, DWORD timeoutMs = kWaitMs);

// ---- Message boxes ---------------------------------------------------------

// A visible message box of the process with this caption.
HWND WaitForMessageBox(DWORD pid, const std::string& caption, DWORD timeoutMs = kWaitMs);
std::string MessageBoxText(HWND box);   // the static control 0xFFFF
// Presses IDOK/IDYES/IDNO/... and waits until the box is destroyed.
bool AnswerMessageBox(HWND box, int buttonId, DWORD timeoutMs = kWaitMs);

// ---- Combo boxes -----------------------------------------------------------

int ComboCount(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);               // CB_ERR when none
std::string ComboItemText(HWND dialog, int id, int index);
std::string ComboSelectedText(HWND dialog, int id);
std::vector<std::string> ComboItems(HWND dialog, int id);
// CB_SETCURSEL, then CBN_SELCHANGE to the parent as the user's choice sends it.
bool ComboSelect(HWND dialog, int id, int index, DWORD timeoutMs = kWaitMs);
bool ComboSelectText(HWND dialog, int id, const std::string& text, DWORD timeoutMs = kWaitMs);

// ---- List views (report view) ----------------------------------------------

int ListCount(HWND dialog, int id);
std::string ListItemText(HWND dialog, int id, int item, int column = 0);
int ListFind(HWND dialog, int id, const std::string& text, int column = 0);  // -1 if absent
bool ListIsSelected(HWND dialog, int id, int item);
int ListSelected(HWND dialog, int id);   // first selected item, -1 when none
// Selects (and focuses) one item through LVM_SETITEMSTATE; LVN_ITEMCHANGED follows.
bool ListSelect(HWND dialog, int id, int item, DWORD timeoutMs = kWaitMs);
// Clears the selection of every item.
bool ListClearSelection(HWND dialog, int id, DWORD timeoutMs = kWaitMs);
// Mouse click / double click on the item's label, as posted mouse messages.
bool ListClick(HWND dialog, int id, int item, DWORD timeoutMs = kWaitMs);
bool ListDoubleClick(HWND dialog, int id, int item, DWORD timeoutMs = kWaitMs);

// ---- Tree views ------------------------------------------------------------

HTREEITEM TreeRoot(HWND dialog, int id);
HTREEITEM TreeSelection(HWND dialog, int id);
HTREEITEM TreeChild(HWND dialog, int id, HTREEITEM item);
HTREEITEM TreeNext(HWND dialog, int id, HTREEITEM item);
std::string TreeItemText(HWND dialog, int id, HTREEITEM item);
std::string TreeSelectedText(HWND dialog, int id);
std::vector<std::string> TreeChildTexts(HWND dialog, int id, HTREEITEM parent);
// The child of `parent` (nullptr: top level) with this text, or nullptr.
HTREEITEM TreeFindChild(HWND dialog, int id, HTREEITEM parent, const std::string& text);
bool TreeIsExpanded(HWND dialog, int id, HTREEITEM item);
// The item's image and selected-image indexes; false when they cannot be read.
bool TreeItemImages(HWND dialog, int id, HTREEITEM item, int* image, int* selectedImage);
// Selects an item (TVN_SELCHANGING/TVN_SELCHANGED follow).
bool TreeSelect(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs = kWaitMs);
// TVM_EXPAND: the control notifies TVN_ITEMEXPANDING only the first time an
// item opens. To open or close an item as the user does, with the notification
// every time, use TreeClickButton or TreeDoubleClick.
bool TreeExpand(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs = kWaitMs);
// Mouse click on the item's label / double click on it / click on its expand
// button (+/-), as posted mouse messages. The item must be visible in the
// control (scrolled into view with TVM_ENSUREVISIBLE first).
bool TreeClick(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs = kWaitMs);
bool TreeDoubleClick(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs = kWaitMs);
bool TreeClickButton(HWND dialog, int id, HTREEITEM item, DWORD timeoutMs = kWaitMs);

// ---- Screenshots -----------------------------------------------------------

// <build>\screenshots (the test program's directory when ZRN_BUILD_DIR is unset).
std::string ScreenshotDir();
// Copies the window's screen area (frame included) into a 24-bit BMP file
// <ScreenshotDir()>\<name>.bmp; nullptr window: the whole screen. Returns the
// file's path, or "" on failure.
std::string SaveScreenshot(HWND window, const std::string& name);

}  // namespace e2e
