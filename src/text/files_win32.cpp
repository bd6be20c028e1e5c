#include "text/files_win32.h"

#include <windows.h>

int FileExists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : 1;
}

int PathKind(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 2 : 1;
}

int DriveFreeBytes(const char* folder, uint64_t* freeBytes) {
  ULARGE_INTEGER available;
  if (!folder[0] || !GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr)) return 0;
  *freeBytes = available.QuadPart;
  return 1;
}

int (*freeSpaceQuery)(const char* folder, uint64_t* freeBytes) = DriveFreeBytes;
