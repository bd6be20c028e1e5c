#include "app/history_events_win32.h"

#include "app/app_win32.h"

#include "history/history.h"
#include "history/history_win32.h"
#include "history/watch.h"
#include "recorder/launch_win32.h"
#include "recorder/plugin_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "resources/version.h"
#include "schedule/schedule_win32.h"
#include "schedule/settings_win32.h"
#include "scheduler/naming_win32.h"
#include "text/text.h"

namespace {

enum {
  // A player just started is given this long to show its plug-in.
  PLAYER_LAUNCH_GRACE_MS = 15000,
  // The history's time is renewed this often: at the next start it tells
  // when the program last ran.
  KEEP_ALIVE_PERIOD_MS = 60000,
  // Readings further apart than this may have missed a whole window.
  READING_GAP_SECONDS = 2,
  // Lines told for windows that passed unseen; the notice counts them all.
  PASSED_WINDOW_LINES = 64,
  NOTICE_CAPACITY = 160,
  STATUS_CAPACITY = 260,
};

// Everything here lives for one run of the main dialog (HistoryAtStart sets it).
struct HistoryState {
  HWND dialog;
  // The status line: a warning about a window stands over the drive search's
  // progress, that over a notice, a notice over the plain status; each is
  // kept to come back when the one over it goes.
  const ScheduleEntry* warningEntry;
  bool searchShown;
  char searchText[STATUS_CAPACITY];
  bool noticeShown;
  char noticeText[NOTICE_CAPACITY];
  char statusText[STATUS_CAPACITY];
  bool autoStartPlayer;
  bool playerLaunched;
  DWORD playerLaunchedAtMs;
  bool haveReading;
  int64_t lastReadingSeconds;
  DWORD keptAliveAtMs;
  // The entry whose recording ran when the tick began: its stop is told.
  const ScheduleEntry* markedBefore;
  // The start handed to the plug-in, told once the plug-in reports it.
  const ScheduleEntry* pendingEntry;
  uint32_t pendingLatenessMs;
  char pendingFileName[PATH_CAPACITY];
};
HistoryState state;

void ShowNotice(const char* text) {
  state.noticeShown = true;
  CopyText(state.noticeText, sizeof state.noticeText, text);
  if (state.dialog && !state.warningEntry && !state.searchShown) SetDlgItemTextA(state.dialog, IDC_MAIN_STATUS, text);
}

// What the line shows under a warning: the search, the notice or the plain status.
const char* TextUnderWarning() {
  if (state.searchShown) return state.searchText;
  return state.noticeShown ? state.noticeText : state.statusText;
}

// The window the warning was about has ended (or its entry is gone): the
// line shows what stands under it.
void EndWarningWithItsWindow(const TickReading& reading) {
  const ScheduleEntry* entry = state.warningEntry;
  if (!entry || (ScheduleHasEntry(entry) && WindowOpenOrOpening(entry, reading.time))) return;
  state.warningEntry = nullptr;
  if (state.dialog) SetDlgItemTextA(state.dialog, IDC_MAIN_STATUS, TextUnderWarning());
}

// Every line goes through here: a history that cannot be written is told
// once, and the program carries on.
void Tell(HistoryEvent kind, const ScheduleEntry* entry, const char* detail) {
  WriteHistory(kind, entry, detail);
  if (TakeHistoryFailureNews()) ShowNotice(STR_NOTICE_HISTORY_UNWRITABLE);
}

void TellReason(HistoryEvent kind, const ScheduleEntry* entry, HistoryReason reason) {
  Tell(kind, entry, HistoryReasonText(reason));
}

// The windows that opened after `after` and ended by `until`: the earliest
// of them in windows, how many there were in all returned.
struct PassedWindows {
  PassedWindow windows[PASSED_WINDOW_LINES];
  int total;
};
void FindPassedWindows(int64_t after, int64_t until, PassedWindows* passed) {
  passed->total = WindowsPassedBetween(scheduleList, after, until, passed->windows, PASSED_WINDOW_LINES);
}

// Tells each as missed for the reason, with the date it opened.
void TellPassedWindows(const PassedWindows& passed, HistoryReason reason) {
  const PassedWindow* windows = passed.windows;
  for (int i = 0; i < passed.total && i < PASSED_WINDOW_LINES; ++i) {
    char detail[HISTORY_DETAIL_CAPACITY];
    FormatDatedReason(detail, sizeof detail, reason, LocalTimeAt(windows[i].opened));
    Tell(HISTORY_MISSED, windows[i].entry, detail);
  }
}

// No plug-in is known and a window is open or opens soon: the player is
// started from the stored path, once for the window. A player that runs
// already, or was started a moment ago, is waited for instead.
void StartPlayerForDueWindow(const TickReading& reading) {
  if (!state.autoStartPlayer || pluginWindow) return;
  ScheduleEntry* entry = EntryWantingPlayer(scheduleList, reading.time);
  if (!entry) return;
  if (state.playerLaunched && !TicksElapsed(state.playerLaunchedAtMs, reading.tickMs, PLAYER_LAUNCH_GRACE_MS)) return;
  if (FindWindowA(STR_PLAYER_CLASS, nullptr)) return;
  NotePlayerStarted(scheduleList, reading.time);
  NotePlayerLaunched();
  char path[PATH_CAPACITY];
  LaunchResult result = LaunchStoredProgram(STR_PLAYER_EXE, nullptr, path);
  if (result == LAUNCH_STARTED) {
    // Its plug-in is looked for every second while it comes up.
    app.launch.launched = 1;
    app.launch.atMs = GetTickCount();
    Tell(HISTORY_PLAYER_STARTED, entry, path);
    return;
  }
  char detail[HISTORY_DETAIL_CAPACITY];
  FormatText(detail, sizeof detail, result == LAUNCH_NOT_FOUND ? STR_HISTORY_PLAYER_MISSING : STR_HISTORY_PLAYER_FAILED,
             path);
  Tell(HISTORY_PLAYER_NOT_STARTED, entry, detail);
}

// Milliseconds from the second the entry's window opened until the start went
// out: the clock reading's own part of its second, and the time the request
// took after the reading.
uint32_t LatenessOf(const ScheduleEntry* entry, const TickReading& reading) {
  int32_t seconds = SecondsSinceWindowOpened(entry, reading.time);
  if (seconds < 0) seconds = 0;
  return static_cast<uint32_t>(seconds) * 1000u + static_cast<uint32_t>(reading.time.millisecond) +
         (entry->run.startedAtMs - reading.tickMs);
}

void NoteStartHandedOver(const ScheduleEntry* entry, const TickReading& reading, const char* fileName) {
  state.pendingEntry = entry;
  state.pendingLatenessMs = LatenessOf(entry, reading);
  CopyText(state.pendingFileName, sizeof state.pendingFileName, fileName);
}

void TellStarted(ScheduleEntry* entry) {
  NoteWindowRecorded(entry);
  if (state.pendingEntry != entry) {
    Tell(HISTORY_RECORDING_STARTED, entry, nullptr);
    return;
  }
  char detail[HISTORY_DETAIL_CAPACITY];
  FormatStartedDetail(detail, sizeof detail, state.pendingFileName, entry, state.pendingLatenessMs);
  state.pendingEntry = nullptr;
  Tell(HISTORY_RECORDING_STARTED, entry, detail);
}

void TellNotStarted(ScheduleEntry* entry, HistoryReason reason) {
  if (NoteReason(entry, reason)) TellReason(HISTORY_NOT_STARTED, entry, reason);
}

}  // namespace

