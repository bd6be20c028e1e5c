// The schedule entry record, the clock conversions and the settings line
// format of one entry. Portable: the list's storage lives in schedule_win32.
#pragma once
#include <cstddef>
#include <cstdint>

enum { PATH_CAPACITY = 260, SCHEDULE_LINE_CAPACITY = 340 };

enum ScheduleFlags : uint32_t {
  FLAG_MP3_PARAMS = 1,  // hand bitrate, sample rate and channels to the plug-in
  FLAG_MONO = 2,        // else stereo
};

// How the scheduler stands with one entry in the current run of the program.
// Lives in memory only and goes with the entry when it is deleted.
struct EntryRun {
  uint8_t starting;      // request handed over and start posted; the plug-in has not yet reported recording
  uint8_t held;          // stopped by the user: not started again before its window has ended
  uint8_t retryPending;  // an attempt failed: the next waits until retryFromMs
  uint32_t startedAtMs;  // tick count when the start was posted
  uint32_t retryFromMs;  // tick count from which the next attempt may come
  // What the history knows of the entry's current window (history/watch.h):
  uint8_t windowOpen;      // due, or recording or starting, at the last reading
  uint8_t windowRecorded;  // a recording of this window ran
  uint8_t playerStarted;   // the player was started for this window
  uint8_t lastReason;      // the last reason it did not record (HistoryReason)
  uint32_t reasonsTold;    // bit r: reason r was told for this window
  uint8_t notesAhead;      // the notes were taken for the window about to open...
  uint32_t notesAheadAtMs; // ...at this tick count
  uint8_t diskNotes;       // its drive looked at, found short, found full; its file found still (history/watch.h)
  uint32_t reasonsBallooned;  // bit r: a balloon told reason r for this window
  // The check ahead of its next window (history/watch.h):
  int64_t aheadOpening;    // local seconds of the opening it was checked for (0: none)
  uint32_t aheadShape;     // the entry's fingerprint then: an entry changed since is checked again
  uint32_t aheadTold;      // bit r: reason r was told ahead of that opening
  uint32_t aheadFound;     // bit r: the last check for it found reason r
};

struct ScheduleEntry {
  ScheduleEntry* next;
  int32_t startSeconds;  // seconds since local midnight
  int32_t endSeconds;    // window is [start, end), over midnight when start >= end
  int32_t dayMask;       // bit d = weekday d (0 = Sunday); every day is stored as -1
  uint32_t flags;
  int32_t sampleRateIndex;  // 0 = 22050 Hz, 1 = 44100 Hz
  int32_t bitrateIndex;     // 0..5 = 48, 56, 64, 96, 128, 192 kbit/s
  uint8_t recording;        // set while a recording of this entry runs; never stored
  char outputPattern[PATH_CAPACITY];
  EntryRun run;
};

// 48, 56, 64, 96, 128, 192 kbit/s, then 22050 and 44100 Hz.
extern const int32_t AudioParamTable[8];
enum { BITRATE_COUNT = 6, SAMPLE_RATE_COUNT = 2, DEFAULT_BITRATE_INDEX = 4, DEFAULT_SAMPLE_RATE_INDEX = 1 };

// Bitrate and sample rate of an entry. An index outside the table (a
// hand-edited settings file, or -1 from the editor when no button was checked)
// falls back to 128 kbit/s and 44100 Hz instead of reading past the table.
int32_t BitrateOf(const ScheduleEntry* entry);
int32_t SampleRateOf(const ScheduleEntry* entry);

int32_t HmsToSeconds(int32_t hours, int32_t minutes, int32_t seconds);
void SecondsToHms(int32_t seconds, int32_t* hours, int32_t* minutes, int32_t* secs);

// The entry's window as the list and the history show it,
// "hh:mm:ss - hh:mm:ss"; the capacity holds any pair of stored times.
enum { ENTRY_WINDOW_CAPACITY = 48 };
void FormatEntryWindow(char* text, size_t capacity, const ScheduleEntry* entry);

// The six time numbers of a schedule line. A load keeps one of these for all
// lines, so numbers a damaged line does not reach keep the previous line's.
struct ScheduleTimes {
  int32_t numbers[6];
};

// Parses one [MP3Schedule] value into entry (times, pattern and the four
// parameter numbers). line is changed in place (cut at its first "|").
// Returns 1 when the entry is worth keeping (non-empty pattern), else 0.
int ParseScheduleLine(char* line, ScheduleTimes* times, ScheduleEntry* entry);
// Formats entry as "H:M:S H:M:S PATTERN|B R D F" into line (bounded). A
// pattern holding a blank or a tab (and no double quote) is written in double
// quotes, so the reader takes it whole; any other pattern is written as is.
// Every entry, whatever its numbers, fits SCHEDULE_LINE_CAPACITY and reads
// back as the same entry. Returns 1 when the whole line fitted.
int FormatScheduleLine(const ScheduleEntry* entry, char* line, size_t capacity);
