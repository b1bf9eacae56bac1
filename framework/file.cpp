#include "framework/file.h"

#include <vector>

#include "framework/ansi_text.h"
#include "platform/api.h"
#include "platform/handles.h"

namespace framework {

ReadResult ReadFilePrefix(const std::string& path, size_t maxBytes, std::string& out)
{
    out.clear();
    platform::FileHandle f(sys().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        return ReadResult::OpenFailed;
    std::vector<char> buf(maxBytes);
    size_t total = 0;
    while (total < maxBytes) {
        DWORD got = 0;
        if (!sys().ReadFile(f.get(), buf.data() + total, static_cast<DWORD>(maxBytes - total), &got,
                            nullptr))
            return ReadResult::ReadFailed;
        if (got == 0)
            break;
        total += got;
    }
    out.assign(buf.data(), total);
    return ReadResult::Ok;
}

bool ReadWholeFile(const std::string& path, std::string& out)
{
    out.clear();
    platform::FileHandle f(sys().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        return false;
    char buf[4096];
    for (;;) {
        DWORD got = 0;
        if (!sys().ReadFile(f.get(), buf, sizeof buf, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        out.append(buf, got);
    }
}

std::string MoveFileAside(const std::string& path, const char* prefix)
{
    const size_t slash = FindLastCharacter(path, '\\');
    // Without a directory the temporary name would go to the current one.
    if (slash == std::string::npos)
        return {};
    char temporary[MAX_PATH + 1] = {};
    if (!sys().GetTempFileNameA(path.substr(0, slash).c_str(), prefix, 0, temporary))
        return {};
    // The first failure ends the sequence; none is reported.
    if (!sys().DeleteFileA(temporary))
        return {};
    if (!sys().MoveFileExA(path.c_str(), temporary, 0))
        return {};
    return temporary;
}

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = sys().GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace framework
