// The main window: a modeless dialog with the schedule list and commands.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Creates the main dialog from its template (modeless, no owner).
HWND CreateMainDialog(HINSTANCE instance);
// Empties the schedule list and adds one line per entry, each carrying its entry.
void RefreshScheduleList(HWND mainWindow);
// Replaces the one line of entry (its mark changed), keeping the selection.
void UpdateScheduleLine(HWND mainWindow, const ScheduleEntry* entry);
