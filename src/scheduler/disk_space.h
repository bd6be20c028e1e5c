// Whether the drive a recording goes to has room for it: what a window needs
// and what the free space says of it. Portable: the shell asks the system
// for the free space, this decides.
#pragma once
#include <cstddef>
#include <cstdint>

#include "schedule/schedule.h"

enum DiskSpaceRules {
  // Without MP3 parameters the plug-in records with its own setting, which
  // the program cannot read: 128 kbit/s is assumed.
  ASSUMED_BITRATE_KBPS = 128,
  // Added to every need: the file's header, the plug-in's buffers and some
  // room for whatever else writes to the drive meanwhile.
  DISK_MARGIN_BYTES = 4 << 20,
  // Less than this left while recording: the disk counts as full and the
  // recording as probably cut (at 192 kbit/s it is under a minute).
  DISK_ALMOST_FULL_BYTES = 1 << 20,
  // While recording, the free space is looked at this often.
  DISK_CHECK_PERIOD_MS = 60000,
};

// The bitrate the entry records with: its MP3 parameters' (the table's), or
// the assumed one without them.
int32_t RecordingBitrateKbps(const ScheduleEntry* entry);

// Seconds of the entry's window from t (seconds of the day) until its end;
// for t outside the window its whole length. A window whose end is not after
// its start runs over midnight (start equal to end: a whole day). Times
// outside the day (a hand-edited file) give at most a day.
int32_t WindowSecondsFrom(const ScheduleEntry* entry, int32_t secondsOfDay);

// Bytes the entry's recording needs from t on: its bitrate over the seconds
// of its window from t, plus the margin.
uint64_t DiskNeedBytes(const ScheduleEntry* entry, int32_t secondsOfDay);

enum DiskVerdict {
  DISK_UNKNOWN = 0,  // the free space could not be read: nothing is said
  DISK_ENOUGH,
  DISK_SHORT,        // less free than the need
  DISK_FULL,         // while recording, almost nothing left
};
DiskVerdict JudgeDiskSpace(uint64_t needBytes, bool freeKnown, uint64_t freeBytes, bool recording);

// Whole megabytes (2^20 bytes) for the texts: a need rounded up, free space
// rounded down, so no text promises room that is not there.
uint32_t MegabytesUp(uint64_t bytes);
uint32_t MegabytesDown(uint64_t bytes);

// The folder whose drive holds the file: the path up to and with its last
// backslash ("D:\f.mp3" gives the drive "D:\", "\\srv\share\f.mp3" the
// share's root "\\srv\share\"). Returns 0 with an empty folder when the path
// has no backslash or the folder does not fit.
int OutputFolderOf(char* folder, size_t capacity, const char* fileName);
