// The stand-in player as the scheduler sees it: window structure, state
// control 88, the commands, the recording request, the quality dialog, the
// output file, and each misbehaviour option. Everything goes through
// messages from this process, and the stand-in's journal tells what it did.
#include <gtest/gtest.h>

#include <cstdio>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "resources/strings.h"

namespace {

using e2e::JournalEvent;
using e2e::Standin;

const WPARAM kStart = 82;
const WPARAM kStop = 83;
const WPARAM kQuality = 1003;
const int kStateControl = 88;
const ULONG_PTR kRequestId = 100;
const DWORD kExitAbandoned = 3;
const size_t kFrameSize = 417;

bool IsIdle(HWND plugin) { return e2e::ControlText(plugin, kStateControl, 40) == STR_PLUGIN_IDLE_TEXT; }

bool IsRecordingShown(HWND plugin) {
  std::string text;
  return e2e::ReadControlText(plugin, kStateControl, &text, 40) && text != STR_PLUGIN_IDLE_TEXT;
}

// A window of this process to name as the sender of the recording request.
class SenderWindow {
 public:
  SenderWindow()
      : window_(CreateWindowExA(0, "STATIC", "e2e sender", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr)) {}
  ~SenderWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

std::string Hex(HWND window) {
  char text[32];
  snprintf(text, sizeof text, "0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

// Sends a request and starts a recording, then waits until control 88 shows it.
void RequestAndStart(const Standin& standin, const std::string& params, const std::string& name,
                     JournalEvent* start) {
  SenderWindow sender;
  ASSERT_EQ(TRUE, e2e::SendCopyData(standin.plugin, sender.get(), kRequestId,
                                    e2e::RecordingRequestBlock(params, name)));
  size_t before = e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "start").size();
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", before + 1, start));
  ASSERT_TRUE(e2e::WaitFor([&] { return IsRecordingShown(standin.plugin); }));
}

// ---- Structure ----

TEST(Standin, WindowsHaveTheClassesOwnerTitleAndStateTheSchedulerLooksFor) {
  std::string dir = e2e::NewTempDir("structure");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));

  EXPECT_EQ(standin.process.pid(), std::stoul(standin.ready.Field("pid")));
  EXPECT_EQ(standin.player, e2e::FindPlayerWindowOf(standin.process.pid()));
  EXPECT_EQ(STR_PLAYER_CLASS, e2e::ClassNameOf(standin.player));
  EXPECT_EQ(nullptr, e2e::OwnerOf(standin.player));
  EXPECT_TRUE(IsWindowVisible(standin.player));

  ASSERT_NE(nullptr, standin.plugin);
  EXPECT_EQ(standin.plugin, e2e::FindPluginWindowOf(standin.player));
  EXPECT_EQ(STR_DIALOG_CLASS, e2e::ClassNameOf(standin.plugin));
  EXPECT_EQ(standin.player, e2e::OwnerOf(standin.plugin));
  EXPECT_EQ(standin.player, GetParent(standin.plugin));
  EXPECT_EQ(STR_PLUGIN_TITLE_MARK " v1.02 (stand-in)", e2e::WindowTextOf(standin.plugin));
  EXPECT_TRUE(IsWindowVisible(standin.plugin));
  EXPECT_EQ(STR_PLUGIN_IDLE_TEXT, e2e::ControlText(standin.plugin, kStateControl, 40));
}

TEST(Standin, ShowsItsWindowsWithoutTakingTheForeground) {
  // A desktop of its own, so only the stand-in could take the foreground
  // from the window this test puts there.
  e2e::RunIsolated("foreground", [](const e2e::PrivateDesktop& desktop) {
    HWND mine = CreateWindowExA(0, "STATIC", "e2e foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    ASSERT_NE(nullptr, mine);
    SetForegroundWindow(mine);
    ASSERT_EQ(mine, GetForegroundWindow());

    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("foreground"), {}, &standin));
    ASSERT_TRUE(IsWindowVisible(standin.plugin));
    // Let anything the stand-in posted to itself on the way be handled.
    Sleep(300);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_EQ(mine, GetForegroundWindow());
    DestroyWindow(mine);
  });
}

// ---- Start, stop and the output file ----

