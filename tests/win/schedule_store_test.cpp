// The schedule list against real INI files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_win32.h"
#include "schedule/schedule_win32.h"
#include "schedule/settings_win32.h"
#include "win/win_support.h"

using namespace winsupport;

namespace {

class ScheduleStore : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeAllSchedules();
    ini_ = UseFreshSettings(NewTempDir("store"));
  }
  void TearDown() override { FreeAllSchedules(); }

  void Seed(const std::string& text) { WriteFileText(ini_, text); }

  ScheduleEntry* Add(const char* pattern, int start) {
    ScheduleEntry* e = AppendScheduleEntry();
    std::strcpy(e->outputPattern, pattern);
    e->startSeconds = start;
    e->endSeconds = start + 60;
    e->dayMask = -1;
    return e;
  }

  std::string ini_;
};

TEST_F(ScheduleStore, StopsAtTheFirstMissingKey) {
  Seed("[MP3Schedule]\r\n0=8:0:0 9:0:0 D:\\a.mp3|4 1 -1 1\r\n1=10:0:0 11:0:0 D:\\b.mp3|0 0 2 0\r\n"
       "3=12:0:0 13:0:0 D:\\c.mp3|0 0 2 0\r\n");
  ASSERT_EQ(LoadSchedules(), 1);
  ASSERT_EQ(ScheduleCount(), 2);
  EXPECT_STREQ(scheduleList->outputPattern, "D:\\a.mp3");
  EXPECT_STREQ(scheduleList->next->outputPattern, "D:\\b.mp3");
  EXPECT_EQ(scheduleList->next->dayMask, 2);
}

TEST_F(ScheduleStore, SavingFewerEntriesLeavesStaleKeysUnread) {
  for (int i = 0; i < 5; ++i) Add("D:\\five.mp3", i * 100);
  ASSERT_EQ(SaveSchedules(), 1);
  FreeAllSchedules();
  for (int i = 0; i < 3; ++i) Add("D:\\three.mp3", i * 100);
  ASSERT_EQ(SaveSchedules(), 1);

  EXPECT_EQ(ReadIni("MP3Schedule", "2"), "0:3:20 0:4:20 D:\\three.mp3|0 0 -1 0");
  EXPECT_EQ(ReadIni("MP3Schedule", "3"), "");
  EXPECT_EQ(ReadIni("MP3Schedule", "4"), "0:6:40 0:7:40 D:\\five.mp3|0 0 -1 0");
  FreeAllSchedules();
  LoadSchedules();
  EXPECT_EQ(ScheduleCount(), 3);
}

TEST_F(ScheduleStore, EmptyPatternsAreSkippedWithoutGaps) {
  Add("D:\\a.mp3", 0);
  Add("", 100);
  Add("D:\\c.mp3", 200);
  SaveSchedules();
  EXPECT_NE(ReadIni("MP3Schedule", "1").find("D:\\c.mp3"), std::string::npos);
  EXPECT_EQ(ReadIni("MP3Schedule", "2"), "");
}

TEST_F(ScheduleStore, OverlongWordLoadsBounded) {
  std::string word(400, 'w');
  std::string longLine = "5:0:0 6:0:0 " + std::string(2000, 'y') + "|4 1 -1 1";
  Seed("[MP3Schedule]\r\n0=1:0:0 2:0:0 " + word + "|4 1 -1 1\r\n1=" + longLine + "\r\n2=3:0:0 4:0:0 D:\\ok.mp3|0 0 1 0\r\n");
  ASSERT_EQ(LoadSchedules(), 1);
  ASSERT_EQ(ScheduleCount(), 3);
  EXPECT_EQ(std::strlen(scheduleList->outputPattern), 259u);
  // A line longer than the line buffer is read cut: its pattern, then nothing.
  EXPECT_EQ(std::strlen(scheduleList->next->outputPattern), 259u);
  EXPECT_EQ(scheduleList->next->dayMask, 0);
  EXPECT_STREQ(scheduleList->next->next->outputPattern, "D:\\ok.mp3");
}

TEST_F(ScheduleStore, SaveKeepsOtherSectionsAndLoadRoundTrips) {
  Seed("[Config]\r\nDefaultSet=2 0 -1 3\r\n[DlgPos]\r\nTavelund=1 2 3 4\r\n");
  ScheduleEntry* e = Add("\"D:\\My Music\\%4Y.mp3\"", 23 * 3600);
  e->endSeconds = 3600;
  e->flags = 3;
  e->bitrateIndex = 5;
  e->recording = 1;
  SaveSchedules();
  EXPECT_EQ(ReadIni("Config", "DefaultSet"), "2 0 -1 3");
  EXPECT_EQ(ReadIni("DlgPos", "Tavelund"), "1 2 3 4");
  FreeAllSchedules();
  LoadSchedules();
  ASSERT_EQ(ScheduleCount(), 1);
  EXPECT_EQ(scheduleList->startSeconds, 23 * 3600);
  EXPECT_EQ(scheduleList->endSeconds, 3600);
  EXPECT_EQ(scheduleList->flags, 3u);
  EXPECT_EQ(scheduleList->bitrateIndex, 5);
  EXPECT_EQ(scheduleList->recording, 0);
  // Quoted on disk by the user, read back without the quotes.
  EXPECT_STREQ(scheduleList->outputPattern, "D:\\My Music\\%4Y.mp3");
}

TEST_F(ScheduleStore, RemoveUnlinksOnlyListedEntries) {
  ScheduleEntry* a = Add("a", 0);
  ScheduleEntry* b = Add("b", 1);
  ScheduleEntry* c = Add("c", 2);
  ScheduleEntry stranger = {};
  EXPECT_EQ(RemoveScheduleEntry(&stranger), 0);
  EXPECT_EQ(RemoveScheduleEntry(b), 1);
  EXPECT_EQ(scheduleList, a);
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(RemoveScheduleEntry(a), 1);
  EXPECT_EQ(scheduleList, c);
  FreeAllSchedules();
  EXPECT_EQ(scheduleList, nullptr);
}

TEST(SettingsPathOfModule, LiesBesideTheRunningExe) {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  InitSettingsPath(module);
  std::string expected(module);
  expected = expected.substr(0, expected.size() - 3) + "INI";
  EXPECT_EQ(std::string(settingsPath), expected);
}

}  // namespace
