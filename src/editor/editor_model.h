// The schedule editor's decisions without the dialog: the values a new entry
// starts from, the checks at OK, the one-pass store into the target entry,
// the "DefaultSet" text and the folder a browse hands back.
#pragma once
#include <cstddef>
#include <cstdint>

#include "schedule/schedule.h"

// The window suggested for a new entry: the given hour from minute 0 second 0
// to minute 59 second 55.
void SuggestedWindow(int hour, int32_t* startSeconds, int32_t* endSeconds);

// Takes the remembered "DefaultSet" value ("%d %d %d %d": bitrate index,
// sample-rate index, day mask, flags) into entry. An empty text scans nothing;
// numbers the text lacks keep the entry's values. When the flags come out 0,
// the new entry starts at 128 kbit/s and 44100 Hz whatever was scanned.
void ApplyDefaultSet(ScheduleEntry* entry, const char* defaultSet);

// The values of a new entry: the suggested window of hour, then "DefaultSet"
// and "OutFileName" (either may be empty). entry is filled from scratch; its
// link stays none.
void PrepareNewEntry(ScheduleEntry* entry, int hour, const char* defaultSet, const char* outFileName);

// The day mask stored for the checked weekday bits: all seven days are -1.
int32_t StoredDayMask(int32_t checkedBits);

// What the editor's controls hold when OK is pressed.
struct EditorInput {
  uint32_t times[6];        // start h, m, s, end h, m, s as read, unchecked
  int mp3Params;            // the MP3 parameters box is checked
  int channelIndex;         // checked index of the channel run, -1 for none
  int sampleRateIndex;      // the same for the sample-rate run
  int bitrateIndex;         // the same for the bitrate run
  int32_t dayBits;          // bit d for each checked weekday box
  char pattern[PATH_CAPACITY];  // the output field exactly as typed
};

enum EditorVerdict {
  EDITOR_ACCEPT = 0,
  EDITOR_TIMES_EQUAL = 1,     // start and end name the same second
  EDITOR_NO_DESTINATION = 2,  // the output field is empty or only blanks and tabs
  EDITOR_QUOTE_IN_PATTERN = 3,  // a double quote, which no file name holds and the stored line cannot carry
};

// Checks the input in the order OK does: the times first, then the pattern.
int CheckEditorInput(const EditorInput* input);

// Writes an accepted input into target in one pass: times, flags, sample
// rate, bitrate, pattern (as typed) and day mask. The link and the recording
// byte are left as they are.
void StoreEditorInput(ScheduleEntry* target, const EditorInput* input);

// The "DefaultSet" text of entry. Returns 1 when it fitted.
int FormatDefaultSet(char* text, size_t capacity, const ScheduleEntry* entry);

// The question OK asks before it stores an entry whose window overlaps
// another entry's: the other's window and pattern, how many further entries
// overlap too (0: none), and what happens to the recordings. The capacity
// holds any window and a whole pattern.
enum { OVERLAP_QUESTION_CAPACITY = 1024 };
// Returns 1 when the whole question fitted.
int FormatOverlapQuestion(char* text, size_t capacity, const ScheduleEntry* other, int furtherCount);

// Turns the file-system path of a chosen folder (in a buffer of capacity
// bytes) into the folder part of a pattern: one trailing backslash. A path
// that leaves no room for the backslash is refused: path is emptied and 0
// returned, so the caller keeps the field as it was (taking it without the
// backslash would make the folder's name the recording's file name).
int FinishBrowsedFolder(char* path, size_t capacity);
