// What the file a recording goes into says about it: whether it grows from
// one minute's look to the next, and at the end what it holds. Portable: the
// shell looks at the file, this decides.
#pragma once
#include <cstdint>

#include "schedule/schedule.h"

// One look at the file.
enum FileLook {
  FILE_NOT_SEEN = 0,  // the system could not tell (a share away, no access): nothing is said
  FILE_MISSING,
  FILE_PRESENT,
};
struct FileReading {
  FileLook look;
  uint64_t bytes;  // when present
};

// The looks at one recording's file so far, from one minute's check to the
// next. Zeroed when the recording begins: the file is taken as empty then.
struct FileGrowth {
  uint64_t lastBytes;  // at the last look that found it (0 while it was missing)
};

enum GrowthVerdict {
  GROWTH_UNKNOWN = 0,  // the look told nothing; the growth so far stands
  GROWTH_GROWING,
  GROWTH_STALLED,      // missing, or no bigger than at the last look
};
// A minute's look: the file must have grown since the last one, so a
// plug-in that writes in bursts is judged over the whole minute between two
// looks. A file that is still missing, or empty, at the first look has not
// grown either.
GrowthVerdict NoteFileLook(FileGrowth* growth, const FileReading& reading);

enum FileEndVerdict {
  FILE_END_UNKNOWN = 0,  // not seen: nothing is said
  FILE_END_MISSING,
  FILE_END_EMPTY,
  FILE_END_SHORT,        // with MP3 parameters only: under half of what the time recorded gives
  FILE_END_FINE,
};
// The file when the window ended, after recordedMs of recording. Without MP3
// parameters the bitrate is a guess, so a file is never called short then.
FileEndVerdict JudgeRecordingFile(const FileReading& reading, const ScheduleEntry* entry, uint32_t recordedMs);

// Seconds of sound a file of that size holds at the bitrate (rounded to
// the nearest second; 0 for a bitrate that is none).
uint32_t SecondsOfSound(uint64_t bytes, int32_t kbps);
