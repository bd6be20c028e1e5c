// Fuzzes the main window's texts, the start-up decisions and the tick
// decision: FormatListLine, UpdateTitleClock, DelayToNextSecond, CommandTail,
// DeriveSettingsPath, InWindow, DecideTick and a window's disk need.
//
// Input layout:
//   byte 0      what to fuzz (value % 4):
//                 0  list line: int32 start, int32 end, recording byte,
//                    capacity byte (1 + value), then the pattern up to the
//                    first zero, cut to 259 bytes
//                 1  title clock: int32 hour, minute, second, millisecond,
//                    capacity byte (1 + value % 80), then the title up to the
//                    first zero
//                 2  start-up: capacity byte (1 + value), then the command
//                    line up to the first zero, then the module path up to
//                    the next zero
//                 3  tick: option byte (bit 0: times taken modulo one day,
//                    bit 1: weekday modulo 8), int32 time of day, int32
//                    weekday, then up to 8 entries of 10 bytes each: int32
//                    start, int32 end, day-mask byte (255 stands for -1),
//                    recording byte
// Integers are little-endian. Text buffers are heap blocks of exactly their
// capacity, so any write past a capacity is caught by the address sanitizer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/cp949.h"
#include "app/main_view.h"
#include "app/startup.h"
#include "scheduler/disk_space.h"
#include "scheduler/tick.h"

namespace {

const int32_t kDay = 86400;
const size_t kMaxEntries = 8;

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

bool Terminated(const std::vector<char>& buffer) { return memchr(buffer.data(), '\0', buffer.size()) != nullptr; }

// Reads the input front to back; missing bytes read as zero.
struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at;

  uint8_t Byte() { return at < size ? data[at++] : 0; }
  int32_t Int32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(Byte()) << (8 * i);
    int32_t result;
    memcpy(&result, &value, sizeof result);
    return result;
  }
  // Text up to the next zero byte (taken too) or the end of the input.
  std::string Text() {
    const char* p = reinterpret_cast<const char*>(data + at);
    size_t n = at < size ? strnlen(p, size - at) : 0;
    std::string text(p, n);
    at += n + (at + n < size ? 1 : 0);
    return text;
  }
};

std::string Clock(int hour, int minute, int second) {
  char text[64];
  snprintf(text, sizeof text, "- %02d:%02d:%02d", hour, minute, second);
  return text;
}

void FuzzListLine(Reader& in) {
  ScheduleEntry entry;
  memset(&entry, 0, sizeof entry);
  entry.startSeconds = in.Int32();
  entry.endSeconds = in.Int32();
  entry.recording = in.Byte();
  size_t capacity = 1 + in.Byte();
  std::string pattern = in.Text();
  snprintf(entry.outputPattern, sizeof entry.outputPattern, "%s", pattern.c_str());

  // The widest clocks and a 259-byte pattern still fit the list line buffer.
  std::vector<char> full(LIST_LINE_CAPACITY, 'Q');
  Check(FormatListLine(full.data(), full.size(), &entry) == 1, "every entry fits the list line buffer");
  Check(Terminated(full), "list line terminated");
  std::string whole = full.data();
  Check(whole.size() < LIST_LINE_CAPACITY, "list line within capacity");
  Check(whole.size() >= strlen(entry.outputPattern) &&
            whole.compare(whole.size() - strlen(entry.outputPattern), std::string::npos, entry.outputPattern) == 0,
        "the line ends in the pattern");

  std::vector<char> line(capacity, 'Q');
  int fitted = FormatListLine(line.data(), line.size(), &entry);
  Check(Terminated(line), "cut list line terminated within its capacity");
  std::string text = line.data();
  Check(text.size() <= capacity - 1, "list line never longer than capacity - 1");
  Check(fitted == (whole.size() < capacity ? 1 : 0), "reports exactly when the line was cut");
  if (fitted) {
    Check(text == whole, "a fitting line is the whole line");
    return;
  }
  if (capacity <= 4) {
    // No room for the ellipsis: the plain cut.
    Check(text == whole.substr(0, capacity - 1), "a tiny buffer holds the plain cut");
    return;
  }
  Check(text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0, "a cut line ends in \"...\"");
  std::string body = text.substr(0, text.size() - 3);
  Check(whole.compare(0, body.size(), body) == 0, "a cut line keeps a prefix of the whole line");
  // The ellipsis takes the end of the buffer; in front of it as many whole
  // characters of the line as fit.
  Check(body.size() == cp949::WholePrefix(whole, capacity - 4),
        "the cut in front of the ellipsis never splits a character");
}

