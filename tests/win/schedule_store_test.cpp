// The schedule list against real INI files.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/app_win32.h"
#include "schedule/schedule_win32.h"
#include "schedule/settings_win32.h"
#include "text/text.h"
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

// ============================================================================
// One section read and one section write against the key-by-key reference
// ============================================================================

// An entry as a comparison sees it.
struct Loaded {
  int32_t start, end, days, bitrate, rate;
  uint32_t flags;
  std::string pattern;
  bool operator==(const Loaded& o) const {
    return start == o.start && end == o.end && days == o.days && bitrate == o.bitrate && rate == o.rate &&
           flags == o.flags && pattern == o.pattern;
  }
};

void PrintTo(const Loaded& e, std::ostream* os) {
  *os << "{" << e.start << " " << e.end << " days " << e.days << " bitrate " << e.bitrate << " rate " << e.rate
      << " flags " << e.flags << " \"" << e.pattern << "\"}";
}

std::vector<Loaded> ListAsLoaded() {
  std::vector<Loaded> out;
  for (const ScheduleEntry* e = scheduleList; e; e = e->next)
    out.push_back({e->startSeconds, e->endSeconds, e->dayMask, e->bitrateIndex, e->sampleRateIndex, e->flags,
                   e->outputPattern});
  return out;
}

// The load as it was written before: key "0", "1", ... each read on its own
// into one 340-byte line buffer until a read gives nothing.
std::vector<Loaded> LoadKeyByKey(const std::string& ini) {
  std::vector<Loaded> out;
  char line[SCHEDULE_LINE_CAPACITY];
  std::memset(line, 'B', sizeof line);
  ScheduleTimes times = {};
  for (int k = 0;; ++k) {
    line[0] = '\0';
    if (GetPrivateProfileStringA("MP3Schedule", std::to_string(k).c_str(), "", line, sizeof line, ini.c_str()) == 0)
      break;
    ScheduleEntry e = {};
    if (ParseScheduleLine(line, &times, &e))
      out.push_back({e.startSeconds, e.endSeconds, e.dayMask, e.bitrateIndex, e.sampleRateIndex, e.flags,
                     e.outputPattern});
  }
  return out;
}