TEST(Standin, StartAndStopShowInControl88AndKeepTheFileOpenMeanwhile) {
  std::string dir = e2e::NewTempDir("startstop");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));

  // No request came: a default name in the stand-in's current folder.
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  JournalEvent start;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &start));
  EXPECT_EQ("1", start.Field("default"));
  EXPECT_EQ("0", start.Field("existed"));
  EXPECT_EQ("", start.Field("params"));
  std::string file = start.Field("name");
  EXPECT_EQ(0u, file.find(dir + "standin-")) << file;
  ASSERT_TRUE(e2e::WaitFor([&] { return IsRecordingShown(standin.plugin); }));
  EXPECT_EQ(0u, e2e::ControlText(standin.plugin, kStateControl, 40).find(STR_STANDIN_RECORDING));

  // While recording the file grows and nobody else may write it.
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), e2e::OpenForWritingError(file));
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::FileSize(file) > static_cast<long long>(kFrameSize); }));

  // A second start changes nothing.
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  JournalEvent ignored;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start-ignored", 1, &ignored));
  EXPECT_EQ("recording", ignored.Field("reason"));
  EXPECT_TRUE(IsRecordingShown(standin.plugin));

  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStop));
  JournalEvent stop;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, &stop));
  EXPECT_EQ(file, stop.Field("name"));
  ASSERT_TRUE(e2e::WaitFor([&] { return IsIdle(standin.plugin); }));
  EXPECT_EQ(0u, e2e::OpenForWritingError(file));
  std::string bytes = e2e::ReadFileBytes(file);
  EXPECT_EQ(std::to_string(bytes.size()), stop.Field("bytes"));
  EXPECT_EQ(0u, bytes.size() % kFrameSize);
  ASSERT_GE(bytes.size(), 2 * kFrameSize);
  EXPECT_EQ("\xFF\xFB", bytes.substr(0, 2));

  // A stop while idle changes nothing either.
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStop));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop-ignored", 1, &ignored));
  EXPECT_EQ("idle", ignored.Field("reason"));
  EXPECT_EQ(1u, e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "stop").size());
  EXPECT_TRUE(IsIdle(standin.plugin));
}

// ---- Recording request ----

TEST(Standin, RequestIsJournaledByteExactAndUsedForTheNextRecordingOnly) {
  std::string dir = e2e::NewTempDir("request");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));

  // Hangul in the name, and a cp949 pair whose trail byte is an ASCII letter
  // (0x81 0x41), which a wrong conversion would garble.
  std::string name = dir + STR_PLUGIN_TITLE_MARK " \x81\x41 " STR_PLUGIN_IDLE_TEXT ".mp3";
  JournalEvent start;
  ASSERT_NO_FATAL_FAILURE(RequestAndStart(standin, "96 22050 1", name, &start));

  JournalEvent request;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", 1, &request));
  EXPECT_EQ("96 22050 1", request.Field("params"));
  EXPECT_EQ(name, request.Field("name"));
  EXPECT_EQ("0", start.Field("default"));
  EXPECT_EQ("0", start.Field("existed"));
  EXPECT_EQ("96 22050 1", start.Field("params"));
  EXPECT_EQ(name, start.Field("name"));
  EXPECT_TRUE(e2e::FileExists(name));

  // The request was spent: the next recording falls back to a default name.
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStop));
  ASSERT_TRUE(e2e::WaitFor([&] { return IsIdle(standin.plugin); }));
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 2, &start));
  EXPECT_EQ("1", start.Field("default"));
  EXPECT_EQ("", start.Field("params"));
  EXPECT_NE(name, start.Field("name"));
}

TEST(Standin, RequestWithEmptyParametersAndAnExistingFile) {
  std::string dir = e2e::NewTempDir("emptyparams");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));
  std::string name = dir + "old recording.mp3";
  ASSERT_TRUE(e2e::WriteFileBytes(name, "earlier"));

  SenderWindow sender;
  std::string block = e2e::RecordingRequestBlock("", name);
  ASSERT_EQ('\0', block[0]);
  ASSERT_EQ(TRUE, e2e::SendCopyData(standin.plugin, sender.get(), kRequestId, block));
  JournalEvent request;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", 1, &request));
  EXPECT_EQ(Hex(sender.get()), request.Field("from"));
  EXPECT_TRUE(request.Has("params"));
  EXPECT_EQ("", request.Field("params"));
  EXPECT_EQ(name, request.Field("name"));

  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  JournalEvent start;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &start));
  // The journal is how tests prove the scheduler never hands over an existing name.
  EXPECT_EQ("1", start.Field("existed"));
  EXPECT_EQ(name, start.Field("name"));
}

