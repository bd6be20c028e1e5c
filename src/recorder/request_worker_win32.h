// The recording request's waits, on a thread of their own. A request to a
// slow plug-in, or one whose quality dialog does not open or close, waits up
// to tens of seconds; on the main window's thread that would be a window
// that neither paints nor answers meanwhile. The request cannot be sent
// without waiting (a WM_COPYDATA block is only delivered by a sent message),
// so another thread does the waiting.
//
// One thread for the program's whole run: started once and never ending by
// itself (between requests it waits for the next), so nothing about it can
// end while the process does.
#pragma once
#include <windows.h>

#include "recorder/plugin_win32.h"

// Starts the thread unless it runs already. False when it cannot be started.
bool StartRequestWorker();

// Hands the request to the worker, which delivers it (DeliverRecordingRequest)
// and then posts `message` to `notify` with wParam = serial and lParam = the
// RequestResult. The request is copied: the caller may drop it at once.
// False when nothing was handed over: the worker cannot be started, or it is
// still busy with an earlier request whose answer has not been posted.
bool BeginRecordingRequest(const RecordingRequest& request, HWND notify, UINT message, WPARAM serial);
