// The destination page of the wizard (plain first version: the buttons set the page result).
#pragma once
#include "app/page_interfaces.h"
#include "framework/dialog.h"

class DestinationPage : public framework::Dialog, public DestinationPageBase {
public:
    DestinationPage();
    INT_PTR DoModal() override { return Dialog::DoModal(); }
    HWND GetSafeHwnd() const override { return Dialog::GetSafeHwnd(); }

protected:
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
};
