// A stand-in program for the launch tests. It appends one line to the file
// that the environment variable TAVELUND_FAKE_PLAYER_LOG names, holding its
// own module path and its command line separated by "|", and exits. Copies of
// it play the player and the programs that must never be started.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH];
  DWORD logLength = GetEnvironmentVariableA("TAVELUND_FAKE_PLAYER_LOG", log, sizeof log);
  if (logLength == 0 || logLength >= sizeof log) return 2;
  char module[MAX_PATH];
  DWORD moduleLength = GetModuleFileNameA(nullptr, module, sizeof module);
  const char* commandLine = GetCommandLineA();
  // Another copy may be writing at the same moment: retry while it holds the file.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Sleep(20);
  }
  if (file == INVALID_HANDLE_VALUE) return 3;
  // One write, so a reader never sees half a line.
  char line[4096];
  int length = std::snprintf(line, sizeof line, "%.*s|%s\r\n", static_cast<int>(moduleLength), module, commandLine);
  if (length < 0 || length >= static_cast<int>(sizeof line)) length = 0;
  DWORD written;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
  return 0;
}
