#include "app/disk_watch_win32.h"

#include "app/file_watch_win32.h"
#include "app/history_events_win32.h"
#include "history/history.h"
#include "history/watch.h"
#include "recorder/request.h"
#include "schedule/schedule_win32.h"
#include "scheduler/disk_space.h"
#include "text/files_win32.h"

namespace {

enum { WARNING_CAPACITY = 160 };

// The recording whose drive is watched: the entry and the folder of its file.
struct DiskWatch {
  ScheduleEntry* entry;
  char folder[PATH_CAPACITY];
  uint32_t checkedAtMs;
};
DiskWatch watch;

// One query; what it finds short or full is told once a window.
void CheckDisk(ScheduleEntry* entry, int32_t secondsOfDay, bool recording) {
  uint64_t freeBytes = 0;
  const bool known = watch.folder[0] != '\0' && freeSpaceQuery(watch.folder, &freeBytes) != 0;
  const uint64_t needBytes = DiskNeedBytes(entry, secondsOfDay);
  const DiskVerdict verdict = JudgeDiskSpace(needBytes, known, freeBytes, recording);
  if (!NoteDiskVerdict(entry, verdict)) return;
  char detail[HISTORY_DETAIL_CAPACITY], warning[WARNING_CAPACITY];
  HistoryEvent kind = FormatDiskNews(detail, sizeof detail, warning, sizeof warning, verdict, needBytes, freeBytes,
                                     watch.folder);
  Tell(Report{kind, entry, REASON_NONE, detail, warning});
}

// A name was made for the entry's window and handed over: its drive is
// looked at once a window.
void CheckDiskForWindow(ScheduleEntry* entry, const char* fileName, const TickReading& reading) {
  watch.entry = entry;
  OutputFolderOf(watch.folder, sizeof watch.folder, fileName);
  watch.checkedAtMs = reading.tickMs;
  if (DiskCheckedThisWindow(entry)) return;
  // Ahead of its second the notes go to the window about to open.
  NoteAhead(entry, reading.tickMs);
  NoteDiskChecked(entry);
  CheckDisk(entry, SecondsOfDay(reading.time), false);
}

void CheckDiskWhileRecording(const TickReading& reading) {
  if (!watch.entry || RecordingEntry(scheduleList) != watch.entry) return;
  if (!TicksElapsed(watch.checkedAtMs, reading.tickMs, DISK_CHECK_PERIOD_MS)) return;
  watch.checkedAtMs = reading.tickMs;
  CheckDisk(watch.entry, SecondsOfDay(reading.time), true);
  LookAtRecordingFile(watch.entry);
}

}  // namespace

void CheckDiskAfterHandOver(const TickReading& reading, const HandOverNews& news) {
  if (news.entry && news.problem == START_PROBLEM_NONE) CheckDiskForWindow(news.entry, news.fileName, reading);
}

void CheckDiskAfterTick(const TickReading& reading, const TickOutcome& outcome) {
  if (outcome.action == TICK_START && outcome.problem == START_PROBLEM_NONE) {
    CheckDiskForWindow(outcome.entry, outcome.fileName, reading);
  } else if (outcome.handOver.entry) {
    CheckDiskAfterHandOver(reading, outcome.handOver);
  } else {
    CheckDiskWhileRecording(reading);
  }
}
