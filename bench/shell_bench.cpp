// In-process benchmarks of the shell, each against a bare floor doing the
// same platform calls without the product's code around them:
//
//   bench_shell search ROOT REPEATS OUTFILE WORKDIR
//     The drive search the way the program runs it: the main dialog, made
//     in this process with settings in WORKDIR whose player is nowhere,
//     searches the fixed drives (ROOT alone, in the benchmark's prefix) in
//     steps between its messages, its tick running, until it tells that the
//     player is nowhere. Against a bare recursive FindFirstFileA walker of
//     ROOT, and, for reference, FindFileInTree called straight. The name
//     looked for is nowhere under ROOT, so every entry is visited.
//   bench_shell store WORKDIR REPEATS OUTFILE COUNT...
//     LoadSchedules and SaveSchedules of COUNT entries against bare
//     GetPrivateProfileStringA / WritePrivateProfileStringA loops over the
//     same keys and lines (the program's old way), and against one bare
//     GetPrivateProfileSectionA / WritePrivateProfileSectionA of the same
//     section (what the platform's section calls cost by themselves). The
//     program's side is cheap, so each repeat measures it three times.
//
// Figures go to OUTFILE as "key value..." lines (times in ms, one value per
// repeat); scripts/bench.sh reads them.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_win32.h"
#include "app/main_dialog_win32.h"
#include "schedule/settings_win32.h"
#include "bench_common.h"
#include "recorder/launch_win32.h"
#include "resources/strings.h"
#include "schedule/schedule.h"
#include "schedule/schedule_win32.h"
#include "text/text.h"

using bench::Format;
using bench::NowMs;
using bench::Results;

namespace {

// ---- Files ----

bool WriteWhole(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}

std::string ReadWhole(const std::string& path) {
  std::string bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  fclose(file);
  return bytes;
}

long long FileBytes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// ---- Drive search ----

struct WalkCount {
  long long files = 0;
  long long folders = 0;
};

// The floor: lists every folder with FindFirstFileA/FindNextFileA and counts
// what it meets. path holds the folder with a trailing backslash in its first
// length bytes.
void Walk(char* path, size_t length, WalkCount* count) {
  if (length + 4 > MAX_PATH) return;
  memcpy(path + length, "*.*", 4);
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA(path, &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0) continue;
      ++count->folders;
      size_t nameLength = strlen(entry.cFileName);
      if (length + nameLength + 2 > MAX_PATH) continue;
      memcpy(path + length, entry.cFileName, nameLength);
      path[length + nameLength] = '\\';
      Walk(path, length + nameLength + 1, count);
    } else {
      ++count->files;
    }
  } while (FindNextFileA(listing, &entry));
  FindClose(listing);
}

// ---- The search in steps, in the program's own main dialog ----

// When the not-found message of the dialog's search appeared.
double nowhereToldAtMs = 0;
HWND searchingDialog = nullptr;
HHOOK boxHook = nullptr;

// The message that ends the search is answered as soon as it is shown, and
// the dialog is closed after it.
LRESULT CALLBACK AnswerNowhereMessage(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char className[16] = "";
    GetClassNameA(box, className, sizeof className);
    if (strcmp(className, "#32770") == 0 && GetWindow(box, GW_OWNER) == searchingDialog && nowhereToldAtMs == 0) {
      nowhereToldAtMs = NowMs();
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      PostMessageA(searchingDialog, WM_CLOSE, 0, 0);
    }
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}

// Milliseconds from the dialog's creation until it tells that the player is
// nowhere; -1 when the dialog could not be made or told something else.
double SearchInSteps(const std::string& workDir, int run) {
  std::string settings = workDir + Format("search-%d.INI", run);
  WriteWhole(settings, "[Config]\r\nWINAMP.EXE=T:\\absent\\WINAMP.EXE\r\n" STR_KEY_AUTO_START_PLAYER "=0\r\n");
  CopyText(settingsPath, sizeof settingsPath, settings.c_str());
  nowhereToldAtMs = 0;
  boxHook = SetWindowsHookExA(WH_CBT, AnswerNowhereMessage, nullptr, GetCurrentThreadId());
  double start = NowMs();
  searchingDialog = CreateMainDialog(app.instance);
  if (searchingDialog == nullptr) return -1;
  ShowWindow(searchingDialog, SW_SHOWNOACTIVATE);
  RunMessageLoop(searchingDialog);
  UnhookWindowsHookEx(boxHook);
  return nowhereToldAtMs > 0 ? nowhereToldAtMs - start : -1;
}

