// A desktop of a test's own, so the programs one test starts cannot meet the
// programs of another test running at the same time in the same Wine prefix.
//
// The scheduler finds its peers by class alone ("MP3_Tavelund" for its single
// instance, "Winamp v1.x" for the player), and FindWindow only looks at the
// caller's desktop. Tests that start the scheduler or a stand-in player run
// their body on a thread attached to a new desktop and start every process on
// that desktop; parallel tests then each see only their own windows.
//
// Header-only: used by the whole-process tests and by in-process tests that
// drive the stand-in player.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "e2e/e2e_support.h"

namespace e2e {

// A thread that runs one job and then, instead of ending, parks (answering
// messages) until the process ends; Wait() returns once the job is done.
// Wine 8 now and then kills a whole process with a Unix SIGSEGV when a signal
// reaches one of its threads in the last instants of ending, as when a test
// ends or kills a child process right after such a thread ended. A parked
// thread ends only with the process, the way every worker of a program does.
class ParkedThread {
 public:
  explicit ParkedThread(std::function<void()> job)
      : job_(std::move(job)), done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    HANDLE thread = done_ != nullptr ? CreateThread(nullptr, 0, &RunThenPark, this, 0, nullptr) : nullptr;
    started_ = thread != nullptr;
    if (started_) CloseHandle(thread);
  }
  ~ParkedThread() {
    Wait();
    if (done_ != nullptr) CloseHandle(done_);
  }
  ParkedThread(const ParkedThread&) = delete;
  ParkedThread& operator=(const ParkedThread&) = delete;

  void Wait() const {
    if (started_) WaitForSingleObject(done_, INFINITE);
  }

 private:
  static DWORD WINAPI RunThenPark(void* param) {
    ParkedThread* self = static_cast<ParkedThread*>(param);
    self->job_();
    SetEvent(self->done_);  // self may be gone from here on
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    for (;;) Sleep(INFINITE);
  }

  std::function<void()> job_;
  HANDLE done_;
  bool started_ = false;
};

class PrivateDesktop {
 public:
  explicit PrivateDesktop(const std::string& label) {
    static int counter = 0;
    name_ = "tavelund-" + label + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    desktop_ = CreateDesktopA(name_.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  }
  ~PrivateDesktop() {
    if (desktop_ != nullptr) CloseDesktop(desktop_);
  }
  PrivateDesktop(const PrivateDesktop&) = delete;
  PrivateDesktop& operator=(const PrivateDesktop&) = delete;

  bool ok() const { return desktop_ != nullptr; }
  const std::string& name() const { return name_; }

  // Runs body on a new thread attached to this desktop and waits for it. A
  // thread that already owns windows cannot change its desktop, hence the
  // fresh thread. Returns false when the thread could not be attached (the
  // body did not run).
  bool Run(const std::function<void()>& body) const {
    bool attached = false;
    ParkedThread worker([&] {
      attached = SetThreadDesktop(desktop_) != FALSE;
      if (attached) body();
    });
    worker.Wait();
    return attached;
  }

  // Starts exePath on this desktop (the arguments quoted as needed), with the
  // start-up information's show command when one is given (as a shortcut's
  // "Run" setting hands it on).
  PROCESS_INFORMATION Start(const std::string& exePath, const std::vector<std::string>& args,
                            const std::string& workDir = "", int showCommand = -1) const {
    std::string commandLine = QuoteArgument(exePath);
    for (const std::string& arg : args) commandLine += " " + QuoteArgument(arg);
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    std::vector<char> desktopName(name_.begin(), name_.end());
    desktopName.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktopName.data();
    if (showCommand >= 0) {
      startup.dwFlags |= STARTF_USESHOWWINDOW;
      startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exePath.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
      return PROCESS_INFORMATION{};
    }
    return info;
  }

  // StartStandin on this desktop: journal in workDir\journal.txt, waits for
  // its "ready" line.
  bool StartStandin(const std::string& workDir, const std::vector<std::string>& args,
                    Standin* standin) const {
    standin->journal = workDir + "journal.txt";
    std::vector<std::string> all = {"--journal", standin->journal};
    all.insert(all.end(), args.begin(), args.end());
    standin->process.Reset(Start(BuiltProgram("standin-player.exe"), all, workDir));
    if (standin->process.info().hProcess == nullptr) return false;
    if (!WaitForJournalEvent(standin->journal, "ready", 1, &standin->ready)) return false;
    standin->player = standin->ready.Window("player");
    standin->plugin = standin->ready.Window("plugin");
    return standin->player != nullptr;
  }

 private:
  std::string name_;
  HDESK desktop_ = nullptr;
};

// Runs body on a desktop of its own; a desktop that cannot be made or joined
// fails the test.
inline void RunIsolated(const std::string& label, const std::function<void(const PrivateDesktop&)>& body) {
  PrivateDesktop desktop(label);
  ASSERT_TRUE(desktop.ok());
  ASSERT_TRUE(desktop.Run([&] { body(desktop); }));
}

}  // namespace e2e
