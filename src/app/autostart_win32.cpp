#include "app/autostart_win32.h"

#include "app/startup.h"
#include "resources/strings.h"

// HKEY_CURRENT_USER\Software is one key for 32-bit and 64-bit programs alike
// (no WOW64 view of its own), so both builds read and write the same value
// without asking for a view.
const char* runKeyPath = STR_RUN_KEY;

namespace {

// The full path of this exe; false when it does not fit the value.
bool ProgramPath(char* path, DWORD capacity) {
  DWORD length = GetModuleFileNameA(nullptr, path, capacity);
  return length > 0 && length < capacity;
}

// Paths are compared as the file system does: ordinal, ignoring case, on
// whole characters (a trail byte may look like an ASCII letter).
bool SamePath(const char* first, const char* second) {
  WCHAR wideFirst[RUN_VALUE_CAPACITY];
  WCHAR wideSecond[RUN_VALUE_CAPACITY];
  int firstLength = MultiByteToWideChar(CP_ACP, 0, first, -1, wideFirst, RUN_VALUE_CAPACITY);
  int secondLength = MultiByteToWideChar(CP_ACP, 0, second, -1, wideSecond, RUN_VALUE_CAPACITY);
  if (firstLength <= 0 || secondLength <= 0) return false;
  return CompareStringOrdinal(wideFirst, -1, wideSecond, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool StartsWithWindows() {
  char program[RUN_VALUE_CAPACITY];
  if (!ProgramPath(program, sizeof program)) return false;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  char value[RUN_VALUE_CAPACITY];
  DWORD type = REG_NONE;
  DWORD size = sizeof value - 1;
  LONG status = RegQueryValueExA(key, STR_RUN_VALUE_NAME, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  // A value too long for the area is no value of ours.
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  value[size] = '\0';
  return StartsProgramMinimised(value, program, SamePath);
}

DWORD SetStartWithWindows(bool on) {
  HKEY key;
  if (!on) {
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_SET_VALUE, &key);
    // No key, no value: nothing starts the program.
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
    status = RegDeleteValueA(key, STR_RUN_VALUE_NAME);
    RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(status);
  }
  char program[RUN_VALUE_CAPACITY];
  char value[RUN_VALUE_CAPACITY];
  if (!ProgramPath(program, sizeof program) || !BuildRunValue(value, sizeof value, program))
    return ERROR_FILENAME_EXCED_RANGE;
  // A new profile may not have the key yet: it is made then.
  LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  status = RegSetValueExA(key, STR_RUN_VALUE_NAME, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(lstrlenA(value) + 1));
  RegCloseKey(key);
  return static_cast<DWORD>(status);
}
