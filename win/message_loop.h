// Waiting without going silent: the wizard's long steps run on its window thread, and a window
// that handles no message for five seconds is offered to the person to be closed.
#pragma once

#include <windows.h>

#include <functional>

namespace win {

// Drains the thread's message queue; FALSE when it met WM_QUIT (which is then gone).
BOOL PumpMessages();

// Waits for `handle` while the thread's messages are handled, so that the window keeps answering.
// A quit request met meanwhile is posted again once the wait is over, for the loop that owns the
// thread.
void WaitHandlingMessages(HANDLE handle);

// The same with a limit: true when `handle` was signalled within `timeoutMs` milliseconds
// (INFINITE waits for good), false when the time ran out or the wait failed.
bool WaitHandlingMessages(HANDLE handle, DWORD timeoutMs);

// Runs `work` on a thread of its own and handles this thread's messages until it has ended: for
// blocking system calls of unknown length (starting a service waits for its process). What `work`
// throws is thrown here again once its thread has ended; when no thread can be made it runs here.
void RunHandlingMessages(const std::function<void()>& work);

}  // namespace win
