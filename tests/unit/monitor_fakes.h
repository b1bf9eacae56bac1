// A faked machine for the port monitor and port list tests: the spooler's monitors and ports,
// the registry, the spooler service, the package's files, the monitor INF, the version
// blocks of files, shell copies, message boxes and the process exit, all through the seam.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/paths.h"
#include "framework/strings.h"
#include "install_fakes.h"
#include "seam_fakes.h"
#include "service_fakes.h"
#include "support/scoped_api.h"

namespace monitorfakes {

using seamfakes::AnswerText;
using seamfakes::Box;
using seamfakes::FillRecords;
using seamfakes::SplitList;

// The sample monitor INF of Windows XP, as the package ships it.
inline std::string MonitorXpInf(const std::vector<std::string>& files)
{
    std::string text =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
        "[PortMonitors]\r\n\"ZRN 7730 Language/Port Monitor\" = ZRNKPMON.Install\r\n\r\n"
        "[SourceDisksFiles]\r\n";
    for (const std::string& f : files)
        text += f + "=1\r\n";
    text += "\r\n; end\r\n";
    return text;
}

struct Copy {
    std::vector<std::string> sources;
    std::string destination;
};

struct Monitor {
    std::string name, dll;
};

struct Port {
    std::string name, monitor;
};

// Registry keys with values; paths compare without regard to case, as the registry does.
class FakeRegistry {
public:
    struct Value {
        DWORD type;
        std::string bytes;
    };

    void AddKey(const std::string& path)
    {
        size_t at = 0;
        while (at != std::string::npos) {
            at = path.find('\\', at + 1);
            std::string prefix = path.substr(0, at);
            if (Find(prefix) < 0)
                keys_.push_back({prefix, {}});
        }
    }
    void SetString(const std::string& path, const std::string& name, const std::string& text)
    {
        SetRaw(path, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
    }
    void SetDword(const std::string& path, const std::string& name, DWORD n)
    {
        SetRaw(path, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&n), sizeof n));
    }
    void SetRaw(const std::string& path, const std::string& name, DWORD type, const std::string& bytes)
    {
        AddKey(path);
        keys_[Find(path)].values[name] = {type, bytes};
    }

    int OpenCount() const { return static_cast<int>(open_.size()); }
    std::vector<REGSAM> accesses;

    void Install(platform::Api& api)
    {
        api.RegOpenKeyExA = [this](HKEY root, LPCSTR sub, DWORD, REGSAM access, PHKEY out) -> LONG {
            accesses.push_back(access);
            std::string base;
            if (root != HKEY_LOCAL_MACHINE) {
                auto it = open_.find(root);
                if (it == open_.end())
                    return ERROR_INVALID_HANDLE;
                base = it->second + "\\";
            }
            std::string path = base + sub;
            if (Find(path) < 0)
                return ERROR_FILE_NOT_FOUND;
            HKEY h = reinterpret_cast<HKEY>(static_cast<uintptr_t>(next_++));
            open_[h] = keys_[Find(path)].path;
            *out = h;
            return ERROR_SUCCESS;
        };
        api.RegCloseKey = [this](HKEY h) -> LONG {
            return open_.erase(h) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
        };
        api.RegQueryInfoKeyA = [this](HKEY h, LPSTR, LPDWORD, LPDWORD, LPDWORD subKeys, LPDWORD, LPDWORD,
                                      LPDWORD, LPDWORD, LPDWORD, LPDWORD, PFILETIME) -> LONG {
            auto it = open_.find(h);
            if (it == open_.end())
                return ERROR_INVALID_HANDLE;
            if (subKeys)
                *subKeys = static_cast<DWORD>(Children(it->second).size());
            return ERROR_SUCCESS;
        };
        api.RegEnumKeyExA = [this](HKEY h, DWORD index, LPSTR name, LPDWORD length, LPDWORD, LPSTR, LPDWORD,
                                   PFILETIME) -> LONG {
            auto it = open_.find(h);
            if (it == open_.end())
                return ERROR_INVALID_HANDLE;
            std::vector<std::string> children = Children(it->second);
            if (index >= children.size())
                return ERROR_NO_MORE_ITEMS;
            const std::string& child = children[index];
            if (*length <= child.size())
                return ERROR_MORE_DATA;
            std::memcpy(name, child.c_str(), child.size() + 1);
            *length = static_cast<DWORD>(child.size());
            return ERROR_SUCCESS;
        };
        api.RegQueryValueExA = [this](HKEY h, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                                      LPDWORD size) -> LONG {
            auto it = open_.find(h);
            if (it == open_.end())
                return ERROR_INVALID_HANDLE;
            const auto& values = keys_[Find(it->second)].values;
            auto v = values.find(valueName);
            if (v == values.end())
                return ERROR_FILE_NOT_FOUND;
            if (type)
                *type = v->second.type;
            DWORD n = static_cast<DWORD>(v->second.bytes.size());
            if (!data) {
                *size = n;
                return ERROR_SUCCESS;
            }
            if (*size < n) {
                *size = n;
                return ERROR_MORE_DATA;
            }
            std::memcpy(data, v->second.bytes.data(), n);
            *size = n;
            return ERROR_SUCCESS;
        };
    }

private:
    struct Key {
        std::string path;
        std::map<std::string, Value> values;
    };

