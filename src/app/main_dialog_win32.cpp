#include "app/main_dialog_win32.h"

#include "app/app_win32.h"
#include "app/autostart_win32.h"
#include "app/code_page_win32.h"
#include "app/check_ahead_win32.h"
#include "app/disk_watch_win32.h"
#include "app/held_events.h"
#include "app/history_events_win32.h"
#include "app/main_view.h"
#include "app/player_search_win32.h"
#include "app/power.h"
#include "app/power_win32.h"
#include "app/tick_timer_win32.h"
#include "app/tray_win32.h"
#include "editor/editor_win32.h"
#include "history/history_win32.h"
#include "history/watch.h"
#include "placement/placement_win32.h"
#include "recorder/launch_win32.h"
#include "recorder/plugin_contract.h"
#include "recorder/plugin_win32.h"
#include "recorder/request.h"
#include "recorder/request_worker_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "schedule/settings_win32.h"
#include "scheduler/naming_win32.h"
#include "scheduler/tick_win32.h"
#include "ui/ui_win32.h"
#include "text/text.h"

#include <cstring>

namespace {

const UINT kTickPeriodMs = 1000;
// While the system goes to sleep the tick waits this long for the resume.
const UINT kSuspendedTickPeriodMs = 15000;
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
  ScheduleEntry* entry = reinterpret_cast<ScheduleEntry*>(data);
  return ScheduleHasEntry(entry) ? entry : nullptr;
}

// The wake timer follows the list: every change may bring the next window
// nearer or take it away.
// The wake moment last told to the history: a re-arm for the same moment
// is not told again.
int64_t toldWakeSeconds = 0;

void RearmWake() {
  LocalTimeFields now = LocalTimeNow();
  ScheduleEntry* entry = nullptr;
  int32_t delay = ArmWakeTimer(scheduleList, now, &entry);
  if (delay == NO_WINDOW_AHEAD) return;
  LocalTimeFields wake = SecondsLater(now, delay);
  if (LocalSecondsOf(wake) == toldWakeSeconds) return;
  toldWakeSeconds = LocalSecondsOf(wake);
  char when[32];
  FormatText(when, sizeof when, "%d-%02d-%02d %02d:%02d:%02d", wake.year, wake.month, wake.day, wake.hour,
             wake.minute, wake.second);
  Tell(Report{HISTORY_WAKE_SET, entry, REASON_NONE, when, nullptr});
}

// ---- The next recording, in the window and in the notification tip ----

// The text last made, and whether the window's line shows it. The line is
// set only when its text changes and only while the window can be seen:
// under Wine each window text set costs a redraw, and a hidden window needs
// none. It is set when the window shows again. The tip follows the text
// whatever the window does.
char nextRecordingText[NEXT_RECORDING_CAPACITY];
bool nextRecordingShown = false;

void PutNextRecordingLine(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_MAIN_NEXT, nextRecordingText);
  nextRecordingShown = true;
}

void ShowNextRecordingLine(HWND dialog) {
  if (!nextRecordingShown && IsWindowVisible(dialog) && !IsIconic(dialog)) PutNextRecordingLine(dialog);
}

void UpdateNextRecording(HWND dialog, const LocalTimeFields& now) {
  char text[NEXT_RECORDING_CAPACITY];
  const ScheduleEntry* recording = RecordingEntry(scheduleList);
  FormatNextRecording(text, sizeof text, scheduleList, now, FileRecordedBy(recording), pluginWindow != nullptr);
  if (strcmp(text, nextRecordingText) != 0) {
    CopyText(nextRecordingText, sizeof nextRecordingText, text);
    nextRecordingShown = false;
    CutToCharacters(text, TRAY_TIP_CHARACTERS);
    if (trayTipSink) trayTipSink(text);
  }
  ShowNextRecordingLine(dialog);
}

