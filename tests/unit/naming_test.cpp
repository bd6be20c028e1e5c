// Output file naming without the file system: pattern expansion for fixed
// times, the directory levels of a path and the clash-free name candidates.
#include "scheduler/naming.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Thursday 7 March 2024, 09:05:07.
const LocalTimeFields kMarch7{2024, 3, 7, 4, 9, 5, 7, 0};
// Sunday 5 January 2025, 23:59:00.
const LocalTimeFields kJanuary5{2025, 1, 5, 0, 23, 59, 0, 0};

struct Expansion {
  std::string text;
  int result;
};

// Expands into a guarded buffer and checks that nothing past capacity moved.
Expansion Expand(const std::string& pattern, const LocalTimeFields& time, size_t capacity = 260) {
  std::vector<char> buffer(capacity + 64, '\x7e');
  int result = ExpandPatternAt(buffer.data(), capacity, pattern.c_str(), WeekdayNames, &time);
  for (size_t i = capacity; i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], '\x7e') << "written past the capacity at " << i << " for " << pattern;
  }
  const char* end = static_cast<const char*>(memchr(buffer.data(), '\0', capacity));
  EXPECT_NE(end, nullptr) << "unterminated expansion of " << pattern;
  return Expansion{end != nullptr ? std::string(buffer.data(), static_cast<size_t>(end - buffer.data())) : std::string(), result};
}

std::string Repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(NamingExpansion, CodesTakeTheirFieldsFromOneTime) {
  struct Case {
    const char* pattern;
    const LocalTimeFields* time;
    const char* expected;
  } cases[] = {
      {"D:\\Rec\\%2M%2D_%2h%2m.mp3", &kMarch7, "D:\\Rec\\0307_0905.mp3"},
      {"%4Y", &kMarch7, "2024"},
      {"%Y-%M-%D %h.%m.%s", &kMarch7, "2024-3-7 9.5.7"},
      {"%2s", &kMarch7, "07"},
      {"%W-%2D.mp3", &kJanuary5, "SUN-05.mp3"},
      {"%M", &kJanuary5, "1"},
      {"%2M", &kJanuary5, "01"},
      {"%02M", &kJanuary5, "01"},
      {"%0M", &kJanuary5, "1"},
      {"%2h%2m%2s", &kJanuary5, "235900"},
      {"%W%W", &kMarch7, "THUTHU"},
      {"plain.mp3", &kMarch7, "plain.mp3"},
      {"", &kMarch7, ""},
  };
  for (const Case& c : cases) {
    Expansion e = Expand(c.pattern, *c.time);
    EXPECT_EQ(e.text, c.expected) << c.pattern;
    EXPECT_EQ(e.result, 1) << c.pattern;
  }
}

TEST(NamingExpansion, WeekdayNamesFollowTheDayNumber) {
  const char* names[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
  for (int day = 0; day < 7; ++day) {
    LocalTimeFields time = kMarch7;
    time.dayOfWeek = day;
    EXPECT_EQ(Expand("%W", time).text, names[day]);
  }
  // A caller's own list is used as given.
  const char korean[] = "\xc0\xcf\0\xbf\xf9\0";  // 일, 월
  LocalTimeFields monday = kMarch7;
  monday.dayOfWeek = 1;
  char out[16];
  EXPECT_EQ(ExpandPatternAt(out, sizeof out, "%W", korean, &monday), 1);
  EXPECT_STREQ(out, "\xbf\xf9");
}

TEST(NamingExpansion, UnknownCodesWriteErrAndFail) {
  struct Case {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"%%", "-Err-"},
      {"%x", "-Err-"},
      {"a%%b", "a-Err-b"},
      {"%y%H%w", "-Err--Err--Err-"},  // letters are case-sensitive
      {"%2x", "-Err-"},
      {"%q%2D", "-Err-07"},
      {"% x", "-Err-x"},       // a blank after "%" is no number and so the code
      {"%0xM", "-Err-xM"},     // "0x" without a digit gives no width: "0" is the code
  };
  for (const Case& c : cases) {
    Expansion e = Expand(c.pattern, kMarch7);
    EXPECT_EQ(e.text, c.expected) << c.pattern;
    EXPECT_EQ(e.result, 0) << c.pattern;
  }
}

TEST(NamingExpansion, TrailingPercentWritesNothing) {
  for (const char* pattern : {"abc%", "abc%2", "abc% 3"}) {
    Expansion e = Expand(pattern, kMarch7);
    EXPECT_EQ(e.text, "abc") << pattern;
    EXPECT_EQ(e.result, 1) << pattern;
  }
}