    int Find(const std::string& path) const
    {
        for (size_t i = 0; i < keys_.size(); ++i)
            if (framework::EqualNoCase(keys_[i].path, path))
                return static_cast<int>(i);
        return -1;
    }
    std::vector<std::string> Children(const std::string& path) const
    {
        std::vector<std::string> out;
        for (const Key& k : keys_) {
            if (k.path.size() > path.size() + 1 && framework::EqualNoCase(k.path.substr(0, path.size()), path) &&
                k.path[path.size()] == '\\' && k.path.find('\\', path.size() + 1) == std::string::npos)
                out.push_back(k.path.substr(path.size() + 1));
        }
        return out;
    }

    std::vector<Key> keys_;
    std::map<HKEY, std::string> open_;
    int next_ = 0x100;
};

// The whole faked machine. The package lies in C:\pkg with its kpmonitor sub-directory.
class Machine {
public:
    static constexpr const char* kPackage = "C:\\pkg";
    static constexpr const char* kMonitorDir = "C:\\pkg\\kpmonitor";
    static constexpr const char* kSystemDir = "C:\\windows\\system32";
    static constexpr const char* kMonitorsKey = "System\\CurrentControlSet\\Control\\Print\\Monitors";

    // The spooler.
    std::vector<Monitor> monitors;
    std::vector<Port> ports;
    std::vector<Monitor> addedMonitors;
    std::vector<std::string> portRequests;  // monitor names given to AddPortA
    std::vector<HWND> portOwners;
    DWORD addMonitorError = 0;              // 0: the spooler accepts
    DWORD enumPortsError = 0;               // 0: the port enumeration works
    int portEnumerations = 0;
    std::function<void()> onAddPort;        // what the monitor's dialog does

    // The service manager, with the spooler; its starts and stops are events.
    servicefakes::ServiceManager scm;
    servicefakes::Service& Spooler() { return scm.Add("Spooler"); }

    // Files and directories.
    std::vector<std::string> directories{kPackage, kMonitorDir};  // below kPackage, the only ones
    std::map<std::string, std::string> files;            // full path -> content
    std::map<std::string, std::string> fileVersions;     // full path -> FileVersion
    std::vector<std::string> versionQueries;
    bool versionCountsNul = true;

    DWORD major = 5, minor = 1;

    FakeRegistry registry;
    std::vector<Box> boxes;
    std::deque<int> answers;                 // answers to boxes, IDOK once they run out
    int copyResult = 0;                      // what each shell copy answers (0: done)
    std::vector<Copy> copies;
    std::vector<std::string> events;         // stop, start, copy, add monitor, add port, exit

    explicit Machine(platform::ScopedApi& api) : scm(*api)
    {
        Spooler();
        scm.onCall = [this](const std::string& call) {
            events.push_back(call.substr(0, call.find(" Spooler")) +
                             (call.size() > 8 && call.compare(call.size() - 8, 8, " refused") == 0 ? " refused" : ""));
        };
        files[std::string(kMonitorDir) + "\\monitorxp.inf"] = MonitorXpInf({"ZRNKPMON.DLL", "ZRNKPUI.DLL"});
        registry.AddKey(kMonitorsKey);
        registry.Install(*api);
        InstallSpooler(*api);
        InstallFiles(*api);
        InstallPrinting(*api);
        api->GetVersionExA = [this](LPOSVERSIONINFOA info) {
            info->dwMajorVersion = major;
            info->dwMinorVersion = minor;
            info->dwPlatformId = VER_PLATFORM_WIN32_NT;
            return TRUE;
        };
        api->MessageBoxA = [this](HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
            boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
            events.push_back("box " + boxes.back().text.substr(0, 20));
            if (answers.empty())
                return IDOK;
            int a = answers.front();
            answers.pop_front();
            return a;
        };
        api->SHFileOperationA = [this](LPSHFILEOPSTRUCTA op) {
            std::vector<std::string> to = SplitList(op->pTo);
            copies.push_back({SplitList(op->pFrom), to.empty() ? std::string() : to[0]});
            events.push_back("copy");
            return copyResult;
        };
        api->ExitProcess = [this](UINT code) {
            events.push_back("exit " + std::to_string(code));
            throw platform::ProcessExit(code);
        };
        api->Sleep = [](DWORD) {};
    }

