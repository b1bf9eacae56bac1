#include "platform/api.h"

namespace platform {

Api RealApi()
{
    Api a;
#define API(ret, name, params) a.name = ::name;
#include "platform/api_list.inc"
#undef API
    return a;
}

Api& sys()
{
    static Api table = RealApi();
    return table;
}

}  // namespace platform
