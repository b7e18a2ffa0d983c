#pragma once
// Resource and control numbers of uninstall.exe.
#define IDI_UNINSTALL 101
#define IDD_CONFIRM 102
#define IDD_PROGRESS 109
// The check boxes beside the three steps of dialog 109.
#define IDC_STEP_REGISTRY 1006
#define IDC_STEP_FILES 1007
#define IDC_STEP_DIRECTORIES 1008