void MarkChanged(HWND dialog) {
  RefreshScheduleList(dialog);
  app.scheduleDirty = 1;
  RearmWake();
  UpdateNextRecording(dialog, LocalTimeNow());
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

// The window goes, unless a recording request is on its way: then it goes
// as soon as the answer is in.
void CloseWhenIdle(HWND dialog) {
  if (app.underWay.active) {
    HoldEvent(&app.held, HELD_CLOSE, 0);
    return;
  }
  DestroyWindow(dialog);
}

void OnExit(HWND dialog) {
  if (app.scheduleDirty) {
    // The search neither ends nor starts the player under the question.
    HoldDriveSearch(dialog, true);
    int answer = ShowMessage(dialog, STR_ASK_SAVE, MB_YESNOCANCEL);
    // Closing now would lose the edits the save could not keep.
    if (answer == IDCANCEL || (answer == IDYES && !SaveOrSay(dialog))) {
      HoldDriveSearch(dialog, false);
      return;
    }
  }
  // The question's loop runs the tick: a request may have gone out meanwhile.
  CloseWhenIdle(dialog);
}

// The launch button is offered while no plug-in is known and no launch is under way.
void OfferLaunch(HWND dialog) {
  EnableControl(dialog, IDC_MAIN_LAUNCH, pluginWindow == nullptr && !PlayerLaunchUnderWay());
}

void OnLaunch(HWND dialog) {
  LaunchPlayer(dialog);
  OfferLaunch(dialog);
}

void OnAdd(HWND dialog) {
  if (RunScheduleEditor(dialog, nullptr) == IDOK) MarkChanged(dialog);
}

void OnDelete(HWND dialog) {
  if (SelectedScheduleIndex(dialog, IDC_MAIN_LIST) < 0) {
    ShowMessage(dialog, STR_SELECT_TO_DELETE, MB_OK);
    return;
  }
  // The entry is taken before asking: the tick refills the list while the
  // question is open, and a refill clears the selection.
  ScheduleEntry* entry = SelectedEntry(dialog);
  if (!entry) return;
  if (ShowMessage(dialog, STR_CONFIRM_DELETE, MB_OKCANCEL) != IDOK) return;
  // Removed only when it is still in the list after the answer.
  if (!RemoveScheduleEntry(entry)) return;
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
  if (SaveOrSay(dialog)) app.scheduleDirty = 0;
}

// A recording the user stops is not started again before its window ends.
void OnStop(HWND dialog) {
  ScheduleEntry* active = ActiveEntry(scheduleList);
  const bool marked = active && active->recording;
  if (ScheduleEntry* held = HoldActiveEntry(scheduleList)) UpdateScheduleLine(dialog, held);
  HistoryUserStopped(active, marked);
  StopRecordingCommand();
}

void OnCommand(HWND dialog, WORD id, WORD code) {
  // While a recording request is on its way, what acts on the plug-in (or
  // ends the program) waits for its answer.
  if (app.underWay.active && CommandWaitsForHandOver(id)) {
    HoldEvent(&app.held, HELD_COMMAND, id);
    return;
  }
  switch (id) {
    case IDOK: OnEnter(dialog); break;
    case IDCANCEL: OnEscape(dialog); break;
    case IDC_MAIN_LIST: OnListNotify(dialog, code); break;
    case IDC_MAIN_EXIT: OnExit(dialog); break;
    case IDC_MAIN_LAUNCH: OnLaunch(dialog); break;
    case IDC_MAIN_START: StartRecordingCommand(); break;
    case IDC_MAIN_STOP: OnStop(dialog); break;
    case IDC_MAIN_ADD: OnAdd(dialog); break;
    case IDC_MAIN_DELETE: OnDelete(dialog); break;
    case IDC_MAIN_MODIFY: OnModify(dialog); break;
    case IDC_MAIN_SAVE: OnSave(dialog); break;
    default: break;
  }
}

// ---- The plug-in connection ----

// The start and stop buttons follow the plug-in's state.
void ShowPluginState(HWND dialog, PluginState state) {
  EnableControl(dialog, IDC_MAIN_START, state == PLUGIN_IDLE);
  EnableControl(dialog, IDC_MAIN_STOP, state == PLUGIN_RECORDING);
  OfferLaunch(dialog);
}

// The status line tells whether the plug-in is known (unless a notice stands there).
void ShowConnectionStatus(HWND dialog) {
  if (!pluginWindow) {
    ShowStatus(dialog, STR_STATUS_SEARCHING);
    return;
  }
  char title[PLUGIN_TITLE_CAPACITY];
  ReadWindowTitle(pluginWindow, title, sizeof title);
  char status[FOUND_STATUS_CAPACITY];
  FormatFoundStatus(status, sizeof status, title);
  ShowStatus(dialog, status);
}

// Looks for the plug-in once. Found: the search timer stops, the buttons
// follow the plug-in's state (read once, returned) and the status line names
// it. Not found: the status line asks for the player, and none is returned.
PluginState SearchForPlugin(HWND dialog) {
  pluginWindow = FindPluginWindow();
  if (!pluginWindow) {
    ShowConnectionStatus(dialog);
    return PLUGIN_NONE;
  }
  KillTimer(dialog, TIMER_PLUGIN_SEARCH);
  // Buttons first: whoever sees the found status sees the buttons that go with it.
  PluginState state = ReadPluginState();
  ShowPluginState(dialog, state);
  ShowConnectionStatus(dialog);
  char title[PLUGIN_TITLE_CAPACITY];
  ReadWindowTitle(pluginWindow, title, sizeof title);
  HistoryPluginFound(title);
  return state;
}

void OnSearchTimer(HWND dialog) { SearchForPlugin(dialog); }

// A plug-in window that has gone takes every recording with it: no mark
// stays, nothing handed over to it counts, and the search starts again. The
// status line keeps its text until the next search.
void OnPluginLost(HWND dialog) {
  pluginWindow = nullptr;
  ScheduleEntry* active = ActiveEntry(scheduleList);
  const bool marked = active && active->recording;
  ForgetArmedStart(&app.ahead);
  if (ScheduleEntry* was = ForgetRecordings(scheduleList)) UpdateScheduleLine(dialog, was);
  HistoryPluginLost(active, marked);
  SetTimer(dialog, TIMER_PLUGIN_SEARCH, PLUGIN_SEARCH_PERIOD_MS, nullptr);
}

// The history opens in the text viewer; a notice it stood for comes down.
void OnShowHistory(HWND dialog) {
  ShowHistory();
  TrayPersonLooked();
  ShowConnectionStatus(dialog);
}

// Choosing the item turns the start with Windows the other way from what the
// registry holds now. A change Windows refuses is told, and the mark, read
// afresh each time the menu opens, stays as it was.
void OnToggleStartWithWindows(HWND dialog) {
  const bool on = !StartsWithWindows();
  DWORD error = SetStartWithWindows(on);
  if (error == ERROR_SUCCESS) {
    HistoryStartWithWindows(on);
    return;
  }
  char text[sizeof STR_START_WITH_WINDOWS_OFF_FAILED + 16];
  FormatText(text, sizeof text, on ? STR_START_WITH_WINDOWS_ON_FAILED : STR_START_WITH_WINDOWS_OFF_FAILED,
             static_cast<unsigned>(error));
  ShowMessage(dialog, text, MB_OK);
}

BOOL OnSysCommand(HWND dialog, WPARAM command) {
  switch (command & 0xFFF0) {
    case IDM_SHOW_HISTORY: OnShowHistory(dialog); return TRUE;
    case IDM_START_WITH_WINDOWS: OnToggleStartWithWindows(dialog); return TRUE;
    default: return FALSE;
  }
}

// The key can change outside the program: the mark is read as the menu opens.
void OnInitMenuPopup(HWND dialog, bool systemMenu) {
  if (!systemMenu) return;
  CheckMenuItem(GetSystemMenu(dialog, FALSE), IDM_START_WITH_WINDOWS,
                MF_BYCOMMAND | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED));
}

