// The world of the player-launch tests: the two test drives D: and E: (and
// the guard that refuses to run anywhere else), folder trees on them, the
// player's uninstall entry, the fake player and its log, and a watch on the
// directory listings the search opens and closes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace launchenv {

// Empty when the fixed drives are exactly D:\ and E:\ and both carry the
// mark file of scripts/launch-test-prefix.sh; otherwise a description of what
// is wrong. No test searches or empties the drives of a real machine.
std::string CheckTestDrives();
// The fixed drive roots as listed.
std::vector<std::string> FixedDrives();

// Removes everything but the mark on the test drives, and the player's
// folders under both program folders on C:; does nothing unless
// CheckTestDrives() passes.
void ClearTestTrees();
// Creates the folders of path (a full path; may exceed MAX_PATH).
bool MakeFolders(const std::string& folder);
// Folders of `width` subfolders each, `depth` levels below folder (which must
// exist): width + width^2 + ... + width^depth folders, none with a file.
bool MakeTree(const std::string& folder, int width, int depth);
// Copies the fake player to path, creating its folders.
bool PlaceFakePlayer(const std::string& path);
// An empty file at path, creating its folders.
bool PlaceEmptyFile(const std::string& path);
bool Exists(const std::string& path);
// Names in a directory listing, in the order the file system gives them.
std::vector<std::string> ListNames(const std::string& folder);

// HKLM's uninstall entry of the player.
void SetUninstallString(const std::string& value);
// The same written the way an installer of the given bitness does it, by
// "reg add ... /reg:32" or "/reg:64" (value without double quotes). False
// when reg did not report success.
bool SetUninstallStringInView(const std::string& value, int bits);
// Removes the entry from both registry views.
void RemoveUninstallEntry();

// The fake player's log: one line "module|command line" per start.
struct Start {
  std::string module;
  std::string commandLine;
};
// Points the fake player's log at path (through the environment the started
// programs inherit) and removes an old one.
void UseStartLog(const std::string& path);
std::vector<Start> Starts(const std::string& logPath);
// Pumps messages until count starts are logged; then a little longer so a
// start that should not happen has its chance to show.
std::vector<Start> WaitForStarts(const std::string& logPath, size_t count, DWORD timeoutMs = 10000);

// Counts the directory listings opened and closed while it lives, records
// their patterns, and makes listings whose pattern holds `refuse` fail as if
// access were denied. Works by patching the test program's import table, so
// it sees the calls of the code under test linked into it.
class ListingWatch {
 public:
  explicit ListingWatch(const std::string& refuse = std::string());
  ~ListingWatch();
  int opened() const;
  int closed() const;
  int stillOpen() const { return opened() - closed(); }
  const std::vector<std::string>& patterns() const;
  // False when the import table held nothing to patch: the counts mean nothing then.
  bool active() const;
};

}  // namespace launchenv
