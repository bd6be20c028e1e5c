// The recording request block handed to the plug-in and the readings of the
// plug-in's texts (state control, titles), without any window.
#include "recorder/request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

ScheduleEntry MakeEntry(uint32_t flags, int32_t bitrateIndex, int32_t sampleRateIndex) {
  ScheduleEntry entry{};
  entry.flags = flags;
  entry.bitrateIndex = bitrateIndex;
  entry.sampleRateIndex = sampleRateIndex;
  return entry;
}

// A request built into a block that sits between guard bytes and starts out
// full of junk, so stale bytes and writes past the block both show.
struct Built {
  std::vector<char> memory;
  int result;
  const char* block() const { return memory.data() + kGuard; }
  std::string params() const { return std::string(block()); }
  std::string name() const { return std::string(block() + params().size() + 1); }
  static const size_t kGuard = 32;
};

Built Build(const ScheduleEntry& entry, const char* fileName) {
  Built built;
  built.memory.assign(REQUEST_BLOCK_SIZE + 2 * Built::kGuard, '\x5a');
  built.result = BuildRecordingRequest(built.memory.data() + Built::kGuard, &entry, fileName);
  for (size_t i = 0; i < Built::kGuard; ++i) {
    EXPECT_EQ(built.memory[i], '\x5a') << "written before the block at " << i;
    EXPECT_EQ(built.memory[Built::kGuard + REQUEST_BLOCK_SIZE + i], '\x5a') << "written past the block at " << i;
  }
  return built;
}

TEST(RecordingRequest, BlockHoldsParametersThenNameThenZeros) {
  ScheduleEntry entry = MakeEntry(FLAG_MP3_PARAMS, 4, 1);
  Built built = Build(entry, "D:\\Rec\\0307_0905.mp3");
  EXPECT_EQ(built.result, 1);
  const std::string expected("128 44100 2\0D:\\Rec\\0307_0905.mp3\0", 33);
  ASSERT_EQ(std::string(built.block(), expected.size()), expected);
  for (size_t i = expected.size(); i < REQUEST_BLOCK_SIZE; ++i) {
    ASSERT_EQ(built.block()[i], '\0') << "stale byte at " << i;
  }
}

TEST(RecordingRequest, ParameterTextFollowsTheEntry) {
  struct Case {
    uint32_t flags;
    int32_t bitrateIndex, sampleRateIndex;
    const char* params;
  } cases[] = {
      {FLAG_MP3_PARAMS | FLAG_MONO, 3, 0, "96 22050 1"},
      {FLAG_MP3_PARAMS, 0, 0, "48 22050 2"},
      {FLAG_MP3_PARAMS, 1, 1, "56 44100 2"},
      {FLAG_MP3_PARAMS | FLAG_MONO, 2, 1, "64 44100 1"},
      {FLAG_MP3_PARAMS, 5, 1, "192 44100 2"},
      // Without the parameter flag nothing is handed over, mono or not.
      {0, 5, 0, ""},
      {FLAG_MONO, 3, 0, ""},
  };
  for (const Case& c : cases) {
    Built built = Build(MakeEntry(c.flags, c.bitrateIndex, c.sampleRateIndex), "x.mp3");
    EXPECT_EQ(built.params(), c.params) << "flags " << c.flags;
    EXPECT_EQ(built.name(), "x.mp3") << "flags " << c.flags;
  }
}

TEST(RecordingRequest, WithoutParametersTheBlockStartsWithItsZero) {
  Built built = Build(MakeEntry(FLAG_MONO, 4, 1), "C:\\a.mp3");
  EXPECT_EQ(built.block()[0], '\0');
  EXPECT_EQ(std::string(built.block() + 1), "C:\\a.mp3");
}

