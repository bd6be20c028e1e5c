// The main window: a modeless dialog with the schedule list and commands.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Creates the main dialog from its template (modeless, no owner).
HWND CreateMainDialog(HINSTANCE instance);
// Empties list 100 and adds one line per entry, each carrying its entry.
void RefreshScheduleList(HWND mainWindow);

// Unsaved changes to the schedule.
extern BYTE scheduleDirty;
