// Placeholder until the printer creation lands.
#include "app/wizard_app.h"

int WizardApp::CreatePrinter(const char* /*serverName*/, const std::string& /*printerName*/,
                             const std::string& /*driverName*/, const std::string& /*portName*/,
                             const char* /*comment*/, const char* /*location*/,
                             const char* /*sepFile*/)
{
    return 1;
}
