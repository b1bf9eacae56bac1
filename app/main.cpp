// Entry point of setup.exe.
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

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    HardenDllSearch();
    return static_cast<int>(RunProgram(theApp, arguments ? arguments : ""));
}
