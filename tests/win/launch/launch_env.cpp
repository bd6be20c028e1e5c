#include "win/launch/launch_env.h"

#include <cstring>
#include <set>

#include "resources/strings.h"
#include "win/win_support.h"

namespace launchenv {

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);
  return out;
}

const char kDriveMark[] = ".tavelund-test-drive";
const wchar_t kDriveMarkW[] = L".tavelund-test-drive";

// Wide-character calls: the trees of the length tests pass MAX_PATH.
void RemoveContents(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW((folder + L"*").c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || name == kDriveMarkW) continue;
    std::wstring child = folder + name;
    SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveContents(child + L"\\");
      RemoveDirectoryW(child.c_str());
    } else {
      DeleteFileW(child.c_str());
    }
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
}

const char* const kPlayerFolders[] = {"C:\\Program Files\\Winamp\\", "C:\\Program Files (x86)\\Winamp\\"};

}  // namespace

std::vector<std::string> FixedDrives() {
  std::vector<std::string> fixed;
  char roots[512];
  DWORD length = GetLogicalDriveStringsA(sizeof roots, roots);
  if (length == 0 || length >= sizeof roots) return fixed;
  for (const char* root = roots; *root; root += strlen(root) + 1)
    if (GetDriveTypeA(root) == DRIVE_FIXED) fixed.push_back(root);
  return fixed;
}

std::string CheckTestDrives() {
  std::vector<std::string> fixed = FixedDrives();
  if (fixed == std::vector<std::string>{"D:\\", "E:\\"}) {
    for (const std::string& root : fixed)
      if (GetFileAttributesA((root + kDriveMark).c_str()) == INVALID_FILE_ATTRIBUTES)
        return root + " does not carry the test drive mark " + kDriveMark;
    return std::string();
  }
  std::string found;
  for (const std::string& root : fixed) found += root + " ";
  return "the fixed drives must be exactly D:\\ and E:\\ (run through scripts/launch-test-prefix.sh), found: " +
         found;
}

void ClearTestTrees() {
  if (!CheckTestDrives().empty()) return;
  RemoveContents(L"D:\\");
  RemoveContents(L"E:\\");
  for (const char* folder : kPlayerFolders) {
    RemoveContents(Wide(folder));
    RemoveDirectoryA(folder);
  }
}

bool MakeFolders(const std::string& folder) {
  std::wstring path = Wide(folder);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    std::wstring level = path.substr(0, at);
    if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return true;
}

bool MakeTree(const std::string& folder, int width, int depth) {
  for (int i = 0; depth > 0 && i < width; ++i) {
    std::string sub = folder + "f" + std::to_string(i) + "\\";
    if (!CreateDirectoryA(sub.c_str(), nullptr) || !MakeTree(sub, width, depth - 1)) return false;
  }
  return true;
}

bool PlaceFakePlayer(const std::string& path) {
  if (!MakeFolders(path.substr(0, path.rfind('\\') + 1))) return false;
  std::string source = winsupport::ExeDirectory() + "fake_player.exe";
  return CopyFileW(Wide(source).c_str(), Wide(path).c_str(), FALSE) != 0;
}

bool PlaceEmptyFile(const std::string& path) {
  if (!MakeFolders(path.substr(0, path.rfind('\\') + 1))) return false;
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW(Wide(folder + "*").c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L".." && name != kDriveMarkW) names.push_back(Narrow(name));
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
  return names;
}

void SetUninstallString(const std::string& value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, STR_UNINSTALL_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, STR_UNINSTALL_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

bool SetUninstallStringInView(const std::string& value, int bits) {
  if (value.find('"') != std::string::npos) return false;
  std::string command = std::string("reg add \"HKLM\\") + STR_UNINSTALL_KEY + "\" /v " STR_UNINSTALL_VALUE " /d \"" +
                        value + "\" /reg:" + std::to_string(bits) + " /f";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process))
    return false;
  DWORD code = 1;
  if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0;
}

void RemoveUninstallEntry() {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, STR_UNINSTALL_KEY, view, 0);
}

void UseStartLog(const std::string& path) {
  DeleteFileA(path.c_str());
  SetEnvironmentVariableA("TAVELUND_FAKE_PLAYER_LOG", path.c_str());
}

std::vector<Start> Starts(const std::string& logPath) {
  std::vector<Start> starts;
  for (const std::string& line : e2e::CrlfLines(winsupport::ReadFileText(logPath))) {
    size_t bar = line.find('|');
    starts.push_back(Start{line.substr(0, bar), bar == std::string::npos ? std::string() : line.substr(bar + 1)});
  }
  return starts;
}

std::vector<Start> WaitForStarts(const std::string& logPath, size_t count, DWORD timeoutMs) {
  winsupport::PumpUntil([&] { return Starts(logPath).size() >= count; }, timeoutMs);
  winsupport::PumpFor(300);
  return Starts(logPath);
}

// ---- Listing watch ----

namespace {

using FindFirstFn = HANDLE(WINAPI*)(LPCSTR, LPWIN32_FIND_DATAA);
using FindCloseFn = BOOL(WINAPI*)(HANDLE);

FindFirstFn realFindFirst = nullptr;
FindCloseFn realFindClose = nullptr;
int openedCount = 0;
int closedCount = 0;
std::set<HANDLE> openListings;
std::vector<std::string> listedPatterns;
std::string refusedPart;

HANDLE WINAPI WatchedFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  listedPatterns.push_back(pattern);
  if (!refusedPart.empty() && std::string(pattern).find(refusedPart) != std::string::npos) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE listing = realFindFirst(pattern, data);
  if (listing != INVALID_HANDLE_VALUE) {
    ++openedCount;
    openListings.insert(listing);
  }
  return listing;
}

BOOL WINAPI WatchedFindClose(HANDLE listing) {
  if (openListings.erase(listing)) ++closedCount;
  return realFindClose(listing);
}

// Swaps the program's import of a kernel32 function; returns the old target.
void* PatchImport(const char* function, void* replacement) {
  BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
       ++module) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), "kernel32.dll") != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
      DWORD protection;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
      return previous;
    }
  }
  return nullptr;
}

}  // namespace

ListingWatch::ListingWatch(const std::string& refuse) {
  openedCount = closedCount = 0;
  openListings.clear();
  listedPatterns.clear();
  refusedPart = refuse;
  realFindFirst = reinterpret_cast<FindFirstFn>(PatchImport("FindFirstFileA", reinterpret_cast<void*>(WatchedFindFirst)));
  realFindClose = reinterpret_cast<FindCloseFn>(PatchImport("FindClose", reinterpret_cast<void*>(WatchedFindClose)));
}

ListingWatch::~ListingWatch() {
  if (realFindFirst) PatchImport("FindFirstFileA", reinterpret_cast<void*>(realFindFirst));
  if (realFindClose) PatchImport("FindClose", reinterpret_cast<void*>(realFindClose));
  realFindFirst = nullptr;
  realFindClose = nullptr;
  refusedPart.clear();
}

int ListingWatch::opened() const { return openedCount; }
int ListingWatch::closed() const { return closedCount; }
bool ListingWatch::active() const { return realFindFirst != nullptr && realFindClose != nullptr; }
const std::vector<std::string>& ListingWatch::patterns() const { return listedPatterns; }

}  // namespace launchenv
