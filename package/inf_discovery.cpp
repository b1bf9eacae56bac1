// Placeholder until INF access lands: lists the candidates, accepts none.
#include "app/wizard_app.h"

std::vector<std::string> WizardApp::ListInfFiles(const std::string& /*pattern*/)
{
    return {};
}

bool WizardApp::IsDriverInf(const std::string& /*infName*/)
{
    return false;
}

int WizardApp::HasCatalogFile(const std::string& /*infName*/)
{
    return 0;
}
