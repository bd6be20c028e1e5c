#include "app/history_events_win32.h"

#include "app/app_win32.h"
#include "app/tray_win32.h"
#include "app/balloons.h"
#include "app/file_watch_win32.h"

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
  // Failed tries waiting to show whether their windows recover.
  HELD_BALLOONS = 8,
};

// A failed try's balloon, held back until its window has had time to
// recover. heldAtMs is taken from the first tick after it (0: not yet).
struct HeldBalloon {
  const ScheduleEntry* entry;
  HistoryEvent kind;
  HistoryReason reason;
  uint32_t heldAtMs;
  bool stamped;
  char detail[HISTORY_DETAIL_CAPACITY];
};

// Everything here lives for one run of the main dialog (HistoryAtStart sets it).
struct HistoryState {
  HWND dialog;
  // The status line: a warning about a window stands over the drive search's
  // progress, that over a notice, a notice over the plain status; each is
  // kept to come back when the one over it goes.
  const ScheduleEntry* warningEntry;
  HistoryEvent warningKind;  // the report it came with
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
  // The recording the program started, and its file (for the next-recording line).
  const ScheduleEntry* recordingEntry;
  char recordingFileName[PATH_CAPACITY];
  // Windows found missed together are counted for one balloon.
  bool gathering;
  int gathered;
  HistoryEvent gatheredKind;
  HistoryReason gatheredReason;
  HeldBalloon held[HELD_BALLOONS];
};
HistoryState state;

// ---- Balloons ----

void ShowBalloon(const char* title, const char* text) {
  if (balloonSink) balloonSink(title, text);
}

// The list's own entry for a told one (balloons mark it), none once it is gone.
ScheduleEntry* EntryInList(const ScheduleEntry* told) {
  for (ScheduleEntry* entry = scheduleList; entry; entry = entry->next)
    if (entry == told) return entry;
  return nullptr;
}

// Once per window and reason: a reason a balloon told already for the
// window (a failed try, then the window missed for it) is not told again.
void BalloonAbout(const ScheduleEntry* told, HistoryEvent kind, HistoryReason reason, const char* detail) {
  if (told) {
    ScheduleEntry* entry = EntryInList(told);
    if (!entry || !NoteBallooned(entry, reason)) return;
  }
  char title[BALLOON_TITLE_CAPACITY], text[BALLOON_TEXT_CAPACITY];
  FormatBalloon(title, sizeof title, text, sizeof text, kind, told, reason, detail);
  ShowBalloon(title, text);
}

void ShowCountedBalloon(HistoryEvent kind, HistoryReason reason, int count) {
  char title[BALLOON_TITLE_CAPACITY], text[BALLOON_TEXT_CAPACITY];
  FormatCountedBalloon(title, sizeof title, text, sizeof text, kind, reason, count);
  ShowBalloon(title, text);
}

void CountForBalloon(const Report& report) {
  if (!state.gathering) {
    ShowCountedBalloon(report.kind, report.reason, 1);
    return;
  }
  ++state.gathered;
  state.gatheredKind = report.kind;
  state.gatheredReason = report.reason;
}

void HoldBalloon(const Report& report) {
  for (HeldBalloon& held : state.held) {
    if (held.entry) continue;
    held.entry = report.entry;
    held.kind = report.kind;
    held.reason = report.reason;
    held.stamped = false;
    CopyText(held.detail, sizeof held.detail, report.detail ? report.detail : "");
    return;
  }
  // No room to wait: told now rather than not at all.
  BalloonAbout(report.entry, report.kind, report.reason, report.detail);
}

// Where the event goes besides the history: app/balloons decides.
void BalloonOf(const Report& report) {
  switch (BalloonWhenTold(report.kind, report.reason)) {
    case BALLOON_NEVER: return;
    case BALLOON_AT_ONCE: BalloonAbout(report.entry, report.kind, report.reason, report.detail); return;
    case BALLOON_UNLESS_RECOVERED:
      if (report.entry) {
        HoldBalloon(report);
      } else {
        BalloonAbout(nullptr, report.kind, report.reason, report.detail);
      }
      return;
    case BALLOON_COUNTED: CountForBalloon(report); return;
    case BALLOON_AHEAD: {
      char title[BALLOON_TITLE_CAPACITY], text[BALLOON_TEXT_CAPACITY];
      FormatBalloon(title, sizeof title, text, sizeof text, report.kind, report.entry, report.reason, report.detail);
      ShowBalloon(title, text);
      return;
    }
  }
}

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

// A warning told ahead of its window stands until the window opens (or a
// second look finds it mended); any other while its window is open or about
// to open.
bool WarningStands(const ScheduleEntry* entry, const LocalTimeFields& now) {
  if (!ScheduleHasEntry(entry)) return false;
  return state.warningKind == HISTORY_CHECKED_AHEAD ? AheadWarningStands(entry, now) : WindowOpenOrOpening(entry, now);
}

// The warning goes: the line shows what stands under it.
void EndWarning() {
  state.warningEntry = nullptr;
  if (state.dialog) SetDlgItemTextA(state.dialog, IDC_MAIN_STATUS, TextUnderWarning());
}

