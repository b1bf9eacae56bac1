#include "platform/api.h"

namespace platform {

namespace {

// A function that Windows 2000 lacks, looked up when it is called so that the program still
// starts there; without it the call fails with ERROR_CALL_NOT_IMPLEMENTED.
template <typename Fn>
Fn LateBound(const char* module, const char* name)
{
    HMODULE h = GetModuleHandleA(module);
    return h ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h, name))) : nullptr;
}

}  // namespace

// Windows XP and later. Found by the entry list's unqualified lookup before the system's.
BOOL WINAPI SetupUninstallOEMInfA(PCSTR infName, DWORD flags, PVOID reserved)
{
    using Fn = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);
    static const Fn real = LateBound<Fn>("setupapi.dll", "SetupUninstallOEMInfA");
    if (!real) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return real(infName, flags, reserved);
}

// Windows XP and later; on Windows 2000 nothing of SetupAPI needs to be kept from asking.
BOOL WINAPI SetupSetNonInteractiveMode(BOOL nonInteractive)
{
    using Fn = BOOL(WINAPI*)(BOOL);
    static const Fn real = LateBound<Fn>("setupapi.dll", "SetupSetNonInteractiveMode");
    if (!real) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return real(nonInteractive);
}

Api RealApi()
{
    Api a;
#define API(ret, name, params) a.name = name;
#include "platform/api_list.inc"
#undef API
    return a;
}

Api& sys()
{
    static Api table = RealApi();
    return table;
}

}  // namespace platform
