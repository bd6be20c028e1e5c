// The pure half of the player launch: candidates from the uninstall entry and
// the Windows directory, the command line, the search's room test and texts.
#include "recorder/launch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kGuard = '\x7e';
const char kDefaultFolder[] = "\\Program Files\\Winamp\\";

// A buffer of capacity bytes followed by guard bytes that must stay untouched.
struct Guarded {
  explicit Guarded(size_t capacity, const std::string& initial = "")
      : capacity(capacity), bytes(capacity + 32, kGuard) {
    std::memcpy(bytes.data(), initial.c_str(), std::min(initial.size() + 1, capacity));
  }
  char* data() { return bytes.data(); }
  // The text, after checking the guard and the terminator.
  std::string Text(int line) const {
    for (size_t i = capacity; i < bytes.size(); ++i)
      EXPECT_EQ(bytes[i], kGuard) << "written past the capacity at " << i << " (line " << line << ")";
    const void* end = std::memchr(bytes.data(), '\0', capacity);
    EXPECT_NE(end, nullptr) << "not terminated inside the capacity (line " << line << ")";
    return end ? std::string(bytes.data(), static_cast<const char*>(end) - bytes.data()) : std::string();
  }
  size_t capacity;
  std::vector<char> bytes;
};

struct UninstallCase {
  const char* uninstallString;
  const char* candidate;
};

TEST(PlayerCandidate, UninstallStringBecomesPlayerPathInItsFolder) {
  const UninstallCase cases[] = {
      {"\"C:\\Program Files\\Winamp\\UninstWA.exe\"", "C:\\Program Files\\Winamp\\WINAMP.EXE"},
      // Arguments after the closing quote go with the uninstaller's name.
      {"\"C:\\Program Files\\Winamp\\UninstWA.exe\" /S", "C:\\Program Files\\Winamp\\WINAMP.EXE"},
      {"D:\\Apps\\Winamp\\uninst.exe", "D:\\Apps\\Winamp\\WINAMP.EXE"},
      // No backslash: the part after the colon is the file name.
      {"E:uninst.exe", "E:WINAMP.EXE"},
      {"uninst.exe", "WINAMP.EXE"},
      {"\"", "WINAMP.EXE"},
      {"", "WINAMP.EXE"},
      // Only a leading quote is dropped.
      {"C:\\\"odd\\u.exe", "C:\\\"odd\\WINAMP.EXE"},
  };
  for (const UninstallCase& c : cases) {
    Guarded area(260, c.uninstallString);
    EXPECT_EQ(PlayerPathFromUninstallString(area.data(), 260, "WINAMP.EXE"), 1) << c.uninstallString;
    EXPECT_EQ(area.Text(__LINE__), c.candidate) << c.uninstallString;
  }
}

TEST(PlayerCandidate, UninstallCandidateThatWouldNotFitIsNoCandidate) {
  // 248 + "\" + "WINAMP.EXE" = 259 characters: the longest that fits.
  std::string folder = "C:\\" + std::string(245, 'f');
  Guarded fits(260, "\"" + folder + "\\u.exe\"");
  EXPECT_EQ(PlayerPathFromUninstallString(fits.data(), 260, "WINAMP.EXE"), 1);
  EXPECT_EQ(fits.Text(__LINE__), folder + "\\WINAMP.EXE");

  std::string longer = folder + "g";
  Guarded cut(260, "\"" + longer + "\\u.exe\"");
  EXPECT_EQ(PlayerPathFromUninstallString(cut.data(), 260, "WINAMP.EXE"), 0);
  EXPECT_EQ(cut.Text(__LINE__), "");
}

