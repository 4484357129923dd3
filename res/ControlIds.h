#pragma once
// Control ids of the main window and its dialogs. The help texts are keyed by these numbers
// and the window's controls carry them, so both sides include this one header.

// Board connection and device choice
inline constexpr int IDC_CONNECT = 1000;
inline constexpr int IDC_SEARCH = 1042;
inline constexpr int IDC_SEARCH_TEXT = 1041;
inline constexpr int IDC_STATUS = 1003;
inline constexpr int IDC_VERSION_TEXT = 1005;
inline constexpr int IDC_WRITE_VERSION = 1004;
inline constexpr int IDC_SERIAL = 1006;
inline constexpr int IDC_DESCRIPTION = 1007;
inline constexpr int IDC_DEVICE_NUMBER = 1008;

// Target processor
inline constexpr int IDC_16F84A = 1028;
inline constexpr int IDC_16F877 = 1029;

// HEX file
inline constexpr int IDC_OPEN = 1019;
inline constexpr int IDC_HEX_FILE_NAME = 1020;
inline constexpr int IDC_VIEW = 1039;

// Target operations
inline constexpr int IDC_BLANK_CHECK = 1014;
inline constexpr int IDC_ERASE = 1013;
inline constexpr int IDC_PROGRAM = 1010;
inline constexpr int IDC_VERIFY = 1011;
inline constexpr int IDC_READ = 1012;

// Configuration options and Auto-Erase
inline constexpr int IDC_WATCHDOG = 1017;
inline constexpr int IDC_POWER_UP_TIMER = 1018;
inline constexpr int IDC_BROWN_OUT = 1033;
inline constexpr int IDC_PROGRAM_MEM_WRITE = 1044;
inline constexpr int IDC_AUTO_ERASE = 1035;
inline constexpr int IDC_CP_OFF = 1015;
inline constexpr int IDC_CP_ALL = 1016;
inline constexpr int IDC_CP_1000 = 1030;
inline constexpr int IDC_CP_1F00 = 1031;
inline constexpr int IDC_EEPROM_PROTECT = 1032;
inline constexpr int IDC_DEBUGGER = 1045;

// Window frame. EXIT carries the dialog's OK id: leaving by EXIT ends the window with OK.
inline constexpr int IDC_EXIT = 1;
inline constexpr int IDC_PROGRESS = 1023;
// <windows.h> defines IDC_HELP as a cursor resource; here the name means the HELP button.
#ifdef IDC_HELP
#undef IDC_HELP
#endif
inline constexpr int IDC_HELP = 1049;
inline constexpr int IDC_REVISION = 1052;

// Lists of the Target Select Dialog, the Memory Window and the Help Dialog
inline constexpr int IDC_TARGET_LIST = 1043;
inline constexpr int IDC_MEMORY_LIST = 1038;
inline constexpr int IDC_HELP_LIST = 1050;
