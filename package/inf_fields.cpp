#include "package/inf_fields.h"

#include <vector>

#include "framework/strings.h"
#include "platform/api.h"

namespace inffields {

namespace {

// A buffer of a name field, with room for one more NUL than SetupAPI is told of.
struct NameBuffer {
    char text[framework::kMaxText + 2] = {};
    static constexpr DWORD kSize = framework::kMaxText + 1;
};

const char kPrinterClassGuid[] = "{4D36E979-E325-11CE-BFC1-08002BE10318}";

}  // namespace

std::string ShortField(PINFCONTEXT ctx, DWORD index, bool* tooLong)
{
    NameBuffer buf;
    if (sys().SetupGetStringFieldA(ctx, index, buf.text, NameBuffer::kSize, nullptr))
        return buf.text;
    DWORD needed = 0;
    if (tooLong && sys().SetupGetStringFieldA(ctx, index, nullptr, 0, &needed) && needed > NameBuffer::kSize)
        *tooLong = true;
    return {};
}

std::string WholeField(PINFCONTEXT ctx, DWORD index)
{
    NameBuffer buf;
    if (sys().SetupGetStringFieldA(ctx, index, buf.text, NameBuffer::kSize, nullptr))
        return buf.text;
    DWORD needed = 0;
    if (!sys().SetupGetStringFieldA(ctx, index, nullptr, 0, &needed) || needed == 0)
        return {};
    std::vector<char> whole(static_cast<size_t>(needed) + 1, '\0');
    if (!sys().SetupGetStringFieldA(ctx, index, whole.data(), needed, nullptr))
        return {};
    return whole.data();
}

std::string LineText(PINFCONTEXT ctx)
{
    NameBuffer buf;
    if (sys().SetupGetLineTextA(ctx, nullptr, nullptr, nullptr, buf.text, NameBuffer::kSize, nullptr))
        return buf.text;
    DWORD needed = 0;
    if (!sys().SetupGetLineTextA(ctx, nullptr, nullptr, nullptr, nullptr, 0, &needed) || needed == 0)
        return {};
    std::vector<char> whole(static_cast<size_t>(needed) + 1, '\0');
    if (!sys().SetupGetLineTextA(ctx, nullptr, nullptr, nullptr, whole.data(), needed, nullptr))
        return {};
    return whole.data();
}

bool HasClass(HINF inf, const std::string& infClass)
{
    INFCONTEXT ctx;
    if (sys().SetupFindFirstLineA(inf, "Version", "Class", &ctx))
        return framework::EqualNoCase(WholeField(&ctx, 1), infClass);
    // Without a Class line SetupAPI goes by the class GUID; the Printer class has a fixed one.
    if (sys().SetupFindFirstLineA(inf, "Version", "ClassGUID", &ctx))
        return framework::EqualNoCase(infClass, "Printer") &&
               framework::EqualNoCase(WholeField(&ctx, 1), kPrinterClassGuid);
    return false;
}

}  // namespace inffields
