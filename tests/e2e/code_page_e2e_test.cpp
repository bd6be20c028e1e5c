// Tavelund.exe on a system whose ANSI code page is not 949: it says so in a
// message that reads there, and writes it to the history.
//
// Wine takes a process's code page from the name in LC_ALL, and a program
// started from a Windows program keeps its starter's: the test program runs
// with LC_ALL=en_US.UTF-8 (its own test entry; see cmake/windows.cmake), which
// gives it and the scheduler code page 1252. Its own texts are compared as
// bytes or as wide characters, never through that code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "resources/strings.h"

using namespace e2e;
using namespace e2e::product;

namespace {

std::wstring WideText(HWND window) {
  WCHAR text[2048] = L"";
  GetWindowTextW(window, text, 2048);
  return text;
}

// The message box's text control (Wine's and Windows' own ids).
HWND TextOf(HWND box) {
  for (int id : {0xFFFF, 100}) {
    if (HWND item = GetDlgItem(box, id)) return item;
  }
  return nullptr;
}

TEST(WrongCodePage, MinimisedStartTellsTheHistoryAndTheReadableMessageComesWithTheWindow) {
  ASSERT_EQ(GetACP(), 1252u) << "run through the test entry that sets LC_ALL=en_US.UTF-8";
  RunIsolated("codepage", [](const PrivateDesktop& desktop) {
    const std::string dir = NewTempDir("codepage");
    const std::string exe = dir + "Tavelund.exe";
    ASSERT_TRUE(CopyFileA(BuiltProgram("Tavelund.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(dir + "Tavelund.INI", "[Config]\r\n" + QuietPlayerSetting(dir)));
    // As a start with Windows does it: minimised.
    ProcessGuard process(desktop.Start(exe, {STR_MINIMISED_SWITCH}, dir));
    ASSERT_NE(process.info().hProcess, nullptr);
    Product product;
    product.main = WaitForWindow([&] {
      HWND w = FindWindowA(STR_MAIN_CLASS, nullptr);
      return w != nullptr && ProcessIdOf(w) == process.pid() ? w : nullptr;
    });
    ASSERT_NE(product.main, nullptr);

    // The history has it at once, after the start line.
    ASSERT_TRUE(WaitForHistory(dir, STR_HISTORY_WRONG_CODE_PAGE, 1, kWaitMs)) << Joined(HistoryLines(dir));
    std::vector<std::string> lines = HistoryLines(dir);
    ASSERT_GE(lines.size(), 2u) << Joined(lines);
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_PROGRAM_STARTED), std::vector<std::string>{lines[0]});
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_WRONG_CODE_PAGE), std::vector<std::string>{lines[1]});
    EXPECT_NE(lines[1].find("Windows \xC4\xDA\xB5\xE5 \xC6\xE4\xC0\xCC\xC1\xF6 1252: "), std::string::npos);  // 코드 페이지

    // Minimised, nothing stands in the way of the start: no box yet, and the
    // window answers.
    ASSERT_TRUE(WaitFor([&] { return IsIconic(product.main) != FALSE; }));
    Sleep(1000);
    EXPECT_EQ(OwnedDialogOf(product), nullptr);
    EXPECT_TRUE(Responds(product.main));

    // Opened, the window brings the message, in characters that read here.
    ShowWindow(product.main, SW_RESTORE);
    HWND box = WaitForWindow([&] { return OwnedDialogOf(product); });
    ASSERT_NE(box, nullptr);
    // 도르멘티 녹음 스케쥴러 1.09
    EXPECT_EQ(WideText(box), L"\uB3C4\uB974\uBA58\uD2F0 \uB179\uC74C \uC2A4\uCF00\uC974\uB7EC 1.09");
    const std::wstring text = WideText(TextOf(box));
    const wchar_t* const parts[] = {
        // 이 Windows의 코드 페이지는 1252입니다.
        L"\uC774 Windows\uC758 \uCF54\uB4DC \uD398\uC774\uC9C0\uB294 1252\uC785\uB2C8\uB2E4.",
        // 제어판 → 국가 또는 지역 → 관리자 옵션 → 시스템 로캘 변경
        L"\uC81C\uC5B4\uD310 \u2192 \uAD6D\uAC00 \uB610\uB294 \uC9C0\uC5ED \u2192 \uAD00\uB9AC\uC790 \uC635\uC158 "
        L"\u2192 \uC2DC\uC2A4\uD15C \uB85C\uCE98 \uBCC0\uACBD",
        // '한국어(대한민국)'
        L"'\uD55C\uAD6D\uC5B4(\uB300\uD55C\uBBFC\uAD6D)'",
        // 'Beta: 세계 언어 지원을 위해 Unicode UTF-8 사용'은 선택하지 않은 채로
        L"'Beta: \uC138\uACC4 \uC5B8\uC5B4 \uC9C0\uC6D0\uC744 \uC704\uD574 Unicode UTF-8 \uC0AC\uC6A9'\uC740 "
        L"\uC120\uD0DD\uD558\uC9C0 \uC54A\uC740 \uCC44\uB85C",
    };
    for (size_t i = 0; i < sizeof parts / sizeof parts[0]; ++i)
      EXPECT_NE(text.find(parts[i]), std::wstring::npos) << "part " << i << " missing from the message";

    // Answered, the program runs on as it does on any system.
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(Responds(product.main));
  });
}

}  // namespace
