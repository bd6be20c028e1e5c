// The drive search as the program runs it: Tavelund.exe and the stand-in on a
// desktop of their own, in this prefix whose only fixed drives are the test
// drives, with a tree on D: big enough that the search takes many seconds.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "e2e/product_support.h"
#include "recorder/launch_win32.h"
#include "win/launch/launch_env.h"

using namespace e2e::product;
using e2e::PrivateDesktop;
using e2e::Standin;

namespace {

// One look at the main window from outside.
struct Sample {
  int second;
  std::string status, title;
  bool answered;
};

// The searching texts begin with 드라이브 (the drive) or the name looked for.
bool ShowsSearch(const std::string& status) {
  return status.rfind("\xB5\xE5\xB6\xF3\xC0\xCC\xBA\xEA ", 0) == 0 || status.rfind("'" STR_PLAYER_EXE "'", 0) == 0;
}

class DriveSearchProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(launchenv::CheckTestDrives(), "");
    launchenv::ClearTestTrees();
    launchenv::RemoveUninstallEntry();
  }
  void TearDown() override {
    if (launchenv::CheckTestDrives().empty()) launchenv::ClearTestTrees();
  }
};

TEST_F(DriveSearchProcess, WindowOpeningDuringTheSearchRecordsOnItsSecondAndTheWindowStaysAlive) {
  AvoidMidnight();
  // Branches of 1 554 folders (6 wide, 4 deep) on D:, searched first, until
  // walking them all takes 8 s here: long enough for a window to open and
  // record in the middle of the search on a fast machine and a slow one
  // alike, without a loaded one spending minutes making folders.
  int branches = 0;
  DWORD walkMs = 0;
  for (; walkMs < 8000 && branches < 16; ++branches) {
    const std::string branch = "D:\\tree\\b" + std::to_string(branches) + "\\";
    ASSERT_TRUE(launchenv::MakeFolders(branch));
    ASSERT_TRUE(launchenv::MakeTree(branch, 6, 4));
    char area[MAX_PATH];
    lstrcpynA(area, branch.c_str(), sizeof area);
    const DWORD began = GetTickCount();
    ASSERT_FALSE(FindFileInTree(area, STR_PLAYER_EXE));
    walkMs += GetTickCount() - began;
  }
  RecordProperty("tree_folders", branches * 1554);
  RecordProperty("tree_walk_ms", static_cast<int>(walkMs));
  ASSERT_TRUE(launchenv::PlaceFakePlayer("E:\\Player\\WINAMP.EXE"));
  const std::string dir = e2e::NewTempDir("drive-search");
  launchenv::UseStartLog(dir + "starts.log");

  RunIsolated("drive-search", [&](const PrivateDesktop& desktop) {
    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("drive-search-player"), {}, &standin));
    const std::string name = dir + "rec.mp3";
    // The plug-in is found on the product's first tick, a window being near.
    const int start = NowSeconds() + 5, end = start + 3;
    Product product;
    // The stored path names no file: the start-up's launch searches the drives.
    StartProductWithSettings(desktop, dir, &product,
                             "[Config]\r\n" STR_PLAYER_EXE "=D:\\Vanished\\WINAMP.EXE\r\n[MP3Schedule]\r\n" +
                                 Line(0, start, end, name));
    if (testing::Test::HasFatalFailure()) return;

    // Looked at from outside every 100 ms until the search is over.
    std::vector<Sample> samples;
    const DWORD began = GetTickCount();
    do {
      samples.push_back(
          {NowSeconds(), Status(product.main), e2e::WindowTextOf(product.main), Responds(product.main, 1000)});
      Sleep(100);
    } while ((ShowsSearch(samples.back().status) || samples.size() < 20) && GetTickCount() - began < 120000);

    std::set<std::string> titles;
    std::set<std::string> folders;
    int lastSearchSecond = 0;
    for (const Sample& sample : samples) {
      EXPECT_TRUE(sample.answered) << "no answer at " << Clock(sample.second) << ": " << sample.status;
      if (!ShowsSearch(sample.status)) continue;
      titles.insert(sample.title);
      if (sample.status.find("D:\\tree") != std::string::npos) folders.insert(sample.status);
      lastSearchSecond = sample.second;
    }
    // The window opened and recorded while the search went on.
    ExpectStartedOnTime(standin, 1, start, name, "");
    EXPECT_GT(lastSearchSecond, start) << "the search ended before the window opened";
    EXPECT_GE(titles.size(), static_cast<size_t>(lastSearchSecond - samples.front().second - 1))
        << "the title clock stood still during the search";
    // Where the search is shows as it goes, at a pace a person can read.
    EXPECT_GE(folders.size(), 3u);
    EXPECT_LE(folders.size(), static_cast<size_t>(lastSearchSecond - samples.front().second + 2));

    // Found on E: and stored; the player the person has is not started twice.
    EXPECT_TRUE(WaitForStatus(product.main, FoundStatus(standin.plugin), 3000)) << Status(product.main);
    char stored[MAX_PATH] = "";
    GetPrivateProfileStringA("Config", STR_PLAYER_EXE, "", stored, sizeof stored, (dir + "Tavelund.INI").c_str());
    EXPECT_STREQ(stored, "E:\\Player\\WINAMP.EXE");
    EXPECT_TRUE(launchenv::Starts(dir + "starts.log").empty());
    EXPECT_EQ(OwnedDialogOf(product), nullptr) << "a message came";
    CloseProduct(&product);
  });
}

}  // namespace
