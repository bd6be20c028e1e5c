#include "schedule/settings_win32.h"

#include "text/text.h"

char settingsPath[MAX_PATH + 8] = "";

namespace {

const int kWidePathUnits = MAX_PATH + 8;
const int kWideSectionUnits = 64;
// A first section read gets room for the whole file, at least this much.
const DWORD kFirstSectionUnits = 4096;
// Settings files are small; a section beyond this is not read at all.
const DWORD kLargestSectionUnits = 0x10000000;

// Paths and names as the A functions hand them on: converted with the ANSI
// code page.
bool Widen(const char* text, WCHAR* wide, int capacity) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, capacity) > 0;
}

// Drops what the profile functions keep in memory of a file (they cache a few
// files and would otherwise serve a copy's old contents by its name).
void ForgetSettingsFile(const char* path) {
  WCHAR widePath[kWidePathUnits];
  if (Widen(path, widePath, kWidePathUnits)) WritePrivateProfileStringW(nullptr, nullptr, nullptr, widePath);
}

void RemoveCopy(const char* copyPath) {
  ForgetSettingsFile(copyPath);
  SetFileAttributesA(copyPath, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(copyPath);
}

WCHAR* EmptyText() {
  WCHAR* text = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, 2 * sizeof(WCHAR)));
  if (text) text[0] = text[1] = 0;
  return text;
}

}  // namespace

int ReadSettingOr(const char* section, const char* key, char* buffer, size_t size, const char* defaultValue) {
  if (size == 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(
      GetPrivateProfileStringA(section, key, defaultValue, buffer, static_cast<DWORD>(size), settingsPath));
}

int ReadSetting(const char* section, const char* key, char* buffer, size_t size) {
  return ReadSettingOr(section, key, buffer, size, "");
}

int WriteSetting(const char* section, const char* key, const char* text) {
  return WritePrivateProfileStringA(section, key, text, settingsPath) ? 1 : 0;
}

WCHAR* ReadSettingsSection(const char* path, const char* section) {
  WCHAR widePath[kWidePathUnits];
  WCHAR wideSection[kWideSectionUnits];
  if (!Widen(path, widePath, kWidePathUnits) || !Widen(section, wideSection, kWideSectionUnits)) return EmptyText();
  // The section has no more units than the file has bytes (a line end of two
  // bytes becomes one zero), so one read of that size is enough unless the
  // file grows in between; then it is read again with more room.
  DWORD size = kFirstSectionUnits;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(widePath, GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
      data.nFileSizeLow < kLargestSectionUnits && data.nFileSizeLow + 16 > size)
    size = data.nFileSizeLow + 16;
  for (;;) {
    WCHAR* block = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, size * sizeof(WCHAR)));
    if (!block) return nullptr;
    DWORD read = GetPrivateProfileSectionW(wideSection, block, size, widePath);
    // A full buffer returns size - 2 with the last string cut.
    if (read + 2 < size) {
      block[read] = 0;
      return block;
    }
    LocalFree(block);
    if (size >= kLargestSectionUnits) return nullptr;
    size *= 2;
  }
}

int WriteSettingsSection(const char* path, const char* section, const WCHAR* block) {
  WCHAR widePath[kWidePathUnits];
  WCHAR wideSection[kWideSectionUnits];
  if (!Widen(path, widePath, kWidePathUnits) || !Widen(section, wideSection, kWideSectionUnits)) return 0;
  return WritePrivateProfileSectionW(wideSection, block, widePath) ? 1 : 0;
}

int WriteSettingWide(const char* path, const char* section, const WCHAR* key, const WCHAR* text) {
  WCHAR widePath[kWidePathUnits];
  WCHAR wideSection[kWideSectionUnits];
  if (!Widen(path, widePath, kWidePathUnits) || !Widen(section, wideSection, kWideSectionUnits)) return 0;
  return WritePrivateProfileStringW(wideSection, key, text, widePath) ? 1 : 0;
}

WCHAR* ReadSettingsFileText(const char* path, size_t* units, int* decoded) {
  *units = 0;
  *decoded = 1;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EmptyText() : nullptr;
  }
  DWORD size = GetFileSize(file, nullptr);
  unsigned char* bytes = nullptr;
  DWORD got = 0;
  if (size != INVALID_FILE_SIZE && size < kLargestSectionUnits)
    bytes = static_cast<unsigned char*>(LocalAlloc(LMEM_FIXED, size + 1));
  bool read = bytes && (size == 0 || (ReadFile(file, bytes, size, &got, nullptr) && got == size));
  CloseHandle(file);
  if (!read) {
    if (bytes) LocalFree(bytes);
    return nullptr;
  }
  WCHAR* text = nullptr;
  // The profile functions read a file that starts with a UTF-16 byte order
  // mark as UTF-16, one with the UTF-8 mark as UTF-8 and anything else in
  // the ANSI code page.
  if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    *decoded = 0;
    text = EmptyText();
  } else {
    bool utf8 = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    const char* body = reinterpret_cast<const char*>(bytes) + (utf8 ? 3 : 0);
    int bodySize = static_cast<int>(size) - (utf8 ? 3 : 0);
    int length = bodySize > 0 ? MultiByteToWideChar(codePage, 0, body, bodySize, nullptr, 0) : 0;
    text = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, (static_cast<size_t>(length) + 1) * sizeof(WCHAR)));
    if (text) {
      if (length > 0) MultiByteToWideChar(codePage, 0, body, bodySize, text, length);
      text[length] = 0;
      *units = static_cast<size_t>(length);
    }
  }
  LocalFree(bytes);
  return text;
}

int StartSettingsCopy(char* copyPath, size_t capacity) {
  if (!CopyText(copyPath, capacity, settingsPath) || copyPath[0] == '\0') return 0;
  // Beside the file, in the same folder and with a name of the same length,
  // so it fits wherever the settings path fits.
  char* last = EndOfString(copyPath) - 1;
  *last = *last == '~' ? '_' : '~';
  DWORD attributes = GetFileAttributesA(settingsPath);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return 0;
  } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  // What an interrupted earlier save may have left.
  RemoveCopy(copyPath);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 1;
  if (CopyFileA(settingsPath, copyPath, FALSE)) return 1;
  RemoveCopy(copyPath);
  return 0;
}

int SettingsCopyHasRoom(const char* copyPath, unsigned long long bytes) {
  char folder[MAX_PATH + 8];
  CopyText(folder, sizeof folder, copyPath);
  *FileNamePart(folder) = '\0';
  ULARGE_INTEGER available;
  if (folder[0] == '\0' || !GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr)) return 1;
  return available.QuadPart >= bytes ? 1 : 0;
}

int FinishSettingsCopy(const char* copyPath, int keep) {
  ForgetSettingsFile(copyPath);
  if (keep && MoveFileExA(copyPath, settingsPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 1;
  RemoveCopy(copyPath);
  return 0;
}
