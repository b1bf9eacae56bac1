// The monitor's registry data: its key, its version, its output directory and its ports.
#include "sample/monitor/kpmon.h"

namespace kpmon {

namespace {

const wchar_t kMonitorKey[] = KPMON_W(KPMON_MONITOR_KEY);
const wchar_t kPortsKey[] = KPMON_W(KPMON_PORTS_KEY);

// An open registry key, closed when it goes out of scope.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key()
    {
        if (h_)
            RegCloseKey(h_);
    }
    HKEY* put() { return &h_; }
    void reset()
    {
        if (h_)
            RegCloseKey(h_);
        h_ = nullptr;
    }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

LONG OpenPortsKey(REGSAM access, Key* key)
{
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, access, key->put());
}

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// A REG_SZ value; false when it is missing, of another type or empty.
bool GetString(HKEY key, const wchar_t* name, std::wstring* value)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ ||
        size < sizeof(wchar_t))
        return false;
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    value->assign(buf.data());
    return !value->empty();
}

std::wstring DefaultOutputDirectory()
{
    wchar_t windows[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::wstring();
    std::wstring dir(windows);
    if (dir.back() != L'\\')
        dir += L'\\';
    return dir + KPMON_W(KPMON_DEFAULT_OUTPUT_SUBDIR);
}

}  // namespace

std::wstring OwnFileVersion()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::wstring();
        if (n < path.size())
            break;
        path.resize(path.size() * 2);
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.data(), &ignored);
    if (size == 0)
        return std::wstring();
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.data(), 0, size, block.data()))
        return std::wstring();
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\FileVersion", &text, &length) || !text ||
        length == 0)
        return std::wstring();
    // The length counts characters, with or without the closing NUL depending on the system.
    const wchar_t* s = static_cast<const wchar_t*>(text);
    std::wstring version;
    for (UINT i = 0; i < length && s[i]; ++i)
        version.push_back(s[i]);
    return version;
}

bool RecordMonitorKey()
{
    Key monitor;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMonitorKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, monitor.put(), nullptr) != ERROR_SUCCESS)
        return false;
    std::wstring version = OwnFileVersion();
    if (!version.empty())
        SetString(monitor.get(), KPMON_W(KPMON_VALUE_VERSION), version);
    std::wstring dir;
    if (!GetString(monitor.get(), KPMON_W(KPMON_VALUE_OUTPUT_DIRECTORY), &dir)) {
        dir = DefaultOutputDirectory();
        if (!dir.empty())
            SetString(monitor.get(), KPMON_W(KPMON_VALUE_OUTPUT_DIRECTORY), dir);
    }
    Key ports;
    return RegCreateKeyExW(monitor.get(), L"Ports", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                           nullptr, ports.put(), nullptr) == ERROR_SUCCESS;
}

std::wstring OutputDirectory()
{
    Key monitor;
    std::wstring dir;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMonitorKey, 0, KEY_READ, monitor.put()) == ERROR_SUCCESS &&
        GetString(monitor.get(), KPMON_W(KPMON_VALUE_OUTPUT_DIRECTORY), &dir))
        return dir;
    return DefaultOutputDirectory();
}

std::vector<std::wstring> ListPorts()
{
    std::vector<std::wstring> ports;
    Key key;
    if (OpenPortsKey(KEY_READ, &key) != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        LONG rc = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA)
            continue;  // longer than any registry key name can be; cannot happen
        if (rc != ERROR_SUCCESS)
            break;
        ports.emplace_back(name, length);
    }
    return ports;
}

bool PortExists(const std::wstring& port)
{
    Key ports, key;
    return OpenPortsKey(KEY_READ, &ports) == ERROR_SUCCESS &&
           RegOpenKeyExW(ports.get(), port.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

LONG CreatePort(const std::wstring& port, DWORD type)
{
    Key monitor;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, monitor.put(), nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    Key key;
    DWORD disposition = 0;
    rc = RegCreateKeyExW(monitor.get(), port.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                         nullptr, key.put(), &disposition);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (disposition == REG_OPENED_EXISTING_KEY)
        return ERROR_ALREADY_EXISTS;
    rc = RegSetValueExW(key.get(), KPMON_W(KPMON_VALUE_TYPE), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type),
                        sizeof type);
    if (rc != ERROR_SUCCESS) {
        // A port without its type would be half made: take it away again.
        key.reset();
        RegDeleteKeyW(monitor.get(), port.c_str());
    }
    return rc;
}

LONG RemovePort(const std::wstring& port)
{
    Key ports;
    LONG rc = OpenPortsKey(KEY_READ | KEY_WRITE, &ports);
    if (rc == ERROR_SUCCESS)
        rc = RegDeleteKeyW(ports.get(), port.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_UNKNOWN_PORT : rc;
}

LONG ReadPortType(const std::wstring& port, DWORD* type)
{
    Key ports, key;
    LONG rc = OpenPortsKey(KEY_READ, &ports);
    if (rc == ERROR_SUCCESS)
        rc = RegOpenKeyExW(ports.get(), port.c_str(), 0, KEY_READ, key.put());
    if (rc == ERROR_FILE_NOT_FOUND)
        return ERROR_UNKNOWN_PORT;
    if (rc != ERROR_SUCCESS)
        return rc;
    DWORD value = 0, valueType = 0, size = sizeof value;
    rc = RegQueryValueExW(key.get(), KPMON_W(KPMON_VALUE_TYPE), nullptr, &valueType, reinterpret_cast<BYTE*>(&value),
                          &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (valueType != REG_DWORD || size != sizeof value)
        return ERROR_INVALID_DATA;
    *type = value;
    return ERROR_SUCCESS;
}

LONG WritePortType(const std::wstring& port, DWORD type)
{
    Key ports, key;
    LONG rc = OpenPortsKey(KEY_READ, &ports);
    if (rc == ERROR_SUCCESS)
        rc = RegOpenKeyExW(ports.get(), port.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND)
        return ERROR_UNKNOWN_PORT;
    if (rc != ERROR_SUCCESS)
        return rc;
    return RegSetValueExW(key.get(), KPMON_W(KPMON_VALUE_TYPE), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type),
                          sizeof type);
}

}  // namespace kpmon
