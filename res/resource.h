// Resource ids of the panel. The numbers are fixed: other components and the
// help file refer to them.
#pragma once

// Dialogs
#define IDD_FWUP 101
#define IDD_MAINPANEL 102
#define IDD_INFO 104
#define IDD_SETTINGS 106
#define IDD_ABOUTBOX 110
#define IDD_EDITENTRY 112
#define IDD_PHONEBOOK 115
#define IDD_ADVANCED 123

// Icons and bitmaps
#define IDI_APP 101
#define IDI_EXIT 121
#define IDI_HELPBTN 122
#define IDI_OK 130
#define IDI_CANCEL 131
#define IDB_TABS 124
#define IDB_ABOUT 139

// Menu and its commands
#define IDR_MAINMENU 129
#define ID_APP_EXIT_MENU 32771
#define ID_HELP_CONTENTS 32772
#define ID_LOAD_PHONEBOOK 40008
#define ID_SAVE_PHONEBOOK 40009
#define ID_ABOUT 40010
#define ID_LOAD_SETTINGS 40011
#define ID_SAVE_SETTINGS 40012
#define ID_HELP_STANDARD 57670

// Main window controls
#define IDC_EXIT 1006
#define IDC_HELPBTN 1042

// Shared page controls
#define IDC_REFRESH 1060
#define IDC_APPLY 1063

// Information page value controls
#define IDC_INFO_MODEL 1003
#define IDC_INFO_FIRMWARE 1065
#define IDC_INFO_ENGINE 1066
#define IDC_INFO_EMULATION1 1067
#define IDC_INFO_EMULATION2 1068
#define IDC_INFO_PLATEN_SCANS 1069
#define IDC_INFO_ADF_SCANS 1070
#define IDC_INFO_PRINTS 1071
#define IDC_INFO_DRUM 1072
#define IDC_INFO_ADF_JAMS 1073
#define IDC_INFO_PRINT_JAMS 1074
#define IDC_INFO_FREE_MEMORY 1075

// Strings
#define IDS_APP_TITLE 1
#define IDS_NO_ANSWER 10
#define IDS_EDIT_TITLE 11
#define IDS_SPEED_DIAL 13
#define IDS_COL_NAME 14
#define IDS_COL_NUMBER 16
#define IDS_COL_INDEX 17
#define IDS_MODEL_SERIES 51
#define IDS_VERSION 52
#define IDS_RIGHTS 53
#define IDS_FW_SELECT_FILE 100
#define IDS_FW_INVALID_FILE 101
#define IDS_FW_WRITE_FAILED 102
#define IDS_FW_BYTES_SENT 104
#define IDS_FW_WRITTEN 105
#define IDS_FW_DONE 106
#define IDS_PORT_BUSY 107
#define IDS_APP_TITLE_ANSWERED 108
