// Copying the package's files with one shell copy operation.
#include "install/file_copy.h"

#include <vector>

#include "framework/ansi_text.h"
#include "framework/file.h"
#include "framework/paths.h"
#include "framework/strings.h"
#include "install/feedback.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

namespace {

// The absolute form of a path ("" when the system cannot make one).
std::string FullPath(const std::string& path)
{
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = sys().GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(),
                                         nullptr);
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::string(buf.data(), n);
        buf.assign(n + 1, '\0');
    }
}

// Creates a directory and any missing parents; failures are left to the copy to report.
// The shell copies a single source into a missing directory as a file of that name (Wine),
// so the destination must exist before the copy for one file to land inside it as many do.
void CreateDirectoryPath(const std::string& directory)
{
    std::string full = FullPath(directory);
    if (full.empty())
        return;
    while (full.size() > 3 && framework::EndsWithCharacter(full, '\\'))
        full.pop_back();
    // Skip the root ("C:\" or "\\server\share\"): it cannot be created.
    size_t start = 0;
    if (full.compare(0, 2, "\\\\") == 0) {
        size_t server = framework::FindCharacter(full, '\\', 2);
        start = server == std::string::npos ? full.size() : framework::FindCharacter(full, '\\', server + 1);
        if (start == std::string::npos)
            return;
    } else {
        start = framework::FindCharacter(full, '\\');
        if (start == std::string::npos)
            return;
    }
    for (size_t pos = framework::FindCharacter(full, '\\', start + 1);; pos = framework::FindCharacter(full, '\\', pos + 1)) {
        std::string prefix = full.substr(0, pos);
        if (sys().GetFileAttributesA(prefix.c_str()) == INVALID_FILE_ATTRIBUTES)
            sys().CreateDirectoryA(prefix.c_str(), nullptr);
        if (pos == std::string::npos)
            break;
    }
}

}  // namespace

bool CopyFilesToDirectory(const std::string& source, const std::vector<std::string>& fileNames,
                          const std::string& directory)
{
    // An empty directory would make the destination "\", the root of the current drive, and
    // an empty source would take the files from the current directory.
    if (directory.empty() || source.empty())
        return false;

    std::string sources;
    for (const std::string& name : fileNames) {
        if (name.empty())
            continue;
        sources += framework::JoinPath(source, name);
        sources += '\0';
    }
    // Nothing to copy: no shell operation and no directory is made.
    if (sources.empty())
        return true;
    sources += '\0';  // the std::string's own terminator closes the list a second time

    std::string destination = directory;
    if (!framework::EndsWithCharacter(destination, '\\'))
        destination += '\\';
    destination += '\0';

    CreateDirectoryPath(directory);

    SHFILEOPSTRUCTA op = {};
    op.hwnd = nullptr;
    op.wFunc = FO_COPY;
    op.pFrom = sources.c_str();
    op.pTo = destination.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    // The shell shows its own progress and error windows, unless no window may be shown.
    if (!StepFeedback().MayShowWindows())
        op.fFlags |= FOF_SILENT | FOF_NOERRORUI;
    op.lpszProgressTitle = nullptr;
    if (sys().SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted)
        return false;
    // A shell can report success for a destination it could not make (Wine's, below a file):
    // without the directory nothing was copied.
    return framework::IsDirectory(FullPath(directory));
}

bool CopyDirectoryFiles(const std::string& source, const std::string& destination)
{
    if (destination.empty())
        return false;
    std::string pattern = framework::LoadText(IDS_ALL_FILES);
    std::vector<std::string> names;
    if (!pattern.empty()) {
        WIN32_FIND_DATAA found = {};
        platform::FindHandle search(sys().FindFirstFileA(framework::JoinPath(source, pattern).c_str(), &found));
        // A directory that cannot be listed is a failed copy; an empty one copies nothing.
        if (!search && sys().GetLastError() != ERROR_FILE_NOT_FOUND)
            return false;
        if (search) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    names.emplace_back(found.cFileName);
            } while (sys().FindNextFileA(search.get(), &found));
        }
    }
    return CopyFilesToDirectory(source, names, destination);
}