// The time of the warning is over (or its entry is gone).
void EndWarningWithItsWindow(const TickReading& reading) {
  const ScheduleEntry* entry = state.warningEntry;
  if (!entry || WarningStands(entry, reading.time)) return;
  EndWarning();
}

// A line with a detail of its own and nothing else to show.
void TellEvent(HistoryEvent kind, const ScheduleEntry* entry, const char* detail) {
  Tell(Report{kind, entry, REASON_NONE, detail, nullptr});
}

void TellReason(HistoryEvent kind, const ScheduleEntry* entry, HistoryReason reason) {
  Tell(Report{kind, entry, reason, nullptr, nullptr});
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
// One balloon counts them all (also those past the lines told).
void TellPassedWindows(const PassedWindows& passed, HistoryReason reason) {
  const PassedWindow* windows = passed.windows;
  state.gathering = true;
  state.gathered = 0;
  for (int i = 0; i < passed.total && i < PASSED_WINDOW_LINES; ++i) {
    char detail[HISTORY_DETAIL_CAPACITY];
    FormatDatedReason(detail, sizeof detail, reason, LocalTimeAt(windows[i].opened));
    Tell(Report{HISTORY_MISSED, windows[i].entry, reason, detail, nullptr});
  }
  state.gathering = false;
  if (state.gathered > 0) ShowCountedBalloon(state.gatheredKind, state.gatheredReason, passed.total);
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
    TellEvent(HISTORY_PLAYER_STARTED, entry, path);
    return;
  }
  char detail[HISTORY_DETAIL_CAPACITY];
  FormatText(detail, sizeof detail, result == LAUNCH_NOT_FOUND ? STR_HISTORY_PLAYER_MISSING : STR_HISTORY_PLAYER_FAILED,
             path);
  TellEvent(HISTORY_PLAYER_NOT_STARTED, entry, detail);
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

// The plug-in reports the recording: its file, when known, is watched from now on.
void TellStarted(ScheduleEntry* entry, const TickReading& reading) {
  NoteWindowRecorded(entry);
  state.recordingEntry = entry;
  state.recordingFileName[0] = '\0';
  if (state.pendingEntry != entry) {
    ForgetRecordingFile();
    TellEvent(HISTORY_RECORDING_STARTED, entry, nullptr);
    return;
  }
  CopyText(state.recordingFileName, sizeof state.recordingFileName, state.pendingFileName);
  WatchRecordingFile(entry, state.pendingFileName, reading.tickMs);
  char detail[HISTORY_DETAIL_CAPACITY];
  FormatStartedDetail(detail, sizeof detail, state.pendingFileName, entry, state.pendingLatenessMs);
  state.pendingEntry = nullptr;
  TellEvent(HISTORY_RECORDING_STARTED, entry, detail);
}

// The window's end stops its recording: the end line says what the file
// holds. A file missing or empty leaves the window not recorded; one far
// shorter than the time recorded is told as probably cut short.
void TellWindowEnded(ScheduleEntry* entry, const TickReading& reading) {
  RecordingFileEnd end;
  if (!LookAtFileAtEnd(entry, reading.tickMs, &end)) {
    TellReason(HISTORY_RECORDING_STOPPED, entry, REASON_WINDOW_ENDED);
    return;
  }
  char detail[HISTORY_DETAIL_CAPACITY];
  FormatEndedDetail(detail, sizeof detail, REASON_WINDOW_ENDED, end.file, entry);
  Tell(Report{HISTORY_RECORDING_STOPPED, entry, REASON_WINDOW_ENDED, detail, nullptr});
  const FileEndVerdict verdict = JudgeRecordingFile(end.file, entry, end.recordedMs);
  if (verdict == FILE_END_SHORT) {
    FormatCutShortDetail(detail, sizeof detail, end.file.bytes, entry, end.recordedMs, end.fileName);
    TellEvent(HISTORY_RECORDING_CUT_SHORT, entry, detail);
  } else if (ReasonOfRecordingFile(verdict) != REASON_NONE) {
    NoteWindowNotRecorded(entry, ReasonOfRecordingFile(verdict));
  }
}

void TellNotStarted(ScheduleEntry* entry, HistoryReason reason) {
  if (NoteReason(entry, reason)) TellReason(HISTORY_NOT_STARTED, entry, reason);
}

}  // namespace

void HistoryAtStart(HWND dialog) {
  ZeroMemory(&state, sizeof state);
  ForgetRecordingFile();
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
  TellEvent(HISTORY_PROGRAM_STARTED, nullptr, TAVELUND_NAME_AND_VERSION);
  TellPassedWindows(missed, REASON_PROGRAM_NOT_RUNNING);
  state.haveReading = true;
  state.lastReadingSeconds = LocalSecondsOf(now);
  state.keptAliveAtMs = GetTickCount();
}

