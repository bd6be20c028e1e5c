// bench_driver.exe: the whole-process benchmarks. It starts Tavelund.exe (or
// a variant), the floor dialog and the stand-in player as processes and
// watches them from outside, the way a user's clock would.
//
//   bench_driver startup WORKDIR RUNS OUTFILE
//     Time from CreateProcess until the main window is visible with its list
//     filled (20 entries), against the floor dialog becoming visible (its
//     empty list asked the same way). One untimed start of each first; then
//     RUNS starts of each, alternating.
//   bench_driver startup-large WORKDIR RUNS COUNT OUTFILE
//     Time from the main window's creation (the moment another process first
//     finds it, still hidden) until its list answers that it holds the COUNT
//     entries, and from CreateProcess until then. RUNS starts after one
//     untimed start.
//   bench_driver punctuality EXE WORKDIR COUNT OUTFILE LABEL [STEP ENTRIES PARAMS]
//     A copy of EXE with COUNT scheduled windows at successive STEP-second
//     steps (3), the first 10 s after start, each 2 s long; the list holds
//     ENTRIES entries (COUNT), the others quiet. PARAMS "half" hands MP3
//     parameters over for every second window, "none" (the default) for
//     none. For each start: the stand-in's journal time of the recording
//     request (and of the recording start) minus the scheduled second, in
//     ms; a request handed over ahead of its second comes out negative.
//     Also the hand-over with the quality dialog (request to dialog closed).
//   bench_driver answer EXE WORKDIR OUTFILE [WINDOW_SECONDS]
//     A copy of EXE connected to the stand-in started with
//     --quality-never-opens, one window of WINDOW_SECONDS (40) handing MP3
//     parameters over, so every try at it waits out its bound. From 3 s
//     before the window until 6 s after it a WM_NULL is sent to the main
//     window every 100 ms (the next one at once when an answer took longer):
//     the milliseconds until each answer.
//   bench_driver idle-start product|floor|floor-title|hidden|floor-plugin WORKDIR OUTFILE
//     Starts the stand-in player and then either a copy of Tavelund.exe with
//     50 entries none of which fires (returns once it is connected; hidden:
//     started with /min, so it waits in the notification area, returns once
//     it is connected and hidden), or the floor dialog with its 1-second
//     timer (floor-title: and the clock in its title; floor-plugin: hidden,
//     each tick reading the plug-in's state control and nothing else).
//     Leaves them running.
//   bench_driver close OUTFILE
//     Closes every main window, floor dialog and stand-in player on the
//     desktop with WM_CLOSE and waits for them to go.
//
// WORKDIR must exist and be empty. Figures go to OUTFILE as "key value..."
// lines; scripts/bench.sh reads them.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_common.h"
#include "e2e/e2e_support.h"
#include "floor_dialog.h"
#include "resources/ids.h"
#include "resources/strings.h"

using bench::Format;
using bench::NowMs;
using bench::Results;
using namespace e2e;

