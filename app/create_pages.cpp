#include "app/wizard_app.h"
#include "pages/destination_page.h"
#include "pages/printer_page.h"
#include "pages/summary_page.h"
#include "pages/welcome_page.h"

WizardPages WizardApp::CreatePages()
{
    WizardPages p;
    p.welcome = std::make_shared<WelcomePage>(m_package);
    p.destination = std::make_shared<DestinationPage>();
    p.summary = std::make_shared<SummaryPage>();
    p.printer = std::make_shared<PrinterPage>(m_package);
    return p;
}
