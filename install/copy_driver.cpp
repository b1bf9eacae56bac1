// Placeholder until the copy task lands.
#include "app/wizard_app.h"

void WizardApp::CopyDriverToDirectory(const std::string& /*destination*/) {}