TEST(PlayerCandidate, DefaultFolderOnTheWindowsDrive) {
  struct Case {
    const char* windowsDirectory;
    int result;
    const char* candidate;
  } cases[] = {
      {"C:\\WINDOWS", 1, "C:\\Program Files\\Winamp\\WINAMP.EXE"},
      {"d:\\winnt\\system", 1, "d:\\Program Files\\Winamp\\WINAMP.EXE"},
      {"E:", 1, "E:\\Program Files\\Winamp\\WINAMP.EXE"},
      // No drive letter to build on: no candidate rather than a relative one.
      {"", 0, ""},
      {"C", 0, ""},
      {"\\\\server\\windows", 0, ""},
  };
  for (const Case& c : cases) {
    Guarded area(260, "stale");
    EXPECT_EQ(InstallFolderPlayerPath(area.data(), 260, c.windowsDirectory, kDefaultFolder, "WINAMP.EXE"), c.result) << c.windowsDirectory;
    EXPECT_EQ(area.Text(__LINE__), c.candidate) << c.windowsDirectory;
  }
  const std::string whole = "C:\\Program Files\\Winamp\\WINAMP.EXE";
  Guarded exact(whole.size() + 1);
  EXPECT_EQ(InstallFolderPlayerPath(exact.data(), exact.capacity, "C:\\WINDOWS", kDefaultFolder, "WINAMP.EXE"), 1);
  EXPECT_EQ(exact.Text(__LINE__), whole);
  Guarded small(whole.size());
  EXPECT_EQ(InstallFolderPlayerPath(small.data(), small.capacity, "C:\\WINDOWS", kDefaultFolder, "WINAMP.EXE"), 0);
  EXPECT_EQ(small.Text(__LINE__), "");
}

// The look-up's sources as text, each with the candidate it gives on a
// system whose Windows directory is D:\WINDOWS; "!" marks a source after
// which the look-up ends once it could be read.
std::vector<std::string> ShownSources(int program64Bit, int capacity = PLAYER_SOURCE_CAPACITY) {
  PlayerSource sources[PLAYER_SOURCE_CAPACITY + 1];
  int count = PlayerSources(program64Bit, sources, capacity);
  EXPECT_LE(count, capacity);
  std::vector<std::string> shown;
  for (int i = 0; i < count; ++i) {
    std::string text;
    if (sources[i].kind == PLAYER_UNINSTALL_ENTRY) {
      const char* views[] = {"own", "32-bit", "64-bit"};
      text = std::string("uninstall entry, ") + views[sources[i].view] + " view";
    } else {
      Guarded path(260);
      EXPECT_EQ(InstallFolderPlayerPath(path.data(), 260, "D:\\WINDOWS", sources[i].folder, "WINAMP.EXE"), 1);
      text = path.Text(__LINE__);
    }
    shown.push_back(text + (sources[i].endsLookUp ? " !" : ""));
  }
  return shown;
}

TEST(PlayerCandidate, SixtyFourBitProgramTriesBothViewsAndBothProgramFoldersThirtyTwoBitFirst) {
  EXPECT_EQ(ShownSources(1), (std::vector<std::string>{
                                "uninstall entry, 32-bit view",
                                "uninstall entry, 64-bit view",
                                "D:\\Program Files (x86)\\Winamp\\WINAMP.EXE",
                                "D:\\Program Files\\Winamp\\WINAMP.EXE",
                            }));
  // The 32-bit program as ever: its own view, and the default folder only
  // when that holds no entry.
  EXPECT_EQ(ShownSources(0), (std::vector<std::string>{
                                "uninstall entry, own view !",
                                "D:\\Program Files\\Winamp\\WINAMP.EXE",
                            }));
  // A short list takes the first sources only.
  EXPECT_EQ(ShownSources(1, 1), std::vector<std::string>{"uninstall entry, 32-bit view"});
  EXPECT_TRUE(ShownSources(1, 0).empty());
}

