// The uninstall task.
#include "app/unattended.h"

ExitCode RunUninstallTask(UnattendedRun& run)
{
    run.Step("uninstall is not built yet");
    return ExitCode::UninstallIncomplete;
}
