// The printer model that this driver package is for.
#pragma once

// The model name: the driver's name and the suggested printer name.
extern char g_szDefaultName[];
