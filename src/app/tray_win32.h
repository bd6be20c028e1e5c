// The program's icon in the notification area, for the whole run: its face
// follows the state (waiting, recording, needs you), a click brings the main
// window back, a right click offers the menu, and a minimised main window
// leaves the taskbar for it.
#pragma once
#include <windows.h>

// The main dialog's pre-handler for the tray, called for every message after
// the placement's: starts the icon at WM_INITDIALOG, keeps it on the shell
// (tried again while the shell has no notification area, added again when
// the shell restarts), carries out clicks and the menu, takes a minimised
// window off the taskbar, and removes the icon at WM_DESTROY and at the end
// of the Windows session. True for the messages that are the tray's alone:
// the dialog procedure then returns TRUE without handling them itself.
bool TrackTray(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The tooltip: code page 949, cut to the characters the shell keeps. The
// shell hears of it only when it changed.
void SetTrayTip(const char* text);
// A balloon with the warning icon (quiet in the system's quiet time); the
// icon shows "needs you" until the person looks, and a minimised window that
// stays on the taskbar flashes its button until it is restored.
void ShowTrayBalloon(const char* title, const char* text);
// The person opened the window or the history: the icon leaves "needs you".
void TrayPersonLooked();
// The tick tells whether an entry records.
void ShowTrayRecording(bool recording);
// The window back from the tray or the taskbar: shown, restored to its
// remembered place, in front.
void RestoreMainWindow(HWND dialog);
