// tray_shot.exe: the real main dialog with its notification-area icon, for a
// screenshot of the icon and of a balloon (scripts/tray-shot.sh). Not a test
// and not shipped: it runs the program's own window with a settings file of
// its own beside it, shows a balloon after a second and ends after the given
// seconds.
//
//   tray_shot SECONDS
#include <windows.h>

#include <cstdlib>

#include "app/app_win32.h"
#include "app/main_dialog_win32.h"
#include "app/tray_win32.h"
#include "resources/strings.h"
#include "schedule/settings_win32.h"

namespace {

// 놓친 녹음 2건 (a sample balloon: the title and its text)
const char kTitle[] = "\xB3\xF5\xC4\xA3 \xB3\xEC\xC0\xBD 2\xB0\xC7";
// 녹음 기록을 보세요
const char kText[] = "\xB3\xEC\xC0\xBD \xB1\xE2\xB7\xCF\xC0\xBB \xBA\xB8\xBC\xBC\xBF\xE4";
// Thread timers: the system picks their ids.
UINT_PTR balloonTimer = 0;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  if (id == balloonTimer) {
    KillTimer(nullptr, id);
    ShowTrayBalloon(kTitle, kText);
  } else {
    PostQuitMessage(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? atoi(argv[1]) : 30;
  char path[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  InitSettingsPath(path);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  app.instance = instance;
  RegisterMainClass(instance);
  HWND dialog = CreateMainDialog(instance);
  if (!dialog) return 1;
  ShowWindow(dialog, SW_SHOWMINNOACTIVE);
  balloonTimer = SetTimer(nullptr, 0, 1000, OnTimer);
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, OnTimer);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (IsWindow(dialog)) DestroyWindow(dialog);
  return 0;
}
