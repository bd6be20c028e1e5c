// The schedule editor's decisions: a new entry's starting values, the checks
// and the store at OK, the "DefaultSet" text and the browsed folder.
#include "editor/editor_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

EditorInput Input(std::vector<uint32_t> times, const std::string& pattern) {
  EditorInput input = {};
  for (size_t k = 0; k < 6; ++k) input.times[k] = times[k];
  input.channelIndex = 0;
  input.sampleRateIndex = 1;
  input.bitrateIndex = 4;
  snprintf(input.pattern, sizeof input.pattern, "%s", pattern.c_str());
  return input;
}

ScheduleEntry NewEntry(int hour, const char* defaultSet, const char* outFileName) {
  ScheduleEntry entry;
  memset(&entry, 0x5a, sizeof entry);  // PrepareNewEntry must not depend on a cleared block
  PrepareNewEntry(&entry, hour, defaultSet, outFileName);
  return entry;
}

TEST(EditorNewEntry, WithoutRememberedSettingsStartsAt128kbpsAnd44100HzStereoNoDays) {
  ScheduleEntry entry = NewEntry(14, "", "");
  EXPECT_EQ(entry.next, nullptr);
  EXPECT_EQ(entry.startSeconds, HmsToSeconds(14, 0, 0));
  EXPECT_EQ(entry.endSeconds, HmsToSeconds(14, 59, 55));
  EXPECT_EQ(entry.bitrateIndex, 4);
  EXPECT_EQ(entry.sampleRateIndex, 1);
  EXPECT_EQ(entry.dayMask, 0);
  EXPECT_EQ(entry.flags, 0u);
  EXPECT_EQ(entry.recording, 0);
  EXPECT_STREQ(entry.outputPattern, "");
}

TEST(EditorNewEntry, DefaultSetGivesParametersUnlessItsFlagsAreZero) {
  struct Case {
    const char* defaultSet;
    int32_t bitrate, sampleRate, days;
    uint32_t flags;
  } cases[] = {
      // parameters on, mono: taken as remembered
      {"2 0 -1 3", 2, 0, -1, 3},
      // flags 0: the rates fall back, the days stay
      {"2 0 -1 0", 4, 1, -1, 0},
      // mono without parameters is still a flag: rates kept
      {"2 0 0 2", 2, 0, 0, 2},
      // a short text leaves the rest 0, so the override applies
      {"5", 4, 1, 0, 0},
      {"5 0 12 1", 5, 0, 12, 1},
      // out-of-range indexes are kept: the editor shows no button for them
      {"9 -3 126 1", 9, -3, 126, 1},
      // garbage scans nothing
      {"abc", 4, 1, 0, 0},
  };
  for (const Case& c : cases) {
    ScheduleEntry entry = NewEntry(9, c.defaultSet, "");
    EXPECT_EQ(entry.bitrateIndex, c.bitrate) << c.defaultSet;
    EXPECT_EQ(entry.sampleRateIndex, c.sampleRate) << c.defaultSet;
    EXPECT_EQ(entry.dayMask, c.days) << c.defaultSet;
    EXPECT_EQ(entry.flags, c.flags) << c.defaultSet;
  }
}

TEST(EditorNewEntry, OutFileNameIsTakenWholeOrCutToTheField) {
  EXPECT_STREQ(NewEntry(1, "", " D:\\Rec\\%2h.mp3 ").outputPattern, " D:\\Rec\\%2h.mp3 ");
  std::string longName(400, 'x');
  ScheduleEntry entry = NewEntry(1, "", longName.c_str());
  EXPECT_EQ(std::string(entry.outputPattern), longName.substr(0, PATH_CAPACITY - 1));
}