int RunSearch(const std::string& root, int repeats, const std::string& workDir, const Results& out) {
  const char absent[] = "tavelund-bench-absent.exe";
  char path[MAX_PATH];
  app.instance = GetModuleHandleA(nullptr);
  RegisterMainClass(app.instance);
  // One untimed walk first, so every side meets a warm directory cache.
  WalkCount count;
  CopyText(path, sizeof path, root.c_str());
  Walk(path, strlen(path), &count);
  out.Line(Format("search-files %lld", count.files));
  out.Line(Format("search-folders %lld", count.folders));
  std::vector<double> floorMs, productMs, stepsMs;
  int found = 0;
  for (int r = 0; r < repeats; ++r) {
    // Each side goes first in turn.
    for (int turn = 0; turn < 3; ++turn) {
      int side = (turn + r) % 3;
      CopyText(path, sizeof path, root.c_str());
      double start = NowMs();
      if (side == 0) {
        WalkCount walked;
        Walk(path, strlen(path), &walked);
        floorMs.push_back(NowMs() - start);
        if (walked.files != count.files) out.Note("the tree changed during the run");
      } else if (side == 1) {
        found += FindFileInTree(path, absent) ? 1 : 0;
        productMs.push_back(NowMs() - start);
      } else {
        double ms = SearchInSteps(workDir, r);
        if (ms < 0) {
          out.Note("the main dialog's search did not end with its message");
          return 1;
        }
        stepsMs.push_back(ms);
      }
    }
    out.Note(Format("search repeat %d: floor %.0f ms, in steps %.0f ms, called straight %.0f ms", r + 1,
                    floorMs.back(), stepsMs.back(), productMs.back()));
  }
  out.Line("search-floor-ms " + bench::Join(floorMs));
  out.Line("search-steps-ms " + bench::Join(stepsMs));
  out.Line("search-product-ms " + bench::Join(productMs));
  out.Line(Format("search-product-found %d", found));
  return 0;
}

// ---- Schedule load and save ----

std::string ScheduleLine(int k) {
  int start = (k * 97) % 86400;
  int end = (start + 1800) % 86400;
  return Format("%d:%d:%d %d:%d:%d D:\\Radio\\show%05d\\%%4Y%%2M%%2D_%%2h%%2m.mp3|%d 1 %d %d", start / 3600,
                start / 60 % 60, start % 60, end / 3600, end / 60 % 60, end % 60, k, k % 6, k % 2 ? -1 : 62,
                k % 3 == 0 ? 1 : 0);
}

// Runs of the program's side per repeat.
const int kProductRuns = 3;

const char kConfigSection[] = "[Config]\r\nWINAMP.EXE=C:\\Program Files\\Player\\WINAMP.EXE\r\n";

