#include "install/destination_path.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "framework/ansi_text.h"
#include "framework/strings.h"
#include "install/feedback.h"
#include "platform/api.h"
#include "res/resource.h"

namespace destination {

namespace {

// A refusal: the stop icon under the wizard's caption, through the steps' feedback.
void Stop(HWND owner, const std::string& text)
{
    StepFeedback().Tell(owner, text, IDS_WIZARD_CAPTION, MB_OK | MB_ICONHAND);
}

char Upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

using framework::UpperCaseAscii;

// The components of a name between its backslashes, empty ones included.
std::vector<std::string> Components(const std::string& name)
{
    return framework::SplitAtCharacter(name, '\\');
}

// True for a name with a leading or doubled backslash: an empty component before the last.
bool HasEmptyComponent(const std::vector<std::string>& parts)
{
    return std::any_of(parts.begin(), parts.end() - 1, [](const std::string& p) { return p.empty(); });
}

// The name with its "." and ".." components resolved as the system resolves them when the
// directory is made: "a\.\b" is "a\b", "a\.." is the root, and ".." goes no higher than the
// root. A name with an empty component (a leading or doubled backslash) is left as it is
// for the illegal-name check.
std::string ResolveDotComponents(const std::string& name)
{
    std::vector<std::string> parts = Components(name);
    if (name.empty() || HasEmptyComponent(parts))
        return name;
    if (std::none_of(parts.begin(), parts.end(), [](const std::string& p) { return p == "." || p == ".."; }))
        return name;
    std::vector<std::string> kept;
    for (const std::string& part : parts) {
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
        } else if (part != "." && !part.empty()) {
            kept.push_back(part);
        }
    }
    std::string resolved;
    for (const std::string& part : kept)
        resolved += (resolved.empty() ? "" : "\\") + part;
    return resolved;
}

// True for a component that no directory can be named: one that ends in a dot or a space
// (the system drops those), or a device name such as NUL or COM1, also with an extension
// ("nul.txt" names the device too).
bool UnusableComponent(const std::string& part)
{
    if (part.empty())
        return false;
    if (part.back() == '.' || part.back() == ' ')
        return true;
    std::string base = UpperCaseAscii(part.substr(0, part.find('.')));
    base.erase(base.find_last_not_of(' ') + 1);  // "NUL .txt" is the device as well
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace

char CurrentDriveLetter()
{
    std::vector<char> buf(MAX_PATH + 1);
    DWORD n = sys().GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
    if (n >= buf.size()) {
        buf.resize(n + 1);
        n = sys().GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
    }
    if (n < 2 || n >= buf.size() || buf[1] != ':' || !std::isalpha(static_cast<unsigned char>(buf[0])))
        return '\0';
    return Upper(buf[0]);
}

std::string QualifyPath(const std::string& text, char drive)
{
    if (text.size() >= 2 && text[1] == ':')
        return text;
    std::string path;
    path += drive;
    path += ':';
    return path + text;
}

bool DriveRootListable(const std::string& path)
{
    std::string pattern = path.substr(0, 2) + "\\*.*";
    WIN32_FIND_DATAA data;
    HANDLE h = sys().FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    sys().FindClose(h);
    return true;
}

bool QualifyAndProbe(HWND owner, const std::string& text, std::string& path)
{
    std::string qualified = QualifyPath(text, CurrentDriveLetter());
    if (!DriveRootListable(qualified)) {
        Stop(owner, framework::LoadText(IDS_CANNOT_COPY_TO_DRIVE));
        return false;
    }
    path = qualified;
    return true;
}

std::string NormalizeDirectoryPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    if (path.size() < 3 || path[2] != '\\')
        path.insert(std::min<size_t>(2, path.size()), 1, '\\');
    return path;
}

NameVerdict JudgeDirectoryName(const std::string& name, std::string* shown)
{
    if (name.empty())
        return NameVerdict::Empty;
    std::vector<std::string> parts = Components(name);
    if (framework::FindFirstOfCharacters(name, ":*?\"<>|") != std::string::npos || HasEmptyComponent(parts) ||
        std::any_of(parts.begin(), parts.end(), UnusableComponent))
        return NameVerdict::Illegal;
    if (name.size() == 8 && (framework::EqualNoCase(name, "RECYCLED") || framework::EqualNoCase(name, "RECYCLER"))) {
        if (shown)
            *shown = UpperCaseAscii(name);
        return NameVerdict::RecycleBin;
    }
    if (name.size() > 8 && framework::EqualNoCase(name.substr(0, 9), "RECYCLED\\")) {
        if (shown)
            *shown = name;
        return NameVerdict::RecycleBin;
    }
    return NameVerdict::Accepted;
}

bool ValidateDirectoryName(HWND owner, const std::string& name)
{
    std::string shown;
    switch (JudgeDirectoryName(name, &shown)) {
    case NameVerdict::Accepted:
        return true;
    case NameVerdict::Empty:
        Stop(owner, framework::LoadText(IDS_NO_DIRECTORY));
        return false;
    case NameVerdict::Illegal:
        Stop(owner, framework::LoadText(IDS_ILLEGAL_NAME));
        return false;
    case NameVerdict::RecycleBin:
        Stop(owner, framework::LoadTextWith(IDS_RECYCLE_FOLDER, shown));
        return false;
    }
    return false;
}

bool CheckDestinationText(HWND owner, const std::string& text, std::string& normalized)
{
    std::string path;
    if (!QualifyAndProbe(owner, text, path))
        return false;
    normalized = NormalizeDirectoryPath(path);
    // "C:\x\.." is the drive root, and is refused as the root is.
    normalized = normalized.substr(0, 3) + ResolveDotComponents(normalized.substr(3));
    // Qualifying and normalising add up to three characters; a path that no longer fits
    // is refused rather than cut to a different directory.
    if (normalized.size() > kMaxPath) {
        Stop(owner, framework::LoadText(IDS_PATH_TOO_LONG));
        return false;
    }
    return ValidateDirectoryName(owner, normalized.substr(3));
}

int MakeDirectoryPath(const std::string& path)
{
    if (path.size() < 4)
        return 0;
    if (sys().CreateDirectoryA(path.c_str(), nullptr))
        return 0;
    size_t cut = framework::FindLastCharacter(path, '\\');
    // Without a backslash there is no parent to make first; recursing on the same text
    // would never end.
    if (cut == std::string::npos)
        return -1;
    if (MakeDirectoryPath(path.substr(0, cut)) < 0)
        return -1;
    return sys().CreateDirectoryA(path.c_str(), nullptr) ? 0 : -1;
}

void CreateDestinationDirectory(const std::string& path)
{
    if (!sys().CreateDirectoryA(path.c_str(), nullptr))
        MakeDirectoryPath(path);
}

}  // namespace destination