TEST(EditorOk, RefusesEqualTimesFirstThenAnEmptyOrBlankPatternThenAQuote) {
  struct Case {
    std::vector<uint32_t> times;
    const char* pattern;
    int verdict;
  } cases[] = {
      {{9, 0, 0, 10, 0, 0}, "D:\\a.mp3", EDITOR_ACCEPT},
      {{23, 0, 0, 1, 0, 0}, "D:\\a.mp3", EDITOR_ACCEPT},  // over midnight
      {{9, 0, 0, 9, 0, 0}, "D:\\a.mp3", EDITOR_TIMES_EQUAL},
      {{0, 60, 0, 1, 0, 0}, "D:\\a.mp3", EDITOR_TIMES_EQUAL},  // both 3600 s
      {{0, 0, 0, 0, 0, 0}, "", EDITOR_TIMES_EQUAL},            // times come first
      {{9, 0, 0, 10, 0, 0}, "", EDITOR_NO_DESTINATION},
      {{9, 0, 0, 10, 0, 0}, "   ", EDITOR_NO_DESTINATION},
      {{9, 0, 0, 10, 0, 0}, " \t \t", EDITOR_NO_DESTINATION},
      {{9, 0, 0, 10, 0, 0}, "  x  ", EDITOR_ACCEPT},
      {{9, 0, 0, 10, 0, 0}, "%x", EDITOR_ACCEPT},  // unknown codes are no reason to refuse
      {{9, 0, 0, 10, 0, 0}, "D:\\My Music\\a.mp3", EDITOR_ACCEPT},
      {{9, 0, 0, 10, 0, 0}, "\"D:\\My Music\\a.mp3\"", EDITOR_QUOTE_IN_PATTERN},
      {{9, 0, 0, 10, 0, 0}, "D:\\a\".mp3", EDITOR_QUOTE_IN_PATTERN},
      {{9, 0, 0, 10, 0, 0}, "D:\\it's.mp3", EDITOR_ACCEPT},   // a single quote is a file name character
      {{9, 0, 0, 9, 0, 0}, "\"", EDITOR_TIMES_EQUAL},         // times still come first
      {{9, 0, 0, 10, 0, 0}, " \" ", EDITOR_QUOTE_IN_PATTERN},
      // unsigned numbers wrap like the stored seconds: 2^32 - 1 seconds is -1
      {{0, 0, 4294967295u, 0, 0, 0}, "a", EDITOR_ACCEPT},
  };
  for (const Case& c : cases) {
    EditorInput input = Input(c.times, c.pattern);
    EXPECT_EQ(CheckEditorInput(&input), c.verdict) << c.times[0] << ":" << c.times[1] << " '" << c.pattern << "'";
  }
}

TEST(EditorOk, StoresEveryFieldButKeepsTheLinkAndTheRecordingByte) {
  ScheduleEntry other = {};
  ScheduleEntry target;
  memset(&target, 0x33, sizeof target);
  target.next = &other;
  target.recording = 1;
  EditorInput input = Input({23, 30, 5, 1, 2, 3}, "  D:\\Rec\\%W.mp3 ");
  input.mp3Params = 1;
  input.channelIndex = 1;
  input.sampleRateIndex = 0;
  input.bitrateIndex = 5;
  input.dayBits = 0x7e;
  StoreEditorInput(&target, &input);
  EXPECT_EQ(target.next, &other);
  EXPECT_EQ(target.recording, 1);
  EXPECT_EQ(target.startSeconds, HmsToSeconds(23, 30, 5));
  EXPECT_EQ(target.endSeconds, HmsToSeconds(1, 2, 3));
  EXPECT_EQ(target.flags, static_cast<uint32_t>(FLAG_MP3_PARAMS | FLAG_MONO));
  EXPECT_EQ(target.sampleRateIndex, 0);
  EXPECT_EQ(target.bitrateIndex, 5);
  EXPECT_EQ(target.dayMask, 126);
  EXPECT_STREQ(target.outputPattern, "  D:\\Rec\\%W.mp3 ");
}