void HistoryAtStart(HWND dialog) {
  ZeroMemory(&state, sizeof state);
  state.dialog = dialog;
  GetDlgItemTextA(dialog, IDC_MAIN_STATUS, state.statusText, sizeof state.statusText);
  char value[16];
  ReadSetting(STR_SECTION_CONFIG, STR_KEY_AUTO_START_PLAYER, value, sizeof value);
  state.autoStartPlayer = AutoStartPlayerEnabled(value);

  // The history's last write is when the program last ran: read before this
  // start writes it.
  const LocalTimeFields now = LocalTimeNow();
  LocalTimeFields lastRun;
  PassedWindows missed;
  missed.total = 0;
  if (ReadLastRunTime(&lastRun)) FindPassedWindows(LocalSecondsOf(lastRun), LocalSecondsOf(now), &missed);
  if (missed.total > 0) {
    char notice[NOTICE_CAPACITY];
    FormatMissedNotice(notice, sizeof notice, missed.total);
    ShowNotice(notice);
  }
  // The start names the version, so the history tells which program recorded.
  Tell(HISTORY_PROGRAM_STARTED, nullptr, TAVELUND_NAME_AND_VERSION);
  TellPassedWindows(missed, REASON_PROGRAM_NOT_RUNNING);
  state.haveReading = true;
  state.lastReadingSeconds = LocalSecondsOf(now);
  state.keptAliveAtMs = GetTickCount();
}

void HistoryAtEnd() {
  if (const ScheduleEntry* recording = RecordingEntry(scheduleList)) {
    Tell(HISTORY_PROGRAM_ENDED, recording, STR_HISTORY_STILL_RECORDING);
  } else {
    Tell(HISTORY_PROGRAM_ENDED, nullptr, nullptr);
  }
  state.dialog = nullptr;
}

void HistoryPluginFound(const char* pluginTitle) { Tell(HISTORY_PLUGIN_FOUND, nullptr, pluginTitle); }

void HistoryPluginLost(const ScheduleEntry* active, bool marked) {
  Tell(HISTORY_PLUGIN_LOST, nullptr, nullptr);
  if (active && marked) TellReason(HISTORY_RECORDING_STOPPED, active, REASON_PLUGIN_LOST);
  state.pendingEntry = nullptr;
}