TEST(NamingExpansion, BlanksAroundThePatternAreNoPartOfTheName) {
  struct Case {
    const char* pattern;
    const char* expected;
    int result;
  } cases[] = {
      {"  D:\\Rec\\%2h%2m.mp3  ", "D:\\Rec\\0905.mp3", 1},
      {"\t D:\\Rec\\a.mp3\t \t", "D:\\Rec\\a.mp3", 1},
      {"D:\\My Music\\a b.mp3", "D:\\My Music\\a b.mp3", 1},  // blanks inside stay
      {" \t ", "", 1},
      {"a% ", "a", 1},            // the blank was typed after the pattern, not a code
      {"a% 2M ", "a03", 1},       // the width's own blank is inside
      {" %x ", "-Err-", 0},
      {" \xb3\xec ", "\xb3\xec", 1},
      {" \x81 ", "\x81", 1},  // a lone lead byte does not take the trimmed blank as its trail
  };
  for (const Case& c : cases) {
    Expansion e = Expand(c.pattern, kMarch7);
    EXPECT_EQ(e.text, c.expected) << "[" << c.pattern << "]";
    EXPECT_EQ(e.result, c.result) << "[" << c.pattern << "]";
  }
  // The trimmed name is cut at the buffer like any other.
  Expansion e = Expand("   " + std::string(300, 'n') + "   ", kMarch7);
  EXPECT_EQ(e.text, std::string(259, 'n'));
}

TEST(NamingExpansion, WidthsAreReadByTheNumberParser) {
  struct Case {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"%1M", "3"},
      {"%3M", "003"},
      {"%3M%M", "0033"},           // a width holds for one code only
      {"% 2M", "03"},               // blanks before the digits are skipped
      {"%+2M", "03"},
      {"%0x3M", "003"},             // hexadecimal width
      {"%9s", "000000007"},
      {"%12M", "000000003"},        // above nine: nine
      {"%0xAM", "000000003"},
      {"%-2M", "3"},                // negative: plain
      {"%-12M", "3"},
      {"%2147483647Y", "000002024"},
      {"%4294967297M", "3"},        // wraps to 1 in the parser
      {"%2W", "THU"},               // the weekday has no width
  };
  for (const Case& c : cases) {
    Expansion e = Expand(c.pattern, kMarch7);
    EXPECT_EQ(e.text, c.expected) << c.pattern;
    EXPECT_EQ(e.result, 1) << c.pattern;
  }
}

TEST(NamingExpansion, DoubleByteTextPassesUnchanged) {
  // "녹음" (recording) and a character whose trail byte is the letter 'M'.
  std::string korean = "D:\\\xb3\xec\xc0\xbd\\\x81M%2D.mp3";
  Expansion e = Expand(korean, kMarch7);
  EXPECT_EQ(e.text, "D:\\\xb3\xec\xc0\xbd\\\x81M07.mp3");
  EXPECT_EQ(e.result, 1);
  // A double-byte character after "%" is one unknown code, its trail byte included.
  e = Expand("%\xc0\xbd.mp3", kMarch7);
  EXPECT_EQ(e.text, "-Err-.mp3");
  EXPECT_EQ(e.result, 0);
}

TEST(NamingExpansion, LongExpansionsStopAtTheBuffer) {
  // Codes that grow, repeated up to a 259-character pattern and beyond.
  const std::string growing[] = {"%W", "%4Y", "%9s", "%%", "x%2M", "%12D"};
  for (const std::string& code : growing) {
    for (int count : {50, 86, 129, 200}) {
      std::string pattern = Repeat(code, count);
      Expansion whole = Expand(pattern, kMarch7, 4096);
      Expansion cut = Expand(pattern, kMarch7, 260);
      size_t expected = std::min<size_t>(whole.text.size(), 259);
      EXPECT_EQ(cut.text.size(), expected) << code << " x" << count;
      EXPECT_EQ(cut.text, whole.text.substr(0, expected)) << code << " x" << count;
      EXPECT_EQ(cut.result, whole.result) << code << " x" << count;
    }
  }
}

TEST(NamingExpansion, ResultCountsCodesPastTheCut) {
  std::string pattern = Repeat("%W", 100) + "%x";
  Expansion e = Expand(pattern, kMarch7);
  EXPECT_EQ(e.text, Repeat("THU", 86) + "T");
  EXPECT_EQ(e.result, 0);
}

TEST(NamingExpansion, CutNeverSplitsADoubleByteCharacter) {
  // 257 letters and a month leave one place, too few for "녹"; nothing follows it.
  std::string pattern = std::string(257, 'a') + "%M" + "\xb3\xec" + "b";
  Expansion e = Expand(pattern, kMarch7);
  EXPECT_EQ(e.text, std::string(257, 'a') + "3");
  pattern = std::string(256, 'a') + "\xb3\xec" + "%4Y";
  e = Expand(pattern, kMarch7);
  EXPECT_EQ(e.text, std::string(256, 'a') + "\xb3\xec" + "2");
}

