// The drive search's tree walk and the registry read, on the test drives.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "recorder/launch_win32.h"
#include "recorder/tree_walk_win32.h"
#include "win/launch/launch_env.h"

using namespace launchenv;

namespace {

const char kGuard = '\x7e';

// The 260-byte path area followed by guard bytes.
struct PathArea {
  explicit PathArea(const char* start) : bytes(260 + 64, kGuard) { std::strcpy(bytes.data(), start); }
  char* data() { return bytes.data(); }
  std::string Text() const {
    const void* end = std::memchr(bytes.data(), '\0', 260);
    return end ? std::string(bytes.data(), static_cast<const char*>(end) - bytes.data()) : "<unterminated>";
  }
  bool GuardIntact() const {
    return std::all_of(bytes.begin() + 260, bytes.end(), [](char c) { return c == kGuard; });
  }
  std::vector<char> bytes;
};

class TreeSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CheckTestDrives(), "");
    ClearTestTrees();
  }
  void TearDown() override { ClearTestTrees(); }
};

TEST_F(TreeSearch, DepthFirstInListingOrderTheFirstMatchWinsAndListingsAreClosed) {
  ASSERT_TRUE(PlaceEmptyFile("D:\\A\\Sub\\winamp.EXE"));
  ASSERT_TRUE(PlaceEmptyFile("D:\\B\\WINAMP.EXE"));
  ASSERT_TRUE(PlaceEmptyFile("D:\\C\\WINAMP.EXE"));
  ASSERT_EQ(ListNames("D:\\"), (std::vector<std::string>{"A", "B", "C"})) << "the listing order this case builds on";

  ListingWatch watch;
  ASSERT_TRUE(watch.active());
  PathArea area("D:\\");
  EXPECT_TRUE(FindFileInTree(area.data(), "WINAMP.EXE"));
  // A breadth-first walk would have taken B's.
  EXPECT_EQ(area.Text(), "D:\\A\\Sub\\winamp.EXE");
  // Nothing is listed after the match; every listing is closed again.
  EXPECT_EQ(watch.patterns(), (std::vector<std::string>{"D:\\*.*", "D:\\A\\*.*", "D:\\A\\Sub\\*.*"}));
  EXPECT_EQ(watch.opened(), 3);
  EXPECT_EQ(watch.stillOpen(), 0);

  // Started below the root, the search stays below that directory.
  PathArea below("D:\\C\\");
  EXPECT_TRUE(FindFileInTree(below.data(), "winamp.exe"));
  EXPECT_EQ(below.Text(), "D:\\C\\WINAMP.EXE");
  EXPECT_EQ(watch.stillOpen(), 0);
}

TEST_F(TreeSearch, NoMatchLeavesTheDirectoryPathAndClosesEveryListing) {
  ASSERT_TRUE(MakeFolders("D:\\WINAMP.EXE\\Inner\\Deeper\\"));
  ASSERT_TRUE(PlaceEmptyFile("D:\\X\\WINAMP.EXE.lnk"));
  ASSERT_TRUE(PlaceEmptyFile("D:\\X\\Y\\WINAMP"));

  ListingWatch watch;
  PathArea area("D:\\");
  EXPECT_FALSE(FindFileInTree(area.data(), "WINAMP.EXE"));
  EXPECT_EQ(area.Text(), "D:\\");
  EXPECT_EQ(watch.opened(), 6);
  EXPECT_EQ(watch.stillOpen(), 0);
}

TEST_F(TreeSearch, DirectoryThatCannotBeListedHoldsNoMatchAndTheSearchGoesOn) {
  ASSERT_TRUE(PlaceEmptyFile("D:\\A\\Locked\\WINAMP.EXE"));
  ASSERT_TRUE(PlaceEmptyFile("D:\\B\\WINAMP.EXE"));

  ListingWatch watch("Locked");
  PathArea area("D:\\");
  EXPECT_TRUE(FindFileInTree(area.data(), "WINAMP.EXE"));
  EXPECT_EQ(area.Text(), "D:\\B\\WINAMP.EXE");
  EXPECT_EQ(watch.stillOpen(), 0);

  PathArea locked("D:\\A\\Locked\\");
  EXPECT_FALSE(FindFileInTree(locked.data(), "WINAMP.EXE"));
  EXPECT_EQ(locked.Text(), "D:\\A\\Locked\\");
}

