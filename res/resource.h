// Resource identifiers of setup.exe. Shared by the resource script and the code.
#pragma once

// Icon, bitmaps, manifest
#define IDI_APP                 128
#define IDB_PICTURE             132
#define IDB_FOLDERS             143

// Dialog templates
#define IDD_PRINTER             102
#define IDD_WELCOME             129
#define IDD_DESTINATION         130
#define IDD_SUMMARY             131

// Controls
#define IDC_TASK_INSTALL        1000
#define IDC_TASK_COPY           1001
#define IDC_DRIVE               1004
#define IDC_PORTS               1005  // printer page: port list
#define IDC_TREE                1005  // destination page: directory tree
#define IDC_NAME                1006  // printer page: printer name
#define IDC_DIRECTORY           1006  // destination page: directory box
#define IDC_SUMMARY_TEXT        1006  // summary page: summary text
#define IDC_CREATE              1007
#define IDC_BACK                1008
#define IDC_HEADING             1011
#define IDC_NEW_PORT            1014
#define IDC_VIEW_README         1015

// Strings
#define IDS_CANNOT_COPY_TO_DRIVE   2001
#define IDS_WIZARD_CAPTION         2002
#define IDS_NO_DIRECTORY           2003
#define IDS_ILLEGAL_NAME           2004
#define IDS_RECYCLE_FOLDER         2005
#define IDS_SECTION_DESTINATION    2006
#define IDS_HEADING_COPY           2007
#define IDS_HEADING_INSTALL        2008
#define IDS_BLANK_PRINTER_NAME     2009
#define IDS_PRINTER_EXISTS         2010
#define IDS_SECTION_PRINTER_NAME   2011
#define IDS_SECTION_PORT           2012
#define IDS_MONITOR_NAME           2013
#define IDS_COLUMN_PORT_NAME       2014
#define IDS_COLUMN_PHYSICAL_PORT   2015
#define IDS_MONITOR_INF_XP         2016
#define IDS_MONITOR_INF_2000       2017
#define IDS_WINDOWS_NT             2018
#define IDS_OS_VARIABLE            2019
#define IDS_FILE_PORT              2020
#define IDS_ALL_FILES              2021
#define IDS_INF_PATTERN            2022
#define IDS_CLASS_PRINTER          2023
#define IDS_KEY_INCLUDE            2024
#define IDS_KEY_COPYFILES          2025
#define IDS_KEY_DRIVERFILE         2026
#define IDS_KEY_CONFIGFILE         2027
#define IDS_KEY_HELPFILE           2028
#define IDS_KEY_DATAFILE           2030
#define IDS_KEY_DATASECTION        2031
#define IDS_SECTION_VERSION        2032
#define IDS_SECTION_MAKER          2033
#define IDS_KEY_NEEDS              2034
#define IDS_KEY_DEFAULTDATA        2036
#define IDS_KEY_PRINTPROCESSOR     2037
#define IDS_INSTALL_FAILED_CAPTION 2038
#define IDS_WRONG_PLATFORM         2039
#define IDS_START_SPOOLER_QUESTION 2040
#define IDS_START_SPOOLER_FAILED   2041
#define IDS_DRIVE_NOT_READY        2043
#define IDS_CANNOT_OPEN_FILE       2044
#define IDS_UPGRADE_MONITOR        2045
#define IDS_STOP_SPOOLER_FAILED    2046
#define IDS_RESTART_SPOOLER_FAILED 2047
#define IDS_DEPENDENTS_NOT_STARTED 2048
#define IDS_README_FILE            2049
#define IDS_VERB_OPEN              2050
#define IDS_PATH_TOO_LONG          2051
#define IDS_SPOOLER_UNREACHABLE    2052
#define IDS_FILES_NOT_COPIED       2053
#define IDS_PAGE_NOT_SHOWN         2054

// Strings of the command line
#define IDS_USAGE                  2060
#define IDS_CMD_UNKNOWN_OPTION     2061
#define IDS_CMD_OPTION_TWICE       2062
#define IDS_CMD_NEEDS_VALUE        2063
#define IDS_CMD_TAKES_NO_VALUE     2064
#define IDS_CMD_ONE_TASK           2065
#define IDS_CMD_NOT_FOR_TASK       2066
#define IDS_CMD_INSTALL_PORT       2067
#define IDS_CMD_NO_PACKAGE         2068
#define IDS_CMD_NOT_ADMINISTRATOR  2069
#define IDS_CMD_NO_DRIVER_INF      2070
#define IDS_CMD_NO_SUCH_PORT       2071
#define IDS_CMD_NO_NEW_PORT        2072
#define IDS_CMD_CANNOT_LOG         2073
#define IDS_CMD_NO_SUCH_PRINTER    2074
#define IDS_CMD_NOT_OUR_PRINTER    2075
#define IDS_CMD_COPY_FAILED        2076
#define IDS_CMD_UNINSTALL_INCOMPLETE 2077
#define IDS_CMD_ALL_OR_NAME        2078
#define IDS_CMD_OTHER_PORT         2079
#define IDS_CMD_X86_ON_X64_ONLY    2080
#define IDS_CMD_BAD_SHARE_NAME     2081
#define IDS_CMD_SHARE_TAKEN        2082
#define IDS_CMD_NO_X86_PACKAGE     2083
