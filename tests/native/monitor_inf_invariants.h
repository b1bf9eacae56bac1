// What every scan result must satisfy, whatever the text: checked on every case and
// on every fuzzed or mutated input.
#pragma once
#include <string>

#include "package/monitor_inf_text.h"

namespace monitorinf_cases {

inline bool NameOk(const std::string& text, const std::string& name, const char* what, std::string* why)
{
    if (name.size() > monitorinf::kMaxName) {
        *why = std::string(what) + " longer than 259 characters";
        return false;
    }
    if (name.find('\0') != std::string::npos) {
        *why = std::string(what) + " holds a NUL";
        return false;
    }
    // Every name except the fixed DLL name is a piece of the scanned text.
    if (!name.empty() && name != "ZRNKPMON.DLL" && text.find(name) == std::string::npos) {
        *why = std::string(what) + " is not taken from the text";
        return false;
    }
    return true;
}

inline bool HoldsInvariants(const std::string& text, const monitorinf::ScanResult& r, std::string* why)
{
    if (!NameOk(text, r.monitorName, "monitor name", why) || !NameOk(text, r.optionValue, "option value", why) ||
        !NameOk(text, r.dllName, "dll name", why))
        return false;
    for (const std::string& f : r.files) {
        if (f.empty()) {
            *why = "an empty file name in the list";
            return false;
        }
        if (!NameOk(text, f, "file name", why))
            return false;
    }
    // Nothing is found in a text without any header.
    if (text.find("[PortMonitors]") == std::string::npos && text.find("[Options]") == std::string::npos &&
        (!r.monitorName.empty() || !r.files.empty() || !r.dllName.empty())) {
        *why = "a result from a text without a header";
        return false;
    }
    return true;
}

}  // namespace monitorinf_cases
