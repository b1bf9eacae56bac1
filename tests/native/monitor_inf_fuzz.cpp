// libFuzzer target for the monitor INF text scan. The first byte picks the minor
// version (5.0, 5.1, 5.2), the rest is the file's text.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "monitor_inf_invariants.h"
#include "package/monitor_inf_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    unsigned minor = data[0] % 3;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    monitorinf::ScanResult r = monitorinf::ScanMonitorInfText(text, 5, minor);
    std::string why;
    if (!monitorinf_cases::HoldsInvariants(text, r, &why)) {
        std::fprintf(stderr, "invariant broken: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
