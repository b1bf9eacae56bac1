// Entry point of setup.exe.
#include <cstdlib>

#include "app/program.h"
#include "app/wizard_app.h"
#include "platform/win.h"

namespace {

// A setup program is often started from a download folder: keep that folder out of
// the DLL search path before anything loads. Both calls are looked up at run time so
// that the program still starts where they do not exist (Windows 2000, XP before SP1).
void HardenDllSearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDllDirectory =
        reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory)
        setDllDirectory("");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (setDefault)
        setDefault(kSearchSystem32);
}

WizardApp theApp;

}  // namespace

// An exception that nothing catches ends the program at once. The run-time library's own
// handler would print the exception's name on a console that a GUI program does not have,
// and brings a name demangler of 45 KB into setup.exe to do so.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    HardenDllSearch();
    return static_cast<int>(RunProgram(theApp, arguments ? arguments : ""));
}
