// Talking to the monitor through Xcv handles, and the machine's port list.
#include "sample/ui/kpui.h"

#include <cstring>

namespace kpui {

Xcv::~Xcv()
{
    if (h_)
        ClosePrinter(h_);
}

bool Xcv::Open(const wchar_t* server, const wchar_t* kind, const std::wstring& object)
{
    std::wstring name;
    if (server && *server) {
        name = server;
        name += L'\\';
    }
    name += L',';
    name += kind;
    name += L' ';
    name += object;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    return OpenPrinterW(&name[0], &h_, &defaults) != FALSE;
}

DWORD Xcv::Data(const wchar_t* command, const std::vector<BYTE>& input, BYTE* output, DWORD outputSize)
{
    DWORD needed = 0, status = ERROR_SUCCESS;
    std::vector<BYTE> in(input);
    if (!XcvDataW(h_, command, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()), output,
                  outputSize, &needed, &status)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_GEN_FAILURE;
    }
    return status;
}

static std::vector<BYTE> PortInput(const std::wstring& port)
{
    std::vector<BYTE> input((port.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(input.data(), port.c_str(), port.size() * sizeof(wchar_t));
    return input;
}

DWORD Xcv::Command(const wchar_t* command, const std::wstring& port)
{
    return Data(command, PortInput(port), nullptr, 0);
}

DWORD Xcv::CommandWithType(const wchar_t* command, const std::wstring& port, DWORD type)
{
    std::vector<BYTE> input = PortInput(port);
    const BYTE* t = reinterpret_cast<const BYTE*>(&type);
    input.insert(input.end(), t, t + sizeof type);
    return Data(command, input, nullptr, 0);
}

DWORD Xcv::GetType(const std::wstring& port, DWORD* type)
{
    DWORD value = 0;
    DWORD status = Data(KPMON_XCV_GET_PORT_TYPE, PortInput(port), reinterpret_cast<BYTE*>(&value), sizeof value);
    if (status == ERROR_SUCCESS)
        *type = value;
    return status;
}

std::vector<std::wstring> ListAllPorts(const wchar_t* server)
{
    std::vector<std::wstring> names;
    LPWSTR serverName = const_cast<LPWSTR>(server);
    // The list may grow between the size probe and the read: probe again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD needed = 0, count = 0;
        if (EnumPortsW(serverName, 1, nullptr, 0, &needed, &count))
            return names;  // no ports at all
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
            return names;
        std::vector<BYTE> buffer(needed);
        if (EnumPortsW(serverName, 1, buffer.data(), needed, &needed, &count)) {
            const auto* info = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i)
                if (info[i].pName)
                    names.emplace_back(info[i].pName);
            return names;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return names;
    }
    return names;
}

bool ContainsName(const std::vector<std::wstring>& names, const std::wstring& name)
{
    for (const std::wstring& n : names)
        if (lstrcmpiW(n.c_str(), name.c_str()) == 0)
            return true;
    return false;
}

std::wstring ProposePortName(const std::vector<std::wstring>& names)
{
    for (unsigned n = 1;; ++n) {
        std::wstring candidate = KPMON_W(KPUI_PORT_PREFIX) + std::to_wstring(n) + L":";
        if (!ContainsName(names, candidate))
            return candidate;
    }
}

std::wstring ErrorText(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring result;
    if (n && text)
        result.assign(text, n);
    if (text)
        LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
        result.pop_back();
    if (result.empty())
        result = L"Error " + std::to_wstring(code) + L".";
    return result;
}

}  // namespace kpui
