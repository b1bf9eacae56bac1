// Directories of the system and the process, through the seam, at any length; the current
// directory noted and made current again around a step.
#pragma once
#include <string>

namespace framework {

// The process's current directory ("" when the system cannot give it).
std::string CurrentDirectory();

// The system directory ("" when the system cannot give it).
std::string SystemDirectory();

// A directory and a name with one backslash between them.
std::string JoinPath(const std::string& directory, const std::string& name);

// The current directory noted on construction and made current again on destruction.
class SavedCurrentDirectory {
public:
    SavedCurrentDirectory();
    ~SavedCurrentDirectory();
    SavedCurrentDirectory(const SavedCurrentDirectory&) = delete;
    SavedCurrentDirectory& operator=(const SavedCurrentDirectory&) = delete;

    // False when the current directory could not be noted.
    bool Noted() const { return noted_; }
    const std::string& Directory() const { return directory_; }

    // Makes the sub-directory of the noted directory current; false when that fails.
    bool EnterSubdirectory(const std::string& name) const;

private:
    std::string directory_;
    bool noted_ = false;
};

}  // namespace framework