std::string Printable(const std::string& bytes) {
  std::string out;
  char hex[8];
  for (unsigned char c : bytes) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n\n";
    } else if (c < 0x20 || c >= 0x7F) {
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// Bytes 0x01..0x1F without the line ends, then 0x80..0xFF: control
// characters, lone lead bytes and bytes the code page does not know.
std::string JunkBytes() {
  std::string bytes;
  for (int c = 0x01; c < 0x20; ++c)
    if (c != '\r' && c != '\n') bytes += static_cast<char>(c);
  for (int c = 0x80; c <= 0xFF; ++c) bytes += static_cast<char>(c);
  return bytes;
}

// 가 in code page 949, repeated: two bytes, one unit each.
std::string Hangul(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\xB0\xA1";
  return text;
}

std::string Line(int hour, const std::string& pattern, const std::string& rest = "|4 1 -1 1") {
  return std::to_string(hour) + ":0:0 " + std::to_string(hour + 1) + ":30:0 " + pattern + rest;
}

// The widest entries a hand-edited file can give come back from a save
// exactly as they were in memory, through the load and through a plain
// 340-byte read of each key.
TEST_F(ScheduleStore, WidestEntriesSaveAndLoadUnchanged) {
  const int32_t kMin = -2147483647 - 1;
  const std::string korean = "D:\\ " + Hangul(127) + "x";  // 259 bytes, quoted for its blank
  const int32_t starts[] = {-(596522 * 3600 + 59 * 60 + 59), kMin, 2147483647};
  for (int32_t start : starts) {
    ScheduleEntry* e = Add(korean.c_str(), start);
    e->endSeconds = start;
    e->bitrateIndex = kMin;
    e->sampleRateIndex = kMin;
    e->dayMask = kMin;
    e->flags = 0x80000000u;
  }
  Add(std::string(PATH_CAPACITY - 1, 'p').c_str(), kMin)->flags = 0xFFFFFFFFu;
  const std::vector<Loaded> inMemory = ListAsLoaded();
  ASSERT_EQ(SaveSchedules(), 1);
  EXPECT_EQ(LoadKeyByKey(ini_), inMemory);
  FreeAllSchedules();
  ASSERT_EQ(LoadSchedules(), 1);
  EXPECT_EQ(ListAsLoaded(), inMemory);
}

class ScheduleSectionRead : public ScheduleStore {};

TEST_F(ScheduleSectionRead, HostileSectionsLoadAsKeyByKeyReadsGiveThem) {
  const std::string q = "\"";
  const std::string around = "[Before]\r\na=1\r\n";
  // The longest value a 340-byte read keeps whole is 339 units; a quoted one
  // loses its quotes, and at 340 units the platform drops one more.
  auto quotedOfLength = [&](size_t length, const std::string& quote) {
    std::string head = "1:0:0 2:0:0 ";
    std::string tail = "|4 1 -1 1";
    std::string body = head + std::string(length - 2 - head.size() - tail.size(), 'q') + tail;
    return quote + body + quote;
  };
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"long lines",
       around + "[MP3Schedule]\r\n0=" + Line(1, std::string(400, 'w')) + "\r\n1=" + Line(3, "D:\\long.mp3") +
           " " + std::string(2000, 'j') + "\r\n2=" + Line(5, "D:\\ok.mp3") + "\r\n"},
      {"quotes around the whole value",
       "[MP3Schedule]\r\n0=" + quotedOfLength(300, q) + "\r\n1=" + quotedOfLength(339, q) + "\r\n2=" +
           quotedOfLength(340, q) + "\r\n3=" + quotedOfLength(341, "'") + "\r\n4=" + quotedOfLength(342, q) +
           "\r\n5=" + q + Line(7, "D:\\open.mp3") + "\r\n6='" + Line(8, "D:\\mixed.mp3") + q + "\r\n7=" + q +
           "\r\n8=" + Line(9, q + "D:\\My Music\\a.mp3" + q) + "\r\n9=" + q + q + "\r\n10=" + Line(10, "x") + "\r\n"},
      {"blanks around names and values",
       "[MP3Schedule]\r\n  0  =   " + Line(1, "a.mp3") + " \t \r\n\t1\t=\t" + Line(2, "b.mp3") + "\t\r\n2 =   \r\n3=" +
           Line(4, "never.mp3") + "\r\n"},
      {"equal names: the first wins; look-alike numbers are other keys",
       "[MP3Schedule]\r\n00=" + Line(20, "zero-zero.mp3") + "\r\n0=" + Line(1, "first.mp3") + "\r\n0=" +
           Line(2, "second.mp3") + "\r\n+1=" + Line(21, "plus.mp3") + "\r\n4294967297=" + Line(22, "wrapped.mp3") +
           "\r\n1=" + Line(3, "one.mp3") + "\r\n2=" + Line(4, "two.mp3") + "\r\n1=" + Line(5, "one-again.mp3") +
           "\r\n-3=" + Line(6, "minus.mp3") + "\r\n"},
      {"keys out of order",
       "[MP3Schedule]\r\n2=" + Line(3, "c.mp3") + "\r\n0=" + Line(1, "a.mp3") + "\r\n1=" + Line(2, "b.mp3") + "\r\n"},
      {"a lone CR and a lone LF end lines",
       "[MP3Schedule]\r\n0=" + Line(1, "cr.mp3") + "\r after a lone CR\r\n1=" + Line(2, "lf.mp3") +
           "\n2=from the next line\r\r\r\n3=" + Line(4, "d.mp3") + "\r4=" + Line(5, "e.mp3") + "\r\n"},
      {"junk bytes",
       "[MP3Schedule]\r\n0=" + std::string(338, 'L') + "\r\n1=" + JunkBytes() + "\r\n2=" +
           Line(3, "E:\\bin" + JunkBytes() + ".mp3") + "\r\n3=" + Line(4, "K:\\" + Hangul(200)) + "\r\n4=" +
           Line(5, "K:\\x" + Hangul(200)) + "\r\n5=" + Line(6, "\xB0") + "\r\n6=" + Line(7, "z") + "\xB0\r\n7=" +
           Line(8, "y") + "\r\n"},
      {"numbers beyond 32 bits",
       "[MP3Schedule]\r\n0=99999999999:99999999999:-99999999999 -99999999999:0:99999999999 H:\\big.mp3|"
       "99999999999 -99999999999 0 -99999999999\r\n1=" +
           Line(2, "b.mp3") + "\r\n"},
      {"comments, lines without \"=\" and nameless values",
       "[MP3Schedule]\r\n;0=" + Line(9, "comment.mp3") + "\r\n0=" + Line(1, "a.mp3") + "\r\nno equals\r\n=" +
           Line(9, "nameless.mp3") + "\r\n1=" + Line(2, "b.mp3") + "\r\n2\r\n2=" + Line(3, "after-bare.mp3") +
           "\r\n"},
      {"a second section of the same name is never read",
       "[MP3Schedule]\r\n0=" + Line(1, "a.mp3") + "\r\n[Other]\r\n1=" + Line(9, "other.mp3") +
           "\r\n[ mp3schedule ]\r\n1=" + Line(2, "second-section.mp3") + "\r\n"},
      {"a header in other case, the list ending at an empty value",
       "[mp3SCHEDULE]\r\n0=" + Line(1, "a.mp3") + "\r\n1=\r\n2=" + Line(3, "never.mp3") + "\r\n"},
      {"UTF-8 with its byte order mark",
       "\xEF\xBB\xBF[MP3Schedule]\r\n0=" + Line(1, "D:\\\xEB\x85\xB9\xEC\x9D\x8C\\a.mp3") + "\r\n1=" +
           Line(2, "D:\\\xE2\x82\xAC.mp3") + "\r\n"},
      {"no schedule section", around},
  };
  for (const Case& c : cases) {
    Seed(c.file);
    std::vector<Loaded> expected = LoadKeyByKey(ini_);
    FreeAllSchedules();
    ASSERT_EQ(LoadSchedules(), 1) << c.name;
    EXPECT_EQ(ListAsLoaded(), expected) << c.name << ": " << ListAsLoaded().size() << " loaded, "
                                        << expected.size() << " expected";
    FreeAllSchedules();
  }
  // A file that is not there loads nothing.
  DeleteFileA(ini_.c_str());
  EXPECT_EQ(LoadSchedules(), 1);
  EXPECT_EQ(ScheduleCount(), 0);
}