void AddSystemMenuItems(HWND dialog) {
  HMENU menu = GetSystemMenu(dialog, FALSE);
  if (!menu) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_SHOW_HISTORY, STR_MENU_SHOW_HISTORY);
  AppendMenuA(menu, MF_STRING, IDM_START_WITH_WINDOWS, STR_MENU_START_WITH_WINDOWS);
}

// ---- The one-second tick ----

void UpdateTitle(HWND dialog, const LocalTimeFields& now) {
  char title[TITLE_CAPACITY];
  GetWindowTextA(dialog, title, sizeof title);
  UpdateTitleClock(title, sizeof title, now.hour, now.minute, now.second);
  SetWindowTextA(dialog, title);
}

// A window coming out of hiding shows the time at once, not a second later.
// (WM_SHOWWINDOW does not come for every way of showing: SW_SHOWNORMAL never
// sends it, and under Wine a restore out of hiding did not either.)
void OnWindowPosChanged(HWND dialog, const WINDOWPOS* position) {
  if (position && (position->flags & SWP_SHOWWINDOW)) UpdateTitle(dialog, LocalTimeNow());
}

void UpdateSaveButton(HWND dialog) {
  if (app.scheduleDirty == app.shownDirty) return;
  EnableControl(dialog, IDC_MAIN_SAVE, app.scheduleDirty == 1);
  app.shownDirty = app.scheduleDirty;
}

