// The modal editor that adds or modifies one schedule entry.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"

INT_PTR CALLBACK ScheduleEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Opens the editor for entry (none: a new entry). Returns 1 when the entry was
// written (OK), 2 when nothing changed.
INT_PTR RunScheduleEditor(HWND owner, ScheduleEntry* entry);

// Enables the ten MP3 radio buttons exactly when the MP3 parameters box is checked.
void UpdateMp3ParamControls(HWND dialog);
// Index of the last checked button of ids first .. first + count - 1, -1 when
// none is checked or count is not positive.
int GetCheckedInRun(HWND dialog, int firstId, int count);
// Checks the button at index and unchecks the rest of the run; a negative
// index unchecks the whole run, an index at or past count changes nothing.
void CheckRadioInRun(HWND dialog, int firstId, int count, int index);
// Binds a new wrapping up-down control to a number field.
void AttachUpDown(HWND dialog, int fieldId, int upDownId, int minimum, int maximum);
// Lets the user choose a folder; path (PATH_CAPACITY bytes) receives its
// file-system path with one trailing backslash, or stays empty when the item
// has none (or no room for the backslash). Returns 0 when cancelled, with
// path emptied.
int BrowseForFolder(HWND owner, const char* title, char* path);
