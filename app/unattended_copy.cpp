// The copy task without the pages.
#include "app/unattended.h"

ExitCode RunCopyTask(UnattendedRun& run)
{
    run.Step("copy is not built yet");
    return ExitCode::CopyFailed;
}
