#include "history/history.h"

#include <cstring>

#include "resources/strings.h"
#include "text/text.h"

namespace {

const char* const kEventTexts[] = {
    "",
    STR_HISTORY_PROGRAM_STARTED,
    STR_HISTORY_PROGRAM_ENDED,
    STR_HISTORY_PLUGIN_FOUND,
    STR_HISTORY_PLUGIN_LOST,
    STR_HISTORY_PLAYER_STARTED,
    STR_HISTORY_PLAYER_NOT_STARTED,
    STR_HISTORY_RECORDING_STARTED,
    STR_HISTORY_RECORDING_ADOPTED,
    STR_HISTORY_RECORDING_STOPPED,
    STR_HISTORY_NOT_STARTED,
    STR_HISTORY_MISSED,
    STR_HISTORY_WAKE_SET,
    STR_HISTORY_WOKE,
    STR_HISTORY_CLOCK_CHANGED,
    STR_HISTORY_SLEEP_WHILE_RECORDING,
    STR_HISTORY_START_WITH_WINDOWS_ON,
    STR_HISTORY_START_WITH_WINDOWS_OFF,
    STR_HISTORY_DISK_SHORT,
    STR_HISTORY_DISK_FULL,
    STR_HISTORY_WRONG_CODE_PAGE,
    STR_HISTORY_CHECKED_AHEAD,
    STR_HISTORY_FILE_NOT_GROWING,
    STR_HISTORY_RECORDING_CUT_SHORT,
};
static_assert(sizeof kEventTexts / sizeof kEventTexts[0] == HISTORY_EVENT_COUNT, "one text per event");

const char* const kReasonTexts[] = {
    "",
    STR_REASON_NO_PLUGIN,
    STR_REASON_PLUGIN_NO_ANSWER,
    STR_REASON_OTHER_RECORDING,
    STR_REASON_NO_MEMORY,
    STR_REASON_NO_FOLDER,
    STR_REASON_NO_FREE_NAME,
    STR_REASON_NAME_TOO_LONG,
    STR_REASON_REQUEST_NOT_TAKEN,
    STR_REASON_QUALITY_NOT_OPENED,
    STR_REASON_QUALITY_NOT_CLOSED,
    STR_REASON_PLUGIN_GONE,
    STR_REASON_NOT_CONFIRMED,
    STR_REASON_WINDOW_ENDED,
    STR_REASON_STOPPED_BY_USER,
    STR_REASON_PLUGIN_LOST,
    STR_REASON_RECORDING_STOPPED,
    STR_REASON_PROGRAM_NOT_RUNNING,
    STR_REASON_NOT_CHECKED,
    STR_REASON_NO_DRIVE,
    STR_HISTORY_DISK_SHORT,
    STR_REASON_FILE_MISSING,
    STR_REASON_FILE_EMPTY,
};
static_assert(sizeof kReasonTexts / sizeof kReasonTexts[0] == REASON_COUNT, "one text per reason");
static_assert(REASON_COUNT <= 32, "a window keeps its told reasons in 32 bits");

const char kLineEnd[] = "\r\n";

}  // namespace

const char* HistoryEventText(HistoryEvent kind) {
  return kind > HISTORY_NONE && kind < HISTORY_EVENT_COUNT ? kEventTexts[kind] : "";
}

const char* HistoryReasonText(HistoryReason reason) {
  return reason > REASON_NONE && reason < REASON_COUNT ? kReasonTexts[reason] : "";
}

HistoryReason ReasonOfStart(StartProblem problem, RequestResult request) {
  switch (problem) {
    case START_PROBLEM_NONE: return REASON_NONE;
    case START_NO_FOLDER: return REASON_NO_FOLDER;
    case START_NO_FREE_NAME: return REASON_NO_FREE_NAME;
    case START_NOT_CONFIRMED: return REASON_NOT_CONFIRMED;
    case START_REQUEST_FAILED: break;
  }
  switch (request) {
    case REQUEST_NO_MEMORY: return REASON_NO_MEMORY;
    case REQUEST_NAME_TOO_LONG: return REASON_NAME_TOO_LONG;
    case REQUEST_QUALITY_NOT_OPENED: return REASON_QUALITY_NOT_OPENED;
    case REQUEST_QUALITY_NOT_CLOSED: return REASON_QUALITY_NOT_CLOSED;
    case REQUEST_PLUGIN_GONE: return REASON_PLUGIN_GONE;
    case REQUEST_DONE:
    case REQUEST_NOT_TAKEN: break;
  }
  return REASON_REQUEST_NOT_TAKEN;
}

