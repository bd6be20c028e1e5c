#include "recorder/request_worker_win32.h"

namespace {

// The one request in hand. Written by the caller only while the worker is
// idle, read by the worker only after the event; the event and the busy flag
// order the two.
struct WorkerJob {
  RecordingRequest request;
  HWND notify;
  UINT message;
  WPARAM serial;
};
WorkerJob job;
HANDLE jobReady = nullptr;
volatile LONG busy = 0;

DWORD WINAPI RequestWorker(void*) {
  for (;;) {
    if (WaitForSingleObject(jobReady, INFINITE) != WAIT_OBJECT_0) {
      Sleep(INFINITE);
      continue;
    }
    const RequestResult result = DeliverRecordingRequest(job.request);
    const HWND notify = job.notify;
    const UINT message = job.message;
    const WPARAM serial = job.serial;
    // Idle before the answer goes out: whoever gets it may hand over the next.
    InterlockedExchange(&busy, 0);
    PostMessageA(notify, message, serial, static_cast<LPARAM>(result));
  }
}

}  // namespace

bool StartRequestWorker() {
  if (jobReady) return true;
  HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!ready) return false;
  jobReady = ready;
  HANDLE thread = CreateThread(nullptr, 0, RequestWorker, nullptr, 0, nullptr);
  if (!thread) {
    jobReady = nullptr;
    CloseHandle(ready);
    return false;
  }
  // A start on its second waits for this thread: it must not queue behind
  // the work of the rest of the machine.
  SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
  CloseHandle(thread);
  return true;
}

bool BeginRecordingRequest(const RecordingRequest& request, HWND notify, UINT message, WPARAM serial) {
  if (!StartRequestWorker()) return false;
  if (InterlockedCompareExchange(&busy, 1, 0) != 0) return false;
  job.request = request;
  job.notify = notify;
  job.message = message;
  job.serial = serial;
  SetEvent(jobReady);
  return true;
}