    // A monitor registered by the spooler, with its registry key as the spooler keeps it.
    void Register(const std::string& name, const std::string& dll, const char* version = nullptr)
    {
        monitors.push_back({name, dll});
        std::string key = std::string(kMonitorsKey) + "\\" + name;
        registry.SetString(key, "Driver", dll);
        if (version)
            registry.SetString(key, "Version", version);
    }

    void PackageVersion(const char* version)
    {
        fileVersions[std::string(kMonitorDir) + "\\ZRNKPMON.DLL"] = version;
    }

private:
    void InstallSpooler(platform::Api& api)
    {
        api.EnumMonitorsA = [this](LPSTR server, DWORD level, LPBYTE buf, DWORD size, LPDWORD needed,
                                   LPDWORD count) -> BOOL {
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(level, 2u);
            std::vector<std::vector<std::string>> rows;
            for (const Monitor& m : monitors)
                rows.push_back({m.name, "Windows NT x86", m.dll});
            return FillRecords<MONITOR_INFO_2A>(
                rows,
                [](MONITOR_INFO_2A& r, const std::vector<char*>& s) {
                    r.pName = s[0];
                    r.pEnvironment = s[1];
                    r.pDLLName = s[2];
                },
                buf, size, needed, count);
        };
        api.AddMonitorA = [this](LPSTR server, DWORD level, LPBYTE data) -> BOOL {
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(level, 2u);
            const auto* info = reinterpret_cast<const MONITOR_INFO_2A*>(data);
            EXPECT_EQ(info->pEnvironment, nullptr);
            addedMonitors.push_back({info->pName, info->pDLLName});
            events.push_back(std::string("add monitor ") + info->pName);
            if (addMonitorError) {
                SetLastError(addMonitorError);
                return FALSE;
            }
            Register(info->pName, info->pDLLName);
            return TRUE;
        };
        api.EnumPortsA = [this](LPSTR server, DWORD level, LPBYTE buf, DWORD size, LPDWORD needed,
                                LPDWORD count) -> BOOL {
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(level, 2u);
            if (buf)
                ++portEnumerations;
            if (buf && enumPortsError) {
                SetLastError(enumPortsError);
                return FALSE;
            }
            std::vector<std::vector<std::string>> rows;
            for (const Port& p : ports)
                rows.push_back({p.name, p.monitor, p.name + " port"});
            return FillRecords<PORT_INFO_2A>(
                rows,
                [](PORT_INFO_2A& r, const std::vector<char*>& s) {
                    r.pPortName = s[0];
                    r.pMonitorName = s[1];
                    r.pDescription = s[2];
                },
                buf, size, needed, count);
        };
        api.AddPortA = [this](LPSTR server, HWND owner, LPSTR monitor) -> BOOL {
            EXPECT_EQ(server, nullptr);
            portRequests.emplace_back(monitor);
            portOwners.push_back(owner);
            events.push_back("add port");
            if (onAddPort)
                onAddPort();
            return TRUE;
        };
    }

    bool IsDirectory(const std::string& path) const
    {
        for (const std::string& d : directories)
            if (framework::EqualNoCase(d, path))
                return true;
        return false;
    }

