#include "e2e/e2e_support.h"

#include <cstdlib>
#include <cstring>

#include "resources/strings.h"

namespace e2e {

namespace {

// The contract's request block.
const ULONG_PTR kRequestSize = 520;

std::string Trimmed(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

}  // namespace

// ---- Folders and files ----

std::string ExeDirectory() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path);
  return text.substr(0, text.find_last_of('\\') + 1);
}

std::string NewTempDir(const std::string& name) {
  static int counter = 0;
  std::string root = ExeDirectory() + "e2e-tmp\\";
  CreateDirectoryA(root.c_str(), nullptr);
  for (;;) {
    std::string dir = root + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++counter);
    if (CreateDirectoryA(dir.c_str(), nullptr)) return dir + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
  }
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool AgeFile(const std::string& path, int secondsAgo) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER value;
  value.LowPart = now.dwLowDateTime;
  value.HighPart = now.dwHighDateTime;
  value.QuadPart -= static_cast<ULONGLONG>(secondsAgo) * 10000000ULL;
  FILETIME then = {value.LowPart, value.HighPart};
  BOOL ok = SetFileTime(file, nullptr, nullptr, &then);
  CloseHandle(file);
  return ok != FALSE;
}

long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadFileBytes(const std::string& path) {
  // Share everything: the writer may still hold the file.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string bytes;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

std::vector<std::string> CrlfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
    lines.push_back(text.substr(from, end - from));
  return lines;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

DWORD OpenForWritingError(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(file);
  return 0;
}

// ---- Processes ----

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  // Backslashes only matter in front of a quote (and of the closing quote).
  std::string quoted = "\"";
  size_t slashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      quoted.append(slashes * 2 + 1, '\\');
    } else {
      quoted.append(slashes, '\\');
    }
    slashes = 0;
    quoted += c;
  }
  quoted.append(slashes * 2, '\\');
  quoted += '"';
  return quoted;
}

PROCESS_INFORMATION StartProcess(const std::string& exePath, const std::vector<std::string>& args,
                                 const std::string& workDir) {
  std::string commandLine = QuoteArgument(exePath);
  for (const std::string& arg : args) commandLine += " " + QuoteArgument(arg);
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exePath.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
    return PROCESS_INFORMATION{};
  }
  return info;
}

bool WaitForExit(const PROCESS_INFORMATION& process, DWORD timeoutMs, DWORD* exitCode) {
  if (process.hProcess == nullptr) return false;
  if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode != nullptr) GetExitCodeProcess(process.hProcess, exitCode);
  return true;
}

void KillProcess(PROCESS_INFORMATION* process) {
  if (process->hProcess != nullptr) {
    if (WaitForSingleObject(process->hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(process->hProcess, 99);
      WaitForSingleObject(process->hProcess, kWaitMs);
    }
    CloseHandle(process->hProcess);
  }
  if (process->hThread != nullptr) CloseHandle(process->hThread);
  *process = PROCESS_INFORMATION{};
}

bool ProcessGuard::running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

// ---- Waiting ----

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  ULONGLONG start = GetTickCount64();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() - start >= timeoutMs) return false;
    Sleep(pollMs);
  }
}

HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitFor([&] { return (found = find()) != nullptr; }, timeoutMs);
  return found;
}

// ---- Windows of other processes ----

std::string ClassNameOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string WindowTextOf(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND OwnerOf(HWND window) { return GetWindow(window, GW_OWNER); }

DWORD ProcessIdOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

bool ReadControlText(HWND dialog, int id, std::string* text, size_t capacity) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return false;
  std::vector<char> buffer(capacity + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kWaitMs, &copied)) {
    return false;
  }
  text->assign(buffer.data(), strnlen(buffer.data(), capacity));
  return true;
}

std::string ControlText(HWND dialog, int id, size_t capacity) {
  std::string text;
  ReadControlText(dialog, id, &text, capacity);
  return text;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  HWND start = GetTopWindow(nullptr);
  for (HWND w = start != nullptr ? GetWindow(start, GW_HWNDFIRST) : nullptr; w != nullptr;
       w = GetWindow(w, GW_HWNDNEXT)) {
    windows.push_back(w);
  }
  return windows;
}

HWND FindTopLevel(const std::function<bool(HWND)>& match) {
  for (HWND w : TopLevelWindows()) {
    if (match(w)) return w;
  }
  return nullptr;
}

HWND FindPlayerWindowOf(DWORD processId) {
  return FindTopLevel([&](HWND w) {
    return ProcessIdOf(w) == processId && ClassNameOf(w) == STR_PLAYER_CLASS;
  });
}

HWND FindPluginWindowOf(HWND player) {
  if (player == nullptr) return nullptr;
  return FindTopLevel([&](HWND w) {
    return OwnerOf(w) == player && ClassNameOf(w) == STR_DIALOG_CLASS &&
           WindowTextOf(w).find(STR_PLUGIN_TITLE_MARK) != std::string::npos;
  });
}

HWND FindOwnedWindow(HWND owner, const std::string& title) {
  if (owner == nullptr) return nullptr;
  return FindTopLevel([&](HWND w) { return OwnerOf(w) == owner && WindowTextOf(w) == title; });
}