TEST(CommandLine, PathWithBlanksIsQuotedAndArgumentsFollowOneBlank) {
  struct Case {
    const char* program;
    const char* arguments;
    const char* line;
  } cases[] = {
      {"C:\\Program Files\\Winamp\\WINAMP.EXE", nullptr, "\"C:\\Program Files\\Winamp\\WINAMP.EXE\""},
      {"C:\\Program Files\\Winamp\\WINAMP.EXE", "", "\"C:\\Program Files\\Winamp\\WINAMP.EXE\""},
      {"C:\\Program Files\\Winamp\\WINAMP.EXE", "/play a.m3u",
       "\"C:\\Program Files\\Winamp\\WINAMP.EXE\" /play a.m3u"},
      {"C:\\Tab\there\\WINAMP.EXE", nullptr, "\"C:\\Tab\there\\WINAMP.EXE\""},
      {"D:\\Winamp\\WINAMP.EXE", nullptr, "D:\\Winamp\\WINAMP.EXE"},
      {"D:\\Winamp\\WINAMP.EXE", "", "D:\\Winamp\\WINAMP.EXE"},
      {"D:\\Winamp\\WINAMP.EXE", "x", "D:\\Winamp\\WINAMP.EXE x"},
      {"WINAMP.EXE", nullptr, "WINAMP.EXE"},
  };
  for (const Case& c : cases) {
    Guarded line(520);
    EXPECT_EQ(BuildCommandLine(line.data(), 520, c.program, c.arguments), 1) << c.program;
    EXPECT_EQ(line.Text(__LINE__), c.line) << c.program;
  }
}

TEST(CommandLine, LineThatDoesNotFitIsNotStartedCut) {
  const std::string program = "C:\\Program Files\\P.EXE";
  const std::string quoted = "\"" + program + "\" -a";
  Guarded exact(quoted.size() + 1);
  EXPECT_EQ(BuildCommandLine(exact.data(), exact.capacity, program.c_str(), "-a"), 1);
  EXPECT_EQ(exact.Text(__LINE__), quoted);

  // One byte short in the arguments, in the closing quote, in the path.
  for (size_t capacity : {quoted.size(), program.size() + 2, program.size()}) {
    Guarded line(capacity);
    EXPECT_EQ(BuildCommandLine(line.data(), capacity, program.c_str(), "-a"), 0) << capacity;
    EXPECT_EQ(line.Text(__LINE__), "") << capacity;
  }
  Guarded empty(40);
  EXPECT_EQ(BuildCommandLine(empty.data(), 40, "", "-a"), 0);
  EXPECT_EQ(empty.Text(__LINE__), "");
}

TEST(SearchRoom, PatternMustFitWithSubdirectoryBackslashAndZero) {
  // "C:\" + "*.*" + zero.
  EXPECT_EQ(SearchPatternFits(3, "", 260), 1);
  EXPECT_EQ(SearchPatternFits(256, "", 260), 1);
  EXPECT_EQ(SearchPatternFits(257, "", 260), 0);
  EXPECT_EQ(SearchPatternFits(256, nullptr, 260), 1);
  // directory + name + "\" + "*.*" + zero = 250 + 5 + 1 + 3 + 1 = 260.
  EXPECT_EQ(SearchPatternFits(250, "abcde", 260), 1);
  EXPECT_EQ(SearchPatternFits(250, "abcdef", 260), 0);
  EXPECT_EQ(SearchPatternFits(3, std::string(255, 'n').c_str(), 260), 0);
  EXPECT_EQ(SearchPatternFits(3, std::string(252, 'n').c_str(), 260), 1);
}

// 드라이브 D:에서 'WINAMP.EXE'를 찾습니다
const std::string kSearchingD =
    "\xB5\xE5\xB6\xF3\xC0\xCC\xBA\xEA D:\xBF\xA1\xBC\xAD 'WINAMP.EXE'\xB8\xA6 \xC3\xA3\xBD\xC0\xB4\xCF\xB4\xD9";
// 'WINAMP.EXE'은 모든 하드디스크 어디에도 없습니다
const std::string kNotFound =
    "'WINAMP.EXE'\xC0\xBA \xB8\xF0\xB5\xE7 \xC7\xCF\xB5\xE5\xB5\xF0\xBD\xBA\xC5\xA9 "
    "\xBE\xEE\xB5\xF0\xBF\xA1\xB5\xB5 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9";

TEST(SearchTexts, ProgressAndNotFoundTexts) {
  Guarded progress(260);
  EXPECT_EQ(FormatSearchingDriveText(progress.data(), 260, 'D', "WINAMP.EXE"), 1);
  EXPECT_EQ(progress.Text(__LINE__), kSearchingD);
  Guarded missing(260);
  EXPECT_EQ(FormatNotFoundText(missing.data(), 260, "WINAMP.EXE"), 1);
  EXPECT_EQ(missing.Text(__LINE__), kNotFound);
}

