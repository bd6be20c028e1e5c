// Finding the player (settings, uninstall entries, installation folders, drive search)
// and starting it. The decisions on paths and texts are in launch.cpp.
#include "recorder/launch_win32.h"

#include "recorder/launch.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule.h"
#include "schedule/settings_win32.h"
#include "text/files_win32.h"
#include "text/text.h"
#include "ui/ui_win32.h"

namespace {

// Room for the quoted path, a blank and arguments.
enum { COMMAND_LINE_CAPACITY = 2 * PATH_CAPACITY };

// LaunchProgram's working memory, taken in one piece and freed on every way out.
struct LaunchWork {
  char path[PATH_CAPACITY];  // the program's path; the status and message texts are composed here too
  char driveRoots[PATH_CAPACITY];
  char savedStatus[PATH_CAPACITY];
  char commandLine[COMMAND_LINE_CAPACITY];
};

// Looks for name in the directory whose path (ending in a backslash) takes the
// first directoryLength bytes of path, and below it, depth-first in listing
// order. On success path holds the file's full path; otherwise it is cut back
// to the directory. Every listing opened here is closed before returning.
bool SearchDirectory(char* path, size_t directoryLength, const char* name) {
  path[directoryLength] = '\0';
  AppendText(path, PATH_CAPACITY, "*.*");  // the caller made sure it fits
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA(path, &entry);
  path[directoryLength] = '\0';
  if (listing == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    const char* entryName = entry.cFileName;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (lstrcmpA(entryName, ".") == 0 || lstrcmpA(entryName, "..") == 0) continue;
      // A directory too deep for the area is left out rather than written past it.
      if (!SearchPatternFits(directoryLength, entryName, PATH_CAPACITY)) continue;
      AppendText(path, PATH_CAPACITY, entryName);
      AppendText(path, PATH_CAPACITY, "\\");
      found = SearchDirectory(path, static_cast<size_t>(lstrlenA(path)), name);
      if (!found) path[directoryLength] = '\0';
    } else if (lstrcmpiA(entryName, name) == 0) {
      // The name as the disk spells it, not as asked for.
      found = AppendText(path, PATH_CAPACITY, entryName) != 0;
      if (!found) path[directoryLength] = '\0';
    }
  } while (!found && FindNextFileA(listing, &entry));
  FindClose(listing);
  return found;
}

void SetStatus(HWND owner, const char* text) {
  SetDlgItemTextA(owner, IDC_MAIN_STATUS, text);
  // The search blocks the message loop: paint the progress now or never.
  HWND status = GetDlgItem(owner, IDC_MAIN_STATUS);
  if (status) UpdateWindow(status);
}

// Searches the fixed drives in the order the system lists them, showing each
// drive in the status line. On success work->path holds the file's path.
bool SearchFixedDrives(HWND owner, const char* name, LaunchWork* work) {
  DWORD listed = GetLogicalDriveStringsA(sizeof work->driveRoots, work->driveRoots);
  // A length beyond the area means the list did not fit and was not written.
  if (listed == 0 || listed >= sizeof work->driveRoots) return false;
  for (const char* root = work->driveRoots; root[0] != '\0'; root = NthString(root, 1)) {
    if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
    FormatSearchingDriveText(work->path, sizeof work->path, root[0], name);
    SetStatus(owner, work->path);
    CopyText(work->path, sizeof work->path, root);
    if (FindFileInTree(work->path, name)) return true;
  }
  return false;
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

bool LaunchProgram(HWND owner, const char* name, BYTE reportMissing, const char* arguments, bool* started) {
  if (started) *started = false;
  LaunchWork* work = static_cast<LaunchWork*>(LocalAlloc(LMEM_FIXED, sizeof(LaunchWork)));
  if (!work) return false;
  work->savedStatus[0] = '\0';
  GetDlgItemTextA(owner, IDC_MAIN_STATUS, work->savedStatus, sizeof work->savedStatus);
  ReadStoredPath(name, work->path);
  bool handedOver = false;
  if (FileExists(work->path)) {
    handedOver = true;
  } else if (SearchFixedDrives(owner, name, work)) {
    WriteSetting(STR_SECTION_CONFIG, name, work->path);
    handedOver = true;
  } else if (reportMissing) {
    FormatNotFoundText(work->path, sizeof work->path, name);
    ShowMessage(owner, work->path, MB_OK);
  }
  // A program the system would not start still counts as handed over;
  // *started tells whether a process really began.
  if (handedOver) {
    LaunchResult launched = StartWithArguments(work->path, arguments, work->commandLine);
    handedOver = launched != LAUNCH_LINE_TOO_LONG;
    if (launched == LAUNCH_STARTED && started) *started = true;
  }
  SetDlgItemTextA(owner, IDC_MAIN_STATUS, work->savedStatus);
  LocalFree(work);
  return handedOver;
}

LaunchResult LaunchStoredProgram(const char* name, const char* arguments, char* path) {
  ReadStoredPath(name, path);
  if (!FileExists(path)) return LAUNCH_NOT_FOUND;
  char commandLine[COMMAND_LINE_CAPACITY];
  return StartWithArguments(path, arguments, commandLine);
}

bool FindFileInTree(char* path, const char* name) {
  size_t directoryLength = static_cast<size_t>(FileNamePart(path) - path);
  if (!SearchPatternFits(directoryLength, "", PATH_CAPACITY)) return false;
  return SearchDirectory(path, directoryLength, name);
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
