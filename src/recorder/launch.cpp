// Candidate paths, command lines and texts of the player launch.
#include "recorder/launch.h"

#include <cstring>

#include "resources/strings.h"
#include "schedule/schedule.h"
#include "text/text.h"

namespace {

// A text FormatText had to cut may end in the first byte of a character
// whose second byte did not fit: counting one byte more than is there makes
// such a byte a whole character that does not fit, so it goes too.
void DropCutDoubleByte(char* text) {
  size_t length = strlen(text);
  text[WholeCharPrefix(text, length + 1, length)] = '\0';
}

const char* NextBackslash(const char* from, const char* end) {
  return static_cast<const char*>(memchr(from, '\\', static_cast<size_t>(end - from)));
}

bool HoldsBlank(const char* text) { return strchr(text, ' ') != nullptr || strchr(text, '\t') != nullptr; }

}  // namespace

int PlayerPathFromUninstallString(char* text, size_t capacity, const char* playerName) {
  if (text == nullptr || capacity == 0) return 0;
  if (text[0] == '"') DeleteCharAt(text, 0);
  *FileNamePart(text) = '\0';
  if (AppendText(text, capacity, playerName)) return 1;
  text[0] = '\0';
  return 0;
}

int InstallFolderPlayerPath(char* path, size_t capacity, const char* windowsDirectory, const char* folder,
                            const char* playerName) {
  if (path == nullptr || capacity == 0) return 0;
  path[0] = '\0';
  if (windowsDirectory == nullptr || windowsDirectory[0] == '\0' || windowsDirectory[1] != ':') return 0;
  if (CopyTextN(path, capacity, windowsDirectory, 2) && AppendText(path, capacity, folder) &&
      AppendText(path, capacity, playerName))
    return 1;
  path[0] = '\0';
  return 0;
}

int PlayerSources(int program64Bit, PlayerSource* sources, int capacity) {
  // The folders are the names every Windows version since Vista has on disk
  // whatever its language, on the Windows directory's drive like the default
  // folder; a player moved elsewhere is still found by the drive search.
  static const PlayerSource kOwnSystem[] = {
      {PLAYER_UNINSTALL_ENTRY, REGISTRY_OWN_VIEW, nullptr, 1},
      {PLAYER_INSTALL_FOLDER, REGISTRY_OWN_VIEW, STR_DEFAULT_PLAYER_FOLDER, 0},
  };
  static const PlayerSource kBothViews[] = {
      {PLAYER_UNINSTALL_ENTRY, REGISTRY_32_BIT_VIEW, nullptr, 0},
      {PLAYER_UNINSTALL_ENTRY, REGISTRY_64_BIT_VIEW, nullptr, 0},
      {PLAYER_INSTALL_FOLDER, REGISTRY_OWN_VIEW, STR_DEFAULT_PLAYER_FOLDER_X86, 0},
      {PLAYER_INSTALL_FOLDER, REGISTRY_OWN_VIEW, STR_DEFAULT_PLAYER_FOLDER, 0},
  };
  const PlayerSource* list = program64Bit ? kBothViews : kOwnSystem;
  int count = program64Bit ? static_cast<int>(sizeof kBothViews / sizeof kBothViews[0])
                           : static_cast<int>(sizeof kOwnSystem / sizeof kOwnSystem[0]);
  if (sources == nullptr || capacity < 0) return 0;
  if (count > capacity) count = capacity;
  for (int i = 0; i < count; ++i) sources[i] = list[i];
  return count;
}

int BuildCommandLine(char* commandLine, size_t capacity, const char* program, const char* arguments) {
  if (commandLine == nullptr || capacity == 0) return 0;
  commandLine[0] = '\0';
  if (program == nullptr || program[0] == '\0') return 0;
  int whole = HoldsBlank(program) ? FormatText(commandLine, capacity, "\"%s\"", program)
                                  : CopyText(commandLine, capacity, program);
  if (whole && arguments != nullptr && arguments[0] != '\0')
    whole = AppendFormat(commandLine, capacity, " %s", arguments);
  if (whole) return 1;
  commandLine[0] = '\0';
  return 0;
}

int SearchPatternFits(size_t directoryLength, const char* subdirectory, size_t capacity) {
  const size_t pattern = sizeof "*.*";  // with the terminating zero
  size_t needed = directoryLength + pattern;
  if (subdirectory != nullptr && subdirectory[0] != '\0') needed += strlen(subdirectory) + 1;
  return needed <= capacity ? 1 : 0;
}

int FormatSearchingDriveText(char* text, size_t capacity, char driveLetter, const char* name) {
  int whole = FormatText(text, capacity, STR_SEARCHING_DRIVE, driveLetter, name);
  if (!whole && capacity > 0) DropCutDoubleByte(text);
  return whole;
}

int FormatNotFoundText(char* text, size_t capacity, const char* name) {
  int whole = FormatText(text, capacity, STR_NOT_FOUND_ANYWHERE, name);
  if (!whole && capacity > 0) DropCutDoubleByte(text);
  return whole;
}

int FormatSearchingFolderText(char* text, size_t capacity, const char* name, const char* folder, int dropped) {
  if (text == nullptr || capacity == 0) return 0;
  // The root is everything up to its first backslash; the folders follow it,
  // each ended by a backslash. A backslash is never part of a double-byte
  // character, so the bytes can be scanned for it.
  const char* rootEnd = strchr(folder, '\\');
  size_t rootLength = rootEnd ? static_cast<size_t>(rootEnd - folder) + 1 : strlen(folder);
  size_t length = strlen(folder);
  if (length > rootLength && folder[length - 1] == '\\') --length;
  const char* end = folder + length;
  const char* kept = folder + rootLength;
  int left = 0;
  for (; left < dropped; ++left) {
    const char* next = NextBackslash(kept, end);
    if (next == nullptr) break;  // the last folder always shows
    kept = next + 1;
  }
  char shown[PATH_CAPACITY + sizeof STR_ELLIPSIS + 1];
  CopyTextN(shown, sizeof shown, folder, rootLength);
  if (left > 0) {
    AppendText(shown, sizeof shown, STR_ELLIPSIS);
    AppendText(shown, sizeof shown, "\\");
  }
  const size_t shownLength = strlen(shown);
  CopyTextN(shown + shownLength, sizeof shown - shownLength, kept, static_cast<size_t>(end - kept));
  if (!FormatText(text, capacity, STR_SEARCHING_FOLDER, name, shown)) DropCutDoubleByte(text);
  return NextBackslash(kept, end) != nullptr ? 1 : 0;
}