// A hand-edited settings file or an editor run with no button checked leaves
// indexes outside the table: the editor's defaults are sent, not whatever
// lies next to the table.
TEST(RecordingRequest, IndexesOutsideTheTableFallBackToTheDefaults) {
  struct Case {
    int32_t bitrateIndex, sampleRateIndex;
    const char* params;
  } cases[] = {
      {9, 0, "128 22050 2"},  {6, 1, "128 44100 2"},   {-1, 0, "128 22050 2"},
      {3, 2, "96 44100 2"},   {3, -1, "96 44100 2"},   {-1, -1, "128 44100 2"},
      {INT32_MIN, INT32_MAX, "128 44100 2"},
  };
  for (const Case& c : cases) {
    Built built = Build(MakeEntry(FLAG_MP3_PARAMS, c.bitrateIndex, c.sampleRateIndex), "x");
    EXPECT_EQ(built.params(), c.params) << c.bitrateIndex << " " << c.sampleRateIndex;
  }
}

TEST(RecordingRequest, NameBytesPassUnchanged) {
  // D:\녹음\2024 월갂.mp3 in code page 949; 0x81 0x41 (갂) has an ASCII letter as trail byte.
  const char* name = "D:\\\xB3\xEC\xC0\xBD\\2024 \xBF\xF9\x81\x41.mp3";
  Built built = Build(MakeEntry(FLAG_MP3_PARAMS, 4, 1), name);
  EXPECT_EQ(built.name(), name);
  Built none = Build(MakeEntry(0, 0, 0), nullptr);
  EXPECT_EQ(none.result, 1);
  EXPECT_EQ(none.block()[0], '\0');
  EXPECT_EQ(none.block()[1], '\0');
}

TEST(RecordingRequest, NameIsBoundedByTheBlock) {
  ScheduleEntry entry = MakeEntry(FLAG_MP3_PARAMS, 5, 1);  // "192 44100 2": 12 bytes with its zero
  const size_t room = REQUEST_BLOCK_SIZE - 12;

  // The program's longest path always fits.
  Built longest = Build(entry, std::string(PATH_CAPACITY - 1, 'p').c_str());
  EXPECT_EQ(longest.result, 1);
  EXPECT_EQ(longest.name().size(), size_t{PATH_CAPACITY - 1});

  std::string exact(room - 1, 'e');
  Built fits = Build(entry, exact.c_str());
  EXPECT_EQ(fits.result, 1);
  EXPECT_EQ(fits.name(), exact);

  std::string over(room, 'o');
  Built cut = Build(entry, over.c_str());
  EXPECT_EQ(cut.result, 0);
  EXPECT_EQ(cut.block()[REQUEST_BLOCK_SIZE - 1], '\0');
  EXPECT_EQ(cut.name().size(), room - 1);

  // Without parameters the name has one byte less of competition.
  Built plain = Build(MakeEntry(0, 0, 0), std::string(REQUEST_BLOCK_SIZE - 2, 'n').c_str());
  EXPECT_EQ(plain.result, 1);
  Built plainCut = Build(MakeEntry(0, 0, 0), std::string(REQUEST_BLOCK_SIZE - 1, 'n').c_str());
  EXPECT_EQ(plainCut.result, 0);
}

TEST(PluginTexts, OnlyTheExactIdleTextMeansIdle) {
  EXPECT_TRUE(IsIdleStateText("\xB3\xEC\xC0\xBD"));  // 녹음
  const char* recording[] = {
      "\xB3\xEC\xC0\xBD\xC1\xDF 0:05",  // 녹음중 0:05
      "\xB3\xEC\xC0\xBD ",              // trailing blank
      " \xB3\xEC\xC0\xBD",              // leading blank
      "\xB3\xEC",                       // half of it
      "",                               // a control that could not be read
      "Rec",
  };
  for (const char* text : recording) EXPECT_FALSE(IsIdleStateText(text)) << text;
  EXPECT_FALSE(IsIdleStateText(nullptr));
}

TEST(PluginTexts, PluginTitleHoldsTheMarkAnywhere) {
  const std::string mark = STR_PLUGIN_TITLE_MARK;
  EXPECT_TRUE(IsPluginTitle(mark.c_str()));
  EXPECT_TRUE(IsPluginTitle((mark + " v1.02").c_str()));
  EXPECT_TRUE(IsPluginTitle(("MP3 " + mark + " plug-in").c_str()));
  EXPECT_TRUE(IsPluginTitle(("Recorder by " + mark).c_str()));
  EXPECT_FALSE(IsPluginTitle("Recorder v1.02"));
  EXPECT_FALSE(IsPluginTitle(mark.substr(0, 4).c_str()));
  EXPECT_FALSE(IsPluginTitle(""));
  EXPECT_FALSE(IsPluginTitle(nullptr));
}

