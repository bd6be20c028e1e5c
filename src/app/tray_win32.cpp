// The notification-area icon: one icon of the main window (identified by the
// window and an id, so a portable copy anywhere needs no registration), kept
// on the shell for the whole run.
#include "app/tray_win32.h"

#include <shellapi.h>

#include "app/autostart_win32.h"
#include "app/tray.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/settings_win32.h"
#include "ui/ui_win32.h"

namespace {

const UINT kIconId = 1;
// An add that fails (at sign-in the shell may not have its notification area
// yet) is tried again this often until it succeeds.
const UINT kRetryPeriodMs = 3000;
// The shell's calls back for the icon, and the hide that follows a minimise.
const UINT kCallbackMessage = MSG_TRAY_CALLBACK;
const UINT kHideMessage = MSG_TRAY_HIDE;

// The size that carries every field of the layout since Vista (the program
// runs on Windows 7 and later): a documented size, so every field counts.
const DWORD kDataSize = sizeof(NOTIFYICONDATAW);
static_assert(sizeof(NOTIFYICONDATAW) > NOTIFYICONDATAW_V3_SIZE, "the layout with the balloon icon");

static_assert(TRAY_EVENT_CONTEXT_MENU == WM_CONTEXTMENU && TRAY_EVENT_LEFT_UP == WM_LBUTTONUP &&
                  TRAY_EVENT_LEFT_DOUBLE == WM_LBUTTONDBLCLK && TRAY_EVENT_RIGHT_UP == WM_RBUTTONUP &&
                  TRAY_EVENT_SELECT == NIN_SELECT && TRAY_EVENT_KEY_SELECT == NIN_KEYSELECT,
              "the callback's events are the platform's");

struct Tray {
  HWND window;
  // The shell holds the icon, and took the fourth version of the callback.
  bool added;
  bool version4;
  bool recording;
  bool needsYou;
  // The face the shell holds.
  TrayIcon shownFace;
  bool minimiseToTray;
  bool flashing;
  UINT taskbarCreated;
  HICON faces[3];
  WCHAR tip[TRAY_TIP_CHARACTERS + 1];
  // The last balloon told while the shell held no icon (at sign-in, before
  // the notification area is up): shown once the icon is added.
  bool balloonWaiting;
  WCHAR balloonTitle[TRAY_BALLOON_TITLE_CHARACTERS + 1];
  WCHAR balloonText[TRAY_BALLOON_TEXT_CHARACTERS + 1];
};
Tray tray = {};

// The program's texts are code page 949 whatever the system's ANSI code page,
// so they are converted as such: the person reads the program's own Korean
// even where Windows runs another code page for programs like this one. At
// most maxCharacters characters are kept, cut between two characters.
void ToWide(WCHAR* wide, int maxCharacters, const char* text) {
  int bytes = static_cast<int>(CharacterCutLength(text, static_cast<size_t>(maxCharacters)));
  int units = MultiByteToWideChar(949, 0, text, bytes, wide, maxCharacters);
  if (units == 0 && bytes > 0) units = MultiByteToWideChar(CP_ACP, 0, text, bytes, wide, maxCharacters);
  wide[units] = L'\0';
}

TrayIcon Face() { return TrayIconOf(tray.recording, tray.needsYou); }

HICON LoadFace(HINSTANCE instance, int id) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                       GetSystemMetrics(SM_CYSMICON), 0));
}

void LoadFaces(HINSTANCE instance) {
  if (tray.faces[TRAY_ICON_WAITING]) return;
  tray.faces[TRAY_ICON_WAITING] = LoadFace(instance, IDI_TRAY_WAITING);
  tray.faces[TRAY_ICON_RECORDING] = LoadFace(instance, IDI_TRAY_RECORDING);
  tray.faces[TRAY_ICON_NEEDS_YOU] = LoadFace(instance, IDI_TRAY_NEEDS_YOU);
}

NOTIFYICONDATAW IconData(UINT flags) {
  NOTIFYICONDATAW data = {};
  data.cbSize = kDataSize;
  data.hWnd = tray.window;
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = tray.faces[Face()];
  lstrcpynW(data.szTip, tray.tip, sizeof data.szTip / sizeof data.szTip[0]);
  return data;
}

bool SendBalloon() {
  NOTIFYICONDATAW data = IconData(NIF_ICON | NIF_INFO);
  tray.shownFace = Face();
  lstrcpynW(data.szInfoTitle, tray.balloonTitle, sizeof data.szInfoTitle / sizeof data.szInfoTitle[0]);
  lstrcpynW(data.szInfo, tray.balloonText, sizeof data.szInfo / sizeof data.szInfo[0]);
  data.dwInfoFlags = NIIF_WARNING | NIIF_RESPECT_QUIET_TIME;
  tray.balloonWaiting = !(tray.window && Shell_NotifyIconW(NIM_MODIFY, &data));
  return !tray.balloonWaiting;
}

