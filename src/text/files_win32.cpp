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

int FileSizeNow(const char* path, uint64_t* bytes) {
  // Opened for its attributes only, sharing everything: the plug-in that
  // writes the file is not disturbed, and its sharing does not shut us out.
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
  }
  LARGE_INTEGER size;
  const BOOL known = GetFileSizeEx(file, &size);
  CloseHandle(file);
  if (!known) return -1;
  *bytes = static_cast<uint64_t>(size.QuadPart);
  return 1;
}

int (*fileSizeQuery)(const char* path, uint64_t* bytes) = FileSizeNow;
