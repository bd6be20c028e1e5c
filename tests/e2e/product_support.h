// Starting Tavelund.exe for a whole-process test and reading its state
// from outside: a copy in a folder of its own with seeded settings, on the
// test's own desktop, its status line and buttons read cross-process.
//
// The settings are seeded so that the player launch the scheduler performs
// at start-up cannot disturb the test: [Config] "WINAMP.EXE" names an
// existing file that is no program. The launch then neither searches the
// drives (the file exists) nor starts a second player (starting a text file
// fails, and a failed start is not reported); the test starts its stand-in
// itself.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "resources/ids.h"
#include "resources/strings.h"

namespace e2e {
namespace product {

// The search timer runs every 4 s; a little more covers a slow start.
const DWORD kSearchWaitMs = 6000;
// Button and loss updates come with the one-second tick.
const DWORD kTickWaitMs = 2500;

struct Product {
  e2e::ProcessGuard process;
  HWND main = nullptr;
};

// Copies the scheduler into dir with a seeded settings file and starts it on
// the desktop; waits for its main window.
inline void StartProduct(const e2e::PrivateDesktop& desktop, const std::string& dir, Product* product,
                         const std::string& extraSettings = "") {
  std::string exe = dir + "Tavelund.exe";
  ASSERT_TRUE(CopyFileA(e2e::BuiltProgram("Tavelund.exe").c_str(), exe.c_str(), FALSE));
  std::string notAPlayer = dir + "not-a-player.txt";
  ASSERT_TRUE(e2e::WriteFileBytes(notAPlayer, "not a program\r\n"));
  ASSERT_TRUE(e2e::WriteFileBytes(dir + "Tavelund.INI",
                                  "[Config]\r\n" STR_PLAYER_EXE "=" + notAPlayer + "\r\n" + extraSettings));
  product->process.Reset(desktop.Start(exe, {}, dir));
  ASSERT_NE(nullptr, product->process.info().hProcess);
  DWORD pid = product->process.pid();
  product->main = e2e::WaitForWindow([&] {
    HWND w = FindWindowA(STR_MAIN_CLASS, nullptr);
    return w != nullptr && e2e::ProcessIdOf(w) == pid ? w : nullptr;
  });
  ASSERT_NE(nullptr, product->main);
  // The class is there as soon as the dialog is created; its controls and
  // state are complete once it is shown.
  ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(product->main) != FALSE; }));
}

inline std::string Status(HWND main) { return e2e::ControlText(main, IDC_MAIN_STATUS, 260); }

inline bool Enabled(HWND main, int id) { return IsWindowEnabled(GetDlgItem(main, id)) != FALSE; }

// Launch, start and stop buttons as "LST": a letter in upper case when enabled.
inline std::string Buttons(HWND main) {
  std::string shown;
  shown += Enabled(main, IDC_MAIN_LAUNCH) ? 'L' : 'l';
  shown += Enabled(main, IDC_MAIN_START) ? 'S' : 's';
  shown += Enabled(main, IDC_MAIN_STOP) ? 'T' : 't';
  return shown;
}

inline bool WaitForButtons(HWND main, const std::string& wanted, DWORD timeoutMs = kTickWaitMs) {
  return e2e::WaitFor([&] { return Buttons(main) == wanted; }, timeoutMs);
}

inline bool WaitForStatus(HWND main, const std::string& wanted, DWORD timeoutMs = kSearchWaitMs) {
  return e2e::WaitFor([&] { return Status(main) == wanted; }, timeoutMs);
}

inline std::string FoundStatus(HWND plugin) { return e2e::WindowTextOf(plugin) + STR_STATUS_FOUND_SUFFIX; }

// What a click on one of the scheduler's buttons delivers to its dialog.
inline void Click(HWND main, int id) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
}

// Waits until the scheduler shows the plug-in as found.
inline void ExpectConnected(const Product& product, const e2e::Standin& standin) {
  ASSERT_NE(nullptr, standin.plugin);
  EXPECT_TRUE(WaitForStatus(product.main, FoundStatus(standin.plugin)))
      << "status: " << Status(product.main);
  EXPECT_FALSE(Enabled(product.main, IDC_MAIN_LAUNCH));
}

// Runs body on a desktop of its own (see desktop_support.h).
inline void RunIsolated(const std::string& label, const std::function<void(const e2e::PrivateDesktop&)>& body) {
  e2e::PrivateDesktop desktop(label);
  ASSERT_TRUE(desktop.ok());
  ASSERT_TRUE(desktop.Run([&] { body(desktop); }));
}

// Starts a stand-in and the scheduler and waits until the plug-in is found.
inline void StartConnected(const e2e::PrivateDesktop& desktop, const std::string& label, e2e::Standin* standin,
                    Product* product, const std::string& extraSettings = "") {
  ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir(label + "-player"), {}, standin));
  StartProduct(desktop, e2e::NewTempDir(label), product, extraSettings);
  if (testing::Test::HasFatalFailure()) return;
  ExpectConnected(*product, *standin);
}

}  // namespace product
}  // namespace e2e
