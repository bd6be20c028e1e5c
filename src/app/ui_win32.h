// Small user-interface helpers shared by the dialogs.
#pragma once
#include <windows.h>

// Every message box of the program: task-modal, captioned with the owner's
// title, with the exclamation icon unless the type names another icon.
int ShowMessage(HWND owner, const char* text, UINT type);

void EnableControl(HWND window, int id, BOOL on);
// Posts WM_COMMAND with the id as wParam and lParam 0.
void PostCommand(HWND window, WPARAM id);
int SelectedScheduleIndex(HWND window, int listId);
