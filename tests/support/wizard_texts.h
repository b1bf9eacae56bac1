// The captions and message texts of setup.exe, as the user reads them, for every test that
// looks for a window by its caption or checks what a message says.
#pragma once

namespace texts {

// Captions: the pages, the wizard's message boxes, and the boxes of a failed installation step.
inline constexpr char kPageCaption[] = "ZRN 7730 Printer Driver Wizard";
inline constexpr char kBoxCaption[] = "ZRN 7730 Printer Software Wizard";
inline constexpr char kInstallFailedCaption[] = "Unable to complete the install.";

// The summary page's headings.
inline constexpr char kHeadingInstall[] =
    "Check the information about the printer driver to make sure that it is correct.";
inline constexpr char kHeadingCopy[] = "Check the information about the files to be copied.";

// Questions.
inline constexpr char kStartSpoolerQuestion[] =
    "To install a printer driver, the spooler service must be running. The spooler is currently "
    "stopped.\n\nDo you want to start this service?";
inline constexpr char kUpgradeQuestion[] =
    "To install this printer driver, the newest version of the ZRN KPL Language/Port Monitor must be "
    "installed.  During this installation, the spooler on this machine will be stopped and restarted.\n\n"
    "Do you want to proceed?";

// Refusals.
inline constexpr char kWrongSystem[] = "Application cannot run on this operating system";
inline constexpr char kBlankName[] = "Cannot install a printer with a blank name.";
inline constexpr char kNameExists[] =
    "A printer by that name or shared name is already installed.\nPlease choose a different name.";
inline constexpr char kIllegalName[] =
    "The name you specified contains illegal characters ! \\ \\ / : * ? < > | , or is too long. "
    "Maximum length is 220 characters.";
inline constexpr char kNoDirectory[] = "No directory selected or created.";
inline constexpr char kRecyclerRefused[] = "Cannot copy files or folders to the RECYCLER folder.";
inline constexpr char kPathTooLong[] = "The directory path is too long. A path can have at most 259 characters.";

}  // namespace texts