TEST(EditorOk, FlagsComeFromTheBoxAndTheChannelRun) {
  struct Case {
    int mp3, channel;
    uint32_t flags;
  } cases[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 3}, {0, -1, 2}};
  for (const Case& c : cases) {
    ScheduleEntry target = {};
    EditorInput input = Input({1, 0, 0, 2, 0, 0}, "p");
    input.mp3Params = c.mp3;
    input.channelIndex = c.channel;
    input.sampleRateIndex = -1;  // no button checked: stored as such
    input.bitrateIndex = -1;
    StoreEditorInput(&target, &input);
    EXPECT_EQ(target.flags, c.flags) << c.mp3 << "/" << c.channel;
    EXPECT_EQ(target.sampleRateIndex, -1);
    EXPECT_EQ(target.bitrateIndex, -1);
  }
}

TEST(EditorOk, DefaultSetTextIsTheFourNumbersInItsOrder) {
  ScheduleEntry entry = {};
  entry.bitrateIndex = 2;
  entry.sampleRateIndex = 0;
  entry.dayMask = -1;
  entry.flags = 3;
  char text[260];
  EXPECT_EQ(FormatDefaultSet(text, sizeof text, &entry), 1);
  EXPECT_STREQ(text, "2 0 -1 3");

  // What was written is read back into the same values.
  ScheduleEntry back = NewEntry(0, text, "");
  EXPECT_EQ(back.bitrateIndex, 2);
  EXPECT_EQ(back.sampleRateIndex, 0);
  EXPECT_EQ(back.dayMask, -1);
  EXPECT_EQ(back.flags, 3u);

  entry.bitrateIndex = -1;
  entry.dayMask = 126;
  entry.flags = 0;
  FormatDefaultSet(text, sizeof text, &entry);
  EXPECT_STREQ(text, "-1 0 126 0");
}

TEST(EditorBrowse, ChosenFolderEndsInExactlyOneBackslash) {
  struct Case {
    const char* chosen;
    int result;
    const char* field;
  } cases[] = {
      {"D:\\Rec", 1, "D:\\Rec\\"},
      {"D:\\", 1, "D:\\"},
      {"\\\\server\\share", 1, "\\\\server\\share\\"},
      {"", 0, ""},  // an item without a file-system path
  };
  for (const Case& c : cases) {
    char path[PATH_CAPACITY];
    snprintf(path, sizeof path, "%s", c.chosen);
    EXPECT_EQ(FinishBrowsedFolder(path, sizeof path), c.result) << c.chosen;
    EXPECT_STREQ(path, c.field) << c.chosen;
  }
}

TEST(EditorBrowse, APathFillingTheBufferIsRefusedWithoutWritingPastIt) {
  // 258 characters: the backslash still fits as byte 259.
  std::vector<char> guarded(PATH_CAPACITY + 16, '\x7e');
  std::string path258 = "D:\\" + std::string(255, 'a');
  memcpy(guarded.data(), path258.c_str(), path258.size() + 1);
  EXPECT_EQ(FinishBrowsedFolder(guarded.data(), PATH_CAPACITY), 1);
  EXPECT_EQ(std::string(guarded.data()), path258 + "\\");

  // 259 characters: no room for the backslash.
  std::fill(guarded.begin(), guarded.end(), '\x7e');
  std::string path259 = "D:\\" + std::string(256, 'a');
  memcpy(guarded.data(), path259.c_str(), path259.size() + 1);
  EXPECT_EQ(FinishBrowsedFolder(guarded.data(), PATH_CAPACITY), 0);
  EXPECT_STREQ(guarded.data(), "");
  for (size_t i = PATH_CAPACITY; i < guarded.size(); ++i) EXPECT_EQ(guarded[i], '\x7e') << i;

  // 259 characters already ending in a backslash need nothing more.
  std::string root259 = "D:\\" + std::string(255, 'a') + "\\";
  std::fill(guarded.begin(), guarded.end(), '\x7e');
  memcpy(guarded.data(), root259.c_str(), root259.size() + 1);
  EXPECT_EQ(FinishBrowsedFolder(guarded.data(), PATH_CAPACITY), 1);
  EXPECT_EQ(std::string(guarded.data()), root259);
}

}  // namespace