void StartRetry() { SetTimer(tray.window, TIMER_TRAY_RETRY, kRetryPeriodMs, nullptr); }

// Puts the icon on the shell. A shell that restarted may still hold it from
// before and refuse the add: then the icon is brought up to date instead.
bool AddIcon() {
  NOTIFYICONDATAW data = IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  if (!Shell_NotifyIconW(NIM_ADD, &data) && !Shell_NotifyIconW(NIM_MODIFY, &data)) {
    tray.added = false;
    StartRetry();
    return false;
  }
  KillTimer(tray.window, TIMER_TRAY_RETRY);
  tray.added = true;
  tray.shownFace = Face();
  data.uVersion = NOTIFYICON_VERSION_4;
  tray.version4 = Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
  // A window minimised while there was no icon to come back by waited on the
  // taskbar: now it can go.
  if (tray.minimiseToTray && IsIconic(tray.window) && IsWindowVisible(tray.window))
    PostMessageA(tray.window, kHideMessage, 0, 0);
  if (tray.balloonWaiting) SendBalloon();
  return true;
}

// A change the shell refuses means it lost the icon (it went away): the add
// is tried again until a shell takes it.
void ModifyIcon(NOTIFYICONDATAW* data) {
  if (!tray.added || !tray.window) return;
  if (Shell_NotifyIconW(NIM_MODIFY, data)) return;
  tray.added = false;
  StartRetry();
}

void ShowFace() {
  if (!tray.added || tray.shownFace == Face()) return;
  NOTIFYICONDATAW data = IconData(NIF_ICON);
  tray.shownFace = Face();
  ModifyIcon(&data);
}

void RemoveIcon() {
  if (!tray.window) return;
  KillTimer(tray.window, TIMER_TRAY_RETRY);
  if (tray.added) {
    NOTIFYICONDATAW data = IconData(0);
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
  tray.added = false;
  tray.window = nullptr;
}

// ---- The taskbar button's flash (a minimised window that stays on the taskbar) ----

void Flash(DWORD how) {
  FLASHWINFO info = {};
  info.cbSize = sizeof info;
  info.hwnd = tray.window;
  info.dwFlags = how;
  FlashWindowEx(&info);
}

void StopFlashing() {
  if (!tray.flashing) return;
  tray.flashing = false;
  if (tray.window) Flash(FLASHW_STOP);
}

// ---- The icon's menu ----

HMENU BuildMenu() {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  AppendMenuA(menu, MF_STRING, IDM_TRAY_OPEN, STR_MENU_TRAY_OPEN);
  SetMenuDefaultItem(menu, IDM_TRAY_OPEN, FALSE);
  AppendMenuA(menu, MF_STRING, IDM_SHOW_HISTORY, STR_MENU_SHOW_HISTORY);
  // Read afresh: the key can change outside the program.
  AppendMenuA(menu, MF_STRING | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED), IDM_START_WITH_WINDOWS,
              STR_MENU_START_WITH_WINDOWS);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_TRAY_EXIT, STR_MENU_TRAY_EXIT);
  return menu;
}

// The history and the start with Windows are the system menu's own items:
// the dialog carries them out as if chosen there; the exit goes the exit
// button's way, its save question included.
void CarryOutMenuItem(HWND dialog, UINT item) {
  switch (item) {
    case IDM_TRAY_OPEN: RestoreMainWindow(dialog); break;
    case IDM_SHOW_HISTORY:
    case IDM_START_WITH_WINDOWS: PostMessageA(dialog, WM_SYSCOMMAND, item, 0); break;
    case IDM_TRAY_EXIT: PostCommand(dialog, IDC_MAIN_EXIT); break;
    default: break;
  }
}

// The fourth version hands the menu's place over (where the click or the menu
// key was); an older shell does not, and the cursor is where the click was.
void ShowMenu(HWND dialog, WPARAM anchor) {
  POINT at;
  if (tray.version4) {
    at.x = static_cast<short>(LOWORD(anchor));
    at.y = static_cast<short>(HIWORD(anchor));
  } else {
    GetCursorPos(&at);
  }
  HMENU menu = BuildMenu();
  if (!menu) return;
  // The menu closes when the person clicks elsewhere only if its window is in
  // front; the message after it lets the shell's next click open it again.
  SetForegroundWindow(dialog);
  UINT item = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr));
  PostMessageA(dialog, WM_NULL, 0, 0);
  DestroyMenu(menu);
  CarryOutMenuItem(dialog, item);
}

void OnCallback(HWND dialog, WPARAM wParam, LPARAM lParam) {
  // The fourth version puts the event in the low word, the icon's id in the high.
  UINT event = tray.version4 ? LOWORD(lParam) : static_cast<UINT>(lParam);
  switch (TrayActionOf(event, tray.version4)) {
    case TRAY_OPEN: RestoreMainWindow(dialog); break;
    case TRAY_MENU: ShowMenu(dialog, wParam); break;
    default: break;
  }
}

