// Thin wrappers for the controls of a dialog. A control object is bound to its
// window by data exchange (DDX_Control) each time the dialog opens; notifications
// that the control sends to the dialog are offered to the object first (reflection).
#pragma once
#include <string>

#include "platform/win.h"

namespace framework {

class Control {
public:
    Control() = default;
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return hwnd_; }
    void Attach(HWND h) { hwnd_ = h; }
    void Detach() { hwnd_ = nullptr; }

    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
    std::string GetText() const;
    void SetText(const std::string& text) const;
    void Enable(bool on) const;
    bool IsEnabled() const;
    void SetFocus() const;
    void ModifyStyle(DWORD remove, DWORD add) const;

    // A WM_NOTIFY (or WM_COMMAND) from this control to its dialog, offered here first.
    // Return true when handled; the dialog then does not see it.
    virtual bool OnReflectedNotify(NMHDR* /*nm*/, LRESULT& /*result*/) { return false; }
    virtual bool OnReflectedCommand(UINT /*code*/) { return false; }

private:
    HWND hwnd_ = nullptr;
};

class Button : public Control {
public:
    int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
    void SetCheck(int state) const { Send(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class Edit : public Control {
public:
    void LimitText(int n) const { Send(EM_LIMITTEXT, static_cast<WPARAM>(n)); }
};

class StaticText : public Control {};

class ListView : public Control {
public:
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    std::string GetItemText(int item, int sub) const;
    int InsertItem(int item, const std::string& text) const;
    void SetItemText(int item, int sub, const std::string& text) const;
    UINT GetItemState(int item, UINT mask) const;
    void SetItemState(int item, UINT state, UINT mask) const;
    void DeleteAllItems() const { Send(LVM_DELETEALLITEMS); }
    int InsertColumn(int col, const std::string& heading, int format, int width) const;
    void SetExtendedStyle(DWORD style) const;
    int GetNextSelected() const;  // -1 when none
};

class ComboBox : public Control {
public:
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void SetCurSel(int i) const { Send(CB_SETCURSEL, static_cast<WPARAM>(i)); }
    int AddString(const std::string& s) const;
    std::string GetItemText(int i) const;
    void ResetContent() const { Send(CB_RESETCONTENT); }
};

class TreeView : public Control {
public:
    HTREEITEM InsertItem(const TVINSERTSTRUCTA& item) const;
    std::string GetItemText(HTREEITEM item) const;
    HTREEITEM GetNext(HTREEITEM item, UINT code) const;
    HTREEITEM GetSelection() const { return GetNext(nullptr, TVGN_CARET); }
    HTREEITEM GetRoot() const { return GetNext(nullptr, TVGN_ROOT); }
    HTREEITEM GetChild(HTREEITEM item) const { return GetNext(item, TVGN_CHILD); }
    HTREEITEM GetNextSibling(HTREEITEM item) const { return GetNext(item, TVGN_NEXT); }
    HTREEITEM GetParent(HTREEITEM item) const { return GetNext(item, TVGN_PARENT); }
    void SelectItem(HTREEITEM item) const;
    void Expand(HTREEITEM item, UINT code) const;
    void DeleteItem(HTREEITEM item) const;
    void DeleteAllItems() const { DeleteItem(TVI_ROOT); }
};

}  // namespace framework
