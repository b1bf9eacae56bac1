// The rules of a copy's destination, for the destination page's directory box and the
// command line, and the creation of the directory: qualifying a
// typed path with a drive, probing the drive, normalising the separators, refusing names
// that cannot be used, and creating a directory with its missing parents.
#pragma once
#include <string>

#include "platform/win.h"

namespace destination {

// Longest destination path the page hands on (a 260-byte buffer with its NUL).
constexpr size_t kMaxPath = 259;

// The letter of the process's current drive, upper case; '\0' when the current directory
// cannot be read or is not on a lettered drive.
char CurrentDriveLetter();

// The typed text itself when its second character is a colon, else the drive letter, a
// colon and the text (with drive C: "\tools" gives "C:\tools", "tools" gives "C:tools").
std::string QualifyPath(const std::string& text, char drive);

// True when the root directory of the drive named by the path's first two characters
// lists anything.
bool DriveRootListable(const std::string& path);

// Qualifies the text with the current drive and probes that drive. Shows "Cannot copy
// files to this drive." and returns false when the drive's root cannot be listed.
bool QualifyAndProbe(HWND owner, const std::string& text, std::string& path);

// Forward slashes become backslashes, and a backslash is put behind the drive's colon
// when none is there ("C:tools" becomes "C:\tools", "C:" becomes "C:\").
std::string NormalizeDirectoryPath(std::string path);

// The verdict on the name part of a path (what follows "X:\").
enum class NameVerdict {
    Accepted,
    Empty,       // the path is a drive root
    Illegal,     // a forbidden character, two backslashes in a row, a leading backslash, a
                 // component ending in a dot or a space, or a device name (NUL, COM1, ...)
    RecycleBin,  // one of the recycle-bin folders
};

// Judges a name; for a recycle-bin folder, shown receives the name as the message gives it.
NameVerdict JudgeDirectoryName(const std::string& name, std::string* shown = nullptr);

// Judges a name and shows the message of a refusal. True when the name may be used.
bool ValidateDirectoryName(HWND owner, const std::string& name);

// The checks of the page's Next and Create buttons on the typed text: qualify and probe,
// normalise, resolve "." and ".." components, refuse a path longer than kMaxPath, validate
// the name part. normalized receives the resolved path whenever the drive was accepted.
// True when the path may be used.
bool CheckDestinationText(HWND owner, const std::string& text, std::string& normalized);

// Creates a directory and any missing parents. Non-negative on success, -1 on failure
// (the convention of the run-time library's directory creation). A path shorter than four
// characters (a drive root) counts as created. Always ends: a path without a backslash
// that cannot be created fails.
int MakeDirectoryPath(const std::string& path);

// Creates the directory; when that fails, creates it with its parents. The outcome is not
// reported: an existing directory is fine, and one that cannot be made shows up when the
// files are copied.
void CreateDestinationDirectory(const std::string& path);

}  // namespace destination
