// The printer page of the wizard (plain first version: the buttons set the page result).
#pragma once
#include "app/page_interfaces.h"
#include "framework/dialog.h"

class PrinterPage : public framework::Dialog, public PrinterPageBase {
public:
    PrinterPage();
    INT_PTR DoModal() override { return Dialog::DoModal(); }
    HWND GetSafeHwnd() const override { return Dialog::GetSafeHwnd(); }

protected:
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
};
