#include "app/main_view.h"

#include "resources/strings.h"
#include "text/text.h"

namespace {
// Length of the longest prefix of text within limit bytes that does not end
// inside a double-byte character (a lead byte is 0x81..0xFE).
size_t CharBoundaryWithin(const char* text, size_t limit) {
  size_t i = 0;
  while (text[i]) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    size_t step = (byte >= 0x81 && byte <= 0xFE && text[i + 1]) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return i;
}

const char kEllipsis[] = "...";
}  // namespace

int FormatListLine(char* line, size_t capacity, const ScheduleEntry* entry) {
  int32_t h1, m1, s1, h2, m2, s2;
  SecondsToHms(entry->startSeconds, &h1, &m1, &s1);
  SecondsToHms(entry->endSeconds, &h2, &m2, &s2);
  const char* mark = entry->recording ? STR_MARK_RECORDING : STR_MARK_IDLE;
  if (FormatText(line, capacity, "%02d:%02d:%02d - %02d:%02d:%02d %s %s", h1, m1, s1, h2, m2, s2, mark,
                 entry->outputPattern))
    return 1;
  if (capacity <= sizeof kEllipsis) return 0;
  size_t keep = CharBoundaryWithin(line, capacity - sizeof kEllipsis);
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
