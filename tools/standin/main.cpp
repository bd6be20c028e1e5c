// standin-player.exe: a stand-in for the media player and its recording
// plug-in, so the scheduler can be built, tried and tested without them.
//
// Windows it opens (all ANSI, so code page 949 bytes pass unchanged):
//   - the player main window, top-level, class "Winamp v1.x";
//   - the plug-in dialog, class "#32770", owned by the player window, title
//     containing the plug-in mark (default: mark + " v1.02 (stand-in)"), with
//     state control 88: the idle text while idle, the recording text plus the
//     elapsed time while recording;
//   - on command 1003, the quality dialog, owned by the plug-in dialog,
//     titled exactly with the quality title; WM_COMMAND IDOK destroys it;
//   - with --foreign-dialog, a second "#32770" owned by the player window,
//     with the given title and no control 88.
//
// Messages the plug-in dialog obeys:
//   WM_COMMAND wParam 82 starts recording, 83 stops, 1003 opens the quality
//   dialog (the dialog's own buttons send the same commands).
//   WM_COPYDATA dwData 100, cbData 520: parameter text, zero, file name, zero;
//   both are kept for the next recording only; the answer is TRUE. Any other
//   dwData or size is journaled and answered FALSE.
//   WM_CLOSE closes the plug-in dialog alone (the plug-in is unloaded while
//   the player stays); a running recording ends without a "stop" line.
// Recording: the requested file (or standin-<tick>.mp3 in the current folder
// when no request came) is created with CreateFileA(GENERIC_WRITE,
// FILE_SHARE_READ, CREATE_ALWAYS), so it is overwritten like a real recorder
// would; the journal tells whether it existed. It fills at the bitrate the
// recording has (the request's parameters, else 128 kbit/s) in 417-byte fake
// MP3 frames: one at once, then every second as many as keep it at that
// rate; the file stays open until stop.
//
// Command line (none at all, as when the scheduler launches it: a second
// copy on the same desktop exits at once, and the journal goes to
// standin-journal.txt beside the exe):
//   --journal PATH             append the journal to PATH
//   --no-plugin                only the player main window
//   --title TEXT               plug-in dialog title (cp949 bytes)
//   --quality-never-opens      command 1003 is ignored
//   --quality-opens-after N    the first N commands 1003 are ignored, later
//                              ones open the dialog (a plug-in that comes
//                              round)
//   --quality-never-closes     IDOK on the quality dialog is ignored
//   --delay-ms N               sleep N ms before handling each command,
//                              request or quality IDOK (a slow plug-in)
//   --exit-after-recording N   N seconds after a recording started: close the
//                              file, journal "exit", ExitProcess(3); a stop
//                              before that cancels it
//   --write-nothing            a recording creates its file and writes nothing
//                              into it, still reporting that it records
//   --stop-writing-after N     a recording stops writing N seconds after it
//                              started, still reporting that it records
//   --foreign-dialog TEXT      also open a look-alike dialog without control 88
//   --foreign-order above|below  where that dialog stands in the z-order
//                              relative to the plug-in dialog. Default above:
//                              a walk from GW_HWNDFIRST meets it first.
// Exit codes: 0 after WM_CLOSE or WM_ENDSESSION of the player window, 3 after
// --exit-after-recording.
//
// Journal: one line per event, appended and flushed at once (the file is
// opened, written and closed for every line, so a reader always sees whole
// lines and a killed process loses nothing). Lines end with CR LF:
//
//   HH:MM:SS.mmm TICK EVENT[ KEY=VALUE]...
//
//   HH:MM:SS.mmm  local clock (GetLocalTime)
//   TICK          GetTickCount64() in ms: monotonic and shared by all
//                 processes of the machine, so a reader can compare it with
//                 its own
//   EVENT         one word, below
//   KEY=VALUE     values run to the next space, except: "params" runs to the
//                 " name=" behind it, and "name" and "text" run to the end of
//                 the line (they always come last). Those are the received
//                 bytes as they are (cp949), with bytes below 0x20 shown as '?'.
//                 Handles are "0x" + lowercase hex.
//
//   ready pid=N player=0xH plugin=0xH [foreign=0xH first=plugin|foreign]
//                                windows created and shown (plugin=0x0 with
//                                --no-plugin; first: which of the two dialogs
//                                a walk from GW_HWNDFIRST meets first)
//   option-unknown text=WORD     an option that was not understood
//   request from=0xH params=TEXT name=TEXT
//   copydata-ignored from=0xH dwData=N cbData=N
//   quality-open quality=0xH     quality dialog created
//   quality-open-again quality=0xH   1003 while it is open: nothing more
//   quality-open-ignored         1003 under --quality-never-opens or
//                                --quality-opens-after
//   hang ms=N                    STANDIN_MESSAGE_HANG: the thread sleeps N ms
//   quality-accept               IDOK taken: the dialog is destroyed next
//   quality-accept-ignored       IDOK under --quality-never-closes
//   quality-cancel               closed by its caption button or Esc
//   quality-closed               the quality dialog is gone
//   start existed=0|1 default=0|1 params=TEXT name=PATH
//                                recording started; existed: the file was
//                                there before; default: no request was pending
//   start-failed error=N default=0|1 params=TEXT name=PATH
//   start-ignored reason=recording
//   write-stopped bytes=N        --stop-writing-after: nothing more is written
//   stop bytes=N seconds=N name=PATH
//   stop-ignored reason=idle
//   command-unknown wParam=N lParam=0xH   any other WM_COMMAND to the plug-in
//   plugin-closed recording=0|1  the plug-in dialog received WM_CLOSE
//   exit reason=close|endsession|exit-after-recording|quit recording=0|1
//                                always the last line (quit: a WM_QUIT
//                                posted from outside ended the loop)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "standin.h"
#include "resources/strings.h"