int FormatHistoryLine(char* line, size_t capacity, const LocalTimeFields& when, HistoryEvent kind,
                      const ScheduleEntry* entry, const char* detail) {
  if (capacity < sizeof kLineEnd) {
    if (capacity > 0) line[0] = '\0';
    return 0;
  }
  // Composed with room to spare, so a cut can be made between whole
  // characters; room for the line end is kept back, so a cut line still ends.
  char scratch[HISTORY_LINE_CAPACITY + 4];
  size_t room = capacity < sizeof scratch - 2 ? capacity : sizeof scratch - 2;
  room -= sizeof kLineEnd - 1;
  int whole = FormatText(scratch, sizeof scratch, "%04d-%02d-%02d %02d:%02d:%02d  %s", when.year, when.month, when.day,
                         when.hour, when.minute, when.second, HistoryEventText(kind));
  if (entry) {
    char window[ENTRY_WINDOW_CAPACITY];
    FormatEntryWindow(window, sizeof window, entry);
    whole &= AppendFormat(scratch, sizeof scratch, "  %s", window);
  }
  if (detail && detail[0] != '\0') whole &= AppendFormat(scratch, sizeof scratch, "  %s", detail);
  size_t length = strlen(scratch);
  if (length >= room) {
    length = WholeCharPrefix(scratch, length, room - 1);
    whole = 0;
  }
  CopyTextN(line, capacity, scratch, length);
  AppendText(line, capacity, kLineEnd);
  return whole;
}

int FormatStartedDetail(char* detail, size_t capacity, const char* fileName, const ScheduleEntry* entry,
                        uint32_t latenessMs) {
  char parameters[64];
  if (entry->flags & FLAG_MP3_PARAMS) {
    FormatText(parameters, sizeof parameters, STR_HISTORY_PARAMETERS, BitrateOf(entry), SampleRateOf(entry),
               (entry->flags & FLAG_MONO) ? STR_HISTORY_MONO : STR_HISTORY_STEREO);
  } else {
    CopyText(parameters, sizeof parameters, STR_HISTORY_NO_PARAMETERS);
  }
  int whole = FormatText(detail, capacity, "%s, %s, ", fileName, parameters);
  return whole & AppendFormat(detail, capacity, STR_HISTORY_LATENESS, static_cast<unsigned>(latenessMs));
}

int FormatDatedReason(char* detail, size_t capacity, HistoryReason reason, const LocalTimeFields& opened) {
  return FormatText(detail, capacity, STR_HISTORY_WINDOW_DATE, HistoryReasonText(reason), opened.year, opened.month,
                    opened.day);
}

int FormatMissedNotice(char* text, size_t capacity, int count) {
  return FormatText(text, capacity, STR_NOTICE_MISSED, count);
}

HistoryEvent FormatDiskNews(char* detail, size_t detailCapacity, char* warning, size_t warningCapacity,
                            DiskVerdict verdict, uint64_t needBytes, uint64_t freeBytes, const char* folder) {
  const unsigned need = MegabytesUp(needBytes), free = MegabytesDown(freeBytes);
  switch (verdict) {
    case DISK_SHORT:
      FormatText(detail, detailCapacity, STR_HISTORY_DISK_SHORT_DETAIL, need, free, folder);
      FormatText(warning, warningCapacity, STR_STATUS_DISK_SHORT, need, free);
      return HISTORY_DISK_SHORT;
    case DISK_FULL:
      FormatText(detail, detailCapacity, STR_HISTORY_DISK_FULL_DETAIL, free, folder);
      CopyText(warning, warningCapacity, STR_HISTORY_DISK_FULL);
      return HISTORY_DISK_FULL;
    case DISK_UNKNOWN:
    case DISK_ENOUGH: break;
  }
  CopyText(detail, detailCapacity, "");
  CopyText(warning, warningCapacity, "");
  return HISTORY_NONE;
}

int FormatFileSize(char* text, size_t capacity, uint64_t bytes) {
  // Tenths of 2^20 bytes to the nearest; no file comes near the 64 bits' end.
  uint64_t tenths = (bytes * 10 + (1u << 19)) >> 20;
  // A file with anything in it is not to read as empty.
  if (tenths == 0 && bytes > 0) tenths = 1;
  if (tenths > UINT32_MAX) tenths = UINT32_MAX;
  const unsigned whole = static_cast<unsigned>(tenths / 10), part = static_cast<unsigned>(tenths % 10);
  return FormatText(text, capacity, STR_HISTORY_MEGABYTES, whole, part);
}

