// The spooler's enumerations, read with a size probe: one call to learn the size, then one
// into a buffer of that size.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

// call(buffer, size, &needed, &count) is one enumeration call; take(record) sees each
// record. False when the spooler cannot give the list.
template <typename Record, typename Call, typename Take>
bool ReadSpoolerList(Call call, Take take)
{
    DWORD needed = 0;
    DWORD count = 0;
    if (call(nullptr, 0, &needed, &count) && needed == 0)
        return true;  // nothing to list
    if (needed == 0)
        return false;
    std::vector<BYTE> buffer(needed);
    count = 0;
    if (!call(buffer.data(), needed, &needed, &count))
        return false;
    const auto* records = reinterpret_cast<const Record*>(buffer.data());
    for (DWORD i = 0; i < count && i < buffer.size() / sizeof(Record); ++i)
        take(records[i]);
    return true;
}

// A field of a spooler record, "" for none.
inline std::string FieldText(const char* field)
{
    return field ? field : "";
}