    void InstallFiles(platform::Api& api)
    {
        api.GetSystemDirectoryA = [](LPSTR buffer, UINT size) -> UINT { return AnswerText(kSystemDir, buffer, size); };
        api.GetFullPathNameA = [this](LPCSTR path, DWORD size, LPSTR buffer, LPSTR*) -> DWORD {
            std::string full = path;
            if (full.size() < 2 || full[1] != ':')
                ADD_FAILURE() << "a path relative to the current directory: " << full;
            return AnswerText(full, buffer, size);
        };
        // Below the package only what is there exists; elsewhere (the system's directories)
        // every other path is a directory.
        api.GetFileAttributesA = [this](LPCSTR path) -> DWORD {
            if (files.count(path))
                return FILE_ATTRIBUTE_NORMAL;
            const bool inPackage = framework::EqualNoCase(std::string(path).substr(0, 6), kPackage);
            return IsDirectory(path) || !inPackage ? FILE_ATTRIBUTE_DIRECTORY : INVALID_FILE_ATTRIBUTES;
        };
        api.DeleteFileA = [this](LPCSTR path) { return Allowed("DeleteFileA", path) && files.erase(path); };
        api.MoveFileExA = [this](LPCSTR from, LPCSTR to, DWORD) {
            events.push_back(to ? std::string("move ") + from + " -> " + to : std::string("schedule ") + from);
            if (to)
                files[to] = files[from], files.erase(from);
            return TRUE;
        };
        api.GetTempFileNameA = [this](LPCSTR dir, LPCSTR prefix, UINT, LPSTR name) -> UINT {
            const std::string made = framework::JoinPath(dir, std::string(prefix) + "1.tmp");
            files[made] = "";
            return lstrcpyA(name, made.c_str()) ? 1 : 0;
        };
        api.CreateDirectoryA = [](LPCSTR, LPSECURITY_ATTRIBUTES) { return TRUE; };

        // Files open for reading: the handle is the index of an entry of `reading`, plus one.
        api.CreateFileA = [this](LPCSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                 HANDLE) -> HANDLE {
            std::string full = path;
            if (full.size() < 2 || full[1] != ':')
                ADD_FAILURE() << "a path relative to the current directory: " << full;
            for (const auto& f : files) {
                if (framework::EqualNoCase(f.first, full)) {
                    reading_.push_back({f.second, 0});
                    return reinterpret_cast<HANDLE>(reading_.size());
                }
            }
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        };
        api.ReadFile = [this](HANDLE h, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED) -> BOOL {
            auto& r = reading_.at(reinterpret_cast<uintptr_t>(h) - 1);
            DWORD n = static_cast<DWORD>(std::min<size_t>(size, r.first.size() - r.second));
            std::memcpy(buffer, r.first.data() + r.second, n);
            r.second += n;
            *got = n;
            return TRUE;
        };
        api.CloseHandle = [](HANDLE) { return TRUE; };

        api.GetFileVersionInfoSizeA = [this](LPCSTR path, LPDWORD) -> DWORD {
            versionQueries.emplace_back(path);
            for (const auto& f : fileVersions)
                if (framework::EqualNoCase(f.first, path))
                    return 512;
            return 0;
        };
        api.GetFileVersionInfoA = [this](LPCSTR path, DWORD, DWORD size, LPVOID data) -> BOOL {
            for (const auto& f : fileVersions) {
                if (framework::EqualNoCase(f.first, path)) {
                    std::memset(data, 0, size);
                    std::memcpy(data, f.second.c_str(), std::min<size_t>(size - 1, f.second.size()));
                    return TRUE;
                }
            }
            return FALSE;
        };
        api.VerQueryValueA = [this](LPCVOID block, LPCSTR name, LPVOID* out, PUINT length) -> BOOL {
            EXPECT_STREQ(name, "\\StringFileInfo\\040904b0\\FileVersion");
            const char* text = static_cast<const char*>(block);
            if (!*text)
                return FALSE;  // no such string in the block
            *out = const_cast<char*>(text);
            *length = static_cast<UINT>(std::strlen(text) + (versionCountsNul ? 1 : 0));
            return TRUE;
        };
    }

public:
    // The printing side of the uninstall: printers, drivers (their files by full path), print
    // processors; a deletion fails when `failures` has its call or its object.
    using Rows = std::vector<std::vector<std::string>>;
    Rows printers;    // name, port, driver, print processor
    Rows drivers;     // name, its files, then "" (which ends the list of files)
    Rows processors;  // name
    std::map<std::string, DWORD> failures;

