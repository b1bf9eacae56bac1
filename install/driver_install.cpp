// Placeholder until the driver installation lands.
#include "app/wizard_app.h"

int WizardApp::InstallDriver(const std::string& /*infName*/, const std::string& /*driverName*/,
                             const char* /*environment*/)
{
    return 1;
}