namespace {

const int kDaySeconds = 86400;

int SecondsOfDay(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

std::string Clock(int seconds) {
  seconds = ((seconds % kDaySeconds) + kDaySeconds) % kDaySeconds;
  return Format("%d:%d:%d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// "HH:MM:SS.mmm" as milliseconds since midnight, -1 when malformed.
long long ClockMs(const std::string& clock) {
  int h, m, s, ms;
  if (sscanf(clock.c_str(), "%d:%d:%d.%d", &h, &m, &s, &ms) != 4) return -1;
  return ((h * 60LL + m) * 60 + s) * 1000 + ms;
}

// a - b on the clock face, in (-12 h, 12 h].
long long ClockDifferenceMs(long long a, long long b) {
  const long long day = kDaySeconds * 1000LL;
  long long d = ((a - b) % day + day) % day;
  return d > day / 2 ? d - day : d;
}

// A settings file with the player path and the given schedule lines.
std::string SettingsText(const std::string& playerPath, const std::vector<std::string>& lines) {
  std::string text = "[Config]\r\nWINAMP.EXE=" + playerPath + "\r\n[MP3Schedule]\r\n";
  for (size_t k = 0; k < lines.size(); ++k) text += Format("%zu=", k) + lines[k] + "\r\n";
  text += Format("%zu=\r\n", lines.size());
  return text;
}

// count entries every day whose windows lie an hour and more ahead: none
// opens within any benchmark's run.
std::vector<std::string> QuietSchedule(int count, const std::string& folder) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  int base = SecondsOfDay(now) + 3600;
  std::vector<std::string> lines;
  for (int k = 0; k < count; ++k) {
    int start = base + 60 * k;
    lines.push_back(Clock(start) + " " + Clock(start + 30) + " " + folder + Format("quiet%02d_%%2h%%2m.mp3", k) +
                    "|4 1 -1 0");
  }
  return lines;
}

HWND MainWindowOf(DWORD pid) {
  HWND w = FindWindowA(STR_MAIN_CLASS, nullptr);
  return w != nullptr && ProcessIdOf(w) == pid ? w : nullptr;
}

// The floor dialog's title is FLOOR_TITLE, with the clock behind it under
// --title-clock.
bool IsFloorWindow(HWND w) { return WindowTextOf(w).compare(0, sizeof FLOOR_TITLE - 1, FLOOR_TITLE) == 0; }

// Cheap enough to poll during a start: one lookup by the exact title.
HWND FloorWindowOf(DWORD pid) {
  HWND w = FindWindowA(nullptr, FLOOR_TITLE);
  return w != nullptr && ProcessIdOf(w) == pid ? w : nullptr;
}

// Asks the program to close its window and waits; ends it when it does not.
void CloseProgram(PROCESS_INFORMATION* process, HWND window) {
  if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
  if (!WaitForExit(*process, 10000)) TerminateProcess(process->hProcess, 99);
  KillProcess(process);
}

void CloseHandles(PROCESS_INFORMATION* process) {
  if (process->hThread) CloseHandle(process->hThread);
  if (process->hProcess) CloseHandle(process->hProcess);
  *process = PROCESS_INFORMATION{};
}

// ---- Start-up ----

// Milliseconds from CreateProcess until the window is visible and its list
// answers that it holds listCount lines (the floor's list is empty); -1 when
// that did not happen within 20 s.
double MeasureStart(const std::string& exe, const std::string& dir, bool product, int listCount) {
  double start = NowMs();
  PROCESS_INFORMATION process = StartProcess(exe, {}, dir);
  if (process.hProcess == nullptr) return -1;
  double shown = -1;
  HWND window = nullptr;
  while (NowMs() - start < 20000) {
    HWND w = product ? MainWindowOf(process.dwProcessId) : FloorWindowOf(process.dwProcessId);
    if (w != nullptr && IsWindowVisible(w)) {
      window = w;
      // Both sides answer the same question through their list, so both are
      // timed up to the moment their thread takes messages again.
      DWORD_PTR count = 0;
      HWND list = GetDlgItem(w, product ? IDC_MAIN_LIST : FLOOR_LIST);
      if (list != nullptr &&
          SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count) != 0 &&
          static_cast<int>(count) == listCount) {
        shown = NowMs() - start;
        break;
      }
    }
    Sleep(1);
  }
  CloseProgram(&process, window);
  return shown;
}

// Copies Tavelund.exe into workDir and makes the "player" its settings will
// name: a text file, which the launch at start-up finds and fails to start,
// so no player and no drive search take part. Returns false, with a note,
// when the program cannot be copied.
bool PrepareQuietProduct(const std::string& workDir, const Results& out, std::string* product,
                         std::string* notAPlayer) {
  *product = workDir + "Tavelund.exe";
  if (!CopyFileA(BuiltProgram("Tavelund.exe").c_str(), product->c_str(), FALSE)) {
    out.Note("cannot copy Tavelund.exe");
    return false;
  }
  *notAPlayer = workDir + "not-a-player.txt";
  WriteFileBytes(*notAPlayer, "x");
  return true;
}

int RunStartup(const std::string& workDir, int runs, const Results& out) {
  const int kEntries = 20;
  std::string product, notAPlayer;
  if (!PrepareQuietProduct(workDir, out, &product, &notAPlayer)) return 1;
  WriteFileBytes(workDir + "Tavelund.INI", SettingsText(notAPlayer, QuietSchedule(kEntries, workDir)));
  std::string floor = BuiltProgram("bench_floor_dialog.exe");

  std::vector<double> productMs, floorMs;
  for (int r = -1; r < runs; ++r) {
    for (int side = 0; side < 2; ++side) {
      bool isProduct = (side + r + 2) % 2 == 1;
      double ms = isProduct ? MeasureStart(product, workDir, true, kEntries) : MeasureStart(floor, workDir, false, 0);
      if (ms < 0) {
        out.Note(std::string(isProduct ? "Tavelund.exe" : "floor dialog") + " did not show in 20 s");
        continue;
      }
      if (r < 0) continue;  // the untimed first start of each
      (isProduct ? productMs : floorMs).push_back(ms);
    }
    if (r >= 0 && !productMs.empty() && !floorMs.empty())
      out.Note(Format("start-up run %d: product %.0f ms, floor %.0f ms", r + 1, productMs.back(), floorMs.back()));
  }
  out.Line("startup-product-ms " + bench::Join(productMs));
  out.Line("startup-floor-ms " + bench::Join(floorMs));
  return 0;
}

// ---- Start-up with a large schedule ----

// Entries that never fire (no weekday), spread over the day.
std::vector<std::string> SilentSchedule(int count, const std::string& folder) {
  std::vector<std::string> lines;
  for (int k = 0; k < count; ++k) {
    int start = (k * 97) % kDaySeconds;
    lines.push_back(Clock(start) + " " + Clock(start + 1800) + " " + folder + Format("show%05d\\%%4Y%%2M%%2D.mp3", k) +
                    "|4 1 0 0");
  }
  return lines;
}

// Whether the window answered in 60 s; the two spans in ms.
bool MeasureLargeStart(const std::string& exe, const std::string& dir, int listCount, double* fromCreation,
                       double* fromStart) {
  double start = NowMs();
  PROCESS_INFORMATION process = StartProcess(exe, {}, dir);
  if (process.hProcess == nullptr) return false;
  double created = -1;
  HWND window = nullptr;
  bool answered = false;
  while (NowMs() - start < 60000) {
    HWND w = MainWindowOf(process.dwProcessId);
    if (w == nullptr) {
      Sleep(1);
      continue;
    }
    if (created < 0) {
      created = NowMs();
      window = w;
    }
    // Blocks while the window's thread is busy: the answer comes when it
    // takes messages again.
    DWORD_PTR count = 0;
    HWND list = GetDlgItem(w, IDC_MAIN_LIST);
    if (list != nullptr && SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 30000, &count) != 0 &&
        static_cast<int>(count) == listCount) {
      double now = NowMs();
      *fromCreation = now - created;
      *fromStart = now - start;
      answered = true;
      break;
    }
    Sleep(1);
  }
  CloseProgram(&process, window);
  return answered;
}

int RunLargeStartup(const std::string& workDir, int runs, int count, const Results& out) {
  std::string product, notAPlayer;
  if (!PrepareQuietProduct(workDir, out, &product, &notAPlayer)) return 1;
  std::string settings = SettingsText(notAPlayer, SilentSchedule(count, workDir));
  std::vector<double> creationMs, startMs;
  for (int r = -1; r < runs; ++r) {
    // The same file every time: a save on the way out would change nothing.
    WriteFileBytes(workDir + "Tavelund.INI", settings);
    double fromCreation = 0, fromStart = 0;
    if (!MeasureLargeStart(product, workDir, count, &fromCreation, &fromStart)) {
      out.Note(Format("Tavelund.exe with %d entries did not answer in 60 s", count));
      continue;
    }
    if (r < 0) continue;
    creationMs.push_back(fromCreation);
    startMs.push_back(fromStart);
    out.Note(Format("start-up with %d entries, run %d: answered %.0f ms after its window was created, %.0f ms after "
                    "the start",
                    count, r + 1, fromCreation, fromStart));
  }
  out.Line(Format("startup%d-creation-to-answer-ms ", count) + bench::Join(creationMs));
  out.Line(Format("startup%d-start-to-answer-ms ", count) + bench::Join(startMs));
  return 0;
}

// ---- Punctuality ----

// The entry number in a recording's file name "...\pNN.mp3", -1 if none.
int EntryOfName(const std::string& name) {
  size_t slash = name.find_last_of('\\');
  std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
  int k = -1;
  if (sscanf(file.c_str(), "p%d.mp3", &k) != 1) return -1;
  return k;
}

struct PunctualityRun {
  int count = 0;
  int stepSeconds = 3;  // 3: a 2 s window, then a tick spent stopping
  int entries = 0;      // in the list; the windows are the last of them
  bool halfWithParameters = false;
};

int RunPunctuality(const std::string& exe, const std::string& workDir, const PunctualityRun& run,
                   const std::string& label, const Results& out) {
  // Start-up, loading the list and finding the plug-in, with room to spare.
  const int kLeadSeconds = 10 + run.entries / 200;
  const int count = run.count;
  const int kStepSeconds = run.stepSeconds;
  std::string product = workDir + "Tavelund.exe";
  if (!CopyFileA(exe.c_str(), product.c_str(), FALSE)) {
    out.Note("cannot copy " + exe);
    return 1;
  }
  std::string recordings = workDir + "rec\\";
  CreateDirectoryA(recordings.c_str(), nullptr);

  Standin standin;
  if (!StartStandin(workDir, {}, &standin)) {
    out.Note("the stand-in player did not start");
    return 1;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  int first = SecondsOfDay(now) + kLeadSeconds;
  std::vector<int> scheduled;
  std::vector<bool> withParameters;
  // The quiet entries come first in list order, so every look through the
  // list passes all of them before it meets a window.
  std::vector<std::string> lines = QuietSchedule(run.entries > count ? run.entries - count : 0, workDir);
  for (int k = 0; k < count; ++k) {
    int start = first + kStepSeconds * k;
    bool parameters = run.halfWithParameters && k % 2 == 1;
    scheduled.push_back(start % kDaySeconds);
    withParameters.push_back(parameters);
    lines.push_back(Clock(start) + " " + Clock(start + 2) + " " + recordings + Format("p%02d.mp3", k) +
                    (parameters ? "|4 1 -1 1" : "|4 1 -1 0"));
  }
  WriteFileBytes(workDir + "Tavelund.INI", SettingsText(BuiltProgram("standin-player.exe"), lines));

  PROCESS_INFORMATION app = StartProcess(product, {}, workDir);
  if (app.hProcess == nullptr) {
    out.Note("cannot start " + product);
    return 1;
  }
  // Until every request came, or the last window is well over.
  ULONGLONG deadline = GetTickCount64() + (kLeadSeconds + kStepSeconds * count + 6) * 1000ULL;
  while (GetTickCount64() < deadline) {
    if (EventsOfKind(ReadJournal(standin.journal), "start").size() >= static_cast<size_t>(count)) break;
    Sleep(500);
  }
  Sleep(2500);  // let the last recording stop
  CloseProgram(&app, MainWindowOf(app.dwProcessId));
  if (standin.player != nullptr) PostMessageA(standin.player, WM_CLOSE, 0, 0);
  WaitForExit(standin.process.info(), 10000);

  std::vector<JournalEvent> events = ReadJournal(standin.journal);
  // [with parameters] delays of the requests and the starts.
  std::vector<double> requestDelays[2], startDelays[2], handOverMs;
  std::vector<bool> seen(count, false);
  int ahead = 0;
  unsigned long long requestTick = 0;  // of the last request with parameters
  for (const JournalEvent& event : events) {
    if (event.kind == "quality-closed" && requestTick != 0) {
      handOverMs.push_back(static_cast<double>(event.tick - requestTick));
      requestTick = 0;
    }
    if (event.kind != "request" && event.kind != "start") continue;
    int k = EntryOfName(event.Field("name"));
    if (k < 0 || k >= count) continue;
    double delay = static_cast<double>(ClockDifferenceMs(ClockMs(event.clock), scheduled[k] * 1000LL));
    int side = withParameters[k] ? 1 : 0;
    if (event.kind == "request") {
      if (seen[k]) out.Note(Format("entry %d was requested twice", k));
      seen[k] = true;
      requestDelays[side].push_back(delay);
      if (delay < 0) ++ahead;
      requestTick = withParameters[k] ? event.tick : 0;
    } else {
      startDelays[side].push_back(delay);
    }
  }
  std::string key = "punct-" + label;
  out.Line(Format("%s-expected %d", key.c_str(), count));
  std::vector<double> requests = requestDelays[0], starts = startDelays[0];
  requests.insert(requests.end(), requestDelays[1].begin(), requestDelays[1].end());
  starts.insert(starts.end(), startDelays[1].begin(), startDelays[1].end());
  out.Line(key + "-request-ms " + bench::Join(requests, "%.0f"));
  out.Line(key + "-start-ms " + bench::Join(starts, "%.0f"));
  const char* sides[2] = {"plain", "params"};
  for (int side = 0; side < 2; ++side) {
    out.Line(key + "-" + sides[side] + "-request-ms " + bench::Join(requestDelays[side], "%.0f"));
    out.Line(key + "-" + sides[side] + "-start-ms " + bench::Join(startDelays[side], "%.0f"));
  }
  out.Line(key + "-handover-ms " + bench::Join(handOverMs, "%.0f"));
  out.Line(Format("%s-ahead %d", key.c_str(), ahead));
  out.Note(Format("%s: %zu requests (%d ahead of their second), %zu starts of %d scheduled", label.c_str(),
                  requests.size(), ahead, starts.size(), count));
  return 0;
}

// ---- The main window's answer while the requests wait ----

int RunAnswer(const std::string& exe, const std::string& workDir, int windowSeconds, const Results& out) {
  const int kLeadSeconds = 10;
  std::string product = workDir + "Tavelund.exe";
  if (!CopyFileA(exe.c_str(), product.c_str(), FALSE)) {
    out.Note("cannot copy " + exe);
    return 1;
  }
  // A "player" that is no program: the stand-in below is the only one.
  std::string notAPlayer = workDir + "not-a-player.txt";
  WriteFileBytes(notAPlayer, "x");
  Standin standin;
  if (!StartStandin(workDir, {"--quality-never-opens"}, &standin)) {
    out.Note("the stand-in player did not start");
    return 1;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int first = SecondsOfDay(now) + kLeadSeconds;
  std::string recordings = workDir + "rec\\";
  CreateDirectoryA(recordings.c_str(), nullptr);
  WriteFileBytes(workDir + "Tavelund.INI",
                 SettingsText(notAPlayer, {Clock(first) + " " + Clock(first + windowSeconds) + " " + recordings +
                                           "answer.mp3|4 1 -1 1"}));
  PROCESS_INFORMATION app = StartProcess(product, {}, workDir);
  if (app.hProcess == nullptr) {
    out.Note("cannot start " + product);
    return 1;
  }
  HWND main = nullptr;
  bool connected = WaitFor(
      [&] {
        main = MainWindowOf(app.dwProcessId);
        return main != nullptr && !IsWindowEnabled(GetDlgItem(main, IDC_MAIN_LAUNCH));
      },
      (kLeadSeconds - 4) * 1000, 50);
  if (!connected) {
    out.Note("Tavelund.exe did not connect to the stand-in in time");
    CloseProgram(&app, main);
    return 1;
  }
  const long long day = kDaySeconds * 1000LL;
  auto msOfDay = [] {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return SecondsOfDay(t) * 1000LL + t.wMilliseconds;
  };
  // The clock face's distance to a second, across midnight too.
  auto msUntil = [&](int second) { return ClockDifferenceMs((second % kDaySeconds) * 1000LL, msOfDay() % day); };
  while (msUntil(first - 3) > 0) Sleep(20);
  std::vector<double> answers;
  while (msUntil(first + windowSeconds + 6) > 0) {
    const double sent = NowMs();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) {
      out.Note("the main window did not answer within 60 s");
      break;
    }
    const double took = NowMs() - sent;
    answers.push_back(took);
    if (took < 100) Sleep(static_cast<DWORD>(100 - took));
  }
  const size_t requests = EventsOfKind(ReadJournal(standin.journal), "request").size();
  const size_t starts = EventsOfKind(ReadJournal(standin.journal), "start").size();
  CloseProgram(&app, main);
  if (standin.player != nullptr) PostMessageA(standin.player, WM_CLOSE, 0, 0);
  WaitForExit(standin.process.info(), 10000);
  out.Line("answer-ms " + bench::Join(answers, "%.0f"));
  out.Line(Format("answer-requests %zu", requests));
  out.Line(Format("answer-starts %zu", starts));
  out.Note(Format("answer: %zu messages, p50 %.0f / p99 %.0f / max %.0f ms; %zu requests, %zu recordings started",
                  answers.size(), bench::Percentile(answers, 50), bench::Percentile(answers, 99), bench::Max(answers),
                  requests, starts));
  return 0;
}

// ---- Idle ----

int RunIdleStart(const std::string& kind, const std::string& workDir, const Results& out) {
  // The stand-in runs on every side, so all see the same background.
  std::string journal = workDir + "journal.txt";
  PROCESS_INFORMATION standin = StartProcess(BuiltProgram("standin-player.exe"), {"--journal", journal}, workDir);
  JournalEvent ready;
  if (standin.hProcess == nullptr || !WaitForJournalEvent(journal, "ready", 1, &ready)) {
    out.Note("the stand-in player did not start");
    return 1;
  }
  out.Line(Format("idle-%s-standin-pid %lu", kind.c_str(), standin.dwProcessId));
  CloseHandles(&standin);
  const bool hidden = kind == "hidden";
  if (kind == "product" || hidden) {
    std::string product = workDir + "Tavelund.exe";
    CopyFileA(BuiltProgram("Tavelund.exe").c_str(), product.c_str(), FALSE);
    WriteFileBytes(workDir + "Tavelund.INI",
                   SettingsText(BuiltProgram("standin-player.exe"), QuietSchedule(50, workDir)));
    PROCESS_INFORMATION app = StartProcess(product, hidden ? std::vector<std::string>{"/min"} : std::vector<std::string>{}, workDir);
    // Connected: the launch button goes grey once the plug-in was found.
    bool connected = WaitFor(
        [&] {
          HWND w = MainWindowOf(app.dwProcessId);
          return w != nullptr && !IsWindowEnabled(GetDlgItem(w, IDC_MAIN_LAUNCH)) &&
                 (!hidden || (IsIconic(w) && !IsWindowVisible(w)));
        },
        30000, 100);
    out.Line(Format("idle-%s-pid %lu", kind.c_str(), app.dwProcessId));
    CloseHandles(&app);
    if (!connected) {
      out.Note("Tavelund.exe did not connect to the stand-in within 30 s");
      return 1;
    }
    return 0;
  }
  std::vector<std::string> options = {"--timer"};
  if (kind == "floor-title") options.push_back("--title-clock");
  if (kind == "floor-plugin") {
    HWND plugin = ready.Window("plugin");
    if (!plugin) {
      out.Note("the stand-in player named no plug-in window");
      return 1;
    }
    options = {"--hidden", "--plugin-state", Format("%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(plugin)))};
  }
  PROCESS_INFORMATION floor = StartProcess(BuiltProgram("bench_floor_dialog.exe"), options, workDir);
  DWORD pid = floor.dwProcessId;
  const bool shows = kind != "floor-plugin";
  auto isShown = [pid, shows](HWND w) {
    return ProcessIdOf(w) == pid && IsFloorWindow(w) && (!shows || IsWindowVisible(w));
  };
  bool shown = WaitFor([&] { return FindTopLevel(isShown) != nullptr; }, 30000, 100);
  out.Line(Format("idle-%s-pid %lu", kind.c_str(), pid));
  CloseHandles(&floor);
  if (!shown) {
    out.Note("the floor dialog did not show within 30 s");
    return 1;
  }
  return 0;
}

std::vector<HWND> BenchWindows() {
  std::vector<HWND> found;
  for (HWND w : TopLevelWindows()) {
    std::string name = ClassNameOf(w);
    if (name == STR_MAIN_CLASS || name == STR_PLAYER_CLASS || IsFloorWindow(w)) found.push_back(w);
  }
  return found;
}

int RunClose(const Results& out) {
  for (HWND w : BenchWindows()) PostMessageA(w, WM_CLOSE, 0, 0);
  if (!WaitFor([] { return BenchWindows().empty(); }, 15000, 100)) {
    out.Note("some benchmark windows did not close");
    return 1;
  }
  return 0;
}

std::string AsFolder(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

int Usage() {
  fprintf(stderr,
          "usage: bench_driver startup WORKDIR RUNS OUTFILE\n"
          "       bench_driver startup-large WORKDIR RUNS COUNT OUTFILE\n"
          "       bench_driver punctuality EXE WORKDIR COUNT OUTFILE LABEL [STEP ENTRIES none|half]\n"
          "       bench_driver answer EXE WORKDIR OUTFILE [WINDOW_SECONDS]\n"
          "       bench_driver idle-start product|floor|floor-title|hidden|floor-plugin WORKDIR OUTFILE\n"
          "       bench_driver close OUTFILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string mode = argv[1];
  if (mode == "startup" && argc == 5) return RunStartup(AsFolder(argv[2]), atoi(argv[3]), Results(argv[4]));
  if (mode == "startup-large" && argc == 6)
    return RunLargeStartup(AsFolder(argv[2]), atoi(argv[3]), atoi(argv[4]), Results(argv[5]));
  if (mode == "punctuality" && (argc == 7 || argc == 10)) {
    PunctualityRun run;
    run.count = atoi(argv[4]);
    run.entries = run.count;
    if (argc == 10) {
      run.stepSeconds = atoi(argv[7]);
      run.entries = atoi(argv[8]);
      std::string parameters = argv[9];
      if (run.stepSeconds < 3 || run.entries < run.count || (parameters != "none" && parameters != "half"))
        return Usage();
      run.halfWithParameters = parameters == "half";
    }
    return RunPunctuality(argv[2], AsFolder(argv[3]), run, argv[6], Results(argv[5]));
  }
  if (mode == "answer" && (argc == 5 || argc == 6)) {
    const int windowSeconds = argc == 6 ? atoi(argv[5]) : 40;
    if (windowSeconds < 1) return Usage();
    return RunAnswer(argv[2], AsFolder(argv[3]), windowSeconds, Results(argv[4]));
  }
  if (mode == "idle-start" && argc == 5) {
    std::string kind = argv[2];
    if (kind != "product" && kind != "floor" && kind != "floor-title" && kind != "hidden" && kind != "floor-plugin")
      return Usage();
    return RunIdleStart(kind, AsFolder(argv[3]), Results(argv[4]));
  }
  if (mode == "close" && argc == 3) return RunClose(Results(argv[2]));
  return Usage();
}
