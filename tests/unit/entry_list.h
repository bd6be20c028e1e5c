// Schedule entries for the unit tests, linked in the given order.
#pragma once
#include <initializer_list>
#include <vector>

#include "schedule/schedule.h"
#include "text/text.h"

// An entry recording from start to end (seconds of the day) on the weekdays
// of dayMask (bit 0 Sunday; -1 every day).
inline ScheduleEntry WindowEntry(int32_t start, int32_t end, int32_t dayMask = -1,
                                 const char* pattern = "D:\\rec\\a.mp3") {
  ScheduleEntry e{};
  e.startSeconds = start;
  e.endSeconds = end;
  e.dayMask = dayMask;
  CopyText(e.outputPattern, sizeof e.outputPattern, pattern);
  return e;
}

struct List {
  std::vector<ScheduleEntry> entries;
  explicit List(size_t n) : entries(n) { Link(); }
  List(std::initializer_list<ScheduleEntry> given) : entries(given) { Link(); }
  // The links point into this list's own entries.
  List(const List&) = delete;
  List& operator=(const List&) = delete;
  void Link() {
    for (size_t i = 0; i + 1 < entries.size(); ++i) entries[i].next = &entries[i + 1];
  }
  ScheduleEntry* head() { return &entries[0]; }
  ScheduleEntry& operator[](size_t i) { return entries[i]; }
};
