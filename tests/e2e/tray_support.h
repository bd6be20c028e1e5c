// A notification area of the test's own: a window of class "Shell_TrayWnd"
// that takes the calls Shell_NotifyIconW sends, records them, and holds icons
// the way a shell does (an add of an icon it holds, or a change of one it
// does not, is refused).
//
// Shell_NotifyIconW finds the shell with FindWindowEx on the caller's desktop,
// newest window first, and sends it WM_COPYDATA (wParam: the icon's window,
// dwData: the NIM_ code). Under Wine a new desktop gets its own shell with
// its first window, so the fake is made again until it is the one found.
// The data are read in Wine 8's layout; another one records no fields and
// is refused, so the checks fail. Header-only: in-process and whole-process tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "e2e/desktop_support.h"

namespace e2e {

// One call as the shell received it; texts converted back to code page 949.
struct ShellCall {
  DWORD code = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETVERSION
  HWND window = nullptr;
  UINT id = 0, flags = 0, callbackMessage = 0, version = 0;
  std::string tip, info, infoTitle;
  DWORD infoFlags = 0;
  std::string iconBits;  // mask and colour bits, when NIF_ICON is set
  bool answered = false;
};

class FakeTrayShell {
 public:
  // Made on the calling thread's desktop, served by a thread of its own, so
  // a program that sends to it never waits for the test.
  FakeTrayShell() : desktop_(GetThreadDesktop(GetCurrentThreadId())), ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = new ParkedThread([this] { Serve(); });
    WaitForSingleObject(ready_, 10000);
  }
  ~FakeTrayShell() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    delete thread_;  // waits until the window is gone
    CloseHandle(ready_);
  }
  FakeTrayShell(const FakeTrayShell&) = delete;
  FakeTrayShell& operator=(const FakeTrayShell&) = delete;

  bool ok() const { return window_ != nullptr; }
  // While refusing, every call is answered FALSE (a shell with no notification area yet).
  void SetRefusing(bool refusing) {
    std::lock_guard<std::mutex> lock(mutex_);
    refusing_ = refusing;
  }
  // Forgets its icons, as a restarted shell does.
  void ForgetIcons() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_.clear();
  }
  std::vector<ShellCall> calls(size_t first = 0) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<ShellCall>(calls_.begin() + static_cast<long>(std::min(first, calls_.size())), calls_.end());
  }
  bool Holds(HWND window, UINT id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_.count(std::make_pair(window, id)) != 0;
  }
  // The last call of that code (that set that flag, unless flag is 0).
  ShellCall Latest(DWORD code, UINT flag) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
      if (it->code == code && (flag == 0 || (it->flags & flag))) return *it;
    return ShellCall{};
  }

 private:
  void Serve() {
    SetThreadDesktop(desktop_);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &FakeTrayShell::Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&windowClass);  // a second fake finds it registered
    for (int attempt = 0; attempt < 3; ++attempt) {
      window_ = CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
      if (!window_ || FindWindowW(L"Shell_TrayWnd", nullptr) == window_) break;
      DestroyWindow(window_);
      window_ = nullptr;
      Sleep(200);
    }
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetEvent(ready_);
    if (!window_) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  }

  static std::string Narrow(const WCHAR* wide, size_t units) {
    size_t length = 0;
    while (length < units && wide[length]) ++length;
    char out[1024];
    int bytes = length ? WideCharToMultiByte(949, 0, wide, static_cast<int>(length), out, sizeof out, nullptr, nullptr) : 0;
    return std::string(out, bytes > 0 ? static_cast<size_t>(bytes) : 0);
  }

  // The layout shell32 of Wine 8 sends; the icon's bits follow it.
  struct Wine8Data {
    LONG hWnd;
    UINT uID, uFlags, uCallbackMessage;
    WCHAR szTip[128];
    DWORD dwState, dwStateMask;
    WCHAR szInfo[256];
    UINT uTimeout;
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
    UINT width, height, planes, bpp;
  };
  static_assert(sizeof(Wine8Data) == 960, "Wine 8's layout");

  LRESULT Take(const COPYDATASTRUCT* data) {
    ShellCall call;
    call.code = static_cast<DWORD>(data->dwData);
    const bool known = data->cbData >= sizeof(Wine8Data);
    if (known) {
      const Wine8Data* d = static_cast<const Wine8Data*>(data->lpData);
      call.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(d->hWnd));
      call.id = d->uID;
      call.flags = d->uFlags;
      call.callbackMessage = d->uCallbackMessage;
      call.version = d->uTimeout;
      if (d->uFlags & NIF_TIP) call.tip = Narrow(d->szTip, 128);
      if (d->uFlags & NIF_INFO) {
        call.info = Narrow(d->szInfo, 256);
        call.infoTitle = Narrow(d->szInfoTitle, 64);
        call.infoFlags = d->dwInfoFlags;
      }
      if (d->uFlags & NIF_ICON)
        call.iconBits.assign(static_cast<const char*>(data->lpData) + sizeof(Wine8Data), data->cbData - sizeof(Wine8Data));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto icon = std::make_pair(call.window, call.id);
    const bool held = held_.count(icon) != 0;
    if (known && !refusing_) {
      if (call.code == NIM_ADD) call.answered = !held;
      if (call.code == NIM_MODIFY || call.code == NIM_SETVERSION || call.code == NIM_DELETE) call.answered = held;
      if (call.answered && call.code == NIM_ADD) held_.insert(icon);
      if (call.answered && call.code == NIM_DELETE) held_.erase(icon);
    }
    calls_.push_back(call);
    return call.answered;
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FakeTrayShell* self = reinterpret_cast<FakeTrayShell*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) return self->Take(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);  // WM_CLOSE destroys it
  }

  HDESK desktop_;
  HANDLE ready_;
  ParkedThread* thread_ = nullptr;
  HWND window_ = nullptr;
  mutable std::mutex mutex_;
  bool refusing_ = false;
  std::set<std::pair<HWND, UINT>> held_;
  std::vector<ShellCall> calls_;
};

// The codes of the calls, in order: a short picture of what the shell heard.
inline std::vector<DWORD> CodesOf(const std::vector<ShellCall>& calls) {
  std::vector<DWORD> codes;
  for (const ShellCall& call : calls) codes.push_back(call.code);
  return codes;
}

}  // namespace e2e
