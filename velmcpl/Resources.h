#pragma once
// Resource and control ids of the applet, shared by velmcpl.rc and the code.

#define IDI_VELMORA 101
#define IDS_APPLET_NAME 1
#define IDS_APPLET_INFO 2
#define IDD_SETTINGS 102
#define IDD_ABOUT 104

#define IDC_NEW 1001
#define IDC_APPLY 1002
#define IDC_WIDTH 1005
#define IDC_HEIGHT 1006
#define IDC_STARTUP 1008
#define IDC_HELP_BUTTON 1009
#define IDC_ABOUT 1010
#define IDC_COLOURS 1017
#define IDC_COLOURS_LABEL 1018
