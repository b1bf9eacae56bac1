// The copy task: the package's files, and its port monitor's files beside them.
#include "install/copy_driver.h"

#include "framework/ansi_text.h"
#include "framework/file.h"
#include "framework/paths.h"
#include "install/file_copy.h"
#include "package/package.h"
#include "package/printer_model.h"

std::string CopyTargetPath(const std::string& directory)
{
    if (framework::EndsWithCharacter(directory, '\\'))
        return directory + ".";
    return directory + "\\.";
}

bool CopyDriverPackage(const Package& package, const std::string& destination)
{
    if (destination.empty())
        return false;

    bool copied = CopyDirectoryFiles(package.root, destination);

    // Only the monitor's sub-directory goes along, and only its files, when there is one.
    const std::string monitor = package.MonitorDirectory();
    if (!framework::IsDirectory(monitor))
        return copied;
    return CopyDirectoryFiles(monitor, framework::JoinPath(destination, kModel.monitorDirectory)) && copied;
}
