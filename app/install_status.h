// How the wizard's installation went: the values of WizardApp::InstallStatus, which stays 0
// while nothing went wrong.
#pragma once

enum InstallStatusValue {
    INSTALL_NOT_ALLOWED = -4,   // wrong platform or not an administrator
    INSTALL_DRIVER_FAILED = -3,
    INSTALL_CANCELLED = -2,     // cancelled, or the port monitor step refused
    INSTALL_PRINTER_FAILED = -1,
};
