// The copy task: the package's files, and its port monitor's files beside them.
#include "install/copy_driver.h"

#include "framework/ansi_text.h"
#include "framework/strings.h"
#include "install/feedback.h"
#include "install/file_copy.h"
#include "install/port_monitor.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

const char kParentDirectory[] = "..";

}  // namespace

std::string CopyTargetPath(const std::string& directory)
{
    if (framework::EndsWithCharacter(directory, '\\'))
        return directory + ".";
    return directory + "\\.";
}

bool CopyDriverPackage(const std::string& destination)
{
    if (destination.empty())
        return false;

    bool copied = CopyDirectoryFiles(destination);

    // Only the monitor's sub-directory goes along, and only its files, when there is one. A
    // sub-directory that exists but cannot be entered is a failed copy.
    if (!sys().SetCurrentDirectoryA(kMonitorDirectory)) {
        DWORD attributes = sys().GetFileAttributesA(kMonitorDirectory);
        return copied && (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY));
    }
    copied = CopyDirectoryFiles(destination + "\\" + kMonitorDirectory) && copied;

    if (!sys().SetCurrentDirectoryA(kParentDirectory)) {
        StepFeedback().Tell(nullptr, framework::LoadTextWith(IDS_CANNOT_OPEN_FILE, kParentDirectory),
                            IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
        return false;
    }
    return copied;
}
