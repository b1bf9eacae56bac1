#include "install/version_compare.h"

#include <vector>

namespace {

std::vector<std::string> SplitComponents(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos)
            return parts;
        start = dot + 1;
    }
}

// Compares two runs of digits as numbers of any length.
int CompareNumbers(const std::string& a, const std::string& b)
{
    size_t za = a.find_first_not_of('0');
    size_t zb = b.find_first_not_of('0');
    std::string na = za == std::string::npos ? std::string() : a.substr(za);
    std::string nb = zb == std::string::npos ? std::string() : b.substr(zb);
    if (na.size() != nb.size())
        return na.size() < nb.size() ? -1 : 1;
    int c = na.compare(nb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareBytes(const std::string& a, const std::string& b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

bool IsDottedNumber(const std::string& text)
{
    if (text.empty())
        return false;
    bool digitBefore = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

int CompareVersions(const std::string& a, const std::string& b)
{
    if (!IsDottedNumber(a) || !IsDottedNumber(b))
        return CompareBytes(a, b);
    std::vector<std::string> pa = SplitComponents(a);
    std::vector<std::string> pb = SplitComponents(b);
    size_t n = pa.size() > pb.size() ? pa.size() : pb.size();
    for (size_t i = 0; i < n; ++i) {
        int c = CompareNumbers(i < pa.size() ? pa[i] : "0", i < pb.size() ? pb[i] : "0");
        if (c != 0)
            return c;
    }
    return 0;
}
