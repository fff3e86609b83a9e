// Resource ids of the panel. The numbers are fixed: other components and the
// help file refer to them. Control ids are unique within their own dialog
// only, so each page has its own names (a shared number is no mistake).
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

// Labels that code never addresses
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Settings page (template 106)
#define IDC_SET_POWERSAVE_MINUTES 1000
#define IDC_SET_POWERSAVE_OFF 1002
#define IDC_SET_POWERSAVE_ON 1003
#define IDC_SET_TRAY1_SIZE 1017
#define IDC_SET_SEND_CONFIRM 1018
#define IDC_SET_BYPASS_SIZE 1019
#define IDC_SET_PAPER_TYPE 1020
#define IDC_SET_DISCARD 1021
#define IDC_SET_TRAY2_SIZE 1022
#define IDC_SET_RINGS 1023
#define IDC_SET_REMOTE_CODE 1024
#define IDC_SET_REDIAL_COUNT 1025
#define IDC_SET_REDIAL_INTERVAL 1026
#define IDC_SET_ECM 1028
#define IDC_SET_MEMORY_TX 1029
#define IDC_SET_CLOCK_MODE 1053
#define IDC_SET_AUTO_JOURNAL 1056
#define IDC_SET_LOCAL_ID 1057
#define IDC_SET_RX_REDUCTION 1058
#define IDC_SET_HORZ_REDUCTION 1059
#define IDC_SET_AUTO_CLEAR 1081
#define IDC_SET_TRAY2_LABEL 1084
#define IDC_SET_AUTO_CLEAR_LABEL 1085
#define IDC_SET_TRAY_SIZE_TITLE 1086
#define IDC_SET_TRAY1_LABEL 1088
// Small scroll bars whose arrows step the number in the edit beside them
#define IDC_SET_SPIN_DISCARD 1096
#define IDC_SET_SPIN_RINGS 1097
#define IDC_SET_SPIN_REDIAL_COUNT 1098
#define IDC_SET_SPIN_REDIAL_INTERVAL 1099

// Advanced page (template 123)
#define IDC_ADV_PREFIX_DIAL 1001
#define IDC_ADV_RECEIVE_MODE 1022
#define IDC_ADV_TERMINAL_NUMBER 1037
#define IDC_ADV_TERMINAL_NAME 1038
#define IDC_ADV_CUSTOMER_NAME 1039
#define IDC_ADV_CUSTOMER_NUMBER 1040
#define IDC_ADV_SERVICE_NUMBER 1041
#define IDC_ADV_SERIAL_NUMBER 1042
#define IDC_ADV_FAX_DUPLEX 1050
#define IDC_ADV_ALARM_SOUND 1051
#define IDC_ADV_KEY_SOUND 1052
#define IDC_ADV_TONER_SAVE 1054
#define IDC_ADV_TONER_LOW 1055
#define IDC_ADV_USB_MODE 1057
#define IDC_ADV_LANGUAGE 1058
#define IDC_ADV_SPEAKER 1061
#define IDC_ADV_RINGER_VOLUME 1062
#define IDC_ADV_IMAGE_QUALITY 1064

// Phonebook page (template 115)
#define IDC_PB_WRITE 1024
#define IDC_PB_EDIT 1025
#define IDC_PB_DELETE 1026
#define IDC_PB_LIST 1027
#define IDC_PB_DELETE_ALL 1031
#define IDC_PB_READ 1032
#define IDC_PB_ONE_TOUCH 1034
#define IDC_PB_SPEED_DIAL 1035

// Phonebook entry editor (template 112); OK and Cancel are IDOK and IDCANCEL
#define IDC_ENTRY_NUMBER 1001
#define IDC_ENTRY_NAME 1002

// Firmware update page (template 101); 1060 is IDC_REFRESH
#define IDC_FW_UPDATE 1000
#define IDC_FW_MODEL 1003
#define IDC_FW_FILENAME 1004
#define IDC_FW_FILESIZE 1007
#define IDC_FW_PROGRESS 1009
#define IDC_FW_BROWSE 1023
#define IDC_FW_VERSION 1065
#define IDC_FW_EMULATION1 1067
#define IDC_FW_EMULATION2 1068
#define IDC_FW_MESSAGE 1075
#define IDC_FW_PERCENT 1076

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
// File commands that fail (the user must know the file was not written or read).
#define IDS_FILE_WRITE_FAILED 120
#define IDS_FILE_READ_FAILED 121
#define IDS_PHONEBOOK_FILE_INVALID 122
// The firmware update's check after the machine's restart.
#define IDS_FW_DONE_VERSION 140
#define IDS_FW_NOT_APPLIED 141
#define IDS_FW_NO_ANSWER_AFTER 142