StandinOptions options;
HINSTANCE instance;

namespace {

const char PLAYER_TITLE[] = "Stand-in player";
const int ID_STATUS_LINE = 200;
bool journalClosed = false;
HWND playerWindow;
HWND pluginDialog;
HWND foreignDialog;

void AppendJournalLine(const std::string& event) {
  if (journalClosed || options.journalPath.empty()) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[64];
  snprintf(stamp, sizeof stamp, "%02u:%02u:%02u.%03u %llu ", now.wHour, now.wMinute, now.wSecond,
           now.wMilliseconds, static_cast<unsigned long long>(GetTickCount64()));
  std::string line = stamp + event + "\r\n";
  // Readers (the tests) may hold the file open; let them, and let them write.
  HANDLE file = CreateFileA(options.journalPath.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

void ReadNumber(const std::string& text, const std::string& option, unsigned long* out,
                StandinOptions* result) {
  char* end = nullptr;
  unsigned long value = strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') {
    result->problems.push_back(option + " " + text);
    return;
  }
  *out = value;
}

// Which of the two owned dialogs a walk of the top-level windows meets first,
// the way the scheduler walks them.
const char* FirstInZOrder(HWND a, const char* aName, HWND b, const char* bName) {
  for (HWND w = GetWindow(a, GW_HWNDFIRST); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == a) return aName;
    if (w == b) return bName;
  }
  return "none";
}

LRESULT OnPlayerCreate(HWND window) {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const char* lines[] = {"Stand-in for the media player and its recording plug-in.",
                         options.journalPath.empty() ? "Journal: none"
                                                     : nullptr,
                         "Plug-in: not loaded"};
  std::string journalLine = "Journal: " + options.journalPath;
  for (int i = 0; i < 3; ++i) {
    const char* text = lines[i] != nullptr ? lines[i] : journalLine.c_str();
    HWND line = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX |
                                                       SS_ENDELLIPSIS,
                                12, 10 + 22 * i, 400, 18, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_STATUS_LINE + i)),
                                instance, nullptr);
    SendMessageA(line, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return 0;
}