TEST(Standin, OtherCopyDataIsRefusedAndJournaled) {
  std::string dir = e2e::NewTempDir("copydata");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));
  SenderWindow sender;
  std::string block = e2e::RecordingRequestBlock("128 44100 2", dir + "x.mp3");

  EXPECT_EQ(FALSE, e2e::SendCopyData(standin.plugin, sender.get(), kRequestId + 1, block));
  EXPECT_EQ(FALSE, e2e::SendCopyData(standin.plugin, sender.get(), kRequestId, block.substr(0, 519)));
  JournalEvent ignored;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "copydata-ignored", 2, &ignored));
  std::vector<JournalEvent> all =
      e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "copydata-ignored");
  EXPECT_EQ("101", all[0].Field("dwData"));
  EXPECT_EQ("520", all[0].Field("cbData"));
  EXPECT_EQ("100", all[1].Field("dwData"));
  EXPECT_EQ("519", all[1].Field("cbData"));
  EXPECT_TRUE(e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "request").empty());

  // Nothing pending: a start records to a default name.
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  JournalEvent start;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &start));
  EXPECT_EQ("1", start.Field("default"));
}

// ---- Quality dialog ----

TEST(Standin, QualityDialogOpensOwnedByThePluginAndClosesOnIdok) {
  std::string dir = e2e::NewTempDir("quality");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));
  EXPECT_EQ(nullptr, e2e::FindOwnedWindow(standin.plugin, STR_QUALITY_DIALOG_TITLE));

  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kQuality));
  HWND quality = e2e::WaitForWindow(
      [&] { return e2e::FindOwnedWindow(standin.plugin, STR_QUALITY_DIALOG_TITLE); });
  ASSERT_NE(nullptr, quality);
  EXPECT_EQ(STR_QUALITY_DIALOG_TITLE, e2e::WindowTextOf(quality));
  EXPECT_EQ(0, GetWindowLongA(quality, GWL_STYLE) & WS_CHILD) << "must be a top-level window";
  JournalEvent open;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "quality-open", 1, &open));
  EXPECT_EQ(quality, open.Window("quality"));

  // Asked again while open: still one dialog.
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kQuality));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "quality-open-again", 1, nullptr));
  EXPECT_EQ(1u, e2e::OwnedWindows(standin.plugin).size());

  ASSERT_TRUE(e2e::PostCommand(quality, IDOK));
  ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(quality); }));
  std::vector<JournalEvent> events = e2e::ReadJournal(standin.journal);
  ASSERT_EQ(1u, e2e::EventsOfKind(events, "quality-accept").size());
  ASSERT_EQ(1u, e2e::EventsOfKind(events, "quality-closed").size());
  EXPECT_EQ("quality-closed", events.back().kind);
  EXPECT_EQ("quality-accept", events[events.size() - 2].kind);

  // It can be opened again after it closed.
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kQuality));
  EXPECT_NE(nullptr, e2e::WaitForWindow([&] {
              return e2e::FindOwnedWindow(standin.plugin, STR_QUALITY_DIALOG_TITLE);
            }));
}

// ---- Misbehaviour options ----

TEST(Standin, NoPluginLeavesOnlyThePlayerWindow) {
  std::string dir = e2e::NewTempDir("noplugin");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--no-plugin"}, &standin));
  EXPECT_EQ("0x0", standin.ready.Field("plugin"));
  EXPECT_EQ(standin.player, e2e::FindPlayerWindowOf(standin.process.pid()));
  EXPECT_EQ(nullptr, e2e::FindPluginWindowOf(standin.player));
  EXPECT_TRUE(e2e::OwnedWindows(standin.player).empty());
}

TEST(Standin, TitleOptionSetsThePluginTitleBytes) {
  std::string dir = e2e::NewTempDir("title");
  {
    // Without the mark the scheduler's search must pass it by.
    Standin standin;
    ASSERT_TRUE(e2e::StartStandin(dir, {"--title", "Recorder v1.02"}, &standin));
    EXPECT_EQ("Recorder v1.02", e2e::WindowTextOf(standin.plugin));
    EXPECT_EQ(nullptr, e2e::FindPluginWindowOf(standin.player));
    EXPECT_EQ(STR_PLUGIN_IDLE_TEXT, e2e::ControlText(standin.plugin, kStateControl, 40));
  }
  {
    // The mark anywhere in the title is enough; cp949 bytes arrive unchanged.
    std::string title = "MP3 " STR_PLUGIN_TITLE_MARK "v1.02 \x81\x41";
    std::string dir2 = e2e::NewTempDir("title-mark");
    Standin standin;
    ASSERT_TRUE(e2e::StartStandin(dir2, {"--title", title}, &standin));
    EXPECT_EQ(title, e2e::WindowTextOf(standin.plugin));
    EXPECT_EQ(standin.plugin, e2e::FindPluginWindowOf(standin.player));
  }
}

