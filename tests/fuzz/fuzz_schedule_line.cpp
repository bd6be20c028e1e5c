// Fuzzes the settings line of a schedule entry: ParseScheduleLine over
// arbitrary lines that share one ScheduleTimes the way a load does, and
// FormatScheduleLine over parsed and over arbitrary entries, with the round
// trip back through the parser.
//
// Input layout:
//   byte 0      mode (value % 2):
//                 0  lines: the rest is split at '\n' into settings lines,
//                    each ending at its first zero byte and cut to 339 bytes
//                    as the 340-byte read of the settings file cuts it
//                 1  one arbitrary entry: six little-endian int32 (start,
//                    end, dayMask, flags, sampleRateIndex, bitrateIndex),
//                    then the pattern up to the first zero, cut to 259 bytes
//   byte 1      capacity of a second, small line buffer: 1 + value * 339 / 255
//   rest        as above
// Line buffers are heap blocks of exactly their capacity, so any write past it
// is caught by the address sanitizer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "schedule/schedule.h"
#include "text/text.h"

namespace {

const size_t kMaxLines = 64;

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

bool Terminated(const char* text, size_t capacity) { return memchr(text, '\0', capacity) != nullptr; }

// A line buffer as the load fills it: at most capacity - 1 bytes of text.
std::vector<char> LineBuffer(const std::string& text) {
  std::vector<char> line(SCHEDULE_LINE_CAPACITY, 'Q');
  CopyText(line.data(), line.size(), text.c_str());
  return line;
}

ScheduleEntry Sentinels() {
  ScheduleEntry e;
  memset(&e, 0, sizeof e);
  e.startSeconds = 0x51515151;
  e.endSeconds = 0x52525252;
  e.dayMask = 0x53535353;
  e.flags = 0x54545454u;
  e.sampleRateIndex = 0x55555555;
  e.bitrateIndex = 0x56565656;
  CopyText(e.outputPattern, sizeof e.outputPattern, "\x01sentinel");
  return e;
}

// The patterns the line format carries unchanged: not empty (an empty one is
// dropped) and no "|" (the line is split there). One with a blank is written
// in double quotes, so it must hold no double quote of its own (the quoted
// word would end there); one without is written as is, so it must not start
// with a double quote (the word would be read as quoted text); one that
// starts with a single quote is written in double quotes as well.
bool PatternSurvivesTheLine(const char* pattern) {
  if (pattern[0] == '\0') return false;
  bool blank = false;
  bool doubleQuote = false;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p == '|') return false;
    if (IsBlank(*p)) blank = true;
    if (*p == '"') doubleQuote = true;
  }
  if (blank || pattern[0] == '\'') return !doubleQuote;
  return pattern[0] != '"';
}

