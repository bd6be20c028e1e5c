// Small user-interface helpers shared by every dialog and by the code that
// talks to other windows: message boxes, control states, posted commands.
#pragma once
#include <windows.h>

// Every message box of the program: task-modal, captioned with the owner's
// title, with the exclamation icon unless the type names another icon.
int ShowMessage(HWND owner, const char* text, UINT type);
// The same with wide texts and a caption of its own: for words that must read
// on a system whose code page is not the program's.
int ShowWideMessage(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type);

void EnableControl(HWND window, int id, BOOL on);
// Posts WM_COMMAND with the id as wParam and lParam 0.
void PostCommand(HWND window, WPARAM id);
int SelectedScheduleIndex(HWND window, int listId);
// The module a window was created from: dialogs and controls made on a
// window's behalf come from the same place.
HINSTANCE InstanceOf(HWND window);
// A window's title or class, always terminated (empty when unreadable).
void ReadWindowTitle(HWND window, char* title, int capacity);
void ReadClassName(HWND window, char* name, int capacity);
// Starts a program without waiting for it, its window shown with showCommand.
// application may be none: the command line's first word then names it.
// True when a process began.
bool StartProcessShown(const char* application, char* commandLine, WORD showCommand);
