// What every wizard page shares: a modal dialog from its template that records how it
// ended in m_nResult, for the controller to read.
#pragma once
#include "pages/page_interfaces.h"
#include "framework/dialog.h"

template <typename PageBase>
class PageDialog : public framework::Dialog, public PageBase {
public:
    explicit PageDialog(UINT templateId) : Dialog(templateId) {}
    INT_PTR DoModal() override { return Dialog::DoModal(); }
    HWND GetSafeHwnd() const override { return Dialog::GetSafeHwnd(); }

protected:
    // Cancel, Esc or the close box.
    void OnCancel() override
    {
        this->m_nResult = PAGE_CANCEL;
        Dialog::OnCancel();
    }
    // The Back button of the pages that have one.
    void OnBack()
    {
        this->m_nResult = PAGE_BACK;
        Dialog::OnCancel();
    }
};
