// Tavelund.exe with the stand-in player: finding the plug-in, following its
// state, the manual start and stop, losing the plug-in and finding it again.
// What the scheduler did is read from its own controls (cross-process) and
// from the stand-in's journal.
//
// Every test copies Tavelund.exe into a folder of its own, so its settings
// file (beside the exe) is its own, and runs on a desktop of its own (see
// desktop_support.h). The settings file is seeded so that the player launch
// the scheduler performs at start-up cannot disturb the test: [Config]
// "WINAMP.EXE" names an existing file that is no program. The launch then
// neither searches the drives (the file exists) nor starts a second player
// (starting a text file fails, and a failed start is not reported); the test
// starts its stand-in itself.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "resources/ids.h"
#include "resources/strings.h"

namespace {

using e2e::PrivateDesktop;
using e2e::Standin;
using namespace e2e::product;

TEST(PluginSearch, TitleMustHoldThePluginMark) {
  RunIsolated("title", [](const PrivateDesktop& desktop) {
    // A player whose only owned dialog lacks the mark: nothing is taken.
    Standin without;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("title-player"),
                                     {"--no-plugin", "--foreign-dialog", "Recorder v1.02"}, &without));
    Product product;
    StartProduct(desktop, e2e::NewTempDir("title"), &product);
    if (testing::Test::HasFatalFailure()) return;
    // Start and stop stay disabled while no plug-in is known.
    EXPECT_EQ("Lst", Buttons(product.main));
    EXPECT_TRUE(WaitForStatus(product.main, STR_STATUS_SEARCHING)) << Status(product.main);
    EXPECT_EQ("Lst", Buttons(product.main));

    // The mark anywhere in the title is enough, and the look-alike that the
    // walk meets first is passed over.
    PostMessageA(without.player, WM_CLOSE, 0, 0);
    ASSERT_TRUE(e2e::WaitForExit(without.process.info(), e2e::kWaitMs));
    std::string title = std::string("MP3 ") + STR_PLUGIN_TITLE_MARK + "-plug-in (stand-in)";
    Standin with;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("title-player-2"),
                                     {"--title", title, "--foreign-dialog", "Recorder v1.02"}, &with));
    EXPECT_EQ("foreign", with.ready.Field("first"));
    EXPECT_TRUE(WaitForStatus(product.main, title + STR_STATUS_FOUND_SUFFIX)) << Status(product.main);
    EXPECT_TRUE(WaitForButtons(product.main, "lSt")) << Buttons(product.main);
  });
}

// A player that comes up a few seconds before a window opens: its plug-in is
// looked for every second while the window is near, so it is found in time
// and the window starts on its second.
TEST(PluginSearch, PlayerStartedShortlyBeforeAWindowIsFoundInTimeForIt) {
  AvoidMidnight();
  RunIsolated("near", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("near-out");
    int start = NowSeconds() + 12;
    Product product;
    StartProduct(desktop, e2e::NewTempDir("near"), &product,
                 "[MP3Schedule]\r\n" + Line(0, start, start + 2, out + "near.mp3"));
    if (testing::Test::HasFatalFailure()) return;
    EXPECT_TRUE(WaitForStatus(product.main, STR_STATUS_SEARCHING)) << Status(product.main);
    SleepUntil(start - 3, 200);
    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("near-player"), {}, &standin));
    e2e::JournalEvent started;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &started, MsUntil(start, 2)));
    EXPECT_EQ(SecondsOfClock(started.clock), start) << started.line;
    EXPECT_EQ(started.Field("name"), out + "near.mp3");
  });
}

TEST(PluginConnection, ManualStartAndStopReachThePluginAndButtonsFollow) {
  RunIsolated("manual", [](const PrivateDesktop& desktop) {
    Standin standin;
    Product product;
    StartConnected(desktop, "manual", &standin, &product);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;
    ASSERT_TRUE(WaitForButtons(main, "lSt")) << Buttons(main);

    Click(main, IDC_MAIN_START);
    e2e::JournalEvent start;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &start));
    EXPECT_EQ("1", start.Field("default"));  // no request came before
    EXPECT_TRUE(WaitForButtons(main, "lsT")) << Buttons(main);

    // Start while recording and stop while idle are not passed on at all.
    Click(main, IDC_MAIN_START);
    Click(main, IDC_MAIN_STOP);
    e2e::JournalEvent stop;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, &stop));
    EXPECT_TRUE(WaitForButtons(main, "lSt")) << Buttons(main);
    Click(main, IDC_MAIN_STOP);
    Click(main, IDC_MAIN_START);
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 2, nullptr));
    EXPECT_TRUE(WaitForButtons(main, "lsT")) << Buttons(main);

    // The plug-in started and stopped by its own buttons: the scheduler's
    // buttons follow within a tick.
    e2e::PostCommand(standin.plugin, 83);
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 2, nullptr));
    EXPECT_TRUE(WaitForButtons(main, "lSt")) << Buttons(main);

    std::vector<e2e::JournalEvent> events = e2e::ReadJournal(standin.journal);
    EXPECT_EQ(0u, e2e::EventsOfKind(events, "start-ignored").size());
    EXPECT_EQ(0u, e2e::EventsOfKind(events, "stop-ignored").size());
    EXPECT_EQ(0u, e2e::EventsOfKind(events, "command-unknown").size());
  });
}

TEST(PluginConnection, KilledPlayerIsLostWithinATickAndFoundAgain) {
  RunIsolated("kill", [](const PrivateDesktop& desktop) {
    Standin standin;
    Product product;
    StartConnected(desktop, "kill", &standin, &product);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;
    std::string found = Status(main);

    TerminateProcess(standin.process.info().hProcess, 9);
    ASSERT_TRUE(e2e::WaitForExit(standin.process.info(), e2e::kWaitMs));
    EXPECT_TRUE(WaitForButtons(main, "Lst")) << Buttons(main);
    // The status line keeps its text until the next search tick.
    EXPECT_EQ(found, Status(main));
    EXPECT_TRUE(WaitForStatus(main, STR_STATUS_SEARCHING)) << Status(main);

    Standin again;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("kill-player-2"), {}, &again));
    EXPECT_TRUE(WaitForStatus(main, FoundStatus(again.plugin))) << Status(main);
    EXPECT_TRUE(WaitForButtons(main, "lSt")) << Buttons(main);

    // The new connection works: a manual start reaches the new plug-in.
    Click(main, IDC_MAIN_START);
    EXPECT_TRUE(e2e::WaitForJournalEvent(again.journal, "start", 1, nullptr));
  });
}

TEST(PluginConnection, PlayerThatDropsItsPluginKeepsTheButtonsOff) {
  RunIsolated("unload", [](const PrivateDesktop& desktop) {
    Standin standin;
    Product product;
    StartConnected(desktop, "unload", &standin, &product);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;

    // The plug-in window closes while the player stays.
    PostMessageA(standin.plugin, WM_CLOSE, 0, 0);
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "plugin-closed", 1, nullptr));
    EXPECT_TRUE(WaitForButtons(main, "Lst")) << Buttons(main);
    EXPECT_TRUE(WaitForStatus(main, STR_STATUS_SEARCHING)) << Status(main);

    // Through the next search tick and beyond, nothing changes back.
    ULONGLONG until = GetTickCount64() + 4500;
    std::string seen = "Lst";
    while (GetTickCount64() < until && seen == "Lst") {
      seen = Buttons(main);
      if (Status(main) != STR_STATUS_SEARCHING) seen += " status " + Status(main);
      Sleep(100);
    }
    EXPECT_EQ("Lst", seen);
  });
}

}  // namespace
