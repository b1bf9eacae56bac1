// The copy task without the pages: the destination page's checks on the command line's
// directory, the directory made as the page makes it, then the copy.
#include "app/unattended.h"

#include "install/copy_driver.h"
#include "install/destination_path.h"
#include "res/resource.h"

ExitCode RunCopyTask(UnattendedRun& run)
{
    std::string directory;
    if (!destination::CheckDestinationText(nullptr, run.Line().directory, directory))
        return ExitCode::BadCommandLine;
    run.Step("copying the driver package to " + directory);
    destination::CreateDestinationDirectory(directory);
    if (!CopyDriverPackage(run.DriverPackage(), CopyTargetPath(directory))) {
        run.Refuse(IDS_CMD_COPY_FAILED, directory);
        return ExitCode::CopyFailed;
    }
    run.Step("copied (the directory is not opened without the pages)");
    return ExitCode::Done;
}
