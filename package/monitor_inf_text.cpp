#include "package/monitor_inf_text.h"

#include <cstring>

#include "package/printer_model.h"

namespace monitorinf {

namespace {

constexpr size_t npos = std::string::npos;

const char kPortMonitorsHeader[] = "[PortMonitors]";
const char kOptionsHeader[] = "[Options]";
const char kSourceDisksFiles[] = "[SourceDisksFiles]";


// The scanned text: the bytes up to the first NUL, at most kMaxScanBytes of them.
std::string TextOf(const char* data, size_t size)
{
    if (!data)
        return {};
    size_t n = size < kMaxScanBytes ? size : kMaxScanBytes;
    const void* nul = std::memchr(data, '\0', n);
    if (nul)
        n = static_cast<size_t>(static_cast<const char*>(nul) - data);
    return std::string(data, n);
}

// Bytes [from, to) of the text.
std::string Name(const std::string& text, size_t from, size_t to)
{
    if (from >= to || from >= text.size())
        return {};
    return text.substr(from, to - from);
}

bool TooLong(const std::string& name)
{
    return name.size() > kMaxName;
}

// A result with a name that no field holds is no result at all.
ScanResult Checked(ScanResult r)
{
    bool tooLong = TooLong(r.dllName) || TooLong(r.monitorName) || TooLong(r.optionValue);
    for (const std::string& f : r.files)
        tooLong = tooLong || TooLong(f);
    if (!tooLong)
        return r;
    ScanResult refused;
    refused.nameTooLong = true;
    return refused;
}

void AddFile(ScanResult& r, std::string name)
{
    // An empty name would end the list for every reader of a NUL-separated list:
    // skip it so that the names behind it are kept.
    if (!name.empty())
        r.files.push_back(std::move(name));
}

// [PortMonitors] layout: the entry lines of [SourceDisksFiles], up to the comment that
// closes the section. Returns false when a marker is missing.
bool ScanSourceDisksFiles(const std::string& text, ScanResult& r)
{
    size_t h = text.find(kSourceDisksFiles);
    if (h == npos)
        return false;
    size_t c = h + (sizeof kSourceDisksFiles - 1);
    size_t semi = text.find(';', h + sizeof kSourceDisksFiles);
    if (semi == npos)
        return false;
    // The entries end four bytes before the ';' (CR LF CR LF of a blank line before it).
    size_t end = semi - 4;  // semi >= h + 19, so no wrap
    while (c < end) {
        size_t cr = text.find('\r', c);
        if (cr == npos || cr >= end)
            break;
        size_t start = cr + 2;
        size_t eq = text.find('=', start);
        if (eq == npos)
            return false;
        size_t stop = text.find(' ', start);
        if (stop == npos || stop > eq)
            stop = eq;
        AddFile(r, Name(text, start, stop));
        c = eq;
    }
    return true;
}

// [Options] layout: the file section "...-<value>]" and the DLL entry after it.
bool ScanOptionsFiles(const std::string& text, size_t valuePos, ScanResult& r)
{
    size_t p = text.find("-" + r.optionValue + "]", valuePos);
    if (p == npos)
        return false;
    size_t z = text.find('[', p + 1);
    if (z == npos)
        return false;
    size_t c = p;
    while (c < z) {
        size_t q = text.find("2,", c);
        if (q == npos || q > z)
            break;
        size_t start = q + 2;
        size_t sp = text.find(' ', start);
        if (sp == npos)
            return false;
        AddFile(r, Name(text, start, sp));
        c = sp;
    }
    size_t d = text.find("2,", z);
    if (d == npos)
        return false;
    size_t k = text.find(',', d + 3);
    if (k == npos)
        return false;
    r.dllName = Name(text, d + 2, k);
    return true;
}

// The scan itself, names at any length.
ScanResult ScanText(const char* data, size_t size, unsigned majorVersion, unsigned minorVersion)
{
    ScanResult r;
    const std::string text = TextOf(data, size);
    const bool portMonitors = UsesXpMonitorInf(majorVersion, minorVersion);

    // The display name: the first two double quotes after the layout's header.
    size_t s = text.find(portMonitors ? kPortMonitorsHeader : kOptionsHeader);
    if (s == npos)
        return r;
    size_t q1 = text.find('"', s);
    if (q1 == npos)
        return r;
    size_t q2 = text.find('"', q1 + 1);
    if (q2 == npos)
        return r;
    r.monitorName = Name(text, q1 + 1, q2);

    // The value after "=": leading spaces skipped (tabs kept), up to the line's CR.
    size_t e = text.find('=', q1 + 1);
    if (e == npos)
        return r;
    size_t v = e + 1;
    while (v < text.size() && text[v] == ' ')
        ++v;
    size_t cr = text.find('\r', v);
    if (cr == npos)
        return r;
    r.optionValue = Name(text, v, cr);

    if (portMonitors) {
        if (ScanSourceDisksFiles(text, r))
            r.dllName = kModel.monitorDll;
    } else {
        ScanOptionsFiles(text, v, r);
    }
    return r;
}

}  // namespace

ScanResult ScanMonitorInfText(const char* data, size_t size, unsigned majorVersion,
                              unsigned minorVersion)
{
    return Checked(ScanText(data, size, majorVersion, minorVersion));
}

}  // namespace monitorinf
