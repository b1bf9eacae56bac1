// The printer model that this driver package is for, and the Windows it runs on.
#pragma once
#include "package/printer_model.h"
#include "platform/win.h"

// True for the Windows the package is made for: Windows NT 5.x (2000, XP, Server 2003, XP x64).
bool IsSupportedWindows(const OSVERSIONINFOA& version);
