#include "app/file_watch_win32.h"

#include "app/history_events_win32.h"
#include "history/history.h"
#include "history/watch.h"
#include "schedule/schedule_win32.h"
#include "scheduler/tick.h"
#include "text/files_win32.h"
#include "text/text.h"

namespace {

enum { WARNING_CAPACITY = 160 };

struct FileWatch {
  ScheduleEntry* entry;  // none: nothing is watched
  char fileName[PATH_CAPACITY];
  uint32_t startedAtMs;
  FileGrowth growth;
  bool standingStill;  // the last look found no growth
};
FileWatch watch;

FileReading LookAtFile(const char* fileName) {
  FileReading reading = {FILE_NOT_SEEN, 0};
  const int found = fileSizeQuery(fileName, &reading.bytes);
  reading.look = found > 0 ? FILE_PRESENT : found == 0 ? FILE_MISSING : FILE_NOT_SEEN;
  if (reading.look != FILE_PRESENT) reading.bytes = 0;
  return reading;
}

void TellStandingStill(ScheduleEntry* entry, const FileReading& file) {
  char detail[HISTORY_DETAIL_CAPACITY], warning[WARNING_CAPACITY];
  HistoryEvent kind =
      FormatGrowthNews(detail, sizeof detail, warning, sizeof warning, GROWTH_STALLED, file, watch.fileName);
  Tell(Report{kind, entry, REASON_NONE, detail, warning});
}

}  // namespace

void WatchRecordingFile(ScheduleEntry* entry, const char* fileName, uint32_t nowMs) {
  watch = FileWatch{};
  watch.entry = entry;
  CopyText(watch.fileName, sizeof watch.fileName, fileName);
  watch.startedAtMs = nowMs;
}

void ForgetRecordingFile() { watch.entry = nullptr; }

void LookAtRecordingFile(ScheduleEntry* entry) {
  if (!watch.entry || watch.entry != entry || RecordingEntry(scheduleList) != entry) return;
  const FileReading file = LookAtFile(watch.fileName);
  switch (NoteFileLook(&watch.growth, file)) {
    case GROWTH_UNKNOWN: return;
    case GROWTH_GROWING:
      if (watch.standingStill) TellOver(HISTORY_FILE_NOT_GROWING, entry);
      watch.standingStill = false;
      return;
    case GROWTH_STALLED:
      watch.standingStill = true;
      if (NoteFileNotGrowing(entry)) TellStandingStill(entry, file);
      return;
  }
}

bool LookAtFileAtEnd(const ScheduleEntry* entry, uint32_t nowMs, RecordingFileEnd* end) {
  if (!watch.entry || watch.entry != entry) return false;
  end->file = LookAtFile(watch.fileName);
  end->recordedMs = nowMs - watch.startedAtMs;
  CopyText(end->fileName, sizeof end->fileName, watch.fileName);
  ForgetRecordingFile();
  return true;
}
