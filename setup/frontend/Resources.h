#pragma once
// Resource numbers of setup.exe (dialog templates 106 to 109 are numbered
// in frontend/DialogRequest.h).
#define IDD_INFO 106
#define IDD_INPUT 107
#define IDD_PROGRESS 108
#define IDD_PATH 109

#define IDC_INFO_TEXT 1002
#define IDC_INPUT_EDIT 1003
#define IDC_INPUT_TEXT 1004
#define IDC_PROGRESS_TEXT 1005
#define IDC_PROGRESS_BAR 1006
#define IDC_PATH_EDIT 1007
#define IDC_PATH_BROWSE 1008
#define IDC_PATH_TEXT 1009
