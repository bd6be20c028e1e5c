#include "scheduler/overlap.h"

#include "scheduler/tick.h"

namespace {

const int kDaysPerWeek = 7;
const uint32_t kWeekBits = 127;

bool HasDay(const ScheduleEntry* e, int day) {
  const int d = (day % kDaysPerWeek + kDaysPerWeek) % kDaysPerWeek;
  return (static_cast<uint32_t>(e->dayMask) >> d & 1u) != 0;
}

bool OverMidnight(const ScheduleEntry* e) { return e->startSeconds >= e->endSeconds; }

// Some second of the day lies outside the window, so a run of it ends.
bool WindowEnds(const ScheduleEntry* e) {
  const int32_t start = e->startSeconds, end = e->endSeconds;
  if (!OverMidnight(e)) return start > 0 || end < SECONDS_PER_DAY;
  // Outside an over-midnight window lies [end, start), as far as it is in the day.
  return (end > 0 ? end : 0) < (start < SECONDS_PER_DAY ? start : SECONDS_PER_DAY);
}

// The entry records at t on `day` when it runs alone: it is due now, or a run
// begun earlier has been inside the window ever since.
bool Recording(const ScheduleEntry* e, int32_t t, int day) {
  if (!InWindow(e, t)) return false;
  if (!WindowEnds(e)) return (static_cast<uint32_t>(e->dayMask) & kWeekBits) != 0;
  if (HasDay(e, day)) return true;
  // Not due today: only a run begun yesterday evening is still going.
  return OverMidnight(e) && t < e->endSeconds && e->startSeconds < SECONDS_PER_DAY && HasDay(e, day - 1);
}

// The seconds of the day at which either entry may start or stop recording:
// between two of them nothing changes for either.
int DayBoundaries(const ScheduleEntry* a, const ScheduleEntry* b, int32_t* out) {
  const int32_t times[] = {a->startSeconds, a->endSeconds, b->startSeconds, b->endSeconds};
  int n = 0;
  out[n++] = 0;
  for (int32_t t : times)
    if (t > 0 && t < SECONDS_PER_DAY) out[n++] = t;
  return n;
}

}  // namespace

bool WindowsOverlap(const ScheduleEntry* a, const ScheduleEntry* b) {
  int32_t boundaries[5];
  const int count = DayBoundaries(a, b, boundaries);
  for (int day = 0; day < kDaysPerWeek; ++day) {
    for (int i = 0; i < count; ++i) {
      if (Recording(a, boundaries[i], day) && Recording(b, boundaries[i], day)) return true;
    }
  }
  return false;
}

const ScheduleEntry* FirstOverlapping(const ScheduleEntry* list, const ScheduleEntry* candidate,
                                      const ScheduleEntry* self, int* count) {
  const ScheduleEntry* first = nullptr;
  int overlapping = 0;
  for (const ScheduleEntry* e = list; e; e = e->next) {
    if (e == self || !WindowsOverlap(candidate, e)) continue;
    if (!first) first = e;
    ++overlapping;
  }
  if (count) *count = overlapping;
  return first;
}
