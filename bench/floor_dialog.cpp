// The floor program of the start-up and idle benchmarks: creates a dialog
// from a template, shows it and runs a message loop, nothing more. With
// --timer it also keeps a 1-second timer whose ticks do nothing; with
// --title-clock as well, each tick puts the clock in the title, as the main
// window does (to show what that alone costs). With --plugin-state HANDLE
// each tick instead reads the plug-in's state control (88 of the window
// HANDLE, in hex) the way the program's tick does, and nothing more: what
// the tick must cost at least. --hidden never shows the window.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "floor_dialog.h"

namespace {

bool titleClock = false;
HWND plugin = nullptr;

// The one read of the state control the program's tick makes each second.
void ReadPluginState() {
  HWND state = GetDlgItem(plugin, 88);
  if (!state) return;
  char text[64];
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(state, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, 1000, &copied);
}

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
      if (plugin) ReadPluginState();
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
  if (const char* handle = strstr(commandLine, "--plugin-state "))
    plugin = reinterpret_cast<HWND>(static_cast<INT_PTR>(strtoull(handle + sizeof "--plugin-state " - 1, nullptr, 16)));
  if (HasOption(commandLine, "--timer") || titleClock || plugin) SetTimer(dialog, FLOOR_TIMER, 1000, nullptr);
  if (!HasOption(commandLine, "--hidden")) {
    ShowWindow(dialog, showCommand);
    UpdateWindow(dialog);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
