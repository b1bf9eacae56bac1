#include "framework/file.h"

#include <vector>

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

}  // namespace framework