int RunStore(const std::string& workDir, int repeats, const std::vector<int>& counts, const Results& out) {
  for (int n : counts) {
    std::vector<std::string> lines;
    std::string ini = kConfigSection;
    ini += "[MP3Schedule]\r\n";
    for (int k = 0; k < n; ++k) {
      lines.push_back(ScheduleLine(k));
      ini += Format("%d=", k) + lines.back() + "\r\n";
    }
    ini += Format("%d=\r\n", n);
    out.Line(Format("store-%d-ini-bytes %zu", n, ini.size()));
    std::vector<double> floorLoad, productLoad, floorSave, productSave, productResave, sectionRead, sectionWrite;
    char value[SCHEDULE_LINE_CAPACITY];
    // The section as one multi-string, "key=line" each.
    std::string section;
    for (int k = 0; k <= n; ++k) {
      section += Format("%d=", k) + (k < n ? lines[k] : std::string()) + '\0';
    }
    section += '\0';
    std::vector<char> sectionBuffer(ini.size() + 16);
    // The first file each side saved, to compare once both are there.
    std::string floorSaved, productSaved;
    for (int r = 0; r < repeats; ++r) {
      std::string tag = Format("%d-%d", n, r);
      for (int side = 0; side < 2; ++side) {
        bool product = (side + r) % 2 == 1;
        if (!product) {
          std::string loadPath = workDir + "load-floor-" + tag + ".ini";
          WriteWhole(loadPath, ini);
          double start = NowMs();
          int read = 0;
          for (int k = 0;; ++k) {
            char key[16];
            FormatText(key, sizeof key, "%d", k);
            if (GetPrivateProfileStringA(STR_SECTION_SCHEDULE, key, "", value, sizeof value, loadPath.c_str()) == 0)
              break;
            ++read;
          }
          floorLoad.push_back(NowMs() - start);
          if (read != n) out.Note(Format("floor read %d lines of %d", read, n));

          std::string savePath = workDir + "save-floor-" + tag + ".ini";
          WriteWhole(savePath, kConfigSection);
          start = NowMs();
          for (int k = 0; k <= n; ++k) {
            char key[16];
            FormatText(key, sizeof key, "%d", k);
            WritePrivateProfileStringA(STR_SECTION_SCHEDULE, key, k < n ? lines[k].c_str() : "", savePath.c_str());
          }
          floorSave.push_back(NowMs() - start);
          if (floorSaved.empty()) floorSaved = ReadWhole(savePath);

          // The platform's section calls alone, on fresh files like the above.
          std::string readPath = workDir + "read-section-" + tag + ".ini";
          WriteWhole(readPath, ini);
          start = NowMs();
          DWORD units = GetPrivateProfileSectionA(STR_SECTION_SCHEDULE, sectionBuffer.data(),
                                                  static_cast<DWORD>(sectionBuffer.size()), readPath.c_str());
          sectionRead.push_back(NowMs() - start);
          if (units + 2 >= sectionBuffer.size()) out.Note("the bare section read was cut");
          std::string writePath = workDir + "write-section-" + tag + ".ini";
          WriteWhole(writePath, kConfigSection);
          start = NowMs();
          WritePrivateProfileSectionA(STR_SECTION_SCHEDULE, section.data(), writePath.c_str());
          sectionWrite.push_back(NowMs() - start);
          DeleteFileA(loadPath.c_str());
          DeleteFileA(savePath.c_str());
          DeleteFileA(readPath.c_str());
          DeleteFileA(writePath.c_str());
        } else {
          for (int run = 0; run < kProductRuns; ++run) {
            std::string tag = Format("%d-%d-%d", n, r, run);
            std::string loadPath = workDir + "load-product-" + tag + ".ini";
            WriteWhole(loadPath, ini);
            CopyText(settingsPath, sizeof settingsPath, loadPath.c_str());
            FreeAllSchedules();
            double start = NowMs();
            LoadSchedules();
            productLoad.push_back(NowMs() - start);
            if (ScheduleCount() != n) out.Note(Format("product loaded %d entries of %d", ScheduleCount(), n));

            // Saving into a settings file without the schedule: every key is new.
            std::string savePath = workDir + "save-product-" + tag + ".ini";
            WriteWhole(savePath, kConfigSection);
            CopyText(settingsPath, sizeof settingsPath, savePath.c_str());
            start = NowMs();
            SaveSchedules();
            productSave.push_back(NowMs() - start);
            // Saving again what is there already: no key changes.
            start = NowMs();
            SaveSchedules();
            productResave.push_back(NowMs() - start);
            if (r == 0 && run == 0) {
              out.Line(Format("store-%d-saved-bytes %lld", n, FileBytes(savePath)));
              productSaved = ReadWhole(savePath);
            }
            FreeAllSchedules();
            DeleteFileA(loadPath.c_str());
            DeleteFileA(savePath.c_str());
          }
        }
      }
      out.Note(Format("store %d entries, repeat %d: load floor %.0f product %.0f ms, save floor %.0f product %.0f "
                      "(again %.0f) ms",
                      n, r + 1, floorLoad.back(), productLoad.back(), floorSave.back(), productSave.back(),
                      productResave.back()));
    }
    out.Line(Format("store-%d-load-floor-ms ", n) + bench::Join(floorLoad));
    out.Line(Format("store-%d-load-product-ms ", n) + bench::Join(productLoad));
    out.Line(Format("store-%d-save-floor-ms ", n) + bench::Join(floorSave));
    out.Line(Format("store-%d-save-product-ms ", n) + bench::Join(productSave));
    out.Line(Format("store-%d-resave-product-ms ", n) + bench::Join(productResave));
    if (!floorSaved.empty() && !productSaved.empty())
      out.Line(Format("store-%d-saved-as-key-by-key %d", n, productSaved == floorSaved ? 1 : 0));
    out.Line(Format("store-%d-section-read-ms ", n) + bench::Join(sectionRead));
    out.Line(Format("store-%d-section-write-ms ", n) + bench::Join(sectionWrite));
  }
  return 0;
}

int Usage() {
  fprintf(stderr,
          "usage: bench_shell search ROOT REPEATS OUTFILE WORKDIR\n"
          "       bench_shell store WORKDIR REPEATS OUTFILE COUNT...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return Usage();
  std::string mode = argv[1];
  int repeats = atoi(argv[3]);
  if (repeats < 1) repeats = 1;
  Results out(argv[4]);
  if (mode == "search") {
    if (argc < 6) return Usage();
    std::string workDir = argv[5];
    if (!workDir.empty() && workDir.back() != '\\') workDir += '\\';
    return RunSearch(argv[2], repeats, workDir, out);
  }
  if (mode == "store") {
    std::vector<int> counts;
    for (int i = 5; i < argc; ++i) counts.push_back(atoi(argv[i]));
    std::string workDir = argv[2];
    if (!workDir.empty() && workDir.back() != '\\') workDir += '\\';
    return RunStore(workDir, repeats, counts, out);
  }
  return Usage();
}
