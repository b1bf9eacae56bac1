#include "package/model.h"

char g_szDefaultName[] = "ZRN 7730";