// What a tick did, shown and told: its entry's list line, the next wake once
// a window has begun, the history and the drive of a name handed over.
void AfterTick(HWND dialog, const TickReading& reading, const TickOutcome& outcome) {
  if (outcome.entry) UpdateScheduleLine(dialog, outcome.entry);
  // A window has begun: the next wake is for the one after it.
  if (outcome.action == TICK_CONFIRM || outcome.action == TICK_ADOPT) RearmWake();
  if (pluginWindow) HistoryOfTick(reading, outcome);
  CheckDiskAfterTick(reading, outcome);
  CheckWindowsAheadAfterTick(reading);
}

// While a recording request is on its way the tick only moves the clock and
// the save button: it neither asks the plug-in (the worker is talking to it,
// and a second question would only queue behind the first) nor decides. The
// schedule is looked at as soon as the answer is in.
void OnTickWhileHandingOver(HWND dialog) {
  app.tickSkipped = 1;
  const LocalTimeFields now = LocalTimeNow();
  if (IsWindowVisible(dialog)) UpdateTitle(dialog, now);
  UpdateSaveButton(dialog);
  ArmSecondTick(dialog, now);
}

// One reading of the clock and the plug-in serves the whole tick. The
// schedule comes first after the windows are watched for the history, so a
// start goes out as soon after its second as it can; the clock in the title,
// the buttons and the one changed list line follow. A tick whose request
// went to the worker tells what it did when the answer is in.
void OnSecondTick(HWND dialog) {
  if (app.underWay.active) {
    OnTickWhileHandingOver(dialog);
    return;
  }
  app.tickSkipped = 0;
  TickReading reading = ReadTick();
  bool searching = pluginWindow == nullptr;
  if (pluginWindow && reading.plugin == PLUGIN_NONE) OnPluginLost(dialog);
  // A window that opens soon, or a player just started, cannot wait for the
  // slow search: a plug-in that is there is found before the window opens.
  if (searching && SearchEverySecond(scheduleList, reading, app.launch)) reading.plugin = SearchForPlugin(dialog);
  WatchWindows(reading);
  TickOutcome outcome = {};
  if (pluginWindow) CheckSchedules(dialog, reading, &app.ahead, &app.underWay, &outcome);
  if (outcome.action == TICK_STOP) SetTimer(dialog, TIMER_HAND_OVER, PRE_ARM_AFTER_STOP_MS, nullptr);
  // Nobody sees the title of a hidden window: it is set again when shown.
  if (IsWindowVisible(dialog)) UpdateTitle(dialog, reading.time);
  UpdateSaveButton(dialog);
  ShowPluginState(dialog, pluginWindow ? reading.plugin : PLUGIN_NONE);
  if (!app.underWay.active) AfterTick(dialog, reading, outcome);
  ShowTrayRecording(RecordingEntry(scheduleList) != nullptr);
  UpdateNextRecording(dialog, reading.time);
  KeepAwakeWhileRecording(pluginWindow && RecordingEntry(scheduleList) && reading.plugin == PLUGIN_RECORDING);
  KeepHistoryAliveAfterTick(reading);
  BalloonsAfterTick(reading);
  app.lastReading = reading;
  ArmSecondTick(dialog, reading.time);
}

// Shortly after a stop the plug-in is idle again: a window opening on the
// next second gets its request handed over now rather than on that second.
void OnHandOverTimer(HWND dialog) {
  KillTimer(dialog, TIMER_HAND_OVER);
  if (!pluginWindow) return;
  if (app.underWay.active) {
    app.tickSkipped = 1;
    return;
  }
  TickReading reading = ReadTick();
  // A plug-in that has gone is the tick's to notice.
  if (reading.plugin == PLUGIN_NONE) return;
  HandOverNews news = CheckAhead(dialog, reading, &app.ahead, &app.underWay);
  if (app.underWay.active) return;
  HistoryOfHandOver(reading, news);
  CheckDiskAfterHandOver(reading, news);
}

// ---- Sleep, wake and clock changes ----

// The system is about to sleep: the tick pauses (a tick due in the middle of
// going to sleep would act on a clock that is about to jump). Should no
// resume follow, the long period brings it back by itself.
bool asleep = false;

