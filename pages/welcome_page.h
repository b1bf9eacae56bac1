// The first page of the wizard: choose the task (install a new printer, or copy the
// driver to a directory), or open the readme file.
#pragma once
#include "pages/page_interfaces.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "pages/page_dialog.h"
#include "pages/controls/masked_bitmap.h"
#include "package/package.h"

class WelcomePage : public PageDialog<WelcomePageBase> {
public:
    // The readme is the one of the package.
    explicit WelcomePage(const Package& package);

    framework::Button m_btnNext;

protected:
    void DoDataExchange(framework::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnViewReadme();

private:
    Package m_package;
};
