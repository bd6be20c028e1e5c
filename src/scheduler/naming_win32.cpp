#include "scheduler/naming_win32.h"

#include <windows.h>

#include "schedule/schedule.h"
#include "scheduler/naming.h"
#include "text/files_win32.h"
#include "text/text.h"

LocalTimeFields LocalTimeFieldsOf(const SYSTEMTIME& time) {
  return LocalTimeFields{time.wYear, time.wMonth,  time.wDay,    time.wDayOfWeek,
                         time.wHour, time.wMinute, time.wSecond, time.wMilliseconds};
}

LocalTimeFields LocalTimeNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalTimeFieldsOf(now);
}

int ExpandFileNamePatternAt(char* output, const char* pattern, const char* weekdayNames, const LocalTimeFields& time) {
  return ExpandPatternAt(output, PATH_CAPACITY, pattern, weekdayNames, &time);
}

int ExpandFileNamePattern(char* output, const char* pattern, const char* weekdayNames) {
  return ExpandFileNamePatternAt(output, pattern, weekdayNames, LocalTimeNow());
}

int EnsureDirectoryPath(const char* path) {
  char prefix[PATH_CAPACITY];
  // A path no 260-byte buffer holds names no directory this program can use.
  if (!CopyText(prefix, sizeof prefix, path)) return 0;
  int directoryLength = DirectoryPartLength(path);
  if (directoryLength >= 0) {
    prefix[directoryLength] = '\0';
    if (PathKind(prefix) == 2) return 1;
  }
  int level = FirstCreatableLevel(path);
  if (level < 0) return 0;
  // A file right in a drive or share root: nothing to make, the root must
  // exist. It is asked for with its backslash; "D:" alone would name the
  // drive's current folder, and a listing never finds a root.
  if (NextLevelEnd(path, level) < 0) {
    CopyTextN(prefix, sizeof prefix, path, static_cast<size_t>(level));
    DWORD attributes = GetFileAttributesA(prefix);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1 : 0;
  }
  for (int end = NextLevelEnd(path, level); end >= 0; end = NextLevelEnd(path, end + 1)) {
    CopyTextN(prefix, sizeof prefix, path, static_cast<size_t>(end));
    if (PathKind(prefix) == 2) continue;
    AppendText(prefix, sizeof prefix, "\\");
    if (!CreateDirectoryA(prefix, nullptr)) return 0;
  }
  return 1;
}

namespace {

// Any entry, a folder too, makes a name unusable for a new recording.
bool NameTaken(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int MakeUniqueFileNameWithin(char* path, int lastCounter) {
  if (!NameTaken(path)) return 1;
  char original[PATH_CAPACITY];
  if (!CopyText(original, sizeof original, path)) return 0;
  // Every candidate comes from the original name, so counters never pile up.
  for (int counter = 1; counter <= lastCounter; ++counter) {
    if (!UniqueNameCandidate(path, PATH_CAPACITY, original, counter)) break;
    if (!NameTaken(path)) return 1;
  }
  CopyText(path, PATH_CAPACITY, original);
  return 0;
}

int MakeUniqueFileName(char* path) { return MakeUniqueFileNameWithin(path, UNIQUE_NAME_LIMIT); }
