#pragma once

#include <windows.h>

// The dialog to offer a message of window to: the first top-level dialog on
// the way up from window through its parents or, when there is none, the
// outermost child dialog met; null when no dialog is met.
HWND DialogForMessage(HWND window);

// Gets and handles the thread's messages until the quit message: thread
// messages are dispatched as they are, dialog messages go to MainDialog or
// the DialogForMessage, the rest is translated and dispatched. An error of
// GetMessageA is followed by a pause of 10 ms and a retry.
void RunMessageLoop();