void EndProcessFromPlayer(HWND window, const char* reason) {
  bool wasRecording = AbandonRecording();
  JournalExit(std::string(reason) + " recording=" + (wasRecording ? "1" : "0"));
  DestroyWindow(window);
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnPlayerCreate(window);
    case WM_CLOSE:
      EndProcessFromPlayer(window, "close");
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) EndProcessFromPlayer(window, "endsession");
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_CTLCOLORSTATIC:
      // Plain white panel, like a player's display.
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreatePlayerWindow() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = PlayerProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  windowClass.lpszClassName = STR_PLAYER_CLASS;
  if (!RegisterClassExA(&windowClass)) return nullptr;
  RECT frame = {0, 0, 424, 80};
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  int width = frame.right - frame.left;
  // Right-hand side of the screen, so the scheduler's own window stays clear.
  int x = GetSystemMetrics(SM_CXSCREEN) - width - 16;
  if (x < 0) x = 0;
  return CreateWindowExA(0, STR_PLAYER_CLASS, PLAYER_TITLE, style, x, 16, width,
                         frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
}

// Gives the player window the dialog's width, keeping its right edge, so
// the two line up as one column.
void MatchWidth(HWND model, HWND window) {
  RECT modelRect, own;
  GetWindowRect(model, &modelRect);
  GetWindowRect(window, &own);
  int width = modelRect.right - modelRect.left;
  int x = own.right - width;
  SetWindowPos(window, nullptr, x < 0 ? 0 : x, own.top, width, own.bottom - own.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceBelow(HWND upper, HWND lower, int gap) {
  RECT above, own;
  GetWindowRect(upper, &above);
  GetWindowRect(lower, &own);
  int x = above.right - (own.right - own.left);
  if (x < 0) x = 0;
  SetWindowPos(lower, nullptr, x, above.bottom + gap, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine) {
  // Windows rules: blanks separate words outside quotes; 2n backslashes
  // before a quote give n backslashes and toggle quoting, 2n+1 give n and a
  // literal quote; other backslashes are literal. cp949 trail bytes are never
  // '\\' or '"', so a byte scan is safe.
  std::vector<std::string> words;
  const char* p = commandLine;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') break;
    std::string word;
    bool quoted = false;
    for (; *p != '\0'; ++p) {
      if (!quoted && (*p == ' ' || *p == '\t')) break;
      if (*p == '\\') {
        size_t slashes = 0;
        while (p[slashes] == '\\') ++slashes;
        if (p[slashes] == '"') {
          word.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            word += '"';
            p += slashes;
          } else {
            p += slashes - 1;  // the quote itself is handled next round
          }
        } else {
          word.append(slashes, '\\');
          p += slashes - 1;
        }
        continue;
      }
      if (*p == '"') {
        if (quoted && p[1] == '"') {
          word += '"';
          ++p;
        } else {
          quoted = !quoted;
        }
        continue;
      }
      word += *p;
    }
    words.push_back(word);
  }
  return words;
}

// standin-journal.txt in the folder of the exe.
std::string DefaultJournalPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "standin-journal.txt";
}

StandinOptions ParseOptions(const std::vector<std::string>& words) {
  StandinOptions result;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    bool hasValue = i + 1 < words.size();
    if (word == "--no-plugin") {
      result.noPlugin = true;
    } else if (word == "--quality-never-opens") {
      result.qualityNeverOpens = true;
    } else if (word == "--quality-never-closes") {
      result.qualityNeverCloses = true;
    } else if (hasValue && word == "--journal") {
      result.journalPath = words[++i];
    } else if (hasValue && word == "--title") {
      result.hasTitle = true;
      result.title = words[++i];
    } else if (hasValue && word == "--foreign-dialog") {
      result.hasForeign = true;
      result.foreignTitle = words[++i];
    } else if (hasValue && word == "--foreign-order" &&
               (words[i + 1] == "above" || words[i + 1] == "below")) {
      result.foreignBelow = words[++i] == "below";
    } else if (hasValue && word == "--delay-ms") {
      unsigned long value = 0;
      ReadNumber(words[++i], word, &value, &result);
      result.delayMs = value;
    } else if (hasValue && word == "--quality-opens-after") {
      ReadNumber(words[++i], word, &result.qualityOpensAfter, &result);
    } else if (word == "--write-nothing") {
      result.writeNothing = true;
    } else if (hasValue && word == "--stop-writing-after") {
      unsigned long value = 0;
      ReadNumber(words[++i], word, &value, &result);
      result.stopWritingAfter = static_cast<long>(value);
    } else if (hasValue && word == "--exit-after-recording") {
      unsigned long value = 0;
      ReadNumber(words[++i], word, &value, &result);
      result.exitAfterRecording = static_cast<long>(value);
    } else {
      result.problems.push_back(word);
    }
  }
  return result;
}