TEST(NamingExpansion, TinyBuffers) {
  EXPECT_EQ(Expand("%W", kMarch7, 1).text, "");
  EXPECT_EQ(Expand("%W", kMarch7, 3).text, "TH");
  EXPECT_EQ(Expand("%W", kMarch7, 4).text, "THU");
  Expansion e = Expand("%%", kMarch7, 2);
  EXPECT_EQ(e.text, "-");
  EXPECT_EQ(e.result, 0);
}

// ---- Directory levels ----

struct Levels {
  int directoryLength;
  bool refused;
  std::vector<std::string> levels;
};

Levels LevelsOf(const std::string& path) {
  Levels out{DirectoryPartLength(path.c_str()), false, {}};
  int level = FirstCreatableLevel(path.c_str());
  if (level < 0) {
    out.refused = true;
    return out;
  }
  for (int end = NextLevelEnd(path.c_str(), level); end >= 0; end = NextLevelEnd(path.c_str(), end + 1)) {
    out.levels.push_back(path.substr(0, static_cast<size_t>(end)));
    if (out.levels.size() > path.size()) break;  // a wrong step would loop for ever
  }
  return out;
}

TEST(NamingDirectories, DirectoryPartEndsAtTheLastSeparator) {
  EXPECT_EQ(DirectoryPartLength("D:\\A\\B\\C\\f.mp3"), 8);
  EXPECT_EQ(DirectoryPartLength("D:\\f.mp3"), 2);
  EXPECT_EQ(DirectoryPartLength("C:f.mp3"), 1);
  EXPECT_EQ(DirectoryPartLength("\\\\srv\\share\\f.mp3"), 11);
  EXPECT_EQ(DirectoryPartLength("D:\\A\\B\\"), 6);
  EXPECT_EQ(DirectoryPartLength("f.mp3"), -1);
  EXPECT_EQ(DirectoryPartLength(""), -1);
}

TEST(NamingDirectories, DrivePathsCreateEachLevelFromTheRoot) {
  Levels l = LevelsOf("D:\\A\\B\\C\\f.mp3");
  ASSERT_FALSE(l.refused);
  EXPECT_EQ(l.levels, (std::vector<std::string>{"D:\\A", "D:\\A\\B", "D:\\A\\B\\C"}));
  l = LevelsOf("D:\\A\\B\\");
  EXPECT_EQ(l.levels, (std::vector<std::string>{"D:\\A", "D:\\A\\B"}));
  // Any first character counts as the drive.
  l = LevelsOf("1:\\x\\f");
  EXPECT_EQ(l.levels, (std::vector<std::string>{"1:\\x"}));
  // Folder names with double-byte characters whose trail byte is a letter.
  l = LevelsOf("D:\\\xb3\xec\xc0\xbd\\\x81M\\f.mp3");
  EXPECT_EQ(l.levels, (std::vector<std::string>{"D:\\\xb3\xec\xc0\xbd", "D:\\\xb3\xec\xc0\xbd\\\x81M"}));
}

TEST(NamingDirectories, NetworkPathsStartBelowTheShare) {
  Levels l = LevelsOf("\\\\srv\\share\\x\\f.mp3");
  ASSERT_FALSE(l.refused);
  EXPECT_EQ(l.levels, (std::vector<std::string>{"\\\\srv\\share\\x"}));
  l = LevelsOf("\\\\s\\t\\x\\y\\f.mp3");
  EXPECT_EQ(l.levels, (std::vector<std::string>{"\\\\s\\t\\x", "\\\\s\\t\\x\\y"}));
}

TEST(NamingDirectories, FileRightInARootHasNoLevelToCreate) {
  // The root itself is the folder: the levels start behind it and there are none.
  struct Case {
    const char* path;
    int root;
  } cases[] = {
      {"D:\\take_0905.mp3", 3},
      {"D:\\", 3},
      {"\\\\srv\\share\\f.mp3", 12},
      {"\\\\s\\t\\f", 6},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstCreatableLevel(c.path), c.root) << c.path;
    EXPECT_EQ(NextLevelEnd(c.path, c.root), -1) << c.path;
    // The directory part is the root without its backslash.
    EXPECT_EQ(DirectoryPartLength(c.path), c.root - 1) << c.path;
  }
}

TEST(NamingDirectories, RefusedForms) {
  const char* refused[] = {
      "D:\\\\A\\f.mp3",         // empty name right after the root
      "D:\\\\",
      "f.mp3",                  // no directory part at all
      "C:f.mp3",                // drive without ":\"
      "\\A\\f.mp3",             // rooted on no drive
      ":\\A\\f.mp3",            // no drive character before ":"
      "",
      "D",
      "D:",
      "\\\\srv\\share\\\\f.mp3",  // empty name right after the share
      "\\\\srv\\share",         // share not closed by "\"
      "\\\\srv",
      "\\\\",
      "\\\\\\share\\x\\f.mp3",  // empty server name
      "\\\\srv\\\\x\\f.mp3",    // empty share name
      "\\\\srv\\share\\\\x\\f", // empty name right after the share
  };
  for (const char* path : refused) {
    EXPECT_TRUE(LevelsOf(path).refused) << path;
  }
}