class ScheduleSectionWrite : public ScheduleStore {
 protected:
  // Saves the list into `start` (no file when null) twice: key by key on a
  // copy, as the save was written before, and with SaveSchedules; returns
  // both files' bytes.
  void SaveBothWays(const std::string* start, std::string* reference, std::string* saved) {
    std::string dir = NewTempDir("store-both");
    std::string keyByKey = dir + "reference.ini";
    ini_ = dir + "Tavelund.INI";
    CopyText(settingsPath, sizeof settingsPath, ini_.c_str());
    if (start) {
      WriteFileText(keyByKey, *start);
      WriteFileText(ini_, *start);
    }
    char line[SCHEDULE_LINE_CAPACITY];
    int k = 0;
    for (const ScheduleEntry* e = scheduleList; e; e = e->next) {
      if (e->outputPattern[0] == '\0') continue;
      FormatScheduleLine(e, line, sizeof line);
      WritePrivateProfileStringA("MP3Schedule", std::to_string(k++).c_str(), line, keyByKey.c_str());
    }
    WritePrivateProfileStringA("MP3Schedule", std::to_string(k).c_str(), "", keyByKey.c_str());
    EXPECT_EQ(SaveSchedules(), 1);
    *reference = ReadFileText(keyByKey);
    *saved = ReadFileText(ini_);
    // Nothing is left beside the file.
    EXPECT_EQ(FileNamesIn(dir), (std::vector<std::string>{"Tavelund.INI", "reference.ini"}));
  }