void FuzzTitleClock(Reader& in) {
  int hour = in.Int32();
  int minute = in.Int32();
  int second = in.Int32();
  int millisecond = in.Int32();
  size_t capacity = 1 + in.Byte() % 80;
  std::string title = in.Text();

  unsigned delay = DelayToNextSecond(millisecond);
  Check(delay >= 1 && delay <= 1000u + TICK_ALIGN_MARGIN_MS, "tick delay within a second and the margin");
  if (millisecond >= 0 && millisecond <= 999) {
    unsigned long long lands = static_cast<unsigned long long>(millisecond) + delay;
    Check(lands > 1000 && lands <= 1000u + TICK_ALIGN_MARGIN_MS, "the tick lands just after the next second");
  }

  for (size_t cap : {capacity, static_cast<size_t>(TITLE_CAPACITY)}) {
    std::vector<char> buffer(cap, 'Q');
    snprintf(buffer.data(), cap, "%s", title.c_str());
    std::string start = buffer.data();
    UpdateTitleClock(buffer.data(), cap, hour, minute, second);
    Check(Terminated(buffer), "title terminated within its capacity");
    std::string result = buffer.data();

    // The text up to the first "-" (or the whole title and a blank), then the
    // clock; bounded writers cut it at the end of the buffer.
    size_t dash = start.find('-');
    std::string expected = dash != std::string::npos ? start.substr(0, dash) : start + " ";
    expected += Clock(hour, minute, second);
    Check(result == expected.substr(0, cap - 1), "title is the text before the dash and the clock, cut to the buffer");
    if (expected.size() < cap) {
      UpdateTitleClock(buffer.data(), cap, hour, minute, second);
      Check(result == buffer.data(), "the clock replaces itself");
    }
  }
}

bool IsNameChar(char c) { return static_cast<signed char>(c) > ' '; }

void FuzzStartup(Reader& in) {
  size_t capacity = 1 + in.Byte();
  std::string commandLine = in.Text();
  std::string modulePath = in.Text();

  const char* line = commandLine.c_str();
  const char* tail = CommandTail(line);
  Check(tail >= line && tail <= line + commandLine.size(), "the tail points inside the command line");
  Check(*tail == '\0' || IsNameChar(*tail), "the tail starts at a name character");
  size_t skipped = static_cast<size_t>(tail - line);
  size_t nameEnd;
  if (line[0] == '"') {
    size_t closing = commandLine.find('"', 1);
    if (closing == std::string::npos) {
      Check(*tail == '\0', "an unclosed quote leaves the empty tail");
      nameEnd = commandLine.size();
    } else {
      nameEnd = closing + 1;
    }
  } else {
    nameEnd = 0;
    while (nameEnd < commandLine.size() && IsNameChar(line[nameEnd])) ++nameEnd;
  }
  Check(skipped >= nameEnd, "the tail begins behind the program name");
  for (size_t i = nameEnd; i < skipped; ++i) Check(!IsNameChar(line[i]), "only blanks between name and tail");

  for (size_t cap : {capacity, static_cast<size_t>(PATH_CAPACITY)}) {
    std::vector<char> path(cap, 'Q');
    int whole = DeriveSettingsPath(path.data(), cap, modulePath.c_str());
    Check(Terminated(path), "settings path terminated within its capacity");
    // The file name's first dot and what follows become ".INI".
    size_t nameStart = modulePath.rfind('\\');
    if (nameStart == std::string::npos) nameStart = modulePath.rfind(':');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = modulePath.find('.', nameStart);
    std::string expected = (dot == std::string::npos ? modulePath : modulePath.substr(0, dot)) + ".INI";
    // Whole only when the module path was copied whole and the result fitted.
    bool fits = modulePath.size() < cap && expected.size() < cap;
    Check(whole == (fits ? 1 : 0), "reports exactly when a path did not fit");
    if (whole) Check(expected == path.data(), "the settings path replaces the extension with INI");
  }
}