void HistoryUserStopped(ScheduleEntry* held, bool marked) {
  if (!held) return;
  TellReason(HISTORY_RECORDING_STOPPED, held, REASON_STOPPED_BY_USER);
  // Stopped before it was seen recording: that is why the window has nothing.
  if (!marked) NoteReason(held, REASON_STOPPED_BY_USER);
  if (state.pendingEntry == held) state.pendingEntry = nullptr;
}

void HistoryStartWithWindows(bool on) {
  Tell(on ? HISTORY_START_WITH_WINDOWS_ON : HISTORY_START_WITH_WINDOWS_OFF, nullptr, nullptr);
}

void NotePlayerLaunched() {
  state.playerLaunched = true;
  state.playerLaunchedAtMs = GetTickCount();
}

void WatchWindows(const TickReading& reading) {
  const int64_t now = LocalSecondsOf(reading.time);
  if (state.haveReading && now - state.lastReadingSeconds > READING_GAP_SECONDS) {
    PassedWindows passed;
    FindPassedWindows(state.lastReadingSeconds, now, &passed);
    TellPassedWindows(passed, REASON_NOT_CHECKED);
  }
  state.haveReading = true;
  state.lastReadingSeconds = now;

  state.markedBefore = RecordingEntry(scheduleList);
  for (ScheduleEntry* entry = scheduleList; entry; entry = entry->next) {
    WindowNews news = WatchEntry(scheduleList, entry, reading);
    if (news.kind != HISTORY_NONE) TellReason(news.kind, entry, news.reason);
  }
  EndWarningWithItsWindow(reading);
  StartPlayerForDueWindow(reading);
}

void KeepHistoryAliveAfterTick(const TickReading& reading) {
  if (!TicksElapsed(state.keptAliveAtMs, reading.tickMs, KEEP_ALIVE_PERIOD_MS)) return;
  KeepHistoryAlive();
  state.keptAliveAtMs = reading.tickMs;
}

void HistoryOfHandOver(const TickReading& reading, const HandOverNews& news) {
  if (!news.entry || news.problem == START_PROBLEM_NONE) return;
  // Told for the window about to open: the same reason inside it is not told again.
  NoteAhead(news.entry, reading.tickMs);
  TellNotStarted(news.entry, ReasonOfStart(news.problem, news.request));
}

void HistoryOfTick(const TickReading& reading, const TickOutcome& outcome) {
  HistoryOfHandOver(reading, outcome.handOver);
  ScheduleEntry* entry = outcome.entry;
  switch (outcome.action) {
    case TICK_START:
      if (outcome.problem == START_PROBLEM_NONE) {
        NoteStartHandedOver(entry, reading, outcome.fileName);
      } else {
        TellNotStarted(entry, ReasonOfStart(outcome.problem, outcome.request));
      }
      break;
    case TICK_CONFIRM: TellStarted(entry); break;
    case TICK_ADOPT:
      NoteWindowRecorded(entry);
      Tell(HISTORY_RECORDING_ADOPTED, entry, STR_HISTORY_ADOPTED_DETAIL);
      break;
    case TICK_START_FAILED:
      state.pendingEntry = nullptr;
      TellNotStarted(entry, REASON_NOT_CONFIRMED);
      break;
    case TICK_STOP:
      if (state.pendingEntry == entry) state.pendingEntry = nullptr;
      if (entry == state.markedBefore) TellReason(HISTORY_RECORDING_STOPPED, entry, REASON_WINDOW_ENDED);
      break;
    case TICK_RECORDING_LOST: TellReason(HISTORY_RECORDING_STOPPED, entry, REASON_RECORDING_STOPPED); break;
    case TICK_NOTHING: break;
  }
}

void ShowStatus(HWND dialog, const char* text) {
  CopyText(state.statusText, sizeof state.statusText, text);
  if (!state.noticeShown && !state.warningEntry && !state.searchShown) SetDlgItemTextA(dialog, IDC_MAIN_STATUS, text);
}

void ShowSearchProgress(HWND dialog, const char* text) {
  state.searchShown = true;
  CopyText(state.searchText, sizeof state.searchText, text);
  if (!state.warningEntry) SetDlgItemTextA(dialog, IDC_MAIN_STATUS, text);
}

void EndSearchProgress(HWND dialog) {
  if (!state.searchShown) return;
  state.searchShown = false;
  if (!state.warningEntry) SetDlgItemTextA(dialog, IDC_MAIN_STATUS, TextUnderWarning());
}

void ShowWindowWarning(const ScheduleEntry* entry, const char* text) {
  state.warningEntry = entry;
  if (state.dialog) SetDlgItemTextA(state.dialog, IDC_MAIN_STATUS, text);
}

void TellHistory(HistoryEvent kind, const ScheduleEntry* entry, const char* detail) { Tell(kind, entry, detail); }

void ShowHistory() {
  state.noticeShown = false;
  OpenHistoryViewer();
}
