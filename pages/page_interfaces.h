// What the wizard controller sees of its four pages. The real pages (pages/) derive
// from these and from the dialog class; tests give the controller pages of their own.
#pragma once
#include <string>

#include "platform/win.h"

// How a page ended; stored in the page's m_nResult before its dialog ends.
enum PageResult {
    PAGE_NEXT = 1,
    PAGE_BACK = 2,
    PAGE_CANCEL = 8,
    PAGE_REFUSED = -16,  // destination page only, while a typed directory is refused
};

class WizardPage {
public:
    virtual ~WizardPage() = default;
    virtual INT_PTR DoModal() = 0;
    virtual HWND GetSafeHwnd() const = 0;

    int m_nResult = 0;
};

class WelcomePageBase : public WizardPage {
public:
    int m_bInstallDisabled = 0;  // set by the controller before every showing
    int m_nTask = 0;             // 0 install a new printer, 1 copy the driver
};

class PrinterPageBase : public WizardPage {
public:
    PrinterPageBase();
    std::string m_strPrinterName;  // starts as the default model name
    std::string m_szPort;          // the chosen port, at most 259 characters
};

class DestinationPageBase : public WizardPage {
public:
    std::string m_szDirectory;  // the accepted destination directory
};

class SummaryPageBase : public WizardPage {
public:
    // Each stores at most 259 characters; null stores the empty text.
    void SetDestination(const char* text);
    void SetPrinterName(const char* text);
    void SetPort(const char* text);

    int m_nTask = 0;
    std::string m_szDestination;
    std::string m_szPrinterName;
    std::string m_szPort;
};