void FuzzTick(Reader& in) {
  uint8_t options = in.Byte();
  int32_t t = in.Int32();
  int dayOfWeek = in.Int32();
  if (options & 1) t %= kDay;
  if (options & 2) dayOfWeek %= 8;

  std::vector<ScheduleEntry> entries;
  while (entries.size() < kMaxEntries && in.at + 10 <= in.size) {
    ScheduleEntry e;
    memset(&e, 0, sizeof e);
    e.startSeconds = in.Int32();
    e.endSeconds = in.Int32();
    if (options & 1) {
      e.startSeconds %= kDay;
      e.endSeconds %= kDay;
    }
    uint8_t mask = in.Byte();
    e.dayMask = mask == 255 ? -1 : mask;
    e.recording = in.Byte();
    entries.push_back(e);
  }
  for (size_t i = 0; i + 1 < entries.size(); ++i) entries[i].next = &entries[i + 1];
  ScheduleEntry* list = entries.empty() ? nullptr : &entries[0];

  for (const ScheduleEntry& e : entries) {
    const int32_t left = WindowSecondsFrom(&e, t);
    Check(left >= 0 && left <= kDay, "the seconds a window has left stay within a day");
    Check(DiskNeedBytes(&e, t) >= DISK_MARGIN_BYTES, "a need holds the margin");
    bool inside = InWindow(&e, t);
    if (e.startSeconds == e.endSeconds) {
      Check(inside, "a window whose ends meet holds every time");
    } else {
      // The window over midnight is the complement of the day window with
      // the same two ends swapped.
      ScheduleEntry swapped = e;
      swapped.startSeconds = e.endSeconds;
      swapped.endSeconds = e.startSeconds;
      Check(inside != InWindow(&swapped, t), "swapped ends give the complement");
      if (e.startSeconds < e.endSeconds) {
        Check(InWindow(&e, e.startSeconds) && !InWindow(&e, e.endSeconds), "a day window is [start, end)");
      }
    }
  }

  std::vector<uint8_t> marks;
  for (const ScheduleEntry& e : entries) marks.push_back(e.recording);
  // Seconds alone carry t, so any value reaches the decision unchanged.
  TickReading reading{};
  reading.time.second = t;
  reading.time.dayOfWeek = dayOfWeek;
  const bool pluginRecords = (options & 4) != 0;
  reading.plugin = pluginRecords ? PLUGIN_RECORDING : PLUGIN_IDLE;
  TickDecision d = DecideTick(list, reading);
  for (size_t i = 0; i < entries.size(); ++i) Check(entries[i].recording == marks[i], "the decision marks nothing");

  const ScheduleEntry* marked = nullptr;
  for (const ScheduleEntry& e : entries) {
    if (e.recording) {
      marked = &e;
      break;
    }
  }
  if (marked != nullptr) {
    // Ending first: the first marked entry stops once t has left its window.
    if (InWindow(marked, t) && pluginRecords) {
      Check(d.action == TICK_NOTHING && d.entry == nullptr, "nothing while the marked entry's window holds t");
    } else if (InWindow(marked, t)) {
      Check(d.action == TICK_RECORDING_LOST && d.entry == marked, "a recording the plug-in no longer reports is let go");
    } else {
      Check(d.action == TICK_STOP && d.entry == marked, "STOP names the first marked entry");
    }
    return;
  }
  const ScheduleEntry* due = nullptr;
  if (dayOfWeek >= 0 && dayOfWeek < 7) {
    for (const ScheduleEntry& e : entries) {
      if ((static_cast<uint32_t>(e.dayMask) >> dayOfWeek & 1u) && InWindow(&e, t)) {
        due = &e;
        break;
      }
    }
  }
  if (due == nullptr) {
    Check(d.action == TICK_NOTHING && d.entry == nullptr, "nothing when no entry is due");
  } else {
    Check(d.action == (pluginRecords ? TICK_ADOPT : TICK_START) && d.entry == due,
          "START (ADOPT while the plug-in records) names the first unmarked entry due today");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Reader in{data, size, 1};
  switch (data[0] % 4) {
    case 0: FuzzListLine(in); break;
    case 1: FuzzTitleClock(in); break;
    case 2: FuzzStartup(in); break;
    default: FuzzTick(in); break;
  }
  return 0;
}
