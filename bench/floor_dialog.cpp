// The floor program of the start-up and idle benchmarks: creates a dialog
// from a template, shows it and runs a message loop, nothing more. With
// --timer it also keeps a 1-second timer whose ticks do nothing; with
// --title-clock as well, each tick puts the clock in the title, as the main
// window does (to show what that alone costs).
#include <windows.h>

#include <cstring>

#include "floor_dialog.h"

namespace {

bool titleClock = false;

void ShowClock(HWND dialog) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char title[80];
  GetWindowTextA(dialog, title, sizeof title);
  wsprintfA(title, "%s - %02u:%02u:%02u", FLOOR_TITLE, now.wHour, now.wMinute, now.wSecond);
  SetWindowTextA(dialog, title);
}

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_TIMER:
      if (titleClock) ShowClock(dialog);
      return TRUE;
    case WM_CLOSE: DestroyWindow(dialog); return TRUE;
    case WM_DESTROY: PostQuitMessage(0); return TRUE;
    default: return FALSE;
  }
}

bool HasOption(const char* commandLine, const char* option) { return strstr(commandLine, option) != nullptr; }


}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_FLOOR), nullptr, FloorProc, 0);
  if (!dialog) return 1;
  titleClock = HasOption(commandLine, "--title-clock");
  if (HasOption(commandLine, "--timer") || titleClock) SetTimer(dialog, FLOOR_TIMER, 1000, nullptr);
  ShowWindow(dialog, showCommand);
  UpdateWindow(dialog);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