void OnSuspend(HWND dialog) {
  asleep = true;
  if (ScheduleEntry* recording = RecordingEntry(scheduleList))
    Tell(Report{HISTORY_SLEEP_WHILE_RECORDING, recording, REASON_NONE, nullptr, nullptr});
  SetTimer(dialog, TIMER_SECOND_TICK, kSuspendedTickPeriodMs, nullptr);
}

// After sleep or a clock change the schedule is looked at right away, on the
// new clock: an open window records the rest of it, a window that ended
// meanwhile is stopped, and the tick is aligned to the new seconds.
void OnClockMoved(HWND dialog) {
  OnSecondTick(dialog);
  RearmWake();
}

void OnPowerBroadcast(HWND dialog, WPARAM event) {
  if (event != PBT_APMSUSPEND && event != PBT_APMRESUMEAUTOMATIC && event != PBT_APMRESUMESUSPEND) return;
  // With a recording request on its way, handled once its answer is in, as
  // if it came then.
  if (app.underWay.active) {
    HoldEvent(&app.held, HELD_POWER, static_cast<uint32_t>(event));
    return;
  }
  switch (event) {
    case PBT_APMSUSPEND: OnSuspend(dialog); break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
      // Both may come for one wake: it is told once.
      if (asleep) Tell(Report{HISTORY_WOKE, nullptr, REASON_NONE, nullptr, nullptr});
      asleep = false;
      OnClockMoved(dialog);
      break;
    default: break;
  }
}

// How far the clock moved is measured against the last tick's reading.
void OnTimeChange(HWND dialog) {
  if (app.underWay.active) {
    HoldEvent(&app.held, HELD_CLOCK_CHANGE, 0);
    return;
  }
  int64_t shift = ClockShiftSeconds(app.lastReading.time, app.lastReading.tickMs, LocalTimeNow(), GetTickCount());
  if (shift > INT32_MAX || shift < -INT32_MAX) shift = shift > 0 ? INT32_MAX : -INT32_MAX;
  char detail[32];
  FormatText(detail, sizeof detail, STR_HISTORY_CLOCK_SHIFT, shift < 0 ? '-' : '+',
             static_cast<int>(shift < 0 ? -shift : shift));
  Tell(Report{HISTORY_CLOCK_CHANGED, nullptr, REASON_NONE, detail, nullptr});
  OnClockMoved(dialog);
}

// ---- The answer to a recording request ----

// What came while the request was on its way, in the order it came. A
// command may send another request: what follows it then waits again.
void CarryOutHeldEvents(HWND dialog) {
  HeldEvent events[HELD_EVENT_CAPACITY];
  const int count = TakeHeldEvents(&app.held, events, HELD_EVENT_CAPACITY);
  for (int i = 0; i < count && IsWindow(dialog); ++i) {
    switch (events[i].kind) {
      case HELD_COMMAND: OnCommand(dialog, static_cast<WORD>(events[i].value), 0); break;
      case HELD_POWER: OnPowerBroadcast(dialog, events[i].value); break;
      case HELD_CLOCK_CHANGE: OnTimeChange(dialog); break;
      case HELD_CLOSE: CloseWhenIdle(dialog); break;
      default: break;
    }
  }
}

// The request worker's answer: the tick that sent the request goes on where
// it stopped (a stop that waits keeps the start from going out: the entry is
// held by that stop instead), then what waited is carried out, and a tick
// that came meanwhile runs now, on the clock as it is.
void OnRequestAnswer(HWND dialog, WPARAM serial, LPARAM result) {
  TickReading reading{};
  TickOutcome outcome{};
  const bool stopWaits = HoldsEvent(app.held, HELD_COMMAND, IDC_MAIN_STOP);
  HandOverEnd end = FinishHandOver(serial, static_cast<RequestResult>(result), !stopWaits, &app.ahead,
                                   &app.underWay, &reading, &outcome);
  if (end == HAND_OVER_NOT_OURS) return;
  if (end == HAND_OVER_FINISHED) AfterTick(dialog, reading, outcome);
  CarryOutHeldEvents(dialog);
  if (IsWindow(dialog) && !app.underWay.active && app.tickSkipped) OnSecondTick(dialog);
}

void OnTimer(HWND dialog, UINT_PTR id) {
  if (id == TIMER_PLUGIN_SEARCH) {
    OnSearchTimer(dialog);
  } else if (id == TIMER_HAND_OVER) {
    OnHandOverTimer(dialog);
  } else if (id == TIMER_DRIVE_SEARCH) {
    OnDriveSearchTimer(dialog);
  } else {
    OnSecondTick(dialog);
  }
}