  void ExpectSameAsKeyByKey(const char* name, const std::string* start) {
    std::string reference, saved;
    SaveBothWays(start, &reference, &saved);
    EXPECT_EQ(Printable(saved), Printable(reference)) << name;
  }
};

TEST_F(ScheduleSectionWrite, FilesComeOutByteForByteAsKeyByKeyWritesLeaveThem) {
  const std::string others = "[Alpha]\r\nplain=value one\r\nkorean=\xB3\xEC\xC0\xBD\r\n";
  const std::string after = "[Zulu]\r\n;a comment line\r\nno equals sign here\r\nz=" + JunkBytes() + "\r\n";
  auto threeEntries = [&] {
    FreeAllSchedules();
    Add("D:\\a.mp3", 3600);
    Add("D:\\Radio\\%4Y%2M%2D.mp3", 7200);
    Add("E:\\c.mp3", 0)->flags = 3;
  };
  struct Case {
    const char* name;
    bool exists;
    std::string file;
    std::function<void()> list;
  } cases[] = {
      {"a fresh file", false, "", threeEntries},
      {"a file without the section", true, others + after, threeEntries},
      {"more keys than entries: stale keys stay", true,
       others + "[MP3Schedule]\r\n0=1:0:0 2:0:0 D:\\a.mp3|0 0 -1 0\r\n1=x\r\n2=y\r\n3=\r\n4=old four\r\n" +
           "5=old five\r\n" +
           after,
       threeEntries},
      {"foreign keys among the numbered ones", true,
       "[MP3Schedule]\r\nnote=keep me\r\n2=old two\r\n00=zero zero\r\nX=upper\r\n0=old zero\r\n=nameless\r\n"
       "4294967296=wraps to zero\r\n" +
           others,
       threeEntries},
      {"empty patterns are skipped without gaps", true, others,
       [&] {
         FreeAllSchedules();
         Add("", 0);
         Add("D:\\a.mp3", 60);
         Add("", 120);
         Add("", 180);
         Add("D:\\d.mp3", 240);
         Add("", 300);
       }},
      {"patterns with blanks", true, others + "[MP3Schedule]\r\n0=1:0:0 2:0:0 D:\\My|0 0 -1 0\r\n",
       [&] {
         FreeAllSchedules();
         Add("D:\\My Music\\%4Y%2M%2D.mp3", 0);
         Add("C:\\Users\\Kim Min\\\xB3\xEC\xC0\xBD \xC6\xC4\xC0\xCF.mp3", 60);
         Add("D:\\tab\there.mp3", 120);
         Add("\"D:\\My Music\\quoted already.mp3\"", 180);
         Add("D:\\no-blank.mp3", 240);
       }},
      {"an empty list", true, others + "[MP3Schedule]\r\n0=1:0:0 2:0:0 D:\\a.mp3|0 0 -1 0\r\n1=\r\n", [&] {
         FreeAllSchedules();
       }},
      // Files a section write would damage, saved key by key instead.
      {"a comment in the section", true,
       others + "[MP3Schedule]\r\n0=1:0:0 2:0:0 D:\\a.mp3|0 0 -1 0\r\n;1=commented out\r\n2=old\r\n", threeEntries},
      {"a comment and lines without \"=\" in the section", true,
       "[MP3Schedule]\r\n; my shows\r\n0=old\r\nno equals\r\n1=1:0:0 2:0:0 D:\\a.mp3|0 0 -1 0\r\n" + after,
       threeEntries},
      {"a lone CR inside the section", true,
       others + "[MP3Schedule]\r\n0=1:0:0 2:0:0 D:\\a.mp3|0 0 -1 0\r after a lone CR\r\n", threeEntries},
      {"a second section of the same name", true,
       "[MP3Schedule]\r\n0=old\r\n" + others + "[mp3schedule]\r\n0=second\r\n5=five\r\n", threeEntries},
      {"UTF-8 with its byte order mark", true,
       "\xEF\xBB\xBF[MP3Schedule]\r\n0=old\r\nnote=\xEB\x85\xB9\xEC\x9D\x8C \xE2\x82\xAC\r\n", threeEntries},
      {"UTF-16", true,
       std::string("\xFF\xFE[\0M\0P\0\x33\0S\0c\0h\0e\0d\0u\0l\0e\0]\0\r\0\n\0\x30\0=\0o\0\r\0\n\0", 38),
       threeEntries},
  };
  for (const Case& c : cases) {
    c.list();
    ExpectSameAsKeyByKey(c.name, c.exists ? &c.file : nullptr);
  }
}