// ---- Clash-free names ----

std::string Candidate(const std::string& path, int counter, size_t capacity = 260) {
  std::vector<char> buffer(capacity + 32, '\x7e');
  buffer[0] = '\0';
  int ok = UniqueNameCandidate(buffer.data(), capacity, path.c_str(), counter);
  for (size_t i = capacity; i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], '\x7e') << "written past the capacity for " << path;
  }
  if (!ok) return "<none>";
  EXPECT_NE(memchr(buffer.data(), '\0', capacity), nullptr);
  return buffer.data();
}

TEST(NamingUniqueNames, CounterGoesBeforeTheExtension) {
  EXPECT_EQ(Candidate("D:\\Rec\\a.mp3", 1), "D:\\Rec\\a(1).mp3");
  EXPECT_EQ(Candidate("D:\\Rec\\a.mp3", 2), "D:\\Rec\\a(2).mp3");
  EXPECT_EQ(Candidate("D:\\Rec\\a.mp3", 10), "D:\\Rec\\a(10).mp3");
  EXPECT_EQ(Candidate("D:\\Rec\\a.b.mp3", 1), "D:\\Rec\\a.b(1).mp3");
  EXPECT_EQ(Candidate("D:\\Rec\\take", 3), "D:\\Rec\\take(3)");
  EXPECT_EQ(Candidate("D:\\Rec\\.mp3", 1), "D:\\Rec\\(1).mp3");
  EXPECT_EQ(Candidate("D:\\Rec\\a.", 1), "D:\\Rec\\a(1).");
  EXPECT_EQ(Candidate("a.mp3", 1), "a(1).mp3");
  EXPECT_EQ(Candidate("C:a.mp3", 1), "C:a(1).mp3");
}

TEST(NamingUniqueNames, DotsInFoldersDoNotCount) {
  EXPECT_EQ(Candidate("D:\\my.rec\\take", 1), "D:\\my.rec\\take(1)");
  EXPECT_EQ(Candidate("D:\\my.rec\\take.mp3", 2), "D:\\my.rec\\take(2).mp3");
  EXPECT_EQ(Candidate("C:my.rec", 1), "C:my(1).rec");
}

TEST(NamingUniqueNames, LongExtensionsStayWhole) {
  std::string ext = ".a-very-long-extension-of-forty-characters";
  EXPECT_EQ(Candidate("D:\\Rec\\a" + ext, 1), "D:\\Rec\\a(1)" + ext);
}

TEST(NamingUniqueNames, FullPathsGiveUpStemNotFoldersOrExtension) {
  std::string folder = "D:\\" + std::string(100, 'f') + "\\";
  std::string ext = ".mp3";
  for (int counter : {1, 99, 9999}) {
    std::string path = folder + std::string(259 - folder.size() - ext.size(), 's') + ext;
    ASSERT_EQ(path.size(), 259u);
    std::string c = Candidate(path, counter);
    std::string tag = "(" + std::to_string(counter) + ")";
    EXPECT_EQ(c.size(), 259u) << counter;
    EXPECT_EQ(c.substr(0, folder.size()), folder);
    EXPECT_EQ(c.substr(c.size() - tag.size() - ext.size()), tag + ext) << counter;
  }
  // Only the stem can go; with nothing left to give the candidate fails.
  std::string ext151 = "." + std::string(150, 'e');
  std::string path = folder + "s" + ext151;
  EXPECT_EQ(Candidate(path, 1), folder + "s(1)" + ext151);
  EXPECT_EQ(Candidate(path, 10), folder + "(10)" + ext151);
  EXPECT_EQ(Candidate(path, 100), "<none>");
  EXPECT_EQ(Candidate("D:\\Rec\\a.mp3", 1, 12), "<none>");
  EXPECT_EQ(Candidate("D:\\Rec\\a.mp3", 1, 15), "D:\\Rec\\(1).mp3");
}

TEST(NamingUniqueNames, ShortenedStemKeepsDoubleByteCharactersWhole) {
  std::string folder = "D:\\Rec\\";
  std::string stem;
  for (int i = 0; i < 130; ++i) stem += "\xb3\xec";
  std::string c = Candidate(folder + stem + ".mp3", 1);
  // 259 - 7 - 3 - 4 = 245 places for the stem: 122 whole characters.
  EXPECT_EQ(c, folder + stem.substr(0, 244) + "(1).mp3");
}

}  // namespace
