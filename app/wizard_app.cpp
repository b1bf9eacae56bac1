#include "app/wizard_app.h"

#include <cstring>

#include "app/install_status.h"
#include "framework/message_box.h"
#include "framework/strings.h"
#include "package/model.h"
#include "platform/api.h"
#include "res/resource.h"

WizardApp::WizardApp() : m_package(ProgramPackage())
{
    std::memset(&m_versionInfo, 0, sizeof m_versionInfo);
    m_versionInfo.dwOSVersionInfoSize = sizeof m_versionInfo;
}

WizardApp::~WizardApp() = default;

BOOL WizardApp::InitInstance()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    sys().InitCommonControlsEx(&icc);

    // A failed call leaves the zeroed record, which the gate refuses.
    sys().GetVersionExA(&m_versionInfo);

    if (IsSupportedWindows(m_versionInfo)) {
        m_szDriverName = kModel.driverName;
        m_nTask = 0;
        m_nState = StateWelcome;
        RunWizard();
        return FALSE;
    }

    framework::ShowMessage(nullptr, IDS_WRONG_PLATFORM, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
    return FALSE;
}
