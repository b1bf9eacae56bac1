#include "install/print_processor.h"

#include <cstring>
#include <vector>

#include "framework/file.h"
#include "framework/strings.h"
#include "install/feedback.h"
#include "install/file_copy.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

char* Text(const std::string& s) { return const_cast<char*>(s.c_str()); }
char* Text(const char* s) { return const_cast<char*>(s); }

// True when a local printer queue names the print processor (exact comparison).
// A failed enumeration counts as "not in use".
bool IsUsedByLocalPrinter(const std::string& name)
{
    DWORD needed = 0;
    DWORD count = 0;
    if (sys().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count))
        return false;  // nothing to list
    std::vector<BYTE> buffer(needed);
    count = 0;
    if (!sys().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed,
                             &count))
        return false;
    if (buffer.size() < static_cast<size_t>(count) * sizeof(PRINTER_INFO_2A))
        return false;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (printers[i].pPrintProcessor && name == printers[i].pPrintProcessor)
            return true;
    return false;
}

// Moves the file that the new print processor file is going to replace to a fresh
// temporary name in the same directory. The temporary path, or "" when nothing was moved.
std::string MoveAside(const std::string& fileName, const char* environment)
{
    std::string directory = PrintProcessorDirectory(environment);
    // Without the directory the path would name a file in the root of the current drive.
    if (directory.empty())
        return {};
    return framework::MoveFileAside(directory + "\\" + fileName, "set");
}

}  // namespace

std::string PrintProcessorDirectory(const char* environment)
{
    char directory[MAX_PATH + 1] = {};
    DWORD needed = 0;
    if (!sys().GetPrintProcessorDirectoryA(nullptr, Text(environment), 1,
                                           reinterpret_cast<LPBYTE>(directory), MAX_PATH,
                                           &needed))
        return {};
    directory[MAX_PATH] = '\0';
    return directory;
}

std::string RemoveOldPrintProcessor(const std::string& name, const char* environment,
                                    const std::string& fileName)
{
    DWORD needed = 0;
    DWORD count = 0;
    if (sys().EnumPrintProcessorsA(nullptr, Text(environment), 1, nullptr, 0, &needed, &count))
        return {};  // none installed
    std::vector<BYTE> buffer(needed);
    count = 0;
    if (!sys().EnumPrintProcessorsA(nullptr, Text(environment), 1, buffer.data(), needed, &needed,
                                    &count)) {
        TellSystemError(nullptr, sys().GetLastError(), IDS_INSTALL_FAILED_CAPTION);
        return {};
    }
    if (buffer.size() < static_cast<size_t>(count) * sizeof(PRINTPROCESSOR_INFO_1A))
        return {};

    const auto* processors = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(buffer.data());
    bool installed = false;
    for (DWORD i = 0; i < count && !installed; ++i)
        installed = processors[i].pName && name == processors[i].pName;
    if (!installed)
        return {};

    if (IsUsedByLocalPrinter(name))
        return MoveAside(fileName, environment);
    sys().DeletePrintProcessorA(nullptr, Text(environment), Text(name));
    return {};
}

bool InstallPrintProcessor(const std::string& source, const std::string& name, const std::string& fileName,
                           const char* environment)
{
    const std::string directory = PrintProcessorDirectory(environment);
    if (directory.empty()) {
        TellSystemError(nullptr, sys().GetLastError(), IDS_INSTALL_FAILED_CAPTION);
        return false;
    }
    const std::string aside = RemoveOldPrintProcessor(name, environment, fileName);
    if (!CopyFilesToDirectory(source, {fileName}, directory)) {
        // The old file goes back, so that the queues that use it keep working.
        if (!aside.empty())
            sys().MoveFileExA(aside.c_str(), (directory + "\\" + fileName).c_str(), 0);
        StepFeedback().Tell(nullptr, framework::LoadTextWith(IDS_FILES_NOT_COPIED, directory),
                            IDS_INSTALL_FAILED_CAPTION, MB_OK | MB_ICONHAND);
        return false;
    }
    // Still loaded by the spooler, the old file cannot be removed yet; it is harmless.
    if (!aside.empty())
        sys().DeleteFileA(aside.c_str());
    if (sys().AddPrintProcessorA(nullptr, Text(environment), Text(fileName), Text(name)))
        return true;
    // Windows keeps the registration of a print processor in use (its file was replaced
    // above, which is the upgrade) and answers that it is installed already.
    DWORD error = sys().GetLastError();
    if (error == ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED)
        return true;
    TellSystemError(nullptr, error, IDS_INSTALL_FAILED_CAPTION);
    return false;
}