// Formats entry into the full line and into a small buffer, parses the full
// line back and compares.
void CheckRoundTrip(const ScheduleEntry& entry, size_t smallCapacity) {
  Check(Terminated(entry.outputPattern, sizeof entry.outputPattern), "pattern terminated");

  // The longest line (259-byte pattern in quotes, every number at its widest,
  // negative times with hours rounded down) takes 337 bytes, so nothing is
  // ever cut at the settings capacity.
  std::vector<char> line(SCHEDULE_LINE_CAPACITY, 'Q');
  Check(FormatScheduleLine(&entry, line.data(), line.size()) == 1, "every entry fits the settings line");
  std::string full = line.data();
  Check(full.size() < SCHEDULE_LINE_CAPACITY, "line within capacity");

  std::vector<char> small(smallCapacity, 'Q');
  int whole = FormatScheduleLine(&entry, small.data(), small.size());
  Check(Terminated(small.data(), small.size()), "small line terminated");
  Check(whole == (full.size() < smallCapacity ? 1 : 0), "small line reports its cut");
  Check(full.compare(0, strlen(small.data()), small.data()) == 0, "small line is a prefix of the full one");
  Check(strlen(small.data()) == (whole ? full.size() : smallCapacity - 1), "cut line uses the whole buffer");

  ScheduleTimes times;
  for (int32_t& n : times.numbers) n = 0x5EED;
  ScheduleEntry back;
  memset(&back, 0, sizeof back);
  std::vector<char> again = line;
  int keep = ParseScheduleLine(again.data(), &times, &back);
  Check(Terminated(back.outputPattern, sizeof back.outputPattern), "reparsed pattern terminated");
  Check(back.recording == 0, "the recording byte is never read");

  if (PatternSurvivesTheLine(entry.outputPattern)) {
    Check(keep == 1, "round trip keeps the entry");
    Check(back.startSeconds == entry.startSeconds, "round trip keeps the start");
    Check(back.endSeconds == entry.endSeconds, "round trip keeps the end");
    Check(back.dayMask == entry.dayMask, "round trip keeps the day mask");
    Check(back.flags == entry.flags, "round trip keeps the flags");
    Check(back.sampleRateIndex == entry.sampleRateIndex, "round trip keeps the sample rate");
    Check(back.bitrateIndex == entry.bitrateIndex, "round trip keeps the bitrate");
    Check(strcmp(back.outputPattern, entry.outputPattern) == 0, "round trip keeps the pattern");
    std::vector<char> second(SCHEDULE_LINE_CAPACITY, 'Q');
    FormatScheduleLine(&back, second.data(), second.size());
    Check(full == second.data(), "the line formats the same again");
  } else {
    // A pattern the format cannot carry may lose text, but never gains any.
    Check(std::string(entry.outputPattern).find(back.outputPattern) != std::string::npos,
          "reparsed pattern is part of the original");
    Check(keep == (back.outputPattern[0] != '\0' ? 1 : 0), "kept exactly when a pattern came back");
  }
}

// The numbers the parse changed, found by parsing once over first and once
// over second (which differ in every number): a number the parse reached comes
// out the same from both, one it did not reach keeps its own input.
// Returns how many were reached and checks that they are a leading run.
int ReachedPrefix(const int32_t* first, const int32_t* second, const int32_t* outFirst, const int32_t* outSecond,
                  int count, const char* what) {
  int reached = 0;
  bool gap = false;
  for (int i = 0; i < count; ++i) {
    if (outFirst[i] == outSecond[i]) {
      Check(!gap, what);
      ++reached;
    } else {
      gap = true;
      Check(outFirst[i] == first[i] && outSecond[i] == second[i], "an unreached number keeps its value");
    }
  }
  return reached;
}