int FormatSoundLength(char* text, size_t capacity, uint32_t seconds) {
  const unsigned hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
  if (hours > 0) return FormatText(text, capacity, STR_HISTORY_HOURS_LENGTH, hours, minutes, rest);
  if (minutes > 0) return FormatText(text, capacity, STR_HISTORY_MINUTES_LENGTH, minutes, rest);
  return FormatText(text, capacity, STR_HISTORY_SECONDS_LENGTH, rest);
}

int FormatFileFigures(char* text, size_t capacity, uint64_t bytes, const ScheduleEntry* entry) {
  char size[32], length[48];
  FormatFileSize(size, sizeof size, bytes);
  const int32_t kbps = RecordingBitrateKbps(entry);
  FormatSoundLength(length, sizeof length, SecondsOfSound(bytes, kbps));
  if (entry->flags & FLAG_MP3_PARAMS) return FormatText(text, capacity, STR_HISTORY_FILE_FIGURES, size, length);
  return FormatText(text, capacity, STR_HISTORY_FILE_FIGURES_GUESSED, size, kbps, length);
}

int FormatEndedDetail(char* detail, size_t capacity, HistoryReason reason, const FileReading& file,
                      const ScheduleEntry* entry) {
  int whole = CopyText(detail, capacity, HistoryReasonText(reason));
  if (file.look != FILE_PRESENT) return whole;
  char figures[96];
  FormatFileFigures(figures, sizeof figures, file.bytes, entry);
  return whole & AppendFormat(detail, capacity, ", %s", figures);
}

HistoryEvent FormatGrowthNews(char* detail, size_t detailCapacity, char* warning, size_t warningCapacity,
                              GrowthVerdict verdict, const FileReading& file, const char* fileName) {
  CopyText(detail, detailCapacity, "");
  CopyText(warning, warningCapacity, "");
  if (verdict != GROWTH_STALLED) return HISTORY_NONE;
  char size[32];
  if (file.look == FILE_PRESENT) {
    FormatFileSize(size, sizeof size, file.bytes);
  } else {
    CopyText(size, sizeof size, STR_HISTORY_NO_FILE);
  }
  FormatText(detail, detailCapacity, "%s, %s", fileName, size);
  FormatText(warning, warningCapacity, STR_STATUS_FILE_NOT_GROWING, size);
  return HISTORY_FILE_NOT_GROWING;
}

int FormatCutShortDetail(char* detail, size_t capacity, uint64_t bytes, const ScheduleEntry* entry,
                         uint32_t recordedMs, const char* fileName) {
  char held[48], recorded[48];
  FormatSoundLength(held, sizeof held, SecondsOfSound(bytes, RecordingBitrateKbps(entry)));
  FormatSoundLength(recorded, sizeof recorded, (recordedMs + 500) / 1000);
  return FormatText(detail, capacity, STR_HISTORY_CUT_SHORT_DETAIL, held, recorded, fileName);
}

HistoryReason ReasonOfRecordingFile(FileEndVerdict verdict) {
  switch (verdict) {
    case FILE_END_MISSING: return REASON_FILE_MISSING;
    case FILE_END_EMPTY: return REASON_FILE_EMPTY;
    case FILE_END_UNKNOWN:
    case FILE_END_SHORT:
    case FILE_END_FINE: break;
  }
  return REASON_NONE;
}

bool HistoryNeedsRenaming(uint64_t currentSize, size_t lineLength) {
  return currentSize > 0 && currentSize + lineLength > static_cast<uint64_t>(HISTORY_SIZE_LIMIT);
}

int DeriveHistoryPath(char* historyPath, size_t capacity, const char* settingsPath) {
  if (!CopyText(historyPath, capacity, settingsPath)) return 0;
  return ReplaceExtension(historyPath, capacity, STR_HISTORY_EXTENSION);
}

int OlderHistoryPath(char* olderPath, size_t capacity, const char* historyPath) {
  if (!CopyText(olderPath, capacity, historyPath)) return 0;
  return AppendText(olderPath, capacity, STR_HISTORY_OLDER_SUFFIX);
}

bool AutoStartPlayerEnabled(const char* value) {
  int consumed = 0;
  int number = ParseNumber(value, &consumed);
  return consumed == 0 || number != 0;
}
