// Placeholder until the port monitor step lands.
#include "app/wizard_app.h"

bool WizardApp::InstallPortMonitor(PrinterPageBase& /*page*/)
{
    return true;
}
