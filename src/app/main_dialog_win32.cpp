#include "app/main_dialog_win32.h"

#include "app/app_win32.h"
#include "app/main_view.h"
#include "app/ui_win32.h"
#include "editor/editor_win32.h"
#include "placement/placement_win32.h"
#include "recorder/launch_win32.h"
#include "recorder/plugin_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "text/text.h"

BYTE scheduleDirty = 0;

namespace {
// 255 so that the first tick always sets the save button.
BYTE shownDirty = 255;

const UINT kSearchPeriodMs = 4000;
const UINT kTickPeriodMs = 1000;
const int kMinTrackWidthUnits = 130;
const int kMinTrackHeightUnits = 140;

// ---- List keyboard: Insert adds, Delete deletes ----

LRESULT CALLBACK ScheduleListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_INSERT) {
    PostCommand(GetParent(list), IDC_MAIN_ADD);
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == VK_DELETE) {
    PostCommand(GetParent(list), IDC_MAIN_DELETE);
    return 0;
  }
  WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(list, STR_ORG_WNDPROC_PROPERTY));
  return CallWindowProcA(original, list, message, wParam, lParam);
}

void SubclassScheduleList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_MAIN_LIST);
  LONG_PTR original = SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScheduleListProc));
  SetPropA(list, STR_ORG_WNDPROC_PROPERTY, reinterpret_cast<HANDLE>(original));
}

// The entry of the selected line, or none.
ScheduleEntry* SelectedEntry(HWND dialog) {
  int index = SelectedScheduleIndex(dialog, IDC_MAIN_LIST);
  if (index < 0) return nullptr;
  LRESULT data = SendDlgItemMessageA(dialog, IDC_MAIN_LIST, LB_GETITEMDATA, index, 0);
  if (data == LB_ERR || data == 0) return nullptr;
  // Only entries still in the list count.
  for (ScheduleEntry* e = scheduleList; e; e = e->next)
    if (reinterpret_cast<LRESULT>(e) == data) return e;
  return nullptr;
}

void MarkChanged(HWND dialog) {
  RefreshScheduleList(dialog);
  scheduleDirty = 1;
}

// ---- Commands ----

void OnEnter(HWND dialog) {
  if (GetFocus() == GetDlgItem(dialog, IDC_MAIN_LIST)) PostCommand(dialog, IDC_MAIN_MODIFY);
}

void OnEscape(HWND dialog) { ShowWindow(dialog, SW_MINIMIZE); }

void OnListNotify(HWND dialog, WORD code) {
  if (code == LBN_DBLCLK) PostCommand(dialog, IDC_MAIN_MODIFY);
}

// Saves the schedule; a save that fails says so, naming the file, and the
// schedule stays marked changed.
bool SaveOrSay(HWND dialog) {
  if (SaveSchedules()) return true;
  char text[sizeof STR_SAVE_FAILED + sizeof settingsPath];
  FormatText(text, sizeof text, STR_SAVE_FAILED, settingsPath);
  ShowMessage(dialog, text, MB_OK);
  return false;
}

void OnExit(HWND dialog) {
  if (scheduleDirty) {
    int answer = ShowMessage(dialog, STR_ASK_SAVE, MB_YESNOCANCEL);
    if (answer == IDCANCEL) return;
    // Closing now would lose the edits the save could not keep.
    if (answer == IDYES && !SaveOrSay(dialog)) return;
  }
  DestroyWindow(dialog);
}

void OnLaunch(HWND dialog) {
  char* path = static_cast<char*>(LocalAlloc(LMEM_FIXED, PATH_CAPACITY));
  if (!path) return;
  LocatePlayer(path);
  LaunchProgram(dialog, STR_PLAYER_EXE, 1, nullptr);
  LocalFree(path);
}

void OnAdd(HWND dialog) {
  if (RunScheduleEditor(dialog, nullptr) == IDOK) MarkChanged(dialog);
}

void OnDelete(HWND dialog) {
  if (SelectedScheduleIndex(dialog, IDC_MAIN_LIST) < 0) {
    ShowMessage(dialog, STR_SELECT_TO_DELETE, MB_OK);
    return;
  }
  if (ShowMessage(dialog, STR_CONFIRM_DELETE, MB_OKCANCEL) != IDOK) return;
  ScheduleEntry* entry = SelectedEntry(dialog);
  if (!entry) return;
  RemoveScheduleEntry(entry);
  MarkChanged(dialog);
}

void OnModify(HWND dialog) {
  if (SelectedScheduleIndex(dialog, IDC_MAIN_LIST) < 0) {
    ShowMessage(dialog, STR_SELECT_TO_MODIFY, MB_OK);
    return;
  }
  ScheduleEntry* entry = SelectedEntry(dialog);
  if (entry && RunScheduleEditor(dialog, entry) == IDOK) MarkChanged(dialog);
}

void OnSave(HWND dialog) {
  if (SaveOrSay(dialog)) scheduleDirty = 0;
}