TEST(Standin, QualityNeverOpensIgnoresCommand1003) {
  std::string dir = e2e::NewTempDir("neveropens");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--quality-never-opens"}, &standin));
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kQuality));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "quality-open-ignored", 1, nullptr));
  // The command was handled (journaled) and no dialog came of it.
  EXPECT_TRUE(e2e::OwnedWindows(standin.plugin).empty());
  EXPECT_TRUE(e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "quality-open").empty());
}

TEST(Standin, QualityNeverClosesIgnoresIdok) {
  std::string dir = e2e::NewTempDir("nevercloses");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--quality-never-closes"}, &standin));
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kQuality));
  HWND quality = e2e::WaitForWindow(
      [&] { return e2e::FindOwnedWindow(standin.plugin, STR_QUALITY_DIALOG_TITLE); });
  ASSERT_NE(nullptr, quality);
  ASSERT_TRUE(e2e::PostCommand(quality, IDOK));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "quality-accept-ignored", 1, nullptr));
  EXPECT_TRUE(IsWindow(quality));
  EXPECT_TRUE(e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "quality-closed").empty());
}

TEST(Standin, DelayMsHoldsTheRequestAndTheCommands) {
  const DWORD delay = 800;
  std::string dir = e2e::NewTempDir("delay");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--delay-ms", std::to_string(delay)}, &standin));
  SenderWindow sender;

  // WM_COPYDATA is synchronous: the sender waits out the delay.
  ULONGLONG before = GetTickCount64();
  ASSERT_EQ(TRUE, e2e::SendCopyData(standin.plugin, sender.get(), kRequestId,
                                    e2e::RecordingRequestBlock("", dir + "slow.mp3")));
  EXPECT_GE(GetTickCount64() - before, delay - 50);

  // A posted start is taken only after the delay (the tick counter is shared).
  before = GetTickCount64();
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  JournalEvent start;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &start));
  EXPECT_GE(start.tick - before, delay - 50);
  EXPECT_EQ(dir + "slow.mp3", start.Field("name"));
}

TEST(Standin, ExitAfterRecordingEndsTheProcessMidRecording) {
  std::string dir = e2e::NewTempDir("exitafter");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--exit-after-recording", "1"}, &standin));
  std::string name = dir + "cut.mp3";
  JournalEvent start;
  ASSERT_NO_FATAL_FAILURE(RequestAndStart(standin, "", name, &start));

  DWORD exitCode = 0;
  ASSERT_TRUE(e2e::WaitForExit(standin.process.info(), e2e::kWaitMs, &exitCode));
  EXPECT_EQ(kExitAbandoned, exitCode);
  std::vector<JournalEvent> events = e2e::ReadJournal(standin.journal);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ("exit", events.back().kind);
  EXPECT_EQ("exit-after-recording", events.back().Field("reason"));
  EXPECT_EQ("1", events.back().Field("recording"));
  // About a second after the start, not at once (timers may round a little).
  EXPECT_GE(events.back().tick - start.tick, 950u);
  EXPECT_TRUE(e2e::EventsOfKind(events, "stop").empty());
  EXPECT_FALSE(IsWindow(standin.plugin));
  EXPECT_EQ(0u, e2e::OpenForWritingError(name));
  EXPECT_GE(e2e::FileSize(name), static_cast<long long>(kFrameSize));
}

TEST(Standin, ExitAfterRecordingIsCancelledByAStop) {
  std::string dir = e2e::NewTempDir("exitcancel");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--exit-after-recording", "2"}, &standin));
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStop));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, nullptr));
  EXPECT_FALSE(e2e::WaitForExit(standin.process.info(), 3000));
  EXPECT_TRUE(standin.process.running());
}

