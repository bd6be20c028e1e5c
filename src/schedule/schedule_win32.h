// The in-memory schedule list and its storage in the settings file.
#pragma once
#include "schedule/schedule.h"

// Head of the list, in insertion order; the list owns its entries.
extern ScheduleEntry* scheduleList;

ScheduleEntry* AppendScheduleEntry();
int RemoveScheduleEntry(ScheduleEntry* entry);
void FreeAllSchedules();
int ScheduleCount();

int LoadSchedules();
int SaveSchedules();
