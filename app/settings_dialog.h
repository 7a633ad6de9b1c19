// The Settings dialog's procedure: fills the C_Settings record whose address
// arrives with WM_INITDIALOG.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
