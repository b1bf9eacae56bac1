// One stateful service manager for the unit tests, through the seam: services that start
// and stop as asked or by script, the access each handle was opened with, the dependents,
// and the clock that the waits read and the pauses move.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/api.h"

namespace servicefakes {

using Names = std::vector<std::string>;

struct Status {
    DWORD state;
    DWORD exitCode = 0;
};

// The answer to one ControlService call: its error (0 for accepted) and the status it fills.
struct ControlAnswer {
    DWORD error;
    Status status;
};

// One service of the scripted manager. Queries walk through `queries`, repeating the last
// entry; a successful start replaces them with `afterStart`; each stop request takes the
// next entry of `controls` (repeating the last).
struct Service {
    std::deque<Status> queries{{SERVICE_RUNNING}};
    std::deque<Status> afterStart{{SERVICE_RUNNING}};
    std::deque<ControlAnswer> controls{{ERROR_SUCCESS, {SERVICE_STOPPED}}};
    std::deque<Status> afterStop{{SERVICE_STOPPED}};
    DWORD startError = ERROR_SUCCESS;
    DWORD startMs = 0;  // how long StartServiceA blocks on the clock
    DWORD openError = ERROR_SUCCESS;  // OpenServiceA fails with it
    DWORD queryError = ERROR_SUCCESS;
    bool queryErrorAfterStop = false;
};

// The service manager's clock (GetTickCount): the pauses and the starts that block move it.
// Each handle grants the access it was opened with, and a call that needs another right is
// refused as Windows refuses it; a user without an administrator's rights is granted less.
class ServiceManager {
public:
    explicit ServiceManager(platform::Api& api)
    {
        api.OpenSCManagerA = [this](LPCSTR machine, LPCSTR database, DWORD access) -> SC_HANDLE {
            EXPECT_EQ(machine, nullptr);
            EXPECT_TRUE(!database || std::string(database) == SERVICES_ACTIVE_DATABASEA);
            if (managerError || (access & ~managerGrant)) {
                SetLastError(managerError ? managerError : ERROR_ACCESS_DENIED);
                return nullptr;
            }
            return NewHandle("(manager)", access);
        };
        api.OpenServiceA = [this](SC_HANDLE manager, LPCSTR name, DWORD access) -> SC_HANDLE {
            EXPECT_EQ(names.at(manager), "(manager)");
            if (!services.count(name) || services.at(name).openError) {
                SetLastError(services.count(name) ? services.at(name).openError : ERROR_SERVICE_DOES_NOT_EXIST);
                return nullptr;
            }
            if (access & ~serviceGrant) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            return NewHandle(name, access);
        };
        api.CloseServiceHandle = [this](SC_HANDLE h) {
            EXPECT_EQ(names.count(h), 1u);
            names.erase(h);
            SetLastError(ERROR_INVALID_HANDLE);  // must not replace an error still to be told
            return TRUE;
        };
        api.GetTickCount = [this] { return clock; };
        api.QueryServiceStatus = [this](SC_HANDLE h, LPSERVICE_STATUS out) {
            if (!Granted(h, SERVICE_QUERY_STATUS))
                return FALSE;
            Service& s = services.at(names.at(h));
            if (s.queryError) {
                SetLastError(s.queryError);
                return FALSE;
            }
            Fill(out, Next(s.queries));
            return TRUE;
        };
        api.StartServiceA = [this](SC_HANDLE h, DWORD argc, LPCSTR* argv) {
            EXPECT_EQ(argc, 0u);
            EXPECT_EQ(argv, nullptr);
            if (!Granted(h, SERVICE_START))
                return FALSE;
            const std::string& name = names.at(h);
            Service& s = services.at(name);
            clock += s.startMs;
            Call("start " + name, s.startError != ERROR_SUCCESS);
            if (s.startError) {
                SetLastError(s.startError);
                return FALSE;
            }
            s.queries = s.afterStart;
            return TRUE;
        };
        api.ControlService = [this](SC_HANDLE h, DWORD control, LPSERVICE_STATUS out) {
            EXPECT_EQ(control, static_cast<DWORD>(SERVICE_CONTROL_STOP));
            if (!Granted(h, SERVICE_STOP))
                return FALSE;
            const std::string& name = names.at(h);
            Service& s = services.at(name);
            ControlAnswer a = Next(s.controls);
            Fill(out, a.status);
            Call("stop " + name, a.error != ERROR_SUCCESS);
            if (a.error == ERROR_SUCCESS) {
                s.queries = s.afterStop;
                if (s.queryErrorAfterStop)
                    s.queryError = ERROR_INVALID_HANDLE;
                return TRUE;
            }
            SetLastError(a.error);
            return FALSE;
        };
        api.EnumDependentServicesA = [this](SC_HANDLE h, DWORD state, LPENUM_SERVICE_STATUSA buffer, DWORD size,
                                             LPDWORD needed, LPDWORD returned) {
            EXPECT_EQ(names.at(h), "Spooler");
            EXPECT_EQ(state, static_cast<DWORD>(SERVICE_ACTIVE));
            if (!Granted(h, SERVICE_ENUMERATE_DEPENDENTS))
                return FALSE;
            return Enumerate(buffer, size, needed, returned);
        };
        api.Sleep = [this](DWORD ms) {
            sleeps.push_back(ms);
            clock += ms;
        };
    }

