// A modal dialog run from a template of the program's resources, with data exchange
// between members and controls, and virtual handlers for the messages the pages use.
// No exception leaves the window procedure.
#pragma once
#include <string>
#include <vector>

#include "framework/controls.h"
#include "platform/win.h"

namespace framework {

class Dialog;

// Moves data between a dialog's controls and its members: to the controls when the
// dialog opens (saving false), back into the members on OK (saving true).
class DataExchange {
public:
    DataExchange(Dialog& dlg, bool saving) : dlg_(dlg), saving_(saving) {}
    Dialog& dialog() const { return dlg_; }
    bool saving() const { return saving_; }
    bool failed() const { return failed_; }
    void Fail() { failed_ = true; }
    HWND lastControl() const { return last_; }
    void setLastControl(HWND h) { last_ = h; }

private:
    Dialog& dlg_;
    bool saving_;
    bool failed_ = false;
    HWND last_ = nullptr;
};

void DDX_Control(DataExchange& dx, int id, Control& control);
void DDX_Text(DataExchange& dx, int id, std::string& value);
// The index of the checked button of the radio group that starts with id (-1 none).
void DDX_Radio(DataExchange& dx, int firstId, int& index);
// Limits the last exchanged edit control to maxChars; on saving, a longer text fails.
void DDV_MaxChars(DataExchange& dx, const std::string& value, int maxChars);

class Dialog {
public:
    explicit Dialog(UINT templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog; returns the value given to EndDialog (IDOK, IDCANCEL), -1 on failure.
    virtual INT_PTR DoModal();

    HWND GetSafeHwnd() const { return hwnd_; }
    HWND Item(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
    UINT TemplateId() const { return templateId_; }

    bool UpdateData(bool saving);
    void EndDialog(INT_PTR result);

protected:
    virtual void DoDataExchange(DataExchange& /*dx*/) {}
    virtual BOOL OnInitDialog();  // exchanges data to the controls
    virtual void OnOK();          // exchanges data back; ends with IDOK when it succeeds
    virtual void OnCancel();      // ends with IDCANCEL

    // WM_COMMAND other than IDOK/IDCANCEL. Return true when handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    // WM_NOTIFY that no bound control took. Return true when handled.
    virtual bool OnNotify(NMHDR* /*nm*/, LRESULT& /*result*/) { return false; }
    // WM_PAINT; return true when painted (BeginPaint/EndPaint done by the handler).
    virtual bool OnPaint() { return false; }
    virtual void OnShowWindow(BOOL /*show*/, UINT /*status*/) {}
    virtual HCURSOR OnQueryDragIcon() { return nullptr; }
    // Any other message; return true and set result when handled.
    virtual bool OnMessage(UINT /*msg*/, WPARAM /*w*/, LPARAM /*l*/, INT_PTR& /*result*/)
    {
        return false;
    }

    void SetIcons(HICON icon) const;

private:
    friend void DDX_Control(DataExchange&, int, Control&);
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    INT_PTR Proc(UINT msg, WPARAM w, LPARAM l);
    void Bind(Control& control);
    Control* BoundControl(HWND h) const;

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    std::vector<Control*> bound_;
};

// Draws an icon centred in a minimised window's client area, erasing the icon background first.
void PaintMinimizedIcon(HWND hwnd, HICON icon);

}  // namespace framework
