// Finding the player (settings, uninstall entries, installation folders, drive search)
// and starting it. The decisions on paths and texts are in launch.cpp.
#include "recorder/launch_win32.h"

#include "recorder/launch.h"
#include "recorder/tree_walk_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule.h"
#include "schedule/settings_win32.h"
#include "text/files_win32.h"
#include "text/text.h"
#include "ui/ui_win32.h"

// Room for the quoted path, a blank and arguments.
enum { COMMAND_LINE_CAPACITY = 2 * PATH_CAPACITY };

// A launch's working memory, taken in one piece and freed on every way out.
struct ProgramLaunch {
  char name[PATH_CAPACITY];
  char path[PATH_CAPACITY];  // the program's path; during the search, the folder being listed
  char driveRoots[PATH_CAPACITY];
  const char* nextRoot;  // the first root of driveRoots not yet looked at
  char drive;            // the letter of the drive being searched
  bool walking;
  TreeWalk walk;
  char commandLine[COMMAND_LINE_CAPACITY];
};

namespace {

// Moves the search to the next fixed drive, in the order the system lists
// them; NOWHERE when none is left.
LaunchProgress SearchNextDrive(ProgramLaunch* launch) {
  const char* root = launch->nextRoot;
  for (; root[0] != '\0'; root = NthString(root, 1)) {
    if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
    launch->nextRoot = NthString(root, 1);
    launch->drive = root[0];
    CopyText(launch->path, sizeof launch->path, root);
    // A root that cannot be listed was still searched: its drive is shown all the same.
    launch->walking = BeginTreeWalk(&launch->walk, launch->path, launch->name) == TREE_WALK_GOING;
    return LAUNCH_ON_NEXT_DRIVE;
  }
  launch->nextRoot = root;
  return LAUNCH_NOWHERE;
}

void SetStatus(HWND owner, const char* text) {
  SetDlgItemTextA(owner, IDC_MAIN_STATUS, text);
  // Nothing else runs until the launch is over: paint the progress now or never.
  HWND status = GetDlgItem(owner, IDC_MAIN_STATUS);
  if (status) UpdateWindow(status);
}

// The path stored under the program's name, or the bare name (then it is
// looked for in the current directory).
void ReadStoredPath(const char* name, char* path) { ReadSettingOr(STR_SECTION_CONFIG, name, path, PATH_CAPACITY, name); }

// Builds the command line in commandLine (COMMAND_LINE_CAPACITY bytes) and
// starts the program. A line that cannot be built whole is not started cut.
// The path is given as the program to run, so nothing else is searched for
// or guessed from the blanks in the line; a bare name is taken from the
// current directory, where its existence was tested.
LaunchResult StartWithArguments(const char* path, const char* arguments, char* commandLine) {
  if (!BuildCommandLine(commandLine, COMMAND_LINE_CAPACITY, path, arguments)) return LAUNCH_LINE_TOO_LONG;
  return StartProcessShown(path, commandLine, SW_SHOW) ? LAUNCH_STARTED : LAUNCH_FAILED;
}

REGSAM ViewFlag(RegistryView view) {
  switch (view) {
    case REGISTRY_32_BIT_VIEW: return KEY_WOW64_32KEY;
    case REGISTRY_64_BIT_VIEW: return KEY_WOW64_64KEY;
    case REGISTRY_OWN_VIEW: break;
  }
  return 0;
}

// The candidate one source gives (empty when it could not be built). False
// when the source could not be read: no uninstall entry in that view.
bool ReadPlayerSource(const PlayerSource& source, char* candidate) {
  candidate[0] = '\0';
  if (source.kind == PLAYER_UNINSTALL_ENTRY) {
    if (!ReadRegistryValueInView(HKEY_LOCAL_MACHINE, STR_UNINSTALL_KEY, STR_UNINSTALL_VALUE, candidate, PATH_CAPACITY,
                                 ViewFlag(source.view)))
      return false;
    PlayerPathFromUninstallString(candidate, PATH_CAPACITY, STR_PLAYER_EXE);
    return true;
  }
  char windowsDirectory[PATH_CAPACITY];
  UINT length = GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
  if (length == 0 || length >= sizeof windowsDirectory) windowsDirectory[0] = '\0';
  InstallFolderPlayerPath(candidate, PATH_CAPACITY, windowsDirectory, source.folder, STR_PLAYER_EXE);
  return true;
}

const int kProgram64Bit = sizeof(void*) == 8 ? 1 : 0;

}  // namespace

void LocatePlayer(char* path) {
  ReadSetting(STR_SECTION_CONFIG, STR_PLAYER_EXE, path, PATH_CAPACITY);
  if (path[0] != '\0' && FileExists(path)) return;
  path[0] = '\0';
  PlayerSource sources[PLAYER_SOURCE_CAPACITY];
  int count = PlayerSources(kProgram64Bit, sources, PLAYER_SOURCE_CAPACITY);
  char candidate[PATH_CAPACITY];
  for (int i = 0; i < count; ++i) {
    if (!ReadPlayerSource(sources[i], candidate)) continue;
    // When no candidate names a file the area keeps the first one made.
    if (path[0] == '\0') CopyText(path, PATH_CAPACITY, candidate);
    if (candidate[0] != '\0' && FileExists(candidate)) {
      CopyText(path, PATH_CAPACITY, candidate);
      WriteSetting(STR_SECTION_CONFIG, STR_PLAYER_EXE, path);
      return;
    }
    if (sources[i].endsLookUp) return;
  }
}