    Service& Add(const std::string& name) { return services[name]; }

    // True when the service's next status query would say it runs.
    bool Running(const std::string& name) const
    {
        auto s = services.find(name);
        return s != services.end() && s->second.queries.front().state == SERVICE_RUNNING;
    }

    // What a user without an administrator's rights may open.
    void AsUser()
    {
        managerGrant = SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE;
        serviceGrant = SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG | SERVICE_ENUMERATE_DEPENDENTS | SERVICE_INTERROGATE;
    }

    std::map<std::string, Service> services;
    Names dependents;          // what the enumeration lists
    DWORD enumError = 0;       // the size probe fails with this (instead of ERROR_MORE_DATA)
    DWORD enumSecondError = 0; // the second call fails with this
    DWORD managerError = 0;
    DWORD managerGrant = SC_MANAGER_ALL_ACCESS;
    DWORD serviceGrant = SERVICE_ALL_ACCESS;
    DWORD clock = 0;

    std::map<SC_HANDLE, std::string> names;  // open handles
    Names calls;  // "start X", "stop X", refused or not
    // Told each call as it is made, with " refused" after a refused one.
    std::function<void(const std::string&)> onCall;
    std::vector<DWORD> sleeps;
    int enumCalls = 0;

private:
    void Call(const std::string& text, bool refused)
    {
        calls.push_back(text);
        if (onCall)
            onCall(refused ? text + " refused" : text);
    }

    SC_HANDLE NewHandle(const std::string& name, DWORD access)
    {
        SC_HANDLE h = reinterpret_cast<SC_HANDLE>(++next_ * 16);
        names[h] = name;
        rights[h] = access;
        return h;
    }

    bool Granted(SC_HANDLE h, DWORD right)
    {
        if (rights[h] & right)
            return true;
        ADD_FAILURE() << names.at(h) << " was opened without the access its call needs";
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    std::map<SC_HANDLE, DWORD> rights;

    template <typename T>
    static T Next(std::deque<T>& q)
    {
        T v = q.front();
        if (q.size() > 1)
            q.pop_front();
        return v;
    }

    static void Fill(LPSERVICE_STATUS out, const Status& s)
    {
        std::memset(out, 0, sizeof *out);
        out->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        out->dwCurrentState = s.state;
        out->dwWin32ExitCode = s.exitCode;
    }

    BOOL Enumerate(LPENUM_SERVICE_STATUSA buffer, DWORD size, LPDWORD needed, LPDWORD returned)
    {
        ++enumCalls;
        *returned = 0;
        DWORD total = static_cast<DWORD>(dependents.size() * sizeof(ENUM_SERVICE_STATUSA));
        for (const std::string& n : dependents)
            total += static_cast<DWORD>(n.size() + 1);
        if (enumError) {
            SetLastError(enumError);
            return FALSE;
        }
        if (dependents.empty()) {
            *needed = 0;
            return TRUE;
        }
        if (!buffer || size < total) {
            EXPECT_EQ(buffer, nullptr);  // the size probe
            EXPECT_EQ(size, 0u);
            *needed = total;
            SetLastError(ERROR_MORE_DATA);
            return FALSE;
        }
        EXPECT_EQ(size, total);
        if (enumSecondError) {
            SetLastError(enumSecondError);
            return FALSE;
        }
        char* strings = reinterpret_cast<char*>(buffer + dependents.size());
        for (size_t i = 0; i < dependents.size(); ++i) {
            std::memcpy(strings, dependents[i].c_str(), dependents[i].size() + 1);
            buffer[i].lpServiceName = strings;
            buffer[i].lpDisplayName = strings;
            buffer[i].ServiceStatus.dwCurrentState = SERVICE_RUNNING;
            strings += dependents[i].size() + 1;
        }
        *returned = static_cast<DWORD>(dependents.size());
        return TRUE;
    }

    uintptr_t next_ = 0;
};

}  // namespace servicefakes
