// Resource ids of the widget tests' own templates, clear of the panel's.
#pragma once

#define IDD_TEST_BUTTONS 9001
#define IDD_TEST_PAGE 9002
#define IDD_TEST_HOST 9003
#define IDD_TEST_PAGE_LONG 9004
#define IDD_TEST_EDITS 9005

#define IDC_T_DEFAULT 9101
#define IDC_T_PLAIN 9102
#define IDC_T_ICONONLY 9103
#define IDC_T_FLAT 9104

#define IDC_T_TEXT 9201
#define IDC_T_COMBO 9202
#define IDC_T_CHECK 9203
#define IDC_T_RADIO1 9204
#define IDC_T_RADIO2 9205

#define IDC_T_EDIT 9301
#define IDC_T_UPPER 9302

#define IDI_T_RED 9401
#define IDB_T_TABS 9402

#define IDS_T_FIRST 9501
#define IDS_T_SECOND 9502
#define IDS_T_ACCENTS 9503
#define IDS_T_LONG 9504
