// Fails one chosen call among those that change the machine, and counts them all: a sweep
// fails each in turn to prove what a run makes of every failure.
#pragma once
#include <functional>
#include <string>

#include "support/scoped_api.h"

namespace testfaults {

class MachineFaults {
public:
    // The call numbered failAt (from 1, in the order made) fails with access denied; 0: none.
    explicit MachineFaults(int failAt) : failAt_(failAt)
    {
        platform::Api& a = *api_;
        Gate(a.StartServiceA, "StartServiceA", FALSE);
        Gate(a.ControlService, "ControlService", FALSE);
        Gate(a.CopyFileA, "CopyFileA", FALSE);
        Gate(a.MoveFileExA, "MoveFileExA", FALSE);
        Gate(a.DeleteFileA, "DeleteFileA", FALSE);
        Gate(a.CreateDirectoryA, "CreateDirectoryA", FALSE);
        Gate(a.SetFileAttributesA, "SetFileAttributesA", FALSE);
        Gate(a.GetTempFileNameA, "GetTempFileNameA", 0u);
        Gate(a.SHFileOperationA, "SHFileOperationA", int(ERROR_ACCESS_DENIED));
        Gate(a.AddMonitorA, "AddMonitorA", FALSE);
        Gate(a.DeleteMonitorA, "DeleteMonitorA", FALSE);
        Gate(a.AddPortA, "AddPortA", FALSE);
        Gate(a.XcvDataW, "XcvDataW", FALSE);
        Gate(a.AddPrintProcessorA, "AddPrintProcessorA", FALSE);
        Gate(a.DeletePrintProcessorA, "DeletePrintProcessorA", FALSE);
        Gate(a.AddPrinterDriverExA, "AddPrinterDriverExA", FALSE);
        Gate(a.DeletePrinterDriverExA, "DeletePrinterDriverExA", FALSE);
        Gate(a.AddPrinterA, "AddPrinterA", HANDLE(nullptr));
        Gate(a.DeletePrinter, "DeletePrinter", FALSE);
        Gate(a.SetPrinterA, "SetPrinterA", FALSE);
        Gate(a.SetDefaultPrinterA, "SetDefaultPrinterA", FALSE);
        Gate(a.SetupCopyOEMInfA, "SetupCopyOEMInfA", FALSE);
        Gate(a.SetupUninstallOEMInfA, "SetupUninstallOEMInfA", FALSE);
        Gate(a.RegCreateKeyExA, "RegCreateKeyExA", LONG(ERROR_ACCESS_DENIED));
        Gate(a.RegSetValueExA, "RegSetValueExA", LONG(ERROR_ACCESS_DENIED));
        Gate(a.RegDeleteKeyA, "RegDeleteKeyA", LONG(ERROR_ACCESS_DENIED));
    }

    int Count() const { return count_; }
    // The name of the call that was failed; "" when none was.
    const std::string& Failed() const { return failed_; }

private:
    template <typename R, typename... A>
    void Gate(std::function<R(A...)>& entry, const char* name, R failure)
    {
        std::function<R(A...)> real = entry;
        entry = [this, real, name, failure](A... args) -> R {
            if (++count_ != failAt_)
                return real(args...);
            failed_ = name;
            SetLastError(ERROR_ACCESS_DENIED);
            return failure;
        };
    }

    platform::ScopedApi api_;
    int failAt_;
    int count_ = 0;
    std::string failed_;
};

}  // namespace testfaults
