// Entry points of the ZRN 7730 sample port monitor: DllMain, InitializePrintMonitor2, Shutdown.
//
// The monitor keeps its ports in the registry and writes every printed job to a file per port
// (see sample/kpmonitor_shared.h). Adding, configuring and deleting ports with dialogs is the
// work of its user interface, ZRNKPUI.DLL, which the spooler finds through the Xcv command
// "MonitorUI"; the MONITOR2 table therefore has no AddPort, ConfigurePort or DeletePort.
#include "sample/monitor/kpmon.h"

#include <new>

namespace kpmon {

HINSTANCE g_module = nullptr;

namespace {

// The handle that InitializePrintMonitor2 hands out; the spooler gives it back to Shutdown.
struct MonitorInstance {
    DWORD magic;
};
const DWORD kMonitorMagic = 0x4E4F4D4B;  // "KMON"

VOID WINAPI Shutdown(HANDLE monitor)
{
    auto* instance = static_cast<MonitorInstance*>(monitor);
    if (instance && instance->magic == kMonitorMagic) {
        instance->magic = 0;
        delete instance;
    }
}

MONITOR2 MakeMonitorTable()
{
    MONITOR2 m;
    ZeroMemory(&m, sizeof m);
    m.cbSize = sizeof m;
    m.pfnEnumPorts = EnumPorts;
    m.pfnOpenPort = OpenPort;
    m.pfnStartDocPort = StartDocPort;
    m.pfnWritePort = WritePort;
    m.pfnEndDocPort = EndDocPort;
    m.pfnClosePort = ClosePort;
    m.pfnXcvOpenPort = XcvOpenPort;
    m.pfnXcvDataPort = XcvDataPort;
    m.pfnXcvClosePort = XcvClosePort;
    m.pfnShutdown = Shutdown;
    return m;
}

MONITOR2 g_table = MakeMonitorTable();

}  // namespace
}  // namespace kpmon

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        kpmon::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// The spooler passes its registry root for the monitor; some spoolers close it (or hand out a
// handle that only pMonitorReg understands) once initialisation is over, so the monitor opens
// its keys by their full path under HKEY_LOCAL_MACHINE whenever it needs them.
extern "C" __declspec(dllexport) LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor)
{
    if (!init || !monitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    *monitor = nullptr;
    if (!init->bLocal) {
        // Cluster spoolers are not supported by the sample.
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    kpmon::RecordMonitorKey();
    auto* instance = new (std::nothrow) kpmon::MonitorInstance{kpmon::kMonitorMagic};
    if (!instance) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    *monitor = instance;
    return &kpmon::g_table;
}
