#include "app/player_search_win32.h"

#include "app/app_win32.h"
#include "app/history_events_win32.h"
#include "recorder/launch.h"
#include "recorder/launch_win32.h"
#include "recorder/plugin_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule.h"

namespace {

// One step lists for about this long: a key, a click or the tick waits at
// most that much, and the loop's own work between two steps (each a call to
// the system) stays a small share.
const DWORD kStepMs = 25;
// Between the main loop's steps the timer has nothing to add; it carries the
// search through modal loops, at a slower pace there.
const UINT kStepTimerMs = 50;
// The folder in the status line changes at a pace a person can read.
const DWORD kFolderShownForMs = 1000;

struct DriveSearch {
  HWND dialog;
  ProgramLaunch* launch;
  bool underWay;   // from the command until the launch is over
  bool searching;  // steps are wanted
  bool held;
  DWORD shownAtMs;
};
DriveSearch search;

// Whether the text fits the status line's width in the line's own font.
bool FitsStatusLine(HWND status, HDC dc, const char* text) {
  RECT area;
  GetClientRect(status, &area);
  SIZE size;
  if (!GetTextExtentPoint32A(dc, text, lstrlenA(text), &size)) return true;
  return size.cx <= area.right - area.left;
}

// The folder being searched, its path shortened from the front until the
// text fits: the end of the path is where the search is.
void ShowFolder() {
  HWND status = GetDlgItem(search.dialog, IDC_MAIN_STATUS);
  HDC dc = GetDC(status);
  if (!dc) return;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(status, WM_GETFONT, 0, 0));
  HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  char text[PATH_CAPACITY];
  const char* folder = LaunchSearchFolder(search.launch);
  for (int dropped = 0;; ++dropped) {
    int more = FormatSearchingFolderText(text, sizeof text, STR_PLAYER_EXE, folder, dropped);
    if (!more || FitsStatusLine(status, dc, text)) break;
  }
  if (previous) SelectObject(dc, previous);
  ReleaseDC(status, dc);
  ShowSearchProgress(search.dialog, text);
  search.shownAtMs = GetTickCount();
}

void ShowDrive() {
  char text[PATH_CAPACITY];
  FormatSearchingDriveText(text, sizeof text, LaunchSearchDrive(search.launch), STR_PLAYER_EXE);
  ShowSearchProgress(search.dialog, text);
  search.shownAtMs = GetTickCount();
}

// What the command did after every launch that ran to its end.
void AfterLaunch(bool started) {
  if (started) {
    // A player that was just started comes up within seconds: its plug-in
    // is looked for every second meanwhile.
    app.launch.launched = 1;
    app.launch.atMs = GetTickCount();
  }
  NotePlayerLaunched();
}

void StopStepping() {
  search.searching = false;
  KillTimer(search.dialog, TIMER_DRIVE_SEARCH);
}

// The search is over. A plug-in that came meanwhile means the person started
// the player by hand: a second one is not started into it and its not being
// found is not told; a path found is stored all the same.
void FinishSearch(LaunchProgress progress) {
  StopStepping();
  const bool playerRuns = pluginWindow != nullptr;
  bool started = false;
  if (progress == LAUNCH_FOUND && !playerRuns) StartFoundProgram(search.launch, nullptr, &started);
  EndProgramLaunch(search.launch);
  search.launch = nullptr;
  // The progress stays in the line until the message is closed.
  if (progress == LAUNCH_NOWHERE && !playerRuns) ReportProgramNowhere(search.dialog, STR_PLAYER_EXE);
  // The window may have gone while the message was open.
  if (!search.underWay) return;
  EndSearchProgress(search.dialog);
  search.underWay = false;
  AfterLaunch(started);
}

void Step() {
  if (!search.searching || search.held) return;
  LaunchProgress progress = StepProgramLaunch(search.launch, kStepMs);
  if (progress == LAUNCH_ON_NEXT_DRIVE) {
    ShowDrive();
  } else if (progress == LAUNCH_SEARCHING) {
    if (GetTickCount() - search.shownAtMs >= kFolderShownForMs) ShowFolder();
  } else {
    FinishSearch(progress);
  }
}

}  // namespace

void LaunchPlayer(HWND dialog) {
  if (search.underWay) return;
  char* path = static_cast<char*>(LocalAlloc(LMEM_FIXED, PATH_CAPACITY));
  if (!path) return;
  LocatePlayer(path);
  LocalFree(path);
  LaunchProgress progress;
  ProgramLaunch* launch = BeginProgramLaunch(STR_PLAYER_EXE, &progress);
  if (!launch) {
    AfterLaunch(false);
    return;
  }
  if (progress == LAUNCH_FOUND) {
    bool started = false;
    StartFoundProgram(launch, nullptr, &started);
    EndProgramLaunch(launch);
    AfterLaunch(started);
    return;
  }
  search.dialog = dialog;
  search.launch = launch;
  search.underWay = true;
  search.held = false;
  if (progress == LAUNCH_NOWHERE) {
    FinishSearch(progress);
    return;
  }
  search.searching = true;
  ShowDrive();
  SetTimer(dialog, TIMER_DRIVE_SEARCH, kStepTimerMs, nullptr);
}

bool PlayerLaunchUnderWay() { return search.underWay; }

void OnDriveSearchTimer(HWND dialog) {
  Step();
  if (search.searching && !search.held) SetTimer(dialog, TIMER_DRIVE_SEARCH, kStepTimerMs, nullptr);
}

bool DriveSearchWantsIdleSteps() { return search.searching && !search.held; }

void StepDriveSearchWhenIdle() { Step(); }

void HoldDriveSearch(HWND dialog, bool held) {
  if (!search.searching) return;
  search.held = held;
  if (held) {
    KillTimer(dialog, TIMER_DRIVE_SEARCH);
  } else {
    SetTimer(dialog, TIMER_DRIVE_SEARCH, kStepTimerMs, nullptr);
  }
}

void EndPlayerLaunch() {
  if (search.searching) StopStepping();
  EndProgramLaunch(search.launch);
  search.launch = nullptr;
  search.underWay = false;
}
