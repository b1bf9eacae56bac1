// The seam between the program and the platform.
//
// Every platform call of the program goes through sys(): a table of std::function
// entries, each bound to the real Win32 function. Tests replace entries for their
// own duration (see tests/support/scoped_api.h); the product never does.
#pragma once
#include <functional>

#include "platform/win.h"

namespace platform {

struct Api {
#define API(ret, name, params) std::function<ret params> name;
#define API_IN(library, ret, name, params) API(ret, name, params)
#define API_SXS(library, ret, name, params) API(ret, name, params)
#include "platform/api_list.inc"
#undef API_SXS
#undef API_IN
#undef API
};

// The table bound to the real functions.
Api RealApi();

// The table in use.
Api& sys();

}  // namespace platform

using platform::sys;