ProgramLaunch* BeginProgramLaunch(const char* name, LaunchProgress* progress) {
  ProgramLaunch* launch = static_cast<ProgramLaunch*>(LocalAlloc(LMEM_FIXED, sizeof(ProgramLaunch)));
  if (!launch) return nullptr;
  CopyText(launch->name, sizeof launch->name, name);
  launch->walking = false;
  launch->drive = '\0';
  launch->driveRoots[0] = '\0';
  launch->nextRoot = launch->driveRoots;
  ReadStoredPath(launch->name, launch->path);
  if (FileExists(launch->path)) {
    *progress = LAUNCH_FOUND;
    return launch;
  }
  DWORD listed = GetLogicalDriveStringsA(sizeof launch->driveRoots, launch->driveRoots);
  // A length beyond the area means the list did not fit and was not written.
  if (listed == 0 || listed >= sizeof launch->driveRoots) launch->driveRoots[0] = '\0';
  *progress = SearchNextDrive(launch);
  return launch;
}

LaunchProgress StepProgramLaunch(ProgramLaunch* launch, DWORD sliceMs) {
  if (!launch->walking) return SearchNextDrive(launch);
  TreeWalkState state = StepTreeWalk(&launch->walk, sliceMs);
  if (state == TREE_WALK_GOING) return LAUNCH_SEARCHING;
  launch->walking = false;
  if (state == TREE_WALK_DONE) return SearchNextDrive(launch);
  // Stored at once, so the next launch finds it without a search.
  WriteSetting(STR_SECTION_CONFIG, launch->name, launch->path);
  return LAUNCH_FOUND;
}

char LaunchSearchDrive(const ProgramLaunch* launch) { return launch->drive; }

const char* LaunchSearchFolder(const ProgramLaunch* launch) { return launch->path; }

bool StartFoundProgram(ProgramLaunch* launch, const char* arguments, bool* started) {
  if (started) *started = false;
  LaunchResult launched = StartWithArguments(launch->path, arguments, launch->commandLine);
  if (launched == LAUNCH_STARTED && started) *started = true;
  // A program the system would not start still counts as handed over.
  return launched != LAUNCH_LINE_TOO_LONG;
}

void EndProgramLaunch(ProgramLaunch* launch) {
  if (!launch) return;
  if (launch->walking) EndTreeWalk(&launch->walk);
  LocalFree(launch);
}

void ReportProgramNowhere(HWND owner, const char* name) {
  char text[PATH_CAPACITY];
  FormatNotFoundText(text, sizeof text, name);
  ShowMessage(owner, text, MB_OK);
}

bool LaunchProgram(HWND owner, const char* name, BYTE reportMissing, const char* arguments, bool* started) {
  if (started) *started = false;
  LaunchProgress progress;
  ProgramLaunch* launch = BeginProgramLaunch(name, &progress);
  if (!launch) return false;
  char savedStatus[PATH_CAPACITY] = "";
  GetDlgItemTextA(owner, IDC_MAIN_STATUS, savedStatus, sizeof savedStatus);
  for (;;) {
    if (progress == LAUNCH_ON_NEXT_DRIVE) {
      char text[PATH_CAPACITY];
      FormatSearchingDriveText(text, sizeof text, LaunchSearchDrive(launch), name);
      SetStatus(owner, text);
    } else if (progress != LAUNCH_SEARCHING) {
      break;
    }
    progress = StepProgramLaunch(launch, INFINITE);
  }
  bool handedOver = false;
  if (progress == LAUNCH_FOUND) {
    handedOver = StartFoundProgram(launch, arguments, started);
  } else if (reportMissing) {
    ReportProgramNowhere(owner, name);
  }
  SetDlgItemTextA(owner, IDC_MAIN_STATUS, savedStatus);
  EndProgramLaunch(launch);
  return handedOver;
}

LaunchResult LaunchStoredProgram(const char* name, const char* arguments, char* path) {
  ReadStoredPath(name, path);
  if (!FileExists(path)) return LAUNCH_NOT_FOUND;
  char commandLine[COMMAND_LINE_CAPACITY];
  return StartWithArguments(path, arguments, commandLine);
}

bool FindFileInTree(char* path, const char* name) {
  TreeWalk* walk = static_cast<TreeWalk*>(LocalAlloc(LMEM_FIXED, sizeof(TreeWalk)));
  if (!walk) return false;
  TreeWalkState state = BeginTreeWalk(walk, path, name);
  if (state == TREE_WALK_GOING) state = StepTreeWalk(walk, INFINITE);
  LocalFree(walk);
  return state == TREE_WALK_FOUND;
}

bool ReadRegistryValue(HKEY root, const char* keyPath, const char* valueName, char* area, DWORD size) {
  return ReadRegistryValueInView(root, keyPath, valueName, area, size, 0);
}

bool ReadRegistryValueInView(HKEY root, const char* keyPath, const char* valueName, char* area, DWORD size,
                             REGSAM view) {
  if (size == 0) return false;
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return false;
  DWORD length = size;
  LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(area), &length);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  // The data need not end in a zero of its own: close it inside the area, and
  // refuse a value that fills the area with no room left for the zero.
  if (length < size) {
    area[length] = '\0';
    return true;
  }
  if (area[size - 1] == '\0') return true;
  area[size - 1] = '\0';
  return false;
}