void CheckLine(const std::string& text, ScheduleTimes* carried, size_t smallCapacity) {
  std::vector<char> line = LineBuffer(text);
  std::string cut = line.data();

  ScheduleTimes otherTimes;
  for (int i = 0; i < 6; ++i) otherTimes.numbers[i] = ~carried->numbers[i];
  const ScheduleTimes before = *carried;
  const ScheduleTimes otherBefore = otherTimes;

  // The entry as the load allocates it (zero-filled), and one full of sentinels.
  ScheduleEntry entry;
  memset(&entry, 0, sizeof entry);
  ScheduleEntry other = Sentinels();
  const ScheduleEntry otherBeforeEntry = other;
  std::vector<char> otherLine = line;

  int keep = ParseScheduleLine(line.data(), carried, &entry);
  int otherKeep = ParseScheduleLine(otherLine.data(), &otherTimes, &other);

  // The line is cut at its first "|" and otherwise left alone.
  size_t bar = cut.find('|');
  Check(std::string(line.data()) == cut.substr(0, bar), "line cut at its first bar");
  Check(Terminated(entry.outputPattern, sizeof entry.outputPattern), "pattern terminated");
  Check(keep == (entry.outputPattern[0] != '\0' ? 1 : 0), "kept exactly when the pattern is not empty");
  Check(entry.recording == 0 && other.recording == 0, "the recording byte is never read");

  // Both times come from the numbers held for the whole load, carried ones too.
  const int32_t* n = carried->numbers;
  Check(entry.startSeconds == HmsToSeconds(n[0], n[1], n[2]), "start from the held numbers");
  Check(entry.endSeconds == HmsToSeconds(n[3], n[4], n[5]), "end from the held numbers");

  // Only a leading run of the six numbers is taken from a short or damaged
  // line; the pattern is reached only behind all six.
  int times = ReachedPrefix(before.numbers, otherBefore.numbers, carried->numbers, otherTimes.numbers, 6,
                            "the numbers a line reaches come first");
  bool patternReached = strcmp(entry.outputPattern, other.outputPattern) == 0;
  if (!patternReached) {
    Check(entry.outputPattern[0] == '\0' && strcmp(other.outputPattern, otherBeforeEntry.outputPattern) == 0,
          "an unreached pattern keeps its value");
  }
  Check(!patternReached || times == 6, "the pattern comes after all six numbers");
  if (!patternReached) Check(keep == 0, "no pattern, no entry");
  if (patternReached) Check(otherKeep == keep, "keeping depends on the line alone");

  // The four parameters: zero without a bar; else a leading run of them.
  const int32_t zero[4] = {0, 0, 0, 0};
  const int32_t sentinel[4] = {otherBeforeEntry.bitrateIndex, otherBeforeEntry.sampleRateIndex,
                               otherBeforeEntry.dayMask, static_cast<int32_t>(otherBeforeEntry.flags)};
  const int32_t got[4] = {entry.bitrateIndex, entry.sampleRateIndex, entry.dayMask,
                          static_cast<int32_t>(entry.flags)};
  const int32_t otherGot[4] = {other.bitrateIndex, other.sampleRateIndex, other.dayMask,
                               static_cast<int32_t>(other.flags)};
  int parameters = ReachedPrefix(zero, sentinel, got, otherGot, 4, "the parameters a line reaches come first");
  if (bar == std::string::npos) Check(parameters == 0, "no bar, no parameters");

  if (keep) CheckRoundTrip(entry, smallCapacity);
}

ScheduleEntry EntryFromData(const uint8_t* data, size_t size) {
  ScheduleEntry e;
  memset(&e, 0, sizeof e);
  int32_t numbers[6];
  memcpy(numbers, data, sizeof numbers);
  e.startSeconds = numbers[0];
  e.endSeconds = numbers[1];
  e.dayMask = numbers[2];
  e.flags = static_cast<uint32_t>(numbers[3]);
  e.sampleRateIndex = numbers[4];
  e.bitrateIndex = numbers[5];
  const char* pattern = reinterpret_cast<const char*>(data + sizeof numbers);
  std::string text(pattern, strnlen(pattern, size - sizeof numbers));
  CopyText(e.outputPattern, sizeof e.outputPattern, text.c_str());
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  unsigned mode = data[0] % 2;
  size_t smallCapacity = 1 + static_cast<size_t>(data[1]) * (SCHEDULE_LINE_CAPACITY - 1) / 255;
  const uint8_t* body = data + 2;
  size_t bodySize = size - 2;

  if (mode == 1) {
    if (bodySize < 6 * sizeof(int32_t)) return 0;
    CheckRoundTrip(EntryFromData(body, bodySize), smallCapacity);
    return 0;
  }

  // One set of numbers for all lines, starting at zero, as a load keeps it.
  ScheduleTimes carried = {};
  const char* text = reinterpret_cast<const char*>(body);
  size_t at = 0;
  for (size_t lines = 0; lines < kMaxLines && at <= bodySize; ++lines) {
    const void* newline = memchr(text + at, '\n', bodySize - at);
    size_t end = newline ? static_cast<size_t>(static_cast<const char*>(newline) - text) : bodySize;
    std::string line(text + at, strnlen(text + at, end - at));
    CheckLine(line, &carried, smallCapacity);
    at = end + 1;
  }
  return 0;
}