TEST(PluginTexts, QualityDialogTitleMustMatchExactly) {
  EXPECT_TRUE(IsQualityDialogTitle("MP3 \xC0\xBD\xC1\xFA \xBC\xB3\xC1\xA4"));
  EXPECT_FALSE(IsQualityDialogTitle("MP3 \xC0\xBD\xC1\xFA \xBC\xB3\xC1\xA4 "));
  EXPECT_FALSE(IsQualityDialogTitle("mp3 \xC0\xBD\xC1\xFA \xBC\xB3\xC1\xA4"));
  EXPECT_FALSE(IsQualityDialogTitle("MP3"));
  EXPECT_FALSE(IsQualityDialogTitle(nullptr));
}

TEST(PluginTexts, FoundStatusIsTitleAndSuffixWithinItsArea) {
  char status[FOUND_STATUS_CAPACITY];
  EXPECT_EQ(FormatFoundStatus(status, sizeof status, "P v1.02"), 1);
  EXPECT_EQ(std::string(status), std::string("P v1.02") + STR_STATUS_FOUND_SUFFIX);

  // The longest title the search reads still gets its whole suffix.
  std::string longest(PLUGIN_TITLE_CAPACITY - 1, 't');
  EXPECT_EQ(FormatFoundStatus(status, sizeof status, longest.c_str()), 1);
  EXPECT_EQ(std::string(status), longest + STR_STATUS_FOUND_SUFFIX);

  char small[8 + 4];
  memset(small, '\x5a', sizeof small);
  EXPECT_EQ(FormatFoundStatus(small, 8, "title too long"), 0);
  EXPECT_EQ(std::string(small), "title t");
  for (size_t i = 8; i < sizeof small; ++i) EXPECT_EQ(small[i], '\x5a');
}

TEST(PluginTiming, ElapsedTicksSurviveTheCounterWrap) {
  EXPECT_FALSE(TicksElapsed(1000, 1000 + 19999, QUALITY_WAIT_LIMIT_MS));
  EXPECT_TRUE(TicksElapsed(1000, 1000 + 20000, QUALITY_WAIT_LIMIT_MS));
  const uint32_t nearWrap = 0xFFFFFF00u;
  EXPECT_FALSE(TicksElapsed(nearWrap, nearWrap + 19999u, QUALITY_WAIT_LIMIT_MS));
  EXPECT_TRUE(TicksElapsed(nearWrap, nearWrap + 20000u, QUALITY_WAIT_LIMIT_MS));
  EXPECT_FALSE(TicksElapsed(nearWrap, 5, QUALITY_WAIT_LIMIT_MS));
}

TEST(PluginTiming, AWaitEndsAtTheDeadlineAtTheLatest) {
  const uint32_t limit = QUALITY_WAIT_LIMIT_MS, nearWrap = 0xFFFFFC00u;
  EXPECT_EQ(WaitLimit(limit, NO_DEADLINE, 5000), limit);  // on its second: its own limit
  EXPECT_EQ(WaitLimit(limit, RequestDeadline{1, 7000}, 5000), 2000u);
  EXPECT_EQ(WaitLimit(limit, RequestDeadline{1, 90000}, 5000), limit);
  EXPECT_EQ(WaitLimit(limit, RequestDeadline{1, 5000}, 5000), 0u);
  EXPECT_EQ(WaitLimit(limit, RequestDeadline{1, 4000}, 5000), 0u);
  EXPECT_EQ(WaitLimit(limit, RequestDeadline{1, nearWrap + 1500u}, nearWrap), 1500u);  // across the wrap
  EXPECT_EQ(WaitLimit(limit, RequestDeadline{1, nearWrap}, nearWrap + 2000u), 0u);
}

}  // namespace
