// The in-memory schedule list and its storage in the settings file.
#pragma once
#include "schedule/schedule.h"

// Head of the list, in insertion order; the list owns its entries.
extern ScheduleEntry* scheduleList;

ScheduleEntry* AppendScheduleEntry();
int RemoveScheduleEntry(ScheduleEntry* entry);
// Whether entry (possibly freed since) is still one of the list's.
bool ScheduleHasEntry(const ScheduleEntry* entry);
void FreeAllSchedules();
int ScheduleCount();

// Appends the entries of [MP3Schedule], read with one section read, exactly
// as reading key 0, 1, 2 ... one at a time would give them. 0 when out of memory.
int LoadSchedules();
// Writes [MP3Schedule] with one section write: keys 0 .. n-1 with the lines of
// the entries with a pattern, key n empty, every other key as it was, in the
// order key-by-key writes leave them. Writes nothing when nothing changes.
// Returns 0 when the file could not be written (it is then left as it was).
int SaveSchedules();
