#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "schedule/schedule.h"

namespace {

struct Parsed {
  int keep;
  ScheduleEntry entry;
};

Parsed Parse(const std::string& text, ScheduleTimes* times) {
  char line[SCHEDULE_LINE_CAPACITY];
  std::strncpy(line, text.c_str(), sizeof line - 1);
  line[sizeof line - 1] = '\0';
  Parsed p{};
  p.keep = ParseScheduleLine(line, times, &p.entry);
  return p;
}

Parsed Parse(const std::string& text) {
  ScheduleTimes times = {};
  return Parse(text, &times);
}

TEST(ScheduleClock, ConvertsBothWays) {
  EXPECT_EQ(HmsToSeconds(8, 0, 0), 28800);
  EXPECT_EQ(HmsToSeconds(23, 59, 59), 86399);
  EXPECT_EQ(HmsToSeconds(0, 60, 0), HmsToSeconds(1, 0, 0));
  int32_t h, m, s;
  SecondsToHms(34200, &h, &m, &s);
  EXPECT_EQ(h, 9);
  EXPECT_EQ(m, 30);
  EXPECT_EQ(s, 0);
  SecondsToHms(86399, &h, &m, &s);
  EXPECT_EQ(h * 10000 + m * 100 + s, 235959);
}

TEST(ScheduleClock, HugeHandEditedNumbersWrapWithoutOverflow) {
  // 2^31 / 3600 rounds up: the product passes INT32_MAX and wraps.
  EXPECT_EQ(HmsToSeconds(596524, 0, 0), static_cast<int32_t>(596524u * 3600u));
}

TEST(ScheduleLine, ParsesTheDocumentedExample) {
  Parsed p = Parse("8:0:0 9:30:0 D:\\Rec\\a.mp3|4 1 -1 1");
  ASSERT_EQ(p.keep, 1);
  EXPECT_EQ(p.entry.startSeconds, 8 * 3600);
  EXPECT_EQ(p.entry.endSeconds, 9 * 3600 + 30 * 60);
  EXPECT_STREQ(p.entry.outputPattern, "D:\\Rec\\a.mp3");
  EXPECT_EQ(p.entry.bitrateIndex, 4);
  EXPECT_EQ(p.entry.sampleRateIndex, 1);
  EXPECT_EQ(p.entry.dayMask, -1);
  EXPECT_EQ(p.entry.flags, 1u);
  EXPECT_EQ(BitrateOf(&p.entry), 128);
  EXPECT_EQ(SampleRateOf(&p.entry), 44100);
}

TEST(ScheduleLine, WithoutBarLeavesParametersZero) {
  Parsed p = Parse("8:0:0 9:0:0 D:\\x.mp3");
  ASSERT_EQ(p.keep, 1);
  EXPECT_EQ(p.entry.bitrateIndex, 0);
  EXPECT_EQ(p.entry.sampleRateIndex, 0);
  EXPECT_EQ(p.entry.dayMask, 0);
  EXPECT_EQ(p.entry.flags, 0u);
}

TEST(ScheduleLine, PatternStopsAtBlankUnlessQuoted) {
  EXPECT_STREQ(Parse("21:0:0 22:30:0 D:\\My Music\\a.mp3|0 0 1 0").entry.outputPattern, "D:\\My");
  EXPECT_STREQ(Parse("21:0:0 22:30:0 \"D:\\My Music\\a.mp3\"|0 0 1 0").entry.outputPattern,
               "D:\\My Music\\a.mp3");
}

TEST(ScheduleLine, LineWithoutPatternIsDropped) {
  EXPECT_EQ(Parse("7:05:00 7:45:00|4 1 -1 1").keep, 0);
  EXPECT_EQ(Parse("").keep, 0);
}

TEST(ScheduleLine, ShortLineKeepsPreviousLinesNumbers) {
  ScheduleTimes times = {};
  Parse("10:20:30 11:40:50 D:\\a.mp3", &times);
  Parsed p = Parse("7:05", &times);
  EXPECT_EQ(p.keep, 0);
  EXPECT_EQ(times.numbers[0], 7);
  EXPECT_EQ(times.numbers[1], 5);
  EXPECT_EQ(times.numbers[2], 30);
  EXPECT_EQ(times.numbers[5], 50);
}

TEST(ScheduleLine, OverlongWordIsCutToThePatternBuffer) {
  std::string word(400, 'w');
  Parsed p = Parse("1:0:0 2:0:0 " + word + "|4 1 -1 1");
  ASSERT_EQ(p.keep, 1);
  EXPECT_EQ(std::strlen(p.entry.outputPattern), static_cast<size_t>(PATH_CAPACITY - 1));
}

TEST(ScheduleLine, RoundTripsThroughFormat) {
  ScheduleEntry entry = {};
  entry.startSeconds = HmsToSeconds(23, 0, 5);
  entry.endSeconds = HmsToSeconds(1, 0, 0);
  entry.dayMask = 0x3E;
  entry.flags = FLAG_MP3_PARAMS | FLAG_MONO;
  entry.sampleRateIndex = 0;
  entry.bitrateIndex = 3;
  std::strcpy(entry.outputPattern, "D:\\Radio\\%4Y%2M%2D_%W.mp3");
  char line[SCHEDULE_LINE_CAPACITY];
  ASSERT_EQ(FormatScheduleLine(&entry, line, sizeof line), 1);
  EXPECT_STREQ(line, "23:0:5 1:0:0 D:\\Radio\\%4Y%2M%2D_%W.mp3|3 0 62 3");
  ScheduleTimes times = {};
  ScheduleEntry back = {};
  ASSERT_EQ(ParseScheduleLine(line, &times, &back), 1);
  EXPECT_EQ(back.startSeconds, entry.startSeconds);
  EXPECT_EQ(back.endSeconds, entry.endSeconds);
  EXPECT_EQ(back.dayMask, entry.dayMask);
  EXPECT_EQ(back.flags, entry.flags);
  EXPECT_EQ(back.bitrateIndex, entry.bitrateIndex);
  EXPECT_STREQ(back.outputPattern, entry.outputPattern);
}

// Entries only a hand-edited file gives: times far outside the day, numbers
// at their widest, the longest pattern in quotes.
TEST(ScheduleLine, WidestEntriesComeBackWhole) {
  const int32_t kMin = -2147483647 - 1;
  const int32_t kMax = 2147483647;
  // Seven-digit negative hours with minutes and seconds of -59 each, as a
  // truncating split would write them.
  const int32_t kWidestNegative = -(596522 * 3600 + 59 * 60 + 59);
  struct Times {
    int32_t start, end;
  } const times[] = {{kWidestNegative, kWidestNegative}, {kMin, kMin}, {kMin, kMax}, {kMax, -1}, {-86399, 0}};
  std::string quoted(PATH_CAPACITY - 1, 'p');
  quoted[10] = ' ';
  for (const Times& t : times) {
    for (const std::string& pattern : {quoted, std::string(PATH_CAPACITY - 1, 'q')}) {
      ScheduleEntry entry = {};
      entry.startSeconds = t.start;
      entry.endSeconds = t.end;
      entry.bitrateIndex = kMin;
      entry.sampleRateIndex = kMin;
      entry.dayMask = kMin;
      entry.flags = 0x80000000u;
      std::memcpy(entry.outputPattern, pattern.c_str(), pattern.size() + 1);
      char line[SCHEDULE_LINE_CAPACITY];
      ASSERT_EQ(FormatScheduleLine(&entry, line, sizeof line), 1) << t.start << " " << t.end;
      const std::string saved = line;
      ScheduleTimes carried = {};
      ScheduleEntry back = {};
      ASSERT_EQ(ParseScheduleLine(line, &carried, &back), 1) << saved;
      EXPECT_EQ(back.startSeconds, entry.startSeconds) << saved;
      EXPECT_EQ(back.endSeconds, entry.endSeconds) << saved;
      EXPECT_EQ(back.bitrateIndex, kMin);
      EXPECT_EQ(back.sampleRateIndex, kMin);
      EXPECT_EQ(back.dayMask, kMin);
      EXPECT_EQ(back.flags, 0x80000000u);
      EXPECT_EQ(std::string(back.outputPattern), pattern);
    }
  }
}

TEST(ScheduleLine, NegativeTimesAreWrittenWithMinutesAndSecondsInRange) {
  ScheduleEntry entry = {};
  entry.startSeconds = -(596522 * 3600 + 59 * 60 + 59);
  entry.endSeconds = -1;
  entry.dayMask = -1;
  std::strcpy(entry.outputPattern, "x");
  char line[SCHEDULE_LINE_CAPACITY];
  ASSERT_EQ(FormatScheduleLine(&entry, line, sizeof line), 1);
  EXPECT_STREQ(line, "-596523:0:1 -1:59:59 x|0 0 -1 0");
  entry.startSeconds = -2147483647 - 1;
  entry.endSeconds = -3600;
  ASSERT_EQ(FormatScheduleLine(&entry, line, sizeof line), 1);
  EXPECT_STREQ(line, "-596524:45:52 -1:0:0 x|0 0 -1 0");
}

ScheduleEntry EntryWithPattern(const std::string& pattern) {
  ScheduleEntry entry = {};
  entry.startSeconds = HmsToSeconds(21, 0, 0);
  entry.endSeconds = HmsToSeconds(22, 30, 0);
  entry.dayMask = -1;
  entry.flags = FLAG_MP3_PARAMS;
  entry.bitrateIndex = 4;
  entry.sampleRateIndex = 1;
  std::strncpy(entry.outputPattern, pattern.c_str(), PATH_CAPACITY - 1);
  return entry;
}

std::string Formatted(const ScheduleEntry& entry) {
  char line[SCHEDULE_LINE_CAPACITY];
  EXPECT_EQ(FormatScheduleLine(&entry, line, sizeof line), 1) << entry.outputPattern;
  return line;
}

TEST(ScheduleLine, PatternsWithoutBlanksAreWrittenAsBefore) {
  // The plain form: the pattern as it is, whatever else it holds.
  for (const char* pattern : {"D:\\Radio\\%4Y%2M%2D.mp3", "\\\\srv\\share\\x.mp3", "\"D:\\quoted.mp3\"",
                              "it's.mp3", "D:\\\xB3\xEC\xC0\xBD.mp3", "%", "x"}) {
    EXPECT_EQ(Formatted(EntryWithPattern(pattern)), std::string("21:0:0 22:30:0 ") + pattern + "|4 1 -1 1");
  }
  // A pattern with a blank and a quote of its own cannot be quoted: plain too.
  EXPECT_EQ(Formatted(EntryWithPattern("\"D:\\My Music\\a.mp3\"")),
            "21:0:0 22:30:0 \"D:\\My Music\\a.mp3\"|4 1 -1 1");
}

TEST(ScheduleLine, PatternsWithBlanksOrALeadingQuoteAreQuotedAndComeBackWhole) {
  EXPECT_EQ(Formatted(EntryWithPattern("D:\\My Music\\%4Y.mp3")),
            "21:0:0 22:30:0 \"D:\\My Music\\%4Y.mp3\"|4 1 -1 1");
  // Plain, the reader would take the rest of the line for the quoted word.
  EXPECT_EQ(Formatted(EntryWithPattern("'morning'.mp3")), "21:0:0 22:30:0 \"'morning'.mp3\"|4 1 -1 1");
  std::string longest(PATH_CAPACITY - 1, 'p');
  longest[0] = ' ';
  longest[100] = '\t';
  longest[PATH_CAPACITY - 2] = ' ';
  for (const std::string& pattern :
       {std::string("D:\\My Music\\%4Y%2M%2D.mp3"),
        std::string("C:\\Users\\Kim Min\\\xB3\xEC\xC0\xBD \xC6\xC4\xC0\xCF.mp3"),
        std::string("  blanks around  "), std::string("tab\there"), std::string("it's mine.mp3"),
        std::string("'single quoted word' and more"), std::string("'morning'.mp3"), std::string(" "),
        longest}) {
    ScheduleEntry entry = EntryWithPattern(pattern);
    // Even the widest numbers leave room for the quotes.
    entry.startSeconds = -2147483647 - 1;
    entry.bitrateIndex = -2147483647 - 1;
    entry.flags = 0x80000000u;
    char line[SCHEDULE_LINE_CAPACITY];
    ASSERT_EQ(FormatScheduleLine(&entry, line, sizeof line), 1) << pattern;
    ScheduleTimes times = {};
    ScheduleEntry back = {};
    ASSERT_EQ(ParseScheduleLine(line, &times, &back), 1) << pattern;
    EXPECT_EQ(std::string(back.outputPattern), pattern);
    EXPECT_EQ(back.startSeconds, entry.startSeconds);
    EXPECT_EQ(back.bitrateIndex, entry.bitrateIndex);
    EXPECT_EQ(back.dayMask, -1);
    EXPECT_EQ(back.flags, entry.flags);
  }
}

TEST(AudioParams, OutOfRangeIndexesFallBackToDefaults) {
  ScheduleEntry entry = {};
  for (int bad : {-1, 6, 9, 2147483647}) {
    entry.bitrateIndex = bad;
    entry.sampleRateIndex = bad;
    EXPECT_EQ(BitrateOf(&entry), 128) << bad;
    EXPECT_EQ(SampleRateOf(&entry), 44100) << bad;
  }
  entry.bitrateIndex = 0;
  entry.sampleRateIndex = 0;
  EXPECT_EQ(BitrateOf(&entry), 48);
  EXPECT_EQ(SampleRateOf(&entry), 22050);
  entry.bitrateIndex = 5;
  EXPECT_EQ(BitrateOf(&entry), 192);
}

}  // namespace