// A recording fills at its bitrate in whole frames; told to, it stops
// writing after a while (or writes nothing: the scheduler's tests use that)
// and reports that it records all the same.
TEST(Standin, WritesAtTheBitrateAndStopsWritingWhileItStillRecords) {
  std::string dir = e2e::NewTempDir("writing");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--stop-writing-after", "1"}, &standin));
  JournalEvent start, stopped;
  ASSERT_NO_FATAL_FAILURE(RequestAndStart(standin, "192 44100 2", dir + "take.mp3", &start));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "write-stopped", 1, &stopped));
  // A second at 192 kbit/s: 24 000 bytes, in 58 frames.
  const std::string second = std::to_string(58 * kFrameSize);
  EXPECT_EQ(second, stopped.Field("bytes"));
  Sleep(2200);
  EXPECT_TRUE(IsRecordingShown(standin.plugin));
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStop));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, &stopped));
  EXPECT_EQ(second, stopped.Field("bytes"));
}

TEST(Standin, ForeignDialogStandsAboveOrBelowThePluginAsAsked) {
  for (const char* order : {"above", "below"}) {
    SCOPED_TRACE(order);
    // On the shared desktop a window closing in a parallel test hands the
    // activation to whatever stands next, which may restack the stand-in's
    // dialogs; on a desktop of its own the order is only what it was told.
    e2e::RunIsolated(std::string("foreign-") + order, [&](const e2e::PrivateDesktop& desktop) {
      std::string dir = e2e::NewTempDir(std::string("foreign-") + order);
      Standin standin;
      ASSERT_TRUE(desktop.StartStandin(
          dir, {"--foreign-dialog", "Equalizer", "--foreign-order", order}, &standin));
      HWND foreign = standin.ready.Window("foreign");
      ASSERT_NE(nullptr, foreign);
      EXPECT_EQ(STR_DIALOG_CLASS, e2e::ClassNameOf(foreign));
      EXPECT_EQ(standin.player, e2e::OwnerOf(foreign));
      EXPECT_EQ("Equalizer", e2e::WindowTextOf(foreign));
      EXPECT_EQ(nullptr, GetDlgItem(foreign, kStateControl));

      std::vector<HWND> owned = e2e::OwnedWindows(standin.player);
      ASSERT_EQ(2u, owned.size());
      bool above = std::string(order) == "above";
      EXPECT_EQ(above ? foreign : standin.plugin, owned[0]);
      EXPECT_EQ(above ? "foreign" : "plugin", standin.ready.Field("first"));
      // Whatever the order, the search passes the look-alike by.
      EXPECT_EQ(standin.plugin, e2e::FindPluginWindowOf(standin.player));
    });
  }
}

TEST(Standin, UnknownOptionsAreJournaled) {
  std::string dir = e2e::NewTempDir("badoption");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {"--bogus", "--delay-ms", "soon"}, &standin));
  std::vector<JournalEvent> problems =
      e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "option-unknown");
  ASSERT_EQ(2u, problems.size());
  EXPECT_EQ("--bogus", problems[0].Field("text"));
  EXPECT_EQ("--delay-ms soon", problems[1].Field("text"));
  EXPECT_NE(nullptr, standin.plugin);
}

// ---- Ending ----

TEST(Standin, ClosingThePlayerJournalsExitLastAndReleasesTheFile) {
  std::string dir = e2e::NewTempDir("close");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));
  std::string name = dir + "closed.mp3";
  JournalEvent start;
  ASSERT_NO_FATAL_FAILURE(RequestAndStart(standin, "", name, &start));
  ASSERT_TRUE(e2e::PostCommand(standin.plugin, kQuality));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "quality-open", 1, nullptr));

  ASSERT_TRUE(PostMessageA(standin.player, WM_CLOSE, 0, 0));
  DWORD exitCode = 99;
  ASSERT_TRUE(e2e::WaitForExit(standin.process.info(), e2e::kWaitMs, &exitCode));
  EXPECT_EQ(0u, exitCode);
  std::vector<JournalEvent> events = e2e::ReadJournal(standin.journal);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ("exit", events.back().kind);
  EXPECT_EQ("close", events.back().Field("reason"));
  EXPECT_EQ("1", events.back().Field("recording"));
  EXPECT_EQ(0u, e2e::OpenForWritingError(name));
}