    // A deletion: false with the error when `failures` has the call or the object, else
    // noted in events.
    BOOL Allowed(const std::string& call, const std::string& object)
    {
        for (const std::string& key : {call, object})
            if (failures.count(key))
                return SetLastError(failures[key]), FALSE;
        events.push_back(call + " " + object);
        return TRUE;
    }
    // An allowed deletion also removes what `match` finds in the list.
    template <typename T, typename Match>
    BOOL Delete(const std::string& call, const std::string& object, std::vector<T>& list, Match match)
    {
        if (!Allowed(call, object))
            return FALSE;
        list.erase(std::remove_if(list.begin(), list.end(), match), list.end());
        return TRUE;
    }

private:
    void InstallPrinting(platform::Api& api)
    {
        api.EnumPrintersA = [this](DWORD, LPSTR, DWORD, LPBYTE buf, DWORD size, LPDWORD needed, LPDWORD count) {
            return FillRecords<PRINTER_INFO_2A>(printers, [](PRINTER_INFO_2A& r, const std::vector<char*>& s) {
                r.pPrinterName = s[0], r.pPortName = s[1], r.pDriverName = s[2], r.pPrintProcessor = s[3];
            }, buf, size, needed, count);
        };
        api.EnumPrinterDriversA = [this](LPSTR, LPSTR, DWORD, LPBYTE buf, DWORD size, LPDWORD needed, LPDWORD count) {
            return FillRecords<DRIVER_INFO_3A>(drivers, [](DRIVER_INFO_3A& r, const std::vector<char*>& s) {
                r.pName = s[0], r.pDriverPath = r.pDependentFiles = s[1];
            }, buf, size, needed, count);
        };
        api.EnumPrintProcessorsA = [this](LPSTR, LPSTR, DWORD, LPBYTE buf, DWORD size, LPDWORD needed, LPDWORD count) {
            return FillRecords<PRINTPROCESSOR_INFO_1A>(
                processors, [](PRINTPROCESSOR_INFO_1A& r, const std::vector<char*>& s) { r.pName = s[0]; }, buf, size,
                needed, count);
        };
        // Each handle is used before the next one is opened.
        api.OpenPrinterA = [this](LPSTR name, LPHANDLE h, LPPRINTER_DEFAULTSA) {
            return opened_ = name, *h = this, TRUE;
        };
        api.ClosePrinter = [](HANDLE) { return TRUE; };
        api.DeletePrinter = [this](HANDLE) {
            return Delete("DeletePrinter", opened_, printers, [&](const auto& p) { return p[0] == opened_; });
        };
        api.DeletePrinterDriverExA = [this](LPSTR, LPSTR, LPSTR driver, DWORD, DWORD) {
            return Delete("DeletePrinterDriverExA", driver, drivers, [&](const auto& d) { return d[0] == driver; });
        };
        api.DeletePrintProcessorA = [this](LPSTR, LPSTR, LPSTR processor) {
            return Delete("DeletePrintProcessorA", processor, processors,
                          [&](const auto& p) { return p[0] == processor; });
        };
        api.DeleteMonitorA = [this](LPSTR, LPSTR, LPSTR monitor) {
            return Delete("DeleteMonitorA", monitor, monitors, [&](const Monitor& m) { return m.name == monitor; });
        };
        api.XcvDataW = [this](HANDLE, PCWSTR verb, PBYTE in, DWORD, PBYTE, DWORD, PDWORD, PDWORD status) {
            std::wstring command(verb), port(reinterpret_cast<const wchar_t*>(in));
            std::string call = opened_ + " " + std::string(command.begin(), command.end());
            std::string object(port.begin(), port.end());
            bool deleted = Delete(call, object, ports, [&](const Port& p) { return p.name == object; });
            *status = deleted ? ERROR_SUCCESS : failures[object];
            return TRUE;
        };
        api.GetPrinterDriverDirectoryA = [](LPSTR, LPSTR, DWORD, LPBYTE buf, DWORD size, LPDWORD needed) {
            return installfakes::AnswerDirectory("C:\\spool\\drivers", buf, size, needed);
        };
        api.GetPrintProcessorDirectoryA = [](LPSTR, LPSTR, DWORD, LPBYTE buf, DWORD size, LPDWORD needed) {
            return installfakes::AnswerDirectory("C:\\spool\\prtprocs", buf, size, needed);
        };
        api.SetupUninstallOEMInfA = [this](PCSTR name, DWORD, PVOID) {
            return Allowed("SetupUninstallOEMInfA", name) && files.erase(std::string("C:\\windows\\inf\\") + name);
        };
    }

    std::string opened_;  // the printer of the handle
    std::vector<std::pair<std::string, size_t>> reading_;
};

}  // namespace monitorfakes