// ---- The window's life ----

void StartTray(HWND dialog) {
  HICON faces[3] = {tray.faces[0], tray.faces[1], tray.faces[2]};
  tray = Tray{};
  for (int i = 0; i < 3; ++i) tray.faces[i] = faces[i];
  tray.window = dialog;
  tray.taskbarCreated = RegisterWindowMessageA(STR_TASKBAR_CREATED_MESSAGE);
  char value[16];
  ReadSetting(STR_SECTION_CONFIG, STR_KEY_MINIMISE_TO_TRAY, value, sizeof value);
  tray.minimiseToTray = MinimiseToTrayEnabled(value);
  LoadFaces(InstanceOf(dialog));
  // The program's name until the caller tells more.
  SetTrayTip(STR_MAIN_TITLE);
  AddIcon();
}

// A minimised window is hidden once the minimise is over (hiding in the
// middle of it would leave the system half-way); it stays iconic, so showing
// it again restores it to its normal place.
void OnMinimised(HWND dialog) {
  if (tray.minimiseToTray) PostMessageA(dialog, kHideMessage, 0, 0);
}

// Without an icon a hidden window could only come back by a second start: it
// stays on the taskbar until the shell takes the icon.
void OnHide(HWND dialog) {
  if (IsIconic(dialog) && tray.added) ShowWindow(dialog, SW_HIDE);
}

void OnSize(HWND dialog, WPARAM type) {
  if (type == SIZE_MINIMIZED) {
    OnMinimised(dialog);
    return;
  }
  if (IsWindowVisible(dialog)) TrayPersonLooked();
}

void OnActivate(HWND dialog, WPARAM state) {
  if (LOWORD(state) != WA_INACTIVE && !IsIconic(dialog) && IsWindowVisible(dialog)) TrayPersonLooked();
}

}  // namespace

bool TrackTray(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallbackMessage) {
    OnCallback(dialog, wParam, lParam);
    return true;
  }
  if (message == kHideMessage) {
    OnHide(dialog);
    return true;
  }
  if (message == tray.taskbarCreated && tray.taskbarCreated != 0) {
    // The shell restarted and lost its icons (or says so while it still holds them).
    if (tray.window == dialog) AddIcon();
    return true;
  }
  switch (message) {
    case WM_INITDIALOG: StartTray(dialog); return false;
    case WM_TIMER:
      if (wParam != TIMER_TRAY_RETRY) return false;
      AddIcon();
      return true;
    case WM_SIZE: OnSize(dialog, wParam); return false;
    case WM_ACTIVATE: OnActivate(dialog, wParam); return false;
    case WM_ENDSESSION:
      // The session ends without destroying the window: the icon goes now.
      if (wParam) RemoveIcon();
      return false;
    case WM_DESTROY:
      StopFlashing();
      RemoveIcon();
      return false;
    default: return false;
  }
}

void SetTrayTip(const char* text) {
  WCHAR tip[TRAY_TIP_CHARACTERS + 1];
  ToWide(tip, TRAY_TIP_CHARACTERS, text);
  if (lstrcmpW(tip, tray.tip) == 0) return;
  lstrcpynW(tray.tip, tip, sizeof tray.tip / sizeof tray.tip[0]);
  NOTIFYICONDATAW data = IconData(NIF_TIP);
  ModifyIcon(&data);
}

void ShowTrayBalloon(const char* title, const char* text) {
  tray.needsYou = true;
  ToWide(tray.balloonTitle, TRAY_BALLOON_TITLE_CHARACTERS, title);
  ToWide(tray.balloonText, TRAY_BALLOON_TEXT_CHARACTERS, text);
  tray.balloonWaiting = true;
  // A shell that refuses it has lost the icon: the add is tried again, and
  // the balloon comes with it.
  if (tray.added && !SendBalloon()) {
    tray.added = false;
    StartRetry();
  }
  if (tray.window && !tray.minimiseToTray && IsIconic(tray.window)) {
    tray.flashing = true;
    Flash(FLASHW_TRAY | FLASHW_TIMER);
  }
}

void TrayPersonLooked() {
  StopFlashing();
  if (!tray.needsYou) return;
  tray.needsYou = false;
  ShowFace();
}

void ShowTrayRecording(bool recording) {
  tray.recording = recording;
  ShowFace();
}

void RestoreMainWindow(HWND dialog) {
  // A hidden window is still iconic: restoring shows it at its normal place.
  if (IsIconic(dialog) || !IsWindowVisible(dialog)) ShowWindow(dialog, SW_RESTORE);
  SetForegroundWindow(dialog);
  TrayPersonLooked();
}
