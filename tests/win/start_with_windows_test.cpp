// Starting with Windows, switched from the main dialog's system menu against
// the real registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <utility>

#include "app/autostart_win32.h"
#include "e2e/product_support.h"
#include "win/main_dialog_fixture.h"

using namespace winsupport;

namespace {

const char kTestsKey[] = "Software\\Tavelund-tests";
const char kMoved[] = "\"D:\\Moved\\Tavelund.exe\" /min";

// A key of the test's own stands in for the Run key: Wine starts whatever
// the prefix's own Run key holds each time the prefix starts.
class StartWithWindows : public MainDialogTest {
 protected:
  StartWithWindows() : MainDialogTest("autostart") {}
  void SetUp() override {
    MainDialogTest::SetUp();
    key_ = std::string(kTestsKey) + "\\Run-" + std::to_string(GetCurrentProcessId());
    runKeyPath = key_.c_str();
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    self_ = path;
    ours_ = "\"" + self_ + "\" /min";
    Set("Other", "C:\\Other\\other.exe");
    OpenWith("");
  }
  void TearDown() override {
    MainDialogTest::TearDown();
    Lock("D:P(A;;KA;;;WD)");
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);  // once no other run's key is left in it
    runKeyPath = STR_RUN_KEY;
  }

  void Set(const char* name, const std::string& data) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key_.c_str(), name, REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1));
  }
  // A REG_SZ as a 64-bit program sees it (the x86 build must write no view
  // of its own), "" when there is none.
  std::string Get(const char* name) {
    char data[512] = "";
    DWORD size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, key_.c_str(), name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, data, &size);
    return data;
  }
  // Sets who may do what with the key (SDDL), as a policy would.
  void Lock(const char* dacl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    HKEY key;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(dacl, SDDL_REVISION_1, &sd, nullptr);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
      EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
      RegCloseKey(key);
    }
    LocalFree(sd);
  }
  // What the menu shows as it opens.
  bool Marked() {
    HMENU menu = GetSystemMenu(dialog_, FALSE);
    SendMessageA(dialog_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    return (GetMenuState(menu, IDM_START_WITH_WINDOWS, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  void Choose() { SendMessageA(dialog_, WM_SYSCOMMAND, IDM_START_WITH_WINDOWS, 0); }
  size_t Told(const char* event) { return e2e::product::HistoryOf(dir_, event).size(); }

  std::string key_, self_, ours_;
};

TEST_F(StartWithWindows, TheItemFollowsTheHistoryItemAndItsMarkFollowsTheKey) {
  HMENU menu = GetSystemMenu(dialog_, FALSE);
  int last = GetMenuItemCount(menu) - 1;
  EXPECT_EQ(GetMenuItemID(menu, last - 1), static_cast<UINT>(IDM_SHOW_HISTORY));
  char text[64] = "";
  GetMenuStringA(menu, last, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, STR_MENU_START_WITH_WINDOWS);

  EXPECT_FALSE(Marked());
  std::string upper = self_, hyphened = self_;
  CharUpperA(&upper[0]);
  hyphened.insert(hyphened.size() - 4, "-");
  const std::pair<std::string, bool> cases[] = {
      {ours_, true},
      {"\"" + upper + "\" -MIN", true},
      {kMoved, false},
      {"\"" + hyphened + "\" /min", false},
      {"\"" + self_ + "\"", false},
      {self_ + " /min", false},
  };
  for (const auto& c : cases) {
    Set(STR_RUN_VALUE_NAME, c.first);
    EXPECT_EQ(Marked(), c.second) << c.first;
  }
}

TEST_F(StartWithWindows, ChoosingWritesOrRemovesOnlyItsValueAndARefusalIsTold) {
  {
    MessageBoxAnswerer none({IDOK});
    Choose();
    EXPECT_EQ(Get(STR_RUN_VALUE_NAME), ours_);
    Choose();
    EXPECT_EQ(Get(STR_RUN_VALUE_NAME), "");
    // Another copy's value shows unchecked; choosing puts this one in its place.
    Set(STR_RUN_VALUE_NAME, kMoved);
    Choose();
    EXPECT_EQ(Get(STR_RUN_VALUE_NAME), ours_);
    EXPECT_EQ(Get("Other"), "C:\\Other\\other.exe");
    EXPECT_TRUE(none.seen().empty());
  }
  // Refused both ways (the key is read-only): told, nothing changes.
  for (const char* value : {kMoved, ours_.c_str()}) {
    const bool ours = value == ours_.c_str();
    Set(STR_RUN_VALUE_NAME, value);
    Lock("D:P(A;;KR;;;WD)");
    MessageBoxAnswerer answers({IDOK});
    Choose();
    char refused[256];
    std::snprintf(refused, sizeof refused, ours ? STR_START_WITH_WINDOWS_OFF_FAILED : STR_START_WITH_WINDOWS_ON_FAILED,
                  static_cast<unsigned>(ERROR_ACCESS_DENIED));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, refused);
    EXPECT_EQ(Marked(), ours);
    EXPECT_EQ(Get(STR_RUN_VALUE_NAME), value);
    Lock("D:P(A;;KA;;;WD)");
  }
  EXPECT_EQ(Told(STR_HISTORY_START_WITH_WINDOWS_ON), 2u);
  EXPECT_EQ(Told(STR_HISTORY_START_WITH_WINDOWS_OFF), 1u);
}

}  // namespace