TEST_F(ScheduleSectionWrite, NothingChangedWritesNothing) {
  // Not in the form the settings functions write (blanks around "=", LF line
  // ends, a blank line): any rewrite would show.
  const std::string file =
      "[Config]\n  DefaultSet = 4 1 -1 1\n\n[MP3Schedule]\n0 = 1:0:0 1:1:0 D:\\a.mp3|0 0 -1 0\n"
      "1=0:3:0 0:4:0 \"D:\\My Music\\b.mp3\"|0 0 -1 0\n2=\nstale=kept\n";
  Seed(file);
  ASSERT_EQ(LoadSchedules(), 1);
  ASSERT_EQ(ScheduleCount(), 2);
  EXPECT_EQ(SaveSchedules(), 1);
  EXPECT_EQ(ReadFileText(ini_), file);
  // Even a read-only file saves when there is nothing to write.
  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(SaveSchedules(), 1);
  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileText(ini_), file);
}

TEST_F(ScheduleSectionWrite, FailedSavesSayNoAndLeaveTheFileAsItWas) {
  const std::string file = "[Config]\r\nDefaultSet=4 1 -1 1\r\n[MP3Schedule]\r\n0=1:0:0 2:0:0 D:\\old.mp3|0 0 -1 0\r\n";
  Add("D:\\new.mp3", 0);
  std::string dir = NewTempDir("store-fail");
  ini_ = dir + "Tavelund.INI";
  CopyText(settingsPath, sizeof settingsPath, ini_.c_str());

  // A read-only settings file.
  WriteFileText(ini_, file);
  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(SaveSchedules(), 0);
  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileText(ini_), file);
  EXPECT_EQ(FileNamesIn(dir), std::vector<std::string>{"Tavelund.INI"});

  // A folder that is not there.
  std::string missing = dir + "gone\\Tavelund.INI";
  CopyText(settingsPath, sizeof settingsPath, missing.c_str());
  EXPECT_EQ(SaveSchedules(), 0);
  EXPECT_EQ(GetFileAttributesA((dir + "gone").c_str()), INVALID_FILE_ATTRIBUTES);

  // The same file saves once it can be written, and the copy is gone.
  CopyText(settingsPath, sizeof settingsPath, ini_.c_str());
  EXPECT_EQ(SaveSchedules(), 1);
  EXPECT_EQ(ReadIni("MP3Schedule", "0"), "0:0:0 0:1:0 D:\\new.mp3|0 0 -1 0");
  EXPECT_EQ(ReadIni("Config", "DefaultSet"), "4 1 -1 1");
  EXPECT_EQ(FileNamesIn(dir), std::vector<std::string>{"Tavelund.INI"});
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
