#include "framework/paths.h"

#include <vector>

#include "framework/ansi_text.h"
#include "platform/api.h"

namespace framework {

namespace {

// Asks a "fill this buffer" call again with the size it reports until the text fits.
template <typename Call>
std::string GrowingText(Call call)
{
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = call(buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::string(buf.data(), n);
        buf.assign(n + 1, '\0');
    }
}

}  // namespace

std::string CurrentDirectory()
{
    return GrowingText([](char* buf, DWORD size) { return sys().GetCurrentDirectoryA(size, buf); });
}

std::string SystemDirectory()
{
    return GrowingText([](char* buf, DWORD size) {
        return static_cast<DWORD>(sys().GetSystemDirectoryA(buf, static_cast<UINT>(size)));
    });
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    if (EndsWithCharacter(directory, '\\'))
        return directory + name;
    return directory + "\\" + name;
}

}  // namespace framework
