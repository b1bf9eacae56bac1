// The process-wide record of how an installation went.
#pragma once

enum InstallStatusValue {
    INSTALL_NOT_ALLOWED = -4,   // wrong platform or not an administrator
    INSTALL_DRIVER_FAILED = -3,
    INSTALL_CANCELLED = -2,     // cancelled, or the port monitor step refused
    INSTALL_PRINTER_FAILED = -1,
};

extern int InstallStatus;  // 0 at process start; written, never cleared