TEST_F(TreeSearch, PathsLongerThanTheAreaAreSkippedNeverWrittenPastIt) {
  // "D:\" + 250 + "\" = 254 bytes: listing it needs 258, within the area.
  const std::string deep = "D:\\" + std::string(250, 'L') + "\\";
  // A subdirectory's pattern would need 254 + 6 + 1 + 4 = 265 bytes.
  ASSERT_TRUE(PlaceEmptyFile(deep + "deeper\\WINAMP.EXE"));
  // The file itself would need 254 + 10 + 1 = 265 bytes.
  ASSERT_TRUE(PlaceEmptyFile(deep + "WINAMP.EXE"));
  ASSERT_TRUE(Exists(deep + "deeper\\WINAMP.EXE"));

  ListingWatch watch;
  PathArea area("D:\\");
  EXPECT_FALSE(FindFileInTree(area.data(), "WINAMP.EXE"));
  EXPECT_TRUE(area.GuardIntact());
  EXPECT_EQ(area.Text(), "D:\\");
  EXPECT_EQ(watch.patterns(), (std::vector<std::string>{"D:\\*.*", deep + "*.*"}));
  EXPECT_EQ(watch.stillOpen(), 0);

  // The longest path the area holds, 259 bytes, is found.
  ClearTestTrees();
  const std::string longest = "D:\\" + std::string(245, 'M') + "\\WINAMP.EXE";
  ASSERT_EQ(longest.size(), 259u);
  ASSERT_TRUE(PlaceEmptyFile(longest));
  PathArea fits("D:\\");
  EXPECT_TRUE(FindFileInTree(fits.data(), "WINAMP.EXE"));
  EXPECT_EQ(fits.Text(), longest);
  EXPECT_TRUE(fits.GuardIntact());

  // A start directory too long to list is no match.
  PathArea full(("D:\\" + std::string(254, 'N') + "\\").c_str());
  EXPECT_FALSE(FindFileInTree(full.data(), "WINAMP.EXE"));
  EXPECT_TRUE(full.GuardIntact());
}

TEST_F(TreeSearch, StepsOfAnyLengthFindWhatOneCallFindsAndAWalkGivenUpClosesItsListings) {
  ASSERT_TRUE(MakeTree("D:\\", 3, 3));
  ASSERT_TRUE(PlaceEmptyFile("D:\\f2\\f0\\f1\\winamp.exe"));
  ASSERT_TRUE(PlaceEmptyFile("D:\\f2\\f1\\WINAMP.EXE"));
  PathArea whole("D:\\");
  ASSERT_TRUE(FindFileInTree(whole.data(), "WINAMP.EXE"));
  ASSERT_EQ(whole.Text(), "D:\\f2\\f0\\f1\\winamp.exe");

  ListingWatch watch;
  ASSERT_TRUE(watch.active());
  // A slice of 0 ms ends each step at its first look at the clock.
  for (const char* name : {"WINAMP.EXE", "absent.exe"}) {
    PathArea area("D:\\");
    TreeWalk walk;
    int steps = 0;
    TreeWalkState state = BeginTreeWalk(&walk, area.data(), name);
    while (state == TREE_WALK_GOING) {
      state = StepTreeWalk(&walk, 0);
      ++steps;
    }
    EXPECT_GT(steps, 2) << name;
    EXPECT_EQ(state, name[0] == 'W' ? TREE_WALK_FOUND : TREE_WALK_DONE) << name;
    EXPECT_EQ(area.Text(), name[0] == 'W' ? whole.Text() : "D:\\") << name;
    EXPECT_EQ(watch.stillOpen(), 0) << name;
  }

  // Given up three levels down: every level's listing is closed.
  PathArea area("D:\\");
  TreeWalk walk;
  ASSERT_EQ(BeginTreeWalk(&walk, area.data(), "absent.exe"), TREE_WALK_GOING);
  ASSERT_EQ(StepTreeWalk(&walk, 0), TREE_WALK_GOING);
  EXPECT_EQ(walk.depth, 4);
  EXPECT_EQ(watch.stillOpen(), 4);
  EndTreeWalk(&walk);
  EXPECT_EQ(watch.stillOpen(), 0);
  EXPECT_TRUE(area.GuardIntact());
}

// ---- The registry read ----

const char kTestKey[] = "Software\\TavelundLaunchTest";

class RegistryRead : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
  }
  void Set(const char* name, DWORD type, const std::string& data) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  HKEY key_ = nullptr;
};

TEST_F(RegistryRead, ValuesComeOutTerminatedInsideTheArea) {
  Set("plain", REG_SZ, std::string("C:\\W\\u.exe", 11) + '\0');
  // Stored without a terminating zero.
  Set("bare", REG_BINARY, "C:\\W\\u.exe");
  Set("longest", REG_SZ, std::string(259, 'x') + '\0');
  Set("full", REG_BINARY, std::string(260, 'y'));
  Set("over", REG_SZ, std::string(260, 'z') + '\0');

  PathArea plain("");
  std::memset(plain.data(), 'Q', 260);
  EXPECT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, "plain", plain.data(), 260));
  EXPECT_EQ(plain.Text(), "C:\\W\\u.exe");

  PathArea bare("");
  std::memset(bare.data(), 'Q', 260);
  EXPECT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, "bare", bare.data(), 260));
  EXPECT_EQ(bare.Text(), "C:\\W\\u.exe");

  PathArea longest("");
  EXPECT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, "longest", longest.data(), 260));
  EXPECT_EQ(longest.Text(), std::string(259, 'x'));

  // Filling the whole area leaves no room for the zero: refused, still terminated.
  for (const char* name : {"full", "over"}) {
    PathArea area("");
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, name, area.data(), 260)) << name;
    EXPECT_NE(area.Text(), "<unterminated>") << name;
    EXPECT_TRUE(area.GuardIntact()) << name;
  }

  PathArea absent("");
  EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, "absent", absent.data(), 260));
  EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, "Software\\TavelundNoSuchKey", "plain", absent.data(), 260));
}

}  // namespace
