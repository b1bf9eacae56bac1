// Whether the user may install: the administrator check.
#pragma once
#include "platform/win.h"

// True when the calling thread's token is granted read access through a security descriptor
// that grants access to one alias of the built-in domain only (the program passes
// DOMAIN_ALIAS_RID_ADMINS, 544: the local Administrators group).
BOOL IsAdministrator(DWORD aliasRid);
