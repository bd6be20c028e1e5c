// Output file naming against the real file system: every case works in its
// own folder beside the test program (a drive-letter path under Wine's Z:).
#include "scheduler/naming_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scheduler/naming.h"
#include "text/files_win32.h"

namespace {

bool IsDirectory(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// A drive letter from Y: down to D: that names no drive; 0 when all do.
char UnmappedDriveLetter() {
  DWORD drives = GetLogicalDrives();
  for (char c = 'Y'; c >= 'D'; --c) {
    if ((drives & (1u << (c - 'A'))) == 0) return c;
  }
  return 0;
}

class Naming : public ::testing::Test {
 protected:
  void SetUp() override {
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::string folder(module, length);
    folder.resize(folder.rfind('\\'));
    root_ = folder + "\\naming-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
  }
  void TearDown() override {
    for (HANDLE h : open_) CloseHandle(h);
    RemoveTree(root_);
  }

  std::string At(const std::string& relative) const { return root_ + "\\" + relative; }

  void MakeFile(const std::string& relative) {
    HANDLE h = CreateFileA(At(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << relative;
    CloseHandle(h);
  }
  void MakeFolder(const std::string& relative) {
    ASSERT_TRUE(CreateDirectoryA(At(relative).c_str(), nullptr)) << relative;
  }

  // The unique name of a relative path, through a 260-byte buffer.
  std::string Unique(const std::string& relative, int* result = nullptr) {
    char path[260];
    EXPECT_LT(At(relative).size(), sizeof path);
    strcpy(path, At(relative).c_str());
    int r = MakeUniqueFileName(path);
    if (result != nullptr) *result = r;
    return path;
  }

  std::string root_;
  std::vector<HANDLE> open_;
};

TEST_F(Naming, EnsureDirectoryPathCreatesMissingLevels) {
  MakeFolder("A");
  EXPECT_EQ(EnsureDirectoryPath(At("A\\B\\C\\f.mp3").c_str()), 1);
  EXPECT_TRUE(IsDirectory(At("A\\B")));
  EXPECT_TRUE(IsDirectory(At("A\\B\\C")));
  EXPECT_EQ(GetFileAttributesA(At("A\\B\\C\\f.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
  // Existing levels are passed over, new ones below them made.
  EXPECT_EQ(EnsureDirectoryPath(At("A\\B\\C\\f.mp3").c_str()), 1);
  EXPECT_EQ(EnsureDirectoryPath(At("A\\B\\D\\E\\").c_str()), 1);
  EXPECT_TRUE(IsDirectory(At("A\\B\\D\\E")));
}

TEST_F(Naming, EnsureDirectoryPathFailsWhereALevelCannotBeMade) {
  // A file standing where a level should be.
  MakeFile("plain");
  EXPECT_EQ(EnsureDirectoryPath(At("plain\\x\\f.mp3").c_str()), 0);
  EXPECT_EQ(EnsureDirectoryPath(At("plain\\f.mp3").c_str()), 0);
  // A name no folder can have: the levels before it stay.
  EXPECT_EQ(EnsureDirectoryPath(At("made\\bad|name\\f.mp3").c_str()), 0);
  EXPECT_TRUE(IsDirectory(At("made")));
  // A drive that does not exist.
  char letter = UnmappedDriveLetter();
  ASSERT_NE(letter, 0);
  std::string missingDrive = std::string(1, letter) + ":\\A\\f.mp3";
  EXPECT_EQ(EnsureDirectoryPath(missingDrive.c_str()), 0);
}

TEST_F(Naming, FileRightInAnExistingDriveRootNeedsNothingMade) {
  // The root of the drive this test's folder is on, and C:.
  std::string ownRoot = root_.substr(0, 3);
  ASSERT_EQ(ownRoot.substr(1), ":\\");
  for (const std::string& drive : {ownRoot, std::string("C:\\")}) {
    std::string file = drive + "take_0905.mp3";
    EXPECT_EQ(EnsureDirectoryPath(file.c_str()), 1) << file;
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is made: " << file;
    EXPECT_EQ(EnsureDirectoryPath(drive.c_str()), 1) << drive;
  }
  // A drive that is not there has no root to record into.
  char letter = UnmappedDriveLetter();
  ASSERT_NE(letter, 0);
  std::string missing = std::string(1, letter) + ":\\take.mp3";
  EXPECT_EQ(EnsureDirectoryPath(missing.c_str()), 0) << missing;
}

TEST_F(Naming, EnsureDirectoryPathRefusesPathsWithoutALevel) {
  EXPECT_EQ(EnsureDirectoryPath("f.mp3"), 0);
  // Rooted on no drive: refused although the rest could be made.
  std::string relative = At("x\\f.mp3").substr(2);
  EXPECT_EQ(EnsureDirectoryPath(relative.c_str()), 0);
  EXPECT_FALSE(IsDirectory(At("x")));
}

TEST_F(Naming, UniqueNamesCountUpBeforeTheExtension) {
  int result = 0;
  EXPECT_EQ(Unique("a.mp3", &result), At("a.mp3"));
  EXPECT_EQ(result, 1);
  MakeFile("a.mp3");
  EXPECT_EQ(Unique("a.mp3"), At("a(1).mp3"));
  MakeFile("a(1).mp3");
  EXPECT_EQ(Unique("a.mp3", &result), At("a(2).mp3"));
  EXPECT_EQ(result, 1);
  MakeFile("take");
  EXPECT_EQ(Unique("take"), At("take(1)"));
}

TEST_F(Naming, UniqueNamesStayInDottedFolders) {
  MakeFolder("my.rec");
  MakeFile("my.rec\\take");
  std::string unique = Unique("my.rec\\take");
  EXPECT_EQ(unique, At("my.rec\\take(1)"));
  EXPECT_EQ(GetFileAttributesA(unique.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Naming, FileHeldOpenWithoutSharingIsTaken) {
  HANDLE held = CreateFileA(At("rec.mp3").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  open_.push_back(held);
  // Nobody else can open it now, yet it is there.
  HANDLE reader = CreateFileA(At("rec.mp3").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  EXPECT_EQ(FileExists(At("rec.mp3").c_str()), 1);
  EXPECT_EQ(Unique("rec.mp3"), At("rec(1).mp3"));
}

TEST_F(Naming, FolderNamesAreTakenButAreNoFiles) {
  MakeFolder("d.mp3");
  EXPECT_EQ(FileExists(At("d.mp3").c_str()), 0);
  EXPECT_EQ(Unique("d.mp3"), At("d(1).mp3"));
}

TEST_F(Naming, UniqueNameGivesUpAfterTheLastCounter) {
  MakeFile("a.mp3");
  for (int c = 1; c <= 3; ++c) MakeFile("a(" + std::to_string(c) + ").mp3");
  char path[260];
  strcpy(path, At("a.mp3").c_str());
  EXPECT_EQ(MakeUniqueFileNameWithin(path, 3), 0);
  EXPECT_EQ(std::string(path), At("a.mp3"));
  EXPECT_EQ(MakeUniqueFileNameWithin(path, 4), 1);
  EXPECT_EQ(std::string(path), At("a(4).mp3"));
}

TEST_F(Naming, UniqueNameOfAFullPathStaysInItsBuffer) {
  std::string name(259 - At("").size() - 4, 'n');
  MakeFile(name + ".mp3");
  char buffer[300];
  memset(buffer, 0x7e, sizeof buffer);
  strcpy(buffer, At(name + ".mp3").c_str());
  ASSERT_EQ(strlen(buffer), 259u);
  EXPECT_EQ(MakeUniqueFileName(buffer), 1);
  std::string unique = buffer;
  EXPECT_EQ(unique, At(name.substr(0, name.size() - 3) + "(1).mp3"));
  for (size_t i = 260; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x7e);
}

TEST_F(Naming, FileExistsAndPathKindTellFilesFromFolders) {
  MakeFile("f.txt");
  MakeFolder("dir");
  EXPECT_EQ(FileExists(At("f.txt").c_str()), 1);
  EXPECT_EQ(PathKind(At("f.txt").c_str()), 1);
  EXPECT_EQ(FileExists(At("dir").c_str()), 0);
  EXPECT_EQ(PathKind(At("dir").c_str()), 2);
  EXPECT_EQ(FileExists(At("none").c_str()), 0);
  EXPECT_EQ(PathKind(At("none").c_str()), 0);
  EXPECT_EQ(PathKind(At("none\\deeper").c_str()), 0);
  // The player launch asks about programs the same way.
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  EXPECT_EQ(FileExists(module), 1);
}

TEST(NamingClock, ExpansionUsesTheLocalTime) {
  // Retried when the second changes between the readings around the call.
  bool compared = false;
  for (int attempt = 0; attempt < 5 && !compared; ++attempt) {
    SYSTEMTIME before, after;
    char output[260];
    GetLocalTime(&before);
    int result = ExpandFileNamePattern(output, "%4Y%2M%2D_%2h%2m%2s_%W", WeekdayNames);
    GetLocalTime(&after);
    if (before.wSecond != after.wSecond || before.wMinute != after.wMinute) continue;
    char expected[64];
    const char* days[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    wsprintfA(expected, "%04d%02d%02d_%02d%02d%02d_%s", before.wYear, before.wMonth, before.wDay, before.wHour,
              before.wMinute, before.wSecond, days[before.wDayOfWeek]);
    EXPECT_STREQ(output, expected);
    EXPECT_EQ(result, 1);
    compared = true;
  }
  EXPECT_TRUE(compared);
}

TEST(NamingClock, ExpansionStaysInItsBuffer) {
  char buffer[400];
  memset(buffer, 0x7e, sizeof buffer);
  std::string pattern;
  for (int i = 0; i < 120; ++i) pattern += "%4Y%W";
  EXPECT_EQ(ExpandFileNamePattern(buffer, pattern.c_str(), WeekdayNames), 1);
  EXPECT_EQ(strlen(buffer), 259u);
  for (size_t i = 260; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x7e);
}

}  // namespace
