#include "app/main_view.h"

#include <cstring>

#include "resources/strings.h"
#include "text/text.h"

namespace {
const char kEllipsis[] = "...";
}  // namespace

int FormatListLine(char* line, size_t capacity, const ScheduleEntry* entry) {
  char window[ENTRY_WINDOW_CAPACITY];
  FormatEntryWindow(window, sizeof window, entry);
  const char* mark = entry->recording ? STR_MARK_RECORDING : STR_MARK_IDLE;
  if (FormatText(line, capacity, "%s %s %s", window, mark, entry->outputPattern))
    return 1;
  if (capacity <= sizeof kEllipsis) return 0;
  size_t keep = WholeCharPrefix(line, strlen(line), capacity - sizeof kEllipsis);
  line[keep] = '\0';
  AppendText(line, capacity, kEllipsis);
  return 0;
}

void UpdateTitleClock(char* title, size_t capacity, int hour, int minute, int second) {
  int dash = IndexOfChar(title, '-');
  if (dash >= 0) {
    title[dash] = '\0';
  } else {
    AppendText(title, capacity, " ");
  }
  AppendFormat(title, capacity, "- %02d:%02d:%02d", hour, minute, second);
}

unsigned DelayToNextSecond(int millisecond) {
  if (millisecond < 0 || millisecond > 999) millisecond = 0;
  return static_cast<unsigned>(1000 - millisecond + TICK_ALIGN_MARGIN_MS);
}

unsigned DelayToNextTick(const LocalTimeFields& ticked, const LocalTimeFields& now) {
  const bool sameSecond = ticked.second == now.second && ticked.minute == now.minute && ticked.hour == now.hour &&
                          ticked.day == now.day && ticked.month == now.month && ticked.year == now.year;
  return sameSecond ? DelayToNextSecond(now.millisecond) : 0u;
}
