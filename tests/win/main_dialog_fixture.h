// Base of the tests that drive the real main dialog: a fresh settings file
// whose player stays quiet, the window class registered, and the dialog and
// the schedule list gone after each test.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/app_win32.h"
#include "app/main_dialog_win32.h"
#include "schedule/schedule_win32.h"
#include "win/win_support.h"

namespace winsupport {

class MainDialogTest : public ::testing::Test {
 protected:
  explicit MainDialogTest(const char* folder) : folder_(folder) {}
  void SetUp() override {
    FreeAllSchedules();
    dir_ = NewTempDir(folder_);
    ini_ = UseFreshSettings(dir_);
    seed_ = QuietPlayerConfig(dir_);
    RegisterMainClass(app.instance);
  }
  void TearDown() override {
    if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
    PumpFor(20);
    FreeAllSchedules();
  }
  // Writes the quiet player's settings and then `settings`, and shows the dialog.
  void OpenWith(const std::string& settings) {
    WriteFileText(ini_, seed_ + settings);
    dialog_ = CreateMainDialog(app.instance);
    ASSERT_NE(dialog_, nullptr);
    ShowWindow(dialog_, SW_SHOWNORMAL);
    PumpFor(50);
  }

  std::string dir_, ini_, seed_;
  HWND dialog_ = nullptr;

 private:
  const char* folder_;
};

}  // namespace winsupport
