// The drive box of the destination page: the machine's logical drives, each as its letter,
// a colon, a blank and the volume name where one can be read.
#pragma once
#include "framework/controls.h"

class DriveComboBox : public framework::ComboBox {
public:
    // Lists the drives and selects the entry of the current directory's drive. False, after
    // a message, when the drives or the current directory cannot be read.
    bool FillDrives();

    // True when the root of the entry's drive can be listed; otherwise says that the drive
    // is not ready and returns false (the selection is left as it is).
    bool CheckDrive(int index);

    // Selects the entry of the drive letter (either case); a letter not listed changes nothing.
    void SelectDrive(char letter);

private:
    // Selects the first entry that begins with prefix (either case); false when none does.
    bool SelectPrefix(const char* prefix);
};
