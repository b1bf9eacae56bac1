#include "install/oem_inf.h"

#include <vector>

#include "framework/file.h"
#include "framework/paths.h"
#include "framework/strings.h"
#include "platform/api.h"
#include "platform/handles.h"

namespace {

bool CopyThroughSetupApi(const std::string& infPath)
{
    return sys().SetupCopyOEMInfA(infPath.c_str(), nullptr, SPOST_PATH, 0, nullptr, 0, nullptr,
                                  nullptr) != FALSE;
}

// The text of a file up to its first NUL, read from at most size + 1 bytes.
bool ReadText(const std::string& path, unsigned long size, std::string& text)
{
    if (framework::ReadFilePrefix(path, static_cast<size_t>(size) + 1, text) !=
        framework::ReadResult::Ok)
        return false;
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return true;
}

bool IsDuplicate(const std::string& infPath, unsigned long size, const std::string& candidate)
{
    try {
        std::string source;
        std::string other;
        if (!ReadText(infPath, size, source) || !ReadText(candidate, size, other))
            return false;
        // A source with a NUL before its end never matches.
        return source.size() == size && source == other;
    } catch (...) {
        return false;
    }
}

// The system's INF directory with its trailing backslash; "" when it cannot be had.
std::string InfDirectory()
{
    char windows[MAX_PATH + 1] = {};
    UINT n = sys().GetWindowsDirectoryA(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return framework::JoinPath(std::string(windows, n), "inf\\");
}

// The size of a file; false when it is missing or 4 GB or more.
bool SourceSize(const std::string& infPath, unsigned long& size)
{
    WIN32_FIND_DATAA source = {};
    platform::FindHandle search(sys().FindFirstFileA(infPath.c_str(), &source));
    if (!search || source.nFileSizeHigh != 0)
        return false;
    size = source.nFileSizeLow;
    return true;
}

}  // namespace

std::string FindOemInfCopy(const std::string& infPath)
{
    unsigned long size = 0;
    std::string infDirectory = InfDirectory();
    if (infPath.empty() || infDirectory.empty() || !SourceSize(infPath, size))
        return {};
    return FindDuplicateOemInf(infPath, size, infDirectory);
}

std::string FindDuplicateOemInf(const std::string& infPath, unsigned long size,
                                const std::string& infDirectory)
{
    WIN32_FIND_DATAA found = {};
    platform::FindHandle search(sys().FindFirstFileA((infDirectory + "OEM*.inf").c_str(), &found));
    if (!search)
        return {};
    do {
        if (found.nFileSizeHigh != 0 || found.nFileSizeLow != size)
            continue;
        std::string candidate = infDirectory + found.cFileName;
        if (IsDuplicate(infPath, size, candidate))
            return candidate;
    } while (sys().FindNextFileA(search.get(), &found));
    return {};
}

void CopyInfToSystemDirectory(const std::string& infPath, bool isSigned)
{
    if (infPath.empty())
        return;
    // A failure here is not reported: the program's own copy follows.
    if (isSigned && CopyThroughSetupApi(infPath))
        return;

    unsigned long size = 0;
    if (!SourceSize(infPath, size))
        return;
    std::string infDirectory = InfDirectory();
    if (infDirectory.empty() || !FindDuplicateOemInf(infPath, size, infDirectory).empty())
        return;

    // The first free number; past the bound the INF is left uncopied, like a failed copy.
    std::string target;
    for (int number = 0; number <= kMaxOemInfNumber && target.empty(); ++number) {
        std::string name = infDirectory + framework::Format("OEM%d.inf", number);
        if (sys().GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES)
            target = name;
    }
    if (target.empty())
        return;

    sys().CopyFileA(infPath.c_str(), target.c_str(), FALSE);
    // A copy of a read-only INF (from read-only media) is made writable.
    DWORD attributes = sys().GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        sys().SetFileAttributesA(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}
