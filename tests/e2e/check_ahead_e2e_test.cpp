// The look at each window before it opens, as whole processes: with a short
// lead in the settings, windows a minute or two ahead are looked at as soon
// as the scheduler runs, and what would keep them from recording is in the
// history long before their second.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "resources/strings.h"

namespace {

using e2e::PrivateDesktop;
using e2e::Standin;
using namespace e2e::product;

// Seconds since midnight of a history line's stamp.
int StampOf(const std::string& line) { return line.size() > 19 ? SecondsOfClock(line.substr(11, 8)) : -1; }

TEST(CheckAhead, MissingDriveAndAnOverlapAreToldMinutesBeforeTheirSecondsNamingTheOtherWindow) {
  AvoidMidnight();
  RunIsolated("ahead", [](const PrivateDesktop& desktop) {
    const DWORD drives = GetLogicalDrives();
    std::string absent;
    for (char letter : std::string("QRSTUVWXY"))
      if (!(drives & (1u << (letter - 'A')))) {
        absent = std::string(1, letter) + ":\\";
        break;
      }
    ASSERT_FALSE(absent.empty()) << "no unmapped drive letter";
    const std::string out = e2e::NewTempDir("ahead-out");
    // Within the two minutes' lead: all three are looked at once the scheduler runs.
    const int now = NowSeconds(), first = now + 60, second = now + 90, lost = now + 100;
    Standin standin;
    Product product;
    std::string dir = e2e::NewTempDir("ahead");
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("ahead-player"), {}, &standin));
    StartProduct(desktop, dir, &product,
                 STR_KEY_CHECK_AHEAD_MINUTES "=2\r\n[MP3Schedule]\r\n" + Line(0, first, first + 300, out + "a.mp3") +
                     Line(1, lost, lost + 60, absent + "rec\\b.mp3") + Line(2, second, second + 120, out + "c.mp3"));
    if (testing::Test::HasFatalFailure()) return;

    // One window a tick, in the order they open; the window on the missing
    // drive has two reasons. The first, which records, has nothing to say.
    ASSERT_TRUE(WaitForHistory(dir, STR_HISTORY_CHECKED_AHEAD, 3, 6000)) << Joined(HistoryLines(dir));
    std::vector<std::string> lines = HistoryOf(dir, STR_HISTORY_CHECKED_AHEAD);
    ASSERT_EQ(lines.size(), 3u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryBody(lines[0]), STR_HISTORY_CHECKED_AHEAD "  " + WindowTimes(second, second + 120) + "  " +
                                         STR_REASON_OTHER_RECORDING ": " + WindowTimes(first, first + 300));
    EXPECT_EQ(HistoryBody(lines[1]), STR_HISTORY_CHECKED_AHEAD "  " + WindowTimes(lost, lost + 60) + "  " +
                                         STR_REASON_OTHER_RECORDING ": " + WindowTimes(first, first + 300));
    for (const std::string& line : lines) EXPECT_LT(StampOf(line), first - 30) << line;
    EXPECT_EQ(HistoryBody(lines[2]), STR_HISTORY_CHECKED_AHEAD "  " + WindowTimes(lost, lost + 60) + "  " +
                                         STR_REASON_NO_DRIVE ": " + absent + "rec\\");
    // The last told stands in the status line; a few ticks later nothing more was told.
    EXPECT_EQ(Status(product.main), STR_HISTORY_CHECKED_AHEAD "(" + WindowTimes(lost, lost + 60) + "): " +
                                        STR_REASON_NO_DRIVE);
    Sleep(2500);
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_CHECKED_AHEAD).size(), 3u) << Joined(HistoryLines(dir));
    CloseProduct(&product);
  });
}

}  // namespace
