#include "install/version_compare.h"

#include <cstring>

namespace {

// One component of a version text: the bytes between two dots.
struct Component {
    const char* text;
    size_t length;
};

// The component that starts at `pos`; moves `pos` past its dot. A text that has run out
// gives the component "0".
Component NextComponent(const std::string& text, size_t& pos)
{
    if (pos > text.size())
        return {"0", 1};
    size_t dot = text.find('.', pos);
    size_t end = dot == std::string::npos ? text.size() : dot;
    Component c{text.data() + pos, end - pos};
    pos = end + 1;
    return c;
}

size_t DigitCount(const Component& c)
{
    size_t n = 0;
    while (n < c.length && c.text[n] >= '0' && c.text[n] <= '9')
        ++n;
    return n;
}

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Compares two runs of digits as numbers of any length: leading zeros dropped, the longer
// number is the greater, numbers of one length compare digit by digit.
int CompareNumbers(const char* a, size_t na, const char* b, size_t nb)
{
    while (na > 0 && *a == '0') {
        ++a;
        --na;
    }
    while (nb > 0 && *b == '0') {
        ++b;
        --nb;
    }
    if (na != nb)
        return na < nb ? -1 : 1;
    return Sign(std::memcmp(a, b, na));
}

// Byte by byte, each byte unsigned; a text that ends where the other goes on is the smaller.
int CompareBytes(const char* a, size_t na, const char* b, size_t nb)
{
    int c = Sign(std::memcmp(a, b, na < nb ? na : nb));
    if (c != 0 || na == nb)
        return c;
    return na < nb ? -1 : 1;
}

int CompareComponents(const Component& a, const Component& b)
{
    size_t da = DigitCount(a);
    size_t db = DigitCount(b);
    int c = CompareNumbers(a.text, da, b.text, db);
    if (c != 0)
        return c;
    return CompareBytes(a.text + da, a.length - da, b.text + db, b.length - db);
}

}  // namespace

int CompareVersions(const std::string& a, const std::string& b)
{
    size_t pa = 0;
    size_t pb = 0;
    while (pa <= a.size() || pb <= b.size()) {
        int c = CompareComponents(NextComponent(a, pa), NextComponent(b, pb));
        if (c != 0)
            return c;
    }
    return 0;
}
