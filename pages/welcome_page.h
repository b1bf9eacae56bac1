// The welcome page of the wizard (plain first version: the buttons set the page result).
#pragma once
#include "app/page_interfaces.h"
#include "framework/dialog.h"

class WelcomePage : public framework::Dialog, public WelcomePageBase {
public:
    WelcomePage();
    INT_PTR DoModal() override { return Dialog::DoModal(); }
    HWND GetSafeHwnd() const override { return Dialog::GetSafeHwnd(); }

protected:
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
};
