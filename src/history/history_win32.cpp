#include "history/history_win32.h"

#include "resources/strings.h"
#include "schedule/settings_win32.h"
#include "scheduler/naming_win32.h"
#include "text/text.h"
#include "ui/ui_win32.h"

namespace {

enum { HISTORY_PATH_CAPACITY = MAX_PATH + 8, VIEWER_LINE_CAPACITY = 2 * HISTORY_PATH_CAPACITY };

// A line could not be written, and whether the main window has heard of it.
bool writeFailed = false;
bool failureTold = false;

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool SizeOfFile(const char* path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

// A file that would grow past the limit with this line becomes the older
// history (an older one before it goes), and the line begins a new file.
void MakeRoomFor(const char* path, size_t lineLength) {
  uint64_t size = 0;
  if (!SizeOfFile(path, &size) || !HistoryNeedsRenaming(size, lineLength)) return;
  char older[HISTORY_PATH_CAPACITY];
  if (!OlderHistoryPath(older, sizeof older, path)) return;
  MoveFileExA(path, older, MOVEFILE_REPLACE_EXISTING);
}

// Appending needs no position and no lock: the system puts every write at
// the end. Readers (a text viewer) may hold the file open meanwhile.
bool AppendToFile(const char* path, const char* bytes, DWORD length) {
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = length == 0 || WriteFile(file, bytes, length, &written, nullptr);
  CloseHandle(file);
  return ok && written == length;
}

}  // namespace

int HistoryPath(char* path, size_t capacity) {
  if (capacity == 0) return 0;
  path[0] = '\0';
  // No settings path, no place for the history either.
  if (settingsPath[0] == '\0') return 0;
  return DeriveHistoryPath(path, capacity, settingsPath);
}

int WriteHistory(HistoryEvent kind, const ScheduleEntry* entry, const char* detail) {
  char path[HISTORY_PATH_CAPACITY];
  bool written = false;
  if (HistoryPath(path, sizeof path)) {
    char line[HISTORY_LINE_CAPACITY];
    FormatHistoryLine(line, sizeof line, LocalTimeNow(), kind, entry, detail);
    const DWORD length = static_cast<DWORD>(lstrlenA(line));
    MakeRoomFor(path, length);
    written = AppendToFile(path, line, length);
  }
  if (!written) writeFailed = true;
  return written ? 1 : 0;
}

int TakeHistoryFailureNews() {
  if (!writeFailed || failureTold) return 0;
  failureTold = true;
  return 1;
}

int ReadLastRunTime(LocalTimeFields* when) {
  char path[HISTORY_PATH_CAPACITY];
  if (!HistoryPath(path, sizeof path)) return 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
  // The file keeps universal time; the schedule is local, with the
  // daylight-saving rule of that moment.
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&data.ftLastWriteTime, &universal)) return 0;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return 0;
  *when = LocalTimeFieldsOf(local);
  return 1;
}

void KeepHistoryAlive() {
  char path[HISTORY_PATH_CAPACITY];
  if (!HistoryPath(path, sizeof path)) return;
  HANDLE file = CreateFileA(path, FILE_WRITE_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SetFileTime(file, nullptr, nullptr, &now);
  CloseHandle(file);
}

int OpenHistoryViewer() {
  char path[HISTORY_PATH_CAPACITY];
  if (!HistoryPath(path, sizeof path)) return 0;
  // An empty history opens as an empty page, not as a question whether to make it.
  AppendToFile(path, "", 0);
  char commandLine[VIEWER_LINE_CAPACITY];
  if (!FormatText(commandLine, sizeof commandLine, "%s \"%s\"", STR_TEXT_VIEWER, path)) return 0;
  return StartProcessShown(nullptr, commandLine, SW_SHOWNORMAL) ? 1 : 0;
}
