#include "pages/controls/drive_combo.h"

#include <cctype>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/strings.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

void ShowLastError(HWND owner, const char* caption)
{
    std::string text = framework::SystemErrorText(sys().GetLastError());
    sys().MessageBoxA(owner, text.c_str(), caption, MB_OK | MB_ICONHAND);
}

}  // namespace

bool DriveComboBox::FillDrives()
{
    HWND owner = hwnd() ? ::GetParent(hwnd()) : nullptr;
    ResetContent();
    DWORD drives = sys().GetLogicalDrives();
    if (drives == 0) {
        ShowLastError(owner, "GetLastError - GetLogicalDrives failed");
        return false;
    }

    bool quiet = false;
    for (int bit = 0; bit < 26 && (drives >> bit) != 0; ++bit) {
        if (!(drives & (1u << bit)))
            continue;
        char letter = static_cast<char>('A' + bit);
        std::string entry = framework::Format("%c: ", letter);
        // Drive A is never asked: a diskette drive would spin up, or complain without a disk.
        if (letter != 'A') {
            if (!quiet) {
                // A drive without a medium then fails quietly instead of asking the user
                // to insert one; the mode stays so for the rest of the process.
                sys().SetErrorMode(SEM_FAILCRITICALERRORS);
                quiet = true;
            }
            std::string root = framework::Format("%c:\\", letter);
            std::vector<char> volume(1024 + 1);
            if (sys().GetVolumeInformationA(root.c_str(), volume.data(), 1024, nullptr, nullptr, nullptr,
                                            nullptr, 0))
                entry += volume.data();
        }
        AddString(entry);
    }

    std::vector<char> cwd(1024 + 1);
    DWORD n = sys().GetCurrentDirectoryA(1024, cwd.data());
    if (n == 0 || n > 1024) {
        ShowLastError(owner, "GetLastError - GetCurrentDirectory failed");
        return false;
    }
    std::string first = framework::Format("%c", cwd[0]);
    SelectPrefix(first.c_str());
    return true;
}

bool DriveComboBox::CheckDrive(int index)
{
    std::string text = GetItemText(index);
    if (text.empty())
        return false;
    std::string pattern = framework::Format("%c:\\*.*", text[0]);
    WIN32_FIND_DATAA data;
    HANDLE h = sys().FindFirstFileA(pattern.c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        sys().FindClose(h);
        return true;
    }
    framework::ShowText(hwnd() ? ::GetParent(hwnd()) : nullptr,
                        framework::LoadTextWith(IDS_DRIVE_NOT_READY, std::string(1, text[0])), IDS_WIZARD_CAPTION,
                        MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void DriveComboBox::SelectDrive(char letter)
{
    std::string prefix = framework::Format("%c:", letter);
    SelectPrefix(prefix.c_str());
}

bool DriveComboBox::SelectPrefix(const char* prefix)
{
    // The box's own search: from the start, entries that begin with the text, either case.
    LRESULT found = Send(CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix));
    if (found == CB_ERR)
        return false;
    SetCurSel(static_cast<int>(found));
    return true;
}