void Journal(const std::string& event) { AppendJournalLine(event); }

void JournalExit(const std::string& reason) {
  AppendJournalLine("exit reason=" + reason);
  journalClosed = true;
}

std::string HandleText(const void* handle) {
  char text[32];
  snprintf(text, sizeof text, "0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
  return text;
}

std::string JournalText(const char* bytes, size_t count) {
  std::string text(bytes, count);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return text;
}

void ShowPlayerStatus(const std::string& text) {
  if (playerWindow != nullptr) SetDlgItemTextA(playerWindow, ID_STATUS_LINE + 2, text.c_str());
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  instance = hInstance;
  std::vector<std::string> words = SplitCommandLine(GetCommandLineA());
  if (!words.empty()) words.erase(words.begin());
  options = ParseOptions(words);
  if (words.empty()) {
    // Started bare, the way the scheduler launches its player: behave like a
    // player that allows one copy per desktop, and journal beside the exe.
    HWND running = FindWindowA(STR_PLAYER_CLASS, nullptr);
    if (running != nullptr) return 0;
    options.journalPath = DefaultJournalPath();
  }

  playerWindow = CreatePlayerWindow();
  if (playerWindow == nullptr) return 1;
  // Never take the focus: the scheduler under test may be in the foreground.
  ShowWindow(playerWindow, SW_SHOWNOACTIVATE);
  UpdateWindow(playerWindow);

  if (!options.noPlugin) {
    std::string title = options.hasTitle
                            ? options.title
                            : std::string(STR_PLUGIN_TITLE_MARK) + " v1.02 (stand-in)";
    pluginDialog = CreatePluginDialog(playerWindow, title);
    if (pluginDialog != nullptr) {
      MatchWidth(pluginDialog, playerWindow);
      PlaceBelow(playerWindow, pluginDialog, 8);
    }
  }
  if (options.hasForeign) {
    foreignDialog = CreateForeignDialog(playerWindow, options.foreignTitle);
    if (foreignDialog != nullptr) {
      PlaceBelow(pluginDialog != nullptr ? pluginDialog : playerWindow, foreignDialog, 8);
      if (pluginDialog != nullptr) {
        // Fix the order explicitly rather than trusting creation order.
        HWND after = options.foreignBelow ? pluginDialog : HWND_TOP;
        SetWindowPos(foreignDialog, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
  }

  for (const std::string& problem : options.problems) {
    Journal("option-unknown text=" + JournalText(problem.data(), problem.size()));
  }
  std::string ready = "ready pid=" + std::to_string(GetCurrentProcessId()) +
                      " player=" + HandleText(playerWindow) + " plugin=" +
                      HandleText(pluginDialog);
  if (foreignDialog != nullptr) {
    ready += " foreign=" + HandleText(foreignDialog) + " first=" +
             (pluginDialog != nullptr
                  ? FirstInZOrder(pluginDialog, "plugin", foreignDialog, "foreign")
                  : "foreign");
  }
  Journal(ready);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == STANDIN_MESSAGE_HANG) {
      Journal("hang ms=" + std::to_string(message.wParam));
      Sleep(static_cast<DWORD>(message.wParam));
      continue;
    }
    if (PluginDialogMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // Only a WM_QUIT from outside ends the loop without an "exit" line yet.
  if (!journalClosed) {
    bool wasRecording = AbandonRecording();
    JournalExit(std::string("quit recording=") + (wasRecording ? "1" : "0"));
  }
  return static_cast<int>(message.wParam);
}
