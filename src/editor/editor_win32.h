// The modal editor that adds or modifies one schedule entry.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"

INT_PTR CALLBACK ScheduleEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Opens the editor for entry (none: a new entry). Returns 1 when the entry was
// written (OK), 2 when nothing changed.
INT_PTR RunScheduleEditor(HWND owner, ScheduleEntry* entry);
