// The last page of both tasks: what the wizard is about to do, with Finish, Back and Cancel.
#pragma once
#include <string>

#include "pages/page_interfaces.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "pages/page_dialog.h"
#include "pages/controls/masked_bitmap.h"

class SummaryPage : public PageDialog<SummaryPageBase> {
public:
    SummaryPage();

    // The text of the summary box: a section (two line breaks, heading, tab, value) for
    // each field that is not empty, in the order printer name, port, destination.
    static std::string ComposeSummary(const std::string& printerName, const std::string& port,
                                      const std::string& destination);

    framework::Button m_btnFinish;
    framework::StaticText m_staticHeading;

protected:
    void DoDataExchange(framework::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

};
