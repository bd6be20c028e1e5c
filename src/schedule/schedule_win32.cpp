#include "schedule/schedule_win32.h"

#include <windows.h>

#include "resources/strings.h"
#include "schedule/settings_win32.h"
#include "text/text.h"

ScheduleEntry* scheduleList = nullptr;

namespace {
ScheduleEntry** TailLink() {
  ScheduleEntry** link = &scheduleList;
  while (*link) link = &(*link)->next;
  return link;
}

void KeyOf(int number, char* key, size_t capacity) { FormatText(key, capacity, "%d", number); }
}  // namespace

ScheduleEntry* AppendScheduleEntry() {
  ScheduleEntry* entry = static_cast<ScheduleEntry*>(LocalAlloc(LPTR, sizeof(ScheduleEntry)));
  if (!entry) return nullptr;
  *TailLink() = entry;
  return entry;
}

int RemoveScheduleEntry(ScheduleEntry* entry) {
  for (ScheduleEntry** link = &scheduleList; *link; link = &(*link)->next) {
    if (*link == entry) {
      *link = entry->next;
      LocalFree(entry);
      return 1;
    }
  }
  return 0;
}

void FreeAllSchedules() {
  while (scheduleList) RemoveScheduleEntry(scheduleList);
}

int ScheduleCount() {
  int count = 0;
  for (const ScheduleEntry* e = scheduleList; e; e = e->next) ++count;
  return count;
}

int LoadSchedules() {
  char* line = static_cast<char*>(LocalAlloc(LMEM_FIXED, SCHEDULE_LINE_CAPACITY));
  if (!line) return 0;
  ScheduleTimes times = {};
  // Appending walks to the tail; keep the tail at hand so big lists load in linear time.
  ScheduleEntry** tail = TailLink();
  for (int number = 0;; ++number) {
    char key[16];
    KeyOf(number, key, sizeof key);
    if (ReadSetting(STR_SECTION_SCHEDULE, key, line, SCHEDULE_LINE_CAPACITY) == 0) break;
    ScheduleEntry* entry = static_cast<ScheduleEntry*>(LocalAlloc(LPTR, sizeof(ScheduleEntry)));
    if (!entry) continue;
    if (ParseScheduleLine(line, &times, entry)) {
      *tail = entry;
      tail = &entry->next;
    } else {
      LocalFree(entry);
    }
  }
  LocalFree(line);
  return 1;
}

int SaveSchedules() {
  char* line = static_cast<char*>(LocalAlloc(LMEM_FIXED, SCHEDULE_LINE_CAPACITY));
  if (!line) return 0;
  int number = 0;
  for (const ScheduleEntry* entry = scheduleList; entry; entry = entry->next) {
    if (entry->outputPattern[0] == '\0') continue;
    FormatScheduleLine(entry, line, SCHEDULE_LINE_CAPACITY);
    char key[16];
    KeyOf(number++, key, sizeof key);
    WriteSetting(STR_SECTION_SCHEDULE, key, line);
  }
  char key[16];
  KeyOf(number, key, sizeof key);
  WriteSetting(STR_SECTION_SCHEDULE, key, "");
  LocalFree(line);
  return 1;
}
