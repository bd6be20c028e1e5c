// A look at each window a while before it opens, so whatever would keep it
// from recording is told while someone can still mend it: the plug-in (or
// the player started for it), the file name, its folder and drive, the
// drive's free space, and another entry that will hold the plug-in then.
// Nothing is started or held up by it. Portable: the shell gathers the facts
// of the file system, this decides.
#pragma once
#include <cstddef>
#include <cstdint>

#include "history/history.h"
#include "schedule/schedule.h"
#include "scheduler/naming.h"

// [Config] "CheckAheadMinutes": how long before a window opens it is looked
// at; 0 turns the check off.
enum { CHECK_AHEAD_DEFAULT_MINUTES = 10, CHECK_AHEAD_MAX_MINUTES = 1440 };
// The key's value: none or no number gives the default, a number below 0
// gives 0, one above the most a day.
int32_t CheckAheadMinutesOf(const char* value);

// The window to look at now: of the entries (not held by the user) whose
// window opens within the lead and was not looked at for that opening as the
// entry is now, the one opening first (on the same second the first in list
// order). A window that is open already is the tick's, not this check's.
struct AheadChoice {
  ScheduleEntry* entry;  // none: nothing to look at now
  int32_t secondsAhead;  // until it opens: 1 .. the lead
  int64_t opening;       // local seconds (LocalSecondsOf) of its opening
  LocalTimeFields at;    // the clock at its opening
};
AheadChoice ChooseWindowToCheck(ScheduleEntry* list, const LocalTimeFields& now, int32_t leadSeconds);

// The name the window will record to, expanded for its opening into name
// (capacity bytes). 1 when the whole expansion fits what the program hands
// on (a path of PATH_CAPACITY - 1 bytes, and the plug-in's request block); 0
// when the start would record to a cut name or not at all.
int AheadFileName(char* name, size_t capacity, const ScheduleEntry* entry, const LocalTimeFields& at);

// Where the file would go, as the shell found it.
enum AheadPlace {
  PLACE_READY = 0,  // the folder exists (or was made just now)
  PLACE_NO_DRIVE,   // the drive or share root the path names is not there
  PLACE_NO_FOLDER,  // the path has no usable form, or a folder could not be made
};

// What the shell found out for the chosen window.
struct AheadFacts {
  bool pluginKnown;      // a plug-in window is known (or its player has just been started)
  bool playerStartable;  // the player will be started for the window: switched on, and its stored path is a file
  bool nameFits;         // AheadFileName gave 1
  AheadPlace place;      // looked at only when the name fits
  bool freeKnown;        // the drive told its free space (only with PLACE_READY)
  uint64_t freeBytes;
};

// What would keep the window from recording as it should.
struct AheadFindings {
  uint32_t reasons;       // bit r: reason r (REASON_NO_PLUGIN, REASON_NAME_TOO_LONG, REASON_NO_DRIVE,
                          // REASON_NO_FOLDER, REASON_DISK_SHORT, REASON_OTHER_RECORDING)
  ScheduleEntry* holder;  // with REASON_OTHER_RECORDING: the entry that will be recording at the opening
  uint64_t needBytes;     // what the window needs of the drive
};
AheadFindings JudgeWindowAhead(ScheduleEntry* list, const AheadChoice& choice, const LocalTimeFields& now,
                               const AheadFacts& facts);

// The tick's own rule played on from now to the window's opening: the entry
// recording or starting now holds the plug-in until its window ends (the
// weekday plays no part), then, a tick later, the first entry in list order
// that is due takes it. The entry other than `entry` that holds it at the
// opening, or none (also when more than a few dozen windows come between).
ScheduleEntry* HolderAtOpening(ScheduleEntry* list, const ScheduleEntry* entry, const LocalTimeFields& now,
                               int32_t secondsAhead);

// The history line's detail and the status line's warning for one reason
// found ahead of the entry's window. The detail is the reason's text with
// what it is about: the folder (no drive, no folder), the space needed and
// free (disk short), the other entry's window (another recording).
void FormatAheadNews(char* detail, size_t detailCapacity, char* warning, size_t warningCapacity,
                     HistoryReason reason, const ScheduleEntry* entry, const AheadFindings& findings,
                     const AheadFacts& facts, const char* folder);
