// Starting with Windows, switched from the main dialog's system menu against
// the real registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "app/autostart_win32.h"
#include "e2e/product_support.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "win/main_dialog_fixture.h"
#include "win/win_support.h"

using namespace winsupport;

namespace {

const char kAbsent[] = "<absent>";
const char kTestsKey[] = "Software\\Tavelund-tests";

// A key of the test's own stands in for the Run key: Wine starts whatever
// the prefix's own Run key holds each time the prefix starts.
class StartWithWindows : public MainDialogTest {
 protected:
  StartWithWindows() : MainDialogTest("autostart") {}
  void SetUp() override {
    MainDialogTest::SetUp();
    key_ = std::string(kTestsKey) + "\\Run-" + std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    runKeyPath = key_.c_str();
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    self_ = path;
    ours_ = "\"" + self_ + "\" /min";
    SetValue("Other", "C:\\Other\\other.exe");
    OpenWith("");
  }
  void TearDown() override {
    MainDialogTest::TearDown();
    Lock(false);
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);  // once no other run's key is left in it
    runKeyPath = STR_RUN_KEY;
  }

  void SetValue(const char* name, const std::string& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
  }
  // The value as a 64-bit program sees it (so the x86 build shows it wrote
  // no view of its own); kAbsent when there is none, "<type N>" when it is
  // no REG_SZ.
  std::string Value(const char* name) {
    char data[512];
    DWORD type = REG_NONE, size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, key_.c_str(), name, RRF_RT_ANY | RRF_SUBKEY_WOW6464KEY, &type, data, &size) !=
        ERROR_SUCCESS)
      return kAbsent;
    return type == REG_SZ ? std::string(data) : "<type " + std::to_string(type) + ">";
  }
  // Only reading the key is allowed while it is locked.
  void Lock(bool locked) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(locked ? "D:P(A;;KR;;;WD)" : "D:P(A;;KA;;;WD)",
                                                                     SDDL_REVISION_1, &sd, nullptr));
    HKEY key;
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
  int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuItemID(menu, count - 2), static_cast<UINT>(IDM_SHOW_HISTORY));
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_START_WITH_WINDOWS));
  char text[64] = "";
  GetMenuStringA(menu, IDM_START_WITH_WINDOWS, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, STR_MENU_START_WITH_WINDOWS);

  EXPECT_FALSE(Marked());
  std::string upper = self_;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  std::string hyphened = self_;
  hyphened.insert(hyphened.size() - 4, "-");
  struct Case {
    std::string value;
    bool marked;
  } cases[] = {
      {ours_, true},
      {"\"" + upper + "\" -MIN", true},
      {"\"D:\\Moved\\Tavelund.exe\" /min", false},
      {"\"" + hyphened + "\" /min", false},
      {"\"" + self_ + "\"", false},
      {self_ + " /min", false},
  };
  for (const Case& c : cases) {
    SetValue(STR_RUN_VALUE_NAME, c.value);
    EXPECT_EQ(Marked(), c.marked) << c.value;
  }
}

TEST_F(StartWithWindows, ChoosingWritesOrRemovesOnlyTheProgramsValue) {
  MessageBoxAnswerer answers({IDOK});
  Choose();
  EXPECT_EQ(Value(STR_RUN_VALUE_NAME), ours_);
  EXPECT_TRUE(Marked());
  Choose();
  EXPECT_EQ(Value(STR_RUN_VALUE_NAME), kAbsent);
  EXPECT_FALSE(Marked());
  // Another copy's value shows unchecked; choosing puts this one in its place.
  SetValue(STR_RUN_VALUE_NAME, "\"D:\\Moved\\Tavelund.exe\" /min");
  Choose();
  EXPECT_EQ(Value(STR_RUN_VALUE_NAME), ours_);
  EXPECT_EQ(Value("Other"), "C:\\Other\\other.exe");
  EXPECT_EQ(Told(STR_HISTORY_START_WITH_WINDOWS_ON), 2u);
  EXPECT_EQ(Told(STR_HISTORY_START_WITH_WINDOWS_OFF), 1u);
  EXPECT_TRUE(answers.seen().empty());
}

TEST_F(StartWithWindows, ARefusedChangeIsToldAndTheMarkStays) {
  // Turning on while another copy's value stands, then off while ours does.
  char refused[2][256];
  const unsigned denied = ERROR_ACCESS_DENIED;
  std::snprintf(refused[0], sizeof refused[0], STR_START_WITH_WINDOWS_ON_FAILED, denied);
  std::snprintf(refused[1], sizeof refused[1], STR_START_WITH_WINDOWS_OFF_FAILED, denied);
  for (int ours = 0; ours < 2; ++ours) {
    Lock(false);
    SetValue(STR_RUN_VALUE_NAME, ours ? ours_ : "\"D:\\Moved\\Tavelund.exe\" /min");
    std::string before = Value(STR_RUN_VALUE_NAME);
    Lock(true);
    MessageBoxAnswerer answers({IDOK});
    Choose();
    ASSERT_EQ(answers.seen().size(), 1u) << ours;
    EXPECT_EQ(answers.seen()[0].text, refused[ours]);
    EXPECT_EQ(Marked(), ours == 1);
    EXPECT_EQ(Value(STR_RUN_VALUE_NAME), before);
  }
  EXPECT_EQ(Told(STR_HISTORY_START_WITH_WINDOWS_ON) + Told(STR_HISTORY_START_WITH_WINDOWS_OFF), 0u);
}

}  // namespace