// The longest prefix of whole, within limit bytes, that ends on a character
// boundary of code page 949.
std::string PrefixOnBoundary(const std::string& whole, size_t limit) {
  size_t taken = 0;
  while (taken < whole.size()) {
    unsigned char c = static_cast<unsigned char>(whole[taken]);
    size_t step = c >= 0x81 && c <= 0xFE ? 2 : 1;
    if (taken + step > limit) break;
    taken += step;
  }
  return whole.substr(0, taken);
}

TEST(SearchTexts, LongNamesAreCutInsideTheAreaOnCharacterBoundaries) {
  const std::string name(300, 'N');
  for (size_t capacity = 1; capacity <= kSearchingD.size() + 1; ++capacity) {
    Guarded progress(capacity);
    EXPECT_EQ(FormatSearchingDriveText(progress.data(), capacity, 'D', "WINAMP.EXE"),
              capacity > kSearchingD.size() ? 1 : 0);
    EXPECT_EQ(progress.Text(__LINE__), PrefixOnBoundary(kSearchingD, capacity - 1)) << capacity;
  }
  for (size_t capacity = 1; capacity <= kNotFound.size() + 1; ++capacity) {
    Guarded missing(capacity);
    FormatNotFoundText(missing.data(), capacity, "WINAMP.EXE");
    EXPECT_EQ(missing.Text(__LINE__), PrefixOnBoundary(kNotFound, capacity - 1)) << capacity;
  }
  Guarded progress(260);
  EXPECT_EQ(FormatSearchingDriveText(progress.data(), 260, 'E', name.c_str()), 0);
  EXPECT_EQ(progress.Text(__LINE__).size(), 259u);
}

// Where the search is: the folder without its trailing backslash, its first
// folders below the root dropped for an ellipsis, the last one always kept.
TEST(SearchTexts, FolderTextDropsLeadingFoldersAndKeepsTheLast) {
  // 'WINAMP.EXE'를 찾는 중: , and …
  const std::string lead = "'WINAMP.EXE'\xB8\xA6 \xC3\xA3\xB4\xC2 \xC1\xDF: ";
  const std::string dots = "\xA1\xA6";
  struct Case {
    const char* folder;
    int dropped;
    std::string shown;
    int more;
  };
  const Case cases[] = {
      {"D:\\", 0, "D:\\", 0},
      {"D:\\Music\\", 0, "D:\\Music", 0},
      {"D:\\Music\\", 3, "D:\\Music", 0},
      {"D:\\a\\b\\c\\", 0, "D:\\a\\b\\c", 1},
      {"D:\\a\\b\\c\\", 1, "D:\\" + dots + "\\b\\c", 1},
      {"D:\\a\\b\\c\\", 2, "D:\\" + dots + "\\c", 0},
      {"D:\\a\\b\\c\\", 9, "D:\\" + dots + "\\c", 0},
      // A name of double-byte characters whose second bytes are letters.
      {"E:\\\xB0\xA1\xB3\xAA\\\xC7\x41\\", 1, "E:\\" + dots + "\\\xC7\x41", 0},
  };
  for (const Case& c : cases) {
    Guarded text(260);
    EXPECT_EQ(FormatSearchingFolderText(text.data(), 260, "WINAMP.EXE", c.folder, c.dropped), c.more)
        << c.folder << " " << c.dropped;
    EXPECT_EQ(text.Text(__LINE__), lead + c.shown) << c.folder << " " << c.dropped;
  }
  // Cut to its area on a character boundary.
  const std::string whole = lead + "D:\\Music";
  for (size_t capacity = 1; capacity <= whole.size() + 1; ++capacity) {
    Guarded text(capacity);
    FormatSearchingFolderText(text.data(), capacity, "WINAMP.EXE", "D:\\Music\\", 0);
    EXPECT_EQ(text.Text(__LINE__), PrefixOnBoundary(whole, capacity - 1)) << capacity;
  }
}

}  // namespace
