// Schedule entries for the unit tests, linked in the given order.
#pragma once
#include <vector>

#include "schedule/schedule.h"

struct List {
  std::vector<ScheduleEntry> entries;
  explicit List(size_t n) : entries(n) {
    for (size_t i = 0; i + 1 < n; ++i) entries[i].next = &entries[i + 1];
  }
  ScheduleEntry* head() { return &entries[0]; }
  ScheduleEntry& operator[](size_t i) { return entries[i]; }
};
