#include "platform/api.h"

#include <string>

namespace platform {

namespace {

// A function of a library that the first page does not need: the library is loaded when the
// function is first called, so that it costs the start nothing. A missing library or
// function (Windows 2000 lacks some of SetupAPI's) fails the call with
// ERROR_CALL_NOT_IMPLEMENTED. A library of the system directory is loaded by its full path;
// one of the side-by-side store (the common controls 6 that the manifest asks for) by its
// name, which the manifest's activation context resolves.
template <typename Signature>
struct Loaded;

template <typename Ret, typename... Args>
struct Loaded<Ret(Args...)> {
    using Fn = Ret(WINAPI*)(Args...);

    static std::function<Ret(Args...)> Bind(const char* library, const char* name, bool sideBySide)
    {
        return [library, name, sideBySide, fn = Fn(nullptr)](Args... args) mutable -> Ret {
            if (!fn) {
                // Never a library of the same name beside setup.exe, which may stand in a
                // download folder: the system directory's by its full path, or the manifest's.
                std::string path = library;
                char system[MAX_PATH] = {};
                const UINT n = sideBySide ? 0 : GetSystemDirectoryA(system, MAX_PATH);
                if (n > 0 && n < MAX_PATH)
                    path = std::string(system, n) + "\\" + library;
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
#define API_IN(library, ret, name, params) a.name = Loaded<ret params>::Bind(library, #name, false);
#define API_SXS(library, ret, name, params) a.name = Loaded<ret params>::Bind(library, #name, true);
#include "platform/api_list.inc"
#undef API_SXS
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
