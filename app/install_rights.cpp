// Placeholder until the administrator check lands.
#include "app/wizard_app.h"

void WizardApp::CheckInstallRights() {}
