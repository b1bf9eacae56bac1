// The install task without the pages.
#include "app/unattended.h"

ExitCode RunInstallTask(UnattendedRun& run)
{
    run.Step("install is not built yet");
    return ExitCode::PortMonitorFailed;
}
