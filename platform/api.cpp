#include "platform/api.h"

#include <string>

namespace platform {

namespace {

// A function of a library that the first page does not need: the library is loaded when the
// function is first called, so that it costs the start nothing. A missing library or
// function (Windows 2000 lacks some of SetupAPI's) fails the call with
// ERROR_CALL_NOT_IMPLEMENTED.
template <typename Signature>
struct Loaded;

template <typename Ret, typename... Args>
struct Loaded<Ret(Args...)> {
    using Fn = Ret(WINAPI*)(Args...);

    static std::function<Ret(Args...)> Bind(const char* library, const char* name)
    {
        return [library, name, fn = Fn(nullptr)](Args... args) mutable -> Ret {
            if (!fn) {
                // From the system directory by its full path: never a library of the same name
                // beside setup.exe, which may stand in a download folder.
                char system[MAX_PATH] = {};
                const UINT n = GetSystemDirectoryA(system, MAX_PATH);
                const std::string path = n > 0 && n < MAX_PATH ? std::string(system, n) + "\\" + library : library;
                HMODULE module = LoadLibraryA(path.c_str());
                if (module)
                    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
                if (!fn) {
                    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
                    return Ret();
                }
            }
            return fn(args...);
        };
    }
};

}  // namespace

Api RealApi()
{
    Api a;
#define API(ret, name, params) a.name = name;
#define API_IN(library, ret, name, params) a.name = Loaded<ret params>::Bind(library, #name);
#include "platform/api_list.inc"
#undef API_IN
#undef API
    return a;
}

Api& sys()
{
    static Api table = RealApi();
    return table;
}

}  // namespace platform