BOOL OnInitDialog(HWND dialog) {
  app.underWay = HandOverUnderWay{};
  app.held = HeldEvents{};
  app.tickSkipped = 0;
  // Started with the window, so the first request does not wait for it.
  StartRequestWorker();
  SubclassScheduleList(dialog);
  AddSystemMenuItems(dialog);
  LoadSchedules();
  RefreshScheduleList(dialog);
  // The history says when the program last ran: read before this run writes to it.
  HistoryAtStart(dialog);
  CheckCodePageAtStart(dialog);
  StartCheckingAhead();
  RearmWake();
  nextRecordingText[0] = '\0';
  nextRecordingShown = false;
  UpdateNextRecording(dialog, LocalTimeNow());
  app.scheduleDirty = 0;
  app.shownDirty = 255;
  SetTimer(dialog, TIMER_PLUGIN_SEARCH, PLUGIN_SEARCH_PERIOD_MS, nullptr);
  SetTimer(dialog, TIMER_SECOND_TICK, kTickPeriodMs, nullptr);
  PostCommand(dialog, IDC_MAIN_LAUNCH);
  return TRUE;
}

void OnDestroy() {
  EndPlayerLaunch();
  ReleasePower();
  HistoryAtEnd();
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
  // Draw the list once when it is full, not once per line.
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

void UpdateScheduleLine(HWND mainWindow, const ScheduleEntry* entry) {
  HWND list = GetDlgItem(mainWindow, IDC_MAIN_LIST);
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT index = 0; index < count; ++index) {
    if (SendMessageA(list, LB_GETITEMDATA, index, 0) != reinterpret_cast<LRESULT>(entry)) continue;
    bool selected = SendMessageA(list, LB_GETCURSEL, 0, 0) == index;
    char line[LIST_LINE_CAPACITY];
    FormatListLine(line, sizeof line, entry);
    SendMessageA(list, LB_DELETESTRING, index, 0);
    // The list sorts its lines: the new one lands where its text belongs.
    LRESULT added = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    if (added < 0) return;
    SendMessageA(list, LB_SETITEMDATA, added, reinterpret_cast<LPARAM>(entry));
    if (selected) SendMessageA(list, LB_SETCURSEL, added, 0);
    return;
  }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  TrackDialogPlacement(dialog, message, wParam, 1);
  if (TrackTray(dialog, message, wParam, lParam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_TIMER: OnTimer(dialog, wParam); return FALSE;
    case WM_CLOSE: PostCommand(dialog, IDC_MAIN_EXIT); return TRUE;
    case WM_SYSCOMMAND: return OnSysCommand(dialog, wParam);
    case WM_WINDOWPOSCHANGED: OnWindowPosChanged(dialog, reinterpret_cast<const WINDOWPOS*>(lParam)); return FALSE;
    case WM_INITMENUPOPUP: OnInitMenuPopup(dialog, HIWORD(lParam) != 0); return FALSE;
    case WM_DESTROY: OnDestroy(); return FALSE;
    case WM_POWERBROADCAST: OnPowerBroadcast(dialog, wParam); return TRUE;
    case WM_TIMECHANGE: OnTimeChange(dialog); return FALSE;
    case MSG_REQUEST_ANSWER: OnRequestAnswer(dialog, wParam, lParam); return TRUE;
    case WM_SIZE:
      RelayoutMainDialog(dialog, wParam, lParam);
      if (wParam != SIZE_MINIMIZED) {
        ShowNextRecordingLine(dialog);
        RemindCodePageNotice(dialog);
      }
      return FALSE;
    // Sent before the window is seen: its line is up to date when it is.
    case WM_SHOWWINDOW:
      if (wParam) PutNextRecordingLine(dialog);
      return FALSE;
    case MSG_MAIN_CODE_PAGE_NOTICE: ShowWaitingCodePageNotice(dialog); return TRUE;
    case WM_GETMINMAXINFO:
      SetMinTrackSize(reinterpret_cast<MINMAXINFO*>(lParam), kMinTrackWidthUnits, kMinTrackHeightUnits);
      return FALSE;
    default: return FALSE;
  }
}

HWND CreateMainDialog(HINSTANCE instance) {
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
}
