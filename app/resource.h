// Ids shared by the dialog template and its procedure.
#pragma once

#define IDD_SETTINGS 101

#define IDC_MUSIC 1002
#define IDC_RESOLUTION_LABEL 1003
#define IDC_FULLSCREEN 1005
#define IDC_ANTIALIASING 1006
#define IDC_VSYNC 1007
#define IDC_RESOLUTION 2002

#define IDC_STATIC (-1)