TEST(Standin, EndSessionOrAQuitFromOutsideEndTheProcessWithAnExitLine) {
  {
    std::string dir = e2e::NewTempDir("endsession");
    Standin standin;
    ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));
    ASSERT_TRUE(PostMessageA(standin.player, WM_ENDSESSION, TRUE, 0));
    ASSERT_TRUE(e2e::WaitForExit(standin.process.info(), e2e::kWaitMs));
    std::vector<JournalEvent> events = e2e::ReadJournal(standin.journal);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ("exit", events.back().kind);
    EXPECT_EQ("endsession", events.back().Field("reason"));
    EXPECT_EQ("0", events.back().Field("recording"));
  }
  {
    std::string dir = e2e::NewTempDir("quit");
    Standin standin;
    ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));
    ASSERT_TRUE(e2e::PostCommand(standin.plugin, kStart));
    JournalEvent start;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &start));
    ASSERT_TRUE(PostThreadMessageA(standin.process.info().dwThreadId, WM_QUIT, 5, 0));
    DWORD exitCode = 0;
    ASSERT_TRUE(e2e::WaitForExit(standin.process.info(), e2e::kWaitMs, &exitCode));
    EXPECT_EQ(5u, exitCode);
    std::vector<JournalEvent> events = e2e::ReadJournal(standin.journal);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ("exit", events.back().kind);
    EXPECT_EQ("quit", events.back().Field("reason"));
    EXPECT_EQ("1", events.back().Field("recording"));
    EXPECT_EQ(0u, e2e::OpenForWritingError(start.Field("name")));
  }
}

TEST(Standin, ClosingThePluginDialogUnloadsItWhileThePlayerStays) {
  std::string dir = e2e::NewTempDir("unload");
  Standin standin;
  ASSERT_TRUE(e2e::StartStandin(dir, {}, &standin));
  ASSERT_TRUE(PostMessageA(standin.plugin, WM_CLOSE, 0, 0));
  JournalEvent closed;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "plugin-closed", 1, &closed));
  EXPECT_EQ("0", closed.Field("recording"));
  ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(standin.plugin); }));
  EXPECT_TRUE(IsWindow(standin.player));
  EXPECT_EQ(nullptr, e2e::FindPluginWindowOf(standin.player));
  EXPECT_TRUE(standin.process.running());
}

// ---- Journal format ----

TEST(StandinJournal, LinesParseIntoStampsKindAndFields) {
  JournalEvent event;
  ASSERT_TRUE(e2e::ParseJournalLine(
      "09:05:01.042 123456 request from=0x1a params=128 44100 2 name=C:\\a b\\x name=y.mp3",
      &event));
  EXPECT_EQ("09:05:01.042", event.clock);
  EXPECT_EQ(123456u, event.tick);
  EXPECT_EQ("request", event.kind);
  EXPECT_EQ(reinterpret_cast<HWND>(0x1a), event.Window("from"));
  EXPECT_EQ("128 44100 2", event.Field("params"));
  // The name takes the rest of the line, whatever it holds.
  EXPECT_EQ("C:\\a b\\x name=y.mp3", event.Field("name"));

  ASSERT_TRUE(e2e::ParseJournalLine("23:59:59.999 7 request from=0x0 params= name=", &event));
  EXPECT_TRUE(event.Has("params"));
  EXPECT_EQ("", event.Field("params"));
  EXPECT_EQ("", event.Field("name"));
  EXPECT_EQ(nullptr, event.Window("from"));

  ASSERT_TRUE(e2e::ParseJournalLine("00:00:00.000 1 stop-ignored reason=idle", &event));
  EXPECT_EQ("stop-ignored", event.kind);
  EXPECT_EQ("idle", event.Field("reason"));
  ASSERT_TRUE(e2e::ParseJournalLine("00:00:00.000 1 quality-closed", &event));
  EXPECT_TRUE(event.fields.empty());

  EXPECT_FALSE(e2e::ParseJournalLine("", &event));
  EXPECT_FALSE(e2e::ParseJournalLine("09:05:01 12 start", &event));
  EXPECT_FALSE(e2e::ParseJournalLine("09:05:01.042 x12 start", &event));
  EXPECT_FALSE(e2e::ParseJournalLine("09:05:01.042 12 start existed", &event));
}

TEST(StandinJournal, AHalfWrittenLastLineIsNotRead) {
  std::string dir = e2e::NewTempDir("journal");
  std::string path = dir + "journal.txt";
  ASSERT_TRUE(e2e::WriteFileBytes(path, "10:00:00.000 5 ready pid=1 player=0x2 plugin=0x3\r\n"
                                        "10:00:00.100 6 sto"));
  std::vector<JournalEvent> events = e2e::ReadJournal(path);
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ("ready", events[0].kind);
  EXPECT_EQ("0x3", events[0].Field("plugin"));
}

}  // namespace
