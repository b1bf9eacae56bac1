#include "install/exit_codes.h"

#include "platform/api.h"

void ExitWith(ExitCode code)
{
    sys().ExitProcess(static_cast<UINT>(code));
}