std::vector<HWND> OwnedWindows(HWND owner) {
  std::vector<HWND> owned;
  if (owner == nullptr) return owned;
  for (HWND w : TopLevelWindows()) {
    if (OwnerOf(w) == owner) owned.push_back(w);
  }
  return owned;
}

// ---- Messages ----

std::string RecordingRequestBlock(const std::string& params, const std::string& name) {
  std::string block = params;
  block += '\0';
  block += name;
  block += '\0';
  block.resize(kRequestSize, '\0');
  return block;
}

LRESULT SendCopyData(HWND to, HWND from, ULONG_PTR dataId, const std::string& block) {
  COPYDATASTRUCT data = {};
  data.dwData = dataId;
  data.cbData = static_cast<DWORD>(block.size());
  data.lpData = const_cast<char*>(block.data());
  return SendMessageA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                      reinterpret_cast<LPARAM>(&data));
}

bool PostCommand(HWND to, WPARAM command) { return PostMessageA(to, WM_COMMAND, command, 0) != 0; }

// ---- Journal ----

std::string JournalEvent::Field(const std::string& key) const {
  auto found = fields.find(key);
  return found == fields.end() ? std::string() : found->second;
}

HWND JournalEvent::Window(const std::string& key) const {
  std::string text = Field(key);
  if (text.empty()) return nullptr;
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(text.c_str(), nullptr, 16)));
}

bool ParseJournalLine(const std::string& line, JournalEvent* event) {
  // "HH:MM:SS.mmm" is 12 bytes, then a blank, the tick, a blank, the event.
  if (line.size() < 16 || line[2] != ':' || line[5] != ':' || line[8] != '.' || line[12] != ' ') {
    return false;
  }
  *event = JournalEvent();
  event->line = line;
  event->clock = line.substr(0, 12);
  size_t tickEnd = line.find(' ', 13);
  if (tickEnd == std::string::npos || tickEnd == 13) return false;
  char* end = nullptr;
  event->tick = strtoull(line.c_str() + 13, &end, 10);
  if (end != line.c_str() + tickEnd) return false;
  size_t kindEnd = line.find(' ', tickEnd + 1);
  event->kind = line.substr(tickEnd + 1, kindEnd == std::string::npos ? std::string::npos
                                                                      : kindEnd - tickEnd - 1);
  if (event->kind.empty()) return false;
  size_t p = kindEnd;
  while (p != std::string::npos && p < line.size()) {
    ++p;  // the blank before the key
    size_t equals = line.find('=', p);
    if (equals == std::string::npos) return false;
    std::string key = line.substr(p, equals - p);
    size_t valueStart = equals + 1;
    size_t valueEnd;
    if (key == "name" || key == "text") {
      valueEnd = line.size();
    } else if (key == "params") {
      valueEnd = line.find(" name=", valueStart);
    } else {
      valueEnd = line.find(' ', valueStart);
    }
    if (valueEnd == std::string::npos) valueEnd = line.size();
    event->fields[key] = line.substr(valueStart, valueEnd - valueStart);
    p = valueEnd < line.size() ? valueEnd : std::string::npos;
  }
  return true;
}

std::vector<JournalEvent> ReadJournal(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  std::vector<JournalEvent> events;
  size_t start = 0;
  for (;;) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;  // no line end yet: still being written
    JournalEvent event;
    if (ParseJournalLine(Trimmed(bytes.substr(start, end - start)), &event)) {
      events.push_back(event);
    }
    start = end + 1;
  }
  return events;
}

std::vector<JournalEvent> EventsOfKind(const std::vector<JournalEvent>& events,
                                       const std::string& kind) {
  std::vector<JournalEvent> found;
  for (const JournalEvent& event : events) {
    if (event.kind == kind) found.push_back(event);
  }
  return found;
}

bool WaitForJournalEvent(const std::string& path, const std::string& kind, size_t count,
                         JournalEvent* event, DWORD timeoutMs) {
  return WaitFor(
      [&] {
        std::vector<JournalEvent> found = EventsOfKind(ReadJournal(path), kind);
        if (found.size() < count) return false;
        if (event != nullptr) *event = found[count - 1];
        return true;
      },
      timeoutMs);
}

// ---- The stand-in player ----

std::string BuiltProgram(const std::string& name) { return ExeDirectory() + name; }

bool StartStandin(const std::string& workDir, const std::vector<std::string>& args,
                  Standin* standin) {
  standin->journal = workDir + "journal.txt";
  std::vector<std::string> all = {"--journal", standin->journal};
  all.insert(all.end(), args.begin(), args.end());
  standin->process.Reset(StartProcess(BuiltProgram("standin-player.exe"), all, workDir));
  if (standin->process.info().hProcess == nullptr) return false;
  if (!WaitForJournalEvent(standin->journal, "ready", 1, &standin->ready)) return false;
  standin->player = standin->ready.Window("player");
  standin->plugin = standin->ready.Window("plugin");
  return standin->player != nullptr;
}

}  // namespace e2e
