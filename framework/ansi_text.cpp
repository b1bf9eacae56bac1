#include "framework/ansi_text.h"

#include <cstring>

#include "platform/api.h"

namespace framework {

namespace {

// The ANSI code page, asked once per text: the lead-byte test is made only for bytes above
// 0x7F, which no single-byte code page's ASCII half contains.
class LeadBytes {
public:
    LeadBytes() : codePage_(sys().GetACP()) {}
    bool Lead(char c) const
    {
        unsigned char b = static_cast<unsigned char>(c);
        return b >= 0x80 && sys().IsDBCSLeadByteEx(codePage_, b);
    }
    size_t Next(const std::string& s, size_t at) const
    {
        return at + (Lead(s[at]) && at + 1 < s.size() ? 2 : 1);
    }

private:
    UINT codePage_;
};

}  // namespace

size_t FindCharacter(const std::string& s, char c, size_t from)
{
    LeadBytes lead;
    for (size_t i = from; i < s.size(); i = lead.Next(s, i))
        if (s[i] == c)
            return i;
    return std::string::npos;
}

size_t FindLastCharacter(const std::string& s, char c)
{
    LeadBytes lead;
    size_t found = std::string::npos;
    for (size_t i = 0; i < s.size(); i = lead.Next(s, i))
        if (s[i] == c)
            found = i;
    return found;
}

size_t FindFirstOfCharacters(const std::string& s, const char* set)
{
    LeadBytes lead;
    for (size_t i = 0; i < s.size(); i = lead.Next(s, i))
        if (s[i] != '\0' && std::strchr(set, s[i]))
            return i;
    return std::string::npos;
}

bool EndsWithCharacter(const std::string& s, char c)
{
    LeadBytes lead;
    size_t last = std::string::npos;
    for (size_t i = 0; i < s.size(); i = lead.Next(s, i))
        last = i;
    return last != std::string::npos && last + 1 == s.size() && s[last] == c;
}

std::vector<std::string> SplitAtCharacter(const std::string& s, char c)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = FindCharacter(s, c, start)) != std::string::npos; start = end + 1)
        parts.push_back(s.substr(start, end - start));
    parts.push_back(s.substr(start));
    return parts;
}

std::string UpperCaseAscii(std::string s)
{
    LeadBytes lead;
    for (size_t i = 0; i < s.size(); i = lead.Next(s, i))
        if (s[i] >= 'a' && s[i] <= 'z')
            s[i] = static_cast<char>(s[i] - 'a' + 'A');
    return s;
}

std::string CutToBytes(const std::string& s, size_t n)
{
    if (s.size() <= n)
        return s;
    LeadBytes lead;
    size_t end = 0;
    for (size_t next; end < n && (next = lead.Next(s, end)) <= n;)
        end = next;
    return s.substr(0, end);
}

}  // namespace framework
