// The port dialog of the ZRN 7730 sample port monitor's user interface (ZRNKPUI.DLL): its
// template, captions and control ids, for the resource script, the DLL and the programs that
// drive the dialog as a user would.
//
// AddPortUI shows the dialog with the caption KPUI_ADD_CAPTION; ConfigurePortUI shows the same
// dialog with KPUI_CONFIGURE_CAPTION and a read-only port name. Driving it:
//   - the port name edit IDC_KPUI_PORT_NAME holds a proposed name ("KPL<n>:", the lowest n that
//     no port of the machine uses); WM_SETTEXT replaces it;
//   - the physical port drop-down list IDC_KPUI_PHYSICAL_PORT: item index = port TYPE
//     (0 "USB", 1 "COM 1" ... 4 "COM 4"); CB_SETCURSEL chooses one; USB is preselected;
//   - IDOK checks the name and creates the port; a refused name or a failure shows a message box
//     owned by the dialog (a #32770 window captioned KPUI_MESSAGE_CAPTION, its text in the static
//     control 0xFFFF, its button IDOK) and keeps the dialog open;
//   - IDCANCEL closes the dialog: AddPortUI returns FALSE with ERROR_CANCELLED.
#pragma once

#define IDD_KPUI_PORT 100

#define IDC_KPUI_INTRO 1000
#define IDC_KPUI_PORT_NAME 1001
#define IDC_KPUI_PHYSICAL_PORT 1002
#define IDC_KPUI_NAME_LABEL 1003
#define IDC_KPUI_PHYSICAL_LABEL 1004

#define KPUI_ADD_CAPTION "Add ZRN 7730 KPL Port"
#define KPUI_CONFIGURE_CAPTION "Configure ZRN 7730 KPL Port"
#define KPUI_MESSAGE_CAPTION "ZRN 7730 Language/Port Monitor"

// The prefix of proposed port names: "KPL1:", "KPL2:", ...
#define KPUI_PORT_PREFIX "KPL"

// Number of COM ports that the dialog offers after USB.
#define KPUI_COM_PORTS 4
