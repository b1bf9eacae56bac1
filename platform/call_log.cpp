#include "platform/call_log.h"

#include <cstring>
#include <map>
#include <memory>

#include "platform/api.h"

namespace platform {

namespace {

std::string Text(const char* s) { return s ? s : "(null)"; }

std::string Narrow(const wchar_t* s)
{
    std::string out;
    for (; s && *s; ++s)
        out += *s < 128 ? static_cast<char>(*s) : '?';
    return out;
}

// The names of a list of NUL-separated strings ending in an empty one.
std::string MultiString(const char* list)
{
    std::string out;
    for (const char* p = list; p && *p; p += strlen(p) + 1)
        out += (out.empty() ? "" : "; ") + std::string(p);
    return out;
}

// Replaces one entry with a wrapper that calls it, then tells the observer. describe gives
// the text of the call from its arguments; outcome gives whether it worked and the error.
template <typename R, typename... A, typename Describe, typename Outcome>
void Watch(std::shared_ptr<CallObserver> observer, std::function<R(A...)>& entry, const char* name,
           Describe describe, Outcome outcome)
{
    std::function<R(A...)> real = entry;
    entry = [=](A... args) -> R {
        R result = real(args...);
        DWORD error = sys().GetLastError();
        std::pair<bool, DWORD> o = outcome(result, error, args...);
        (*observer)(std::string(name) + " " + describe(args...), o.first, o.second);
        sys().SetLastError(error);
        return result;
    };
}

// Most calls: non-zero is success, the last error tells why not.
auto ByResult = [](auto result, DWORD error, auto&&...) { return std::make_pair(result != 0, error); };

using Observer = std::shared_ptr<CallObserver>;
using NameOf = std::function<std::string(void*)>;

void WatchServicesAndFiles(const Observer& observer, Api& api, const NameOf& nameOf)
{
    Watch(observer, api.StartServiceA, "StartServiceA", [=](SC_HANDLE h, DWORD, LPCSTR*) { return nameOf(h); },
          ByResult);
    Watch(observer, api.ControlService, "ControlService",
          [=](SC_HANDLE h, DWORD code, LPSERVICE_STATUS) {
              return nameOf(h) + (code == SERVICE_CONTROL_STOP ? ", stop" : ", control " + std::to_string(code));
          },
          ByResult);
    Watch(observer, api.CopyFileA, "CopyFileA",
          [](LPCSTR from, LPCSTR to, BOOL) { return Text(from) + " -> " + Text(to); }, ByResult);
    Watch(observer, api.MoveFileExA, "MoveFileExA",
          [](LPCSTR from, LPCSTR to, DWORD flags) {
              return Text(from) + " -> " + (to ? to : "(deleted)") +
                     (flags & MOVEFILE_DELAY_UNTIL_REBOOT ? " when Windows next starts" : "");
          },
          ByResult);
    Watch(observer, api.DeleteFileA, "DeleteFileA", [](LPCSTR path) { return Text(path); }, ByResult);
    Watch(observer, api.SetFileAttributesA, "SetFileAttributesA",
          [](LPCSTR path, DWORD attributes) { return Text(path) + ", attributes " + std::to_string(attributes); },
          ByResult);
    // Made with a unique number of 0, the name is a new empty file: its name is in the buffer.
    Watch(observer, api.GetTempFileNameA, "GetTempFileNameA",
          [](LPCSTR, LPCSTR, UINT, LPSTR name) { return Text(name); }, ByResult);
    Watch(observer, api.CreateDirectoryA, "CreateDirectoryA",
          [](LPCSTR path, LPSECURITY_ATTRIBUTES) { return Text(path); }, ByResult);
    Watch(observer, api.SHFileOperationA, "SHFileOperationA",
          [](LPSHFILEOPSTRUCTA op) {
              return std::string(op && op->wFunc == FO_COPY ? "copy " : "operation ") +
                     MultiString(op ? op->pFrom : nullptr) + " -> " + MultiString(op ? op->pTo : nullptr);
          },
          [](int result, DWORD, LPSHFILEOPSTRUCTA op) {
              bool aborted = op && op->fAnyOperationsAborted;
              return std::make_pair(result == 0 && !aborted,
                                    static_cast<DWORD>(result != 0 ? result : ERROR_CANCELLED));
          });
}

void WatchSpooler(const Observer& observer, Api& api, const NameOf& nameOf)
{
    Watch(observer, api.AddMonitorA, "AddMonitorA",
          [](LPSTR, DWORD level, LPBYTE info) {
              const auto* m = reinterpret_cast<const MONITOR_INFO_2A*>(info);
              return level == 2 && m ? Text(m->pName) + ", " + Text(m->pDLLName) : std::string("level ") +
                                                                                     std::to_string(level);
          },
          ByResult);
    Watch(observer, api.DeleteMonitorA, "DeleteMonitorA", [](LPSTR, LPSTR, LPSTR name) { return Text(name); },
          ByResult);
    Watch(observer, api.AddPortA, "AddPortA", [](LPSTR, HWND, LPSTR monitor) { return Text(monitor); },
          ByResult);
    Watch(observer, api.XcvDataW, "XcvDataW",
          [=](HANDLE h, PCWSTR command, PBYTE input, DWORD size, PBYTE, DWORD, PDWORD, PDWORD) {
              std::wstring in;
              if (input && size >= sizeof(wchar_t))
                  in.assign(reinterpret_cast<const wchar_t*>(input), size / sizeof(wchar_t));
              return nameOf(h) + ", " + Narrow(command) + " " + Narrow(in.c_str());
          },
          [](BOOL result, DWORD error, HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD status) {
              DWORD code = status ? *status : ERROR_SUCCESS;
              return result ? std::make_pair(code == ERROR_SUCCESS, code) : std::make_pair(false, error);
          });
    Watch(observer, api.AddPrintProcessorA, "AddPrintProcessorA",
          [](LPSTR, LPSTR, LPSTR file, LPSTR name) { return Text(name) + ", " + Text(file); }, ByResult);
    Watch(observer, api.DeletePrintProcessorA, "DeletePrintProcessorA",
          [](LPSTR, LPSTR, LPSTR name) { return Text(name); }, ByResult);
    Watch(observer, api.AddPrinterDriverExA, "AddPrinterDriverExA",
          [](LPSTR, DWORD level, LPBYTE info, DWORD) {
              const auto* d = reinterpret_cast<const DRIVER_INFO_3A*>(info);
              return level == 3 && d ? Text(d->pName) : std::string("level ") + std::to_string(level);
          },
          ByResult);
    Watch(observer, api.DeletePrinterDriverExA, "DeletePrinterDriverExA",
          [](LPSTR, LPSTR, LPSTR name, DWORD, DWORD) { return Text(name); }, ByResult);
    Watch(observer, api.AddPrinterA, "AddPrinterA",
          [](LPSTR, DWORD level, LPBYTE info) {
              const auto* p = reinterpret_cast<const PRINTER_INFO_2A*>(info);
              return level == 2 && p ? Text(p->pPrinterName) + " on " + Text(p->pPortName) + ", driver " +
                                           Text(p->pDriverName)
                                     : std::string("level ") + std::to_string(level);
          },
          ByResult);
    Watch(observer, api.DeletePrinter, "DeletePrinter", [=](HANDLE h) { return nameOf(h); }, ByResult);
    Watch(observer, api.SetPrinterA, "SetPrinterA",
          [=](HANDLE h, DWORD level, LPBYTE info, DWORD) {
              const auto* p = reinterpret_cast<const PRINTER_INFO_2A*>(info);
              return nameOf(h) + (level == 2 && p && p->pShareName ? ", share " + Text(p->pShareName) : std::string());
          },
          ByResult);
    Watch(observer, api.SetDefaultPrinterA, "SetDefaultPrinterA", [](LPCSTR name) { return Text(name); }, ByResult);
    Watch(observer, api.SetupCopyOEMInfA, "SetupCopyOEMInfA",
          [](PCSTR source, PCSTR, DWORD, DWORD, PSTR, DWORD, PDWORD, PSTR*) { return Text(source); }, ByResult);
    Watch(observer, api.SetupUninstallOEMInfA, "SetupUninstallOEMInfA",
          [](PCSTR name, DWORD, PVOID) { return Text(name); }, ByResult);
    // Registry calls answer with the error itself.
    auto byStatus = [](LONG status, DWORD, auto&&...) { return std::make_pair(status == ERROR_SUCCESS, DWORD(status)); };
    Watch(observer, api.RegCreateKeyExA, "RegCreateKeyExA",
          [](HKEY, LPCSTR key, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD) { return Text(key); },
          byStatus);
    Watch(observer, api.RegSetValueExA, "RegSetValueExA",
          [](HKEY, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD) {
              return Text(name) + (type == REG_SZ && data ? " = " + Text(reinterpret_cast<const char*>(data)) : "");
          },
          byStatus);
    Watch(observer, api.RegDeleteKeyA, "RegDeleteKeyA", [](HKEY, LPCSTR key) { return Text(key); }, byStatus);
}

}  // namespace

void ObserveMachineChanges(CallObserver callback)
{
    auto observer = std::make_shared<CallObserver>(std::move(callback));
    Api& api = sys();
    // Service and printer handles are told by name: the opens are noted, not reported.
    auto names = std::make_shared<std::map<void*, std::string>>();
    {
        auto open = api.OpenServiceA;
        api.OpenServiceA = [open, names](SC_HANDLE manager, LPCSTR name, DWORD access) {
            SC_HANDLE h = open(manager, name, access);
            if (h)
                (*names)[h] = Text(name);
            return h;
        };
        auto openPrinter = api.OpenPrinterA;
        api.OpenPrinterA = [openPrinter, names](LPSTR name, LPHANDLE h, LPPRINTER_DEFAULTSA defaults) {
            BOOL ok = openPrinter(name, h, defaults);
            if (ok && h)
                (*names)[*h] = Text(name);
            return ok;
        };
    }
    NameOf nameOf = [names](void* h) {
        auto it = names->find(h);
        return it == names->end() ? std::string("(handle)") : it->second;
    };
    WatchServicesAndFiles(observer, api, nameOf);
    WatchSpooler(observer, api, nameOf);
}

}  // namespace platform
