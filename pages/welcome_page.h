// The first page of the wizard: choose the task (install a new printer, or copy the
// driver to a directory), or open the readme file.
#pragma once
#include "app/page_interfaces.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "pages/masked_bitmap.h"

class WelcomePage : public framework::Dialog, public WelcomePageBase {
public:
    WelcomePage();
    INT_PTR DoModal() override { return Dialog::DoModal(); }
    HWND GetSafeHwnd() const override { return Dialog::GetSafeHwnd(); }

    MaskedBitmap m_bitmap;
    framework::Button m_btnNext;
    HICON m_hIcon = nullptr;

protected:
    void DoDataExchange(framework::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnPaint() override;

    void OnViewReadme();
};