void HistoryAtEnd() {
  if (const ScheduleEntry* recording = RecordingEntry(scheduleList)) {
    TellEvent(HISTORY_PROGRAM_ENDED, recording, STR_HISTORY_STILL_RECORDING);
  } else {
    TellEvent(HISTORY_PROGRAM_ENDED, nullptr, nullptr);
  }
  state.dialog = nullptr;
}

void HistoryPluginFound(const char* pluginTitle) { TellEvent(HISTORY_PLUGIN_FOUND, nullptr, pluginTitle); }

void HistoryPluginLost(const ScheduleEntry* active, bool marked) {
  TellEvent(HISTORY_PLUGIN_LOST, nullptr, nullptr);
  if (active && marked) TellReason(HISTORY_RECORDING_STOPPED, active, REASON_PLUGIN_LOST);
  state.pendingEntry = nullptr;
  ForgetRecordingFile();
}

void HistoryUserStopped(ScheduleEntry* held, bool marked) {
  if (!held) return;
  TellReason(HISTORY_RECORDING_STOPPED, held, REASON_STOPPED_BY_USER);
  // Stopped before it was seen recording: that is why the window has nothing.
  if (!marked) NoteReason(held, REASON_STOPPED_BY_USER);
  if (state.pendingEntry == held) state.pendingEntry = nullptr;
  ForgetRecordingFile();
}

void HistoryStartWithWindows(bool on) {
  TellEvent(on ? HISTORY_START_WITH_WINDOWS_ON : HISTORY_START_WITH_WINDOWS_OFF, nullptr, nullptr);
}

void HistoryWrongCodePage(unsigned codePage) {
  char detail[sizeof STR_HISTORY_CODE_PAGE_DETAIL + 16];
  FormatText(detail, sizeof detail, STR_HISTORY_CODE_PAGE_DETAIL, codePage);
  TellEvent(HISTORY_WRONG_CODE_PAGE, nullptr, detail);
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
    case TICK_CONFIRM: TellStarted(entry, reading); break;
    case TICK_ADOPT:
      ForgetRecordingFile();
      NoteWindowRecorded(entry);
      // Its file is the plug-in's: the line names the pattern.
      state.recordingEntry = nullptr;
      TellEvent(HISTORY_RECORDING_ADOPTED, entry, STR_HISTORY_ADOPTED_DETAIL);
      break;
    case TICK_START_FAILED:
      state.pendingEntry = nullptr;
      TellNotStarted(entry, REASON_NOT_CONFIRMED);
      break;
    case TICK_STOP:
      if (state.pendingEntry == entry) state.pendingEntry = nullptr;
      if (entry == state.markedBefore) TellWindowEnded(entry, reading);
      break;
    case TICK_RECORDING_LOST:
      ForgetRecordingFile();
      TellReason(HISTORY_RECORDING_STOPPED, entry, REASON_RECORDING_STOPPED);
      break;
    case TICK_NOTHING: break;
  }
}

// Every line goes through here: a history that cannot be written is told
// once, and the program carries on.
void Tell(const Report& report) {
  WriteHistory(report.kind, report.entry, report.detail ? report.detail : HistoryReasonText(report.reason));
  if (TakeHistoryFailureNews()) {
    ShowNotice(STR_NOTICE_HISTORY_UNWRITABLE);
    char title[BALLOON_TITLE_CAPACITY], text[BALLOON_TEXT_CAPACITY];
    FormatHistoryFailureBalloon(title, sizeof title, text, sizeof text);
    ShowBalloon(title, text);
  }
  if (report.warning && report.entry) {
    state.warningEntry = report.entry;
    state.warningKind = report.kind;
    if (state.dialog) SetDlgItemTextA(state.dialog, IDC_MAIN_STATUS, report.warning);
  }
  BalloonOf(report);
}

void (*balloonSink)(const char* title, const char* text) = ShowTrayBalloon;
void (*trayTipSink)(const char* text) = SetTrayTip;

void BalloonsAfterTick(const TickReading& reading) {
  for (HeldBalloon& held : state.held) {
    if (!held.entry) continue;
    const ScheduleEntry* entry = EntryInList(held.entry);
    const bool waiting =
        entry && !entry->run.windowRecorded && !entry->run.held && WindowOpenOrOpening(entry, reading.time);
    if (!waiting) {
      held.entry = nullptr;
      continue;
    }
    if (!held.stamped) {
      held.heldAtMs = reading.tickMs;
      held.stamped = true;
    }
    if (!TicksElapsed(held.heldAtMs, reading.tickMs, BALLOON_HOLD_MS)) continue;
    held.entry = nullptr;
    BalloonAbout(entry, held.kind, held.reason, held.detail[0] ? held.detail : nullptr);
  }
}

const char* FileRecordedBy(const ScheduleEntry* entry) {
  if (!entry || entry != state.recordingEntry || !entry->recording || !state.recordingFileName[0]) return nullptr;
  return state.recordingFileName;
}

void TellOver(HistoryEvent kind, const ScheduleEntry* entry) {
  if (state.warningEntry && state.warningEntry == entry && state.warningKind == kind) EndWarning();
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

void ShowHistory() {
  state.noticeShown = false;
  OpenHistoryViewer();
}
