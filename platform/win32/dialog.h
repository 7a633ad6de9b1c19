// Internals of the dialog manager for tests: the GTK widget behind a dialog or
// control handle, null for a handle that is neither.
#pragma once

#include <windows.h>

typedef struct _GtkWidget GtkWidget;

GtkWidget* Win32GetDialogWidget(HWND hWnd);