void OnCommand(HWND dialog, WORD id, WORD code) {
  switch (id) {
    case IDOK: OnEnter(dialog); break;
    case IDCANCEL: OnEscape(dialog); break;
    case IDC_MAIN_LIST: OnListNotify(dialog, code); break;
    case IDC_MAIN_EXIT: OnExit(dialog); break;
    case IDC_MAIN_LAUNCH: OnLaunch(dialog); break;
    case IDC_MAIN_START: StartRecordingCommand(); break;
    case IDC_MAIN_STOP: StopRecordingCommand(); break;
    case IDC_MAIN_ADD: OnAdd(dialog); break;
    case IDC_MAIN_DELETE: OnDelete(dialog); break;
    case IDC_MAIN_MODIFY: OnModify(dialog); break;
    case IDC_MAIN_SAVE: OnSave(dialog); break;
    default: break;
  }
}

// ---- Timers ----

void UpdateTitle(HWND dialog, const SYSTEMTIME& now) {
  char title[TITLE_CAPACITY];
  GetWindowTextA(dialog, title, sizeof title);
  UpdateTitleClock(title, sizeof title, now.wHour, now.wMinute, now.wSecond);
  SetWindowTextA(dialog, title);
}

void UpdateSaveButton(HWND dialog) {
  if (scheduleDirty == shownDirty) return;
  EnableControl(dialog, IDC_MAIN_SAVE, scheduleDirty == 1);
  shownDirty = scheduleDirty;
}

// Re-arms the tick for just after the next second boundary, so scheduled
// starts and the title clock follow the clock's seconds, not the phase at
// which the program happened to start.
void ArmSecondTick(HWND dialog) {
#ifdef TAVELUND_UNALIGNED_TICK
  // Benchmark build only: the plain 1000 ms period armed at start-up keeps
  // running with whatever phase it got, as a reference for the aligned tick.
  (void)dialog;
#else
  SYSTEMTIME now;
  GetLocalTime(&now);
  SetTimer(dialog, TIMER_SECOND_TICK, DelayToNextSecond(now.wMilliseconds), nullptr);
#endif
}

void OnSecondTick(HWND dialog) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  UpdateTitle(dialog, now);
  UpdateSaveButton(dialog);
  OnConnectionTick(dialog);
  ArmSecondTick(dialog);
}

void OnTimer(HWND dialog, UINT_PTR id) {
  if (id == TIMER_PLUGIN_SEARCH) {
    OnSearchTimer(dialog);
  } else {
    OnSecondTick(dialog);
  }
}

BOOL OnInitDialog(HWND dialog) {
  SubclassScheduleList(dialog);
  LoadSchedules();
  RefreshScheduleList(dialog);
  scheduleDirty = 0;
  shownDirty = 255;
  SetTimer(dialog, TIMER_PLUGIN_SEARCH, kSearchPeriodMs, nullptr);
  SetTimer(dialog, TIMER_SECOND_TICK, kTickPeriodMs, nullptr);
  PostCommand(dialog, IDC_MAIN_LAUNCH);
  return TRUE;
}

void OnDestroy() {
  FreeAllSchedules();
  PostQuitMessage(0);
}
}  // namespace

namespace {
// The fill goes straight to the list box's own procedure: the key subclass
// has no part in it, and each message through it looks the property up
// again, which under Wine asks the server: with a few thousand lines that
// tripled the fill and held up the window's start-up.
LRESULT SendToList(HWND list, WNDPROC listProc, UINT message, WPARAM wParam, LPARAM lParam) {
  return listProc ? CallWindowProcA(listProc, list, message, wParam, lParam)
                  : SendMessageA(list, message, wParam, lParam);
}
}  // namespace

void RefreshScheduleList(HWND mainWindow) {
  HWND list = GetDlgItem(mainWindow, IDC_MAIN_LIST);
  WNDPROC listProc = reinterpret_cast<WNDPROC>(GetPropA(list, STR_ORG_WNDPROC_PROPERTY));
  // The tick refills the list right before it hands a recording to the
  // plug-in: draw the list once when it is full, not once per line, or every
  // line makes the start a little later.
  SendToList(list, listProc, WM_SETREDRAW, FALSE, 0);
  SendToList(list, listProc, LB_RESETCONTENT, 0, 0);
  SendToList(list, listProc, LB_INITSTORAGE, static_cast<WPARAM>(ScheduleCount()),
             static_cast<LPARAM>(ScheduleCount()) * LIST_LINE_CAPACITY / 2);
  char line[LIST_LINE_CAPACITY];
  for (ScheduleEntry* entry = scheduleList; entry; entry = entry->next) {
    FormatListLine(line, sizeof line, entry);
    LRESULT index = SendToList(list, listProc, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    if (index >= 0) SendToList(list, listProc, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(entry));
  }
  SendToList(list, listProc, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  TrackDialogPlacement(dialog, message, wParam, 1);
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_TIMER: OnTimer(dialog, wParam); return FALSE;
    case WM_CLOSE: PostCommand(dialog, IDC_MAIN_EXIT); return TRUE;
    case WM_DESTROY: OnDestroy(); return FALSE;
    case WM_SIZE: RelayoutMainDialog(dialog, wParam, lParam); return FALSE;
    case WM_GETMINMAXINFO:
      SetMinTrackSize(reinterpret_cast<MINMAXINFO*>(lParam), kMinTrackWidthUnits, kMinTrackHeightUnits);
      return FALSE;
    default: return FALSE;
  }
}

HWND CreateMainDialog(HINSTANCE instance) {
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
}
