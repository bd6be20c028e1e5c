// The file a scheduled recording goes into, looked at while it records (at
// the disk watch's minute checks, one look each) and when its window ends.
// Only a recording whose file is known is watched: one adopted from the user
// has none, and nothing is said of it.
#pragma once
#include <cstdint>

#include "schedule/schedule.h"
#include "scheduler/recording_file.h"

// The plug-in reported the entry's recording into fileName at nowMs: its file
// is watched from here on, taken as empty then.
void WatchRecordingFile(ScheduleEntry* entry, const char* fileName, uint32_t nowMs);
// The recording ended other than with its window, or one without a known
// file took its place: nothing is watched.
void ForgetRecordingFile();
// A minute's look while the entry records: a file missing or no bigger than
// at the last look is told, once a window, with a warning that stands while
// the file stands still; growth that resumes only takes the warning down.
void LookAtRecordingFile(ScheduleEntry* entry);

// The entry's file when its window ended, and how long it had recorded.
struct RecordingFileEnd {
  FileReading file;
  uint32_t recordedMs;
  char fileName[PATH_CAPACITY];
};
// The last look, at the end of the entry's window; nothing is watched after.
// False when the entry's file was not watched.
bool LookAtFileAtEnd(const ScheduleEntry* entry, uint32_t nowMs, RecordingFileEnd* end);
