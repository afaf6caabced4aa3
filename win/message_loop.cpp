#include "win/message_loop.h"

#include <exception>

#include "win/handles.h"

namespace win {

BOOL PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return FALSE;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return TRUE;
}

bool WaitHandlingMessages(HANDLE handle, DWORD timeoutMs) {
  bool quit = false;
  bool signalled = false;
  const DWORD start = ::GetTickCount();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      const DWORD waited = ::GetTickCount() - start;
      left = waited >= timeoutMs ? 0 : timeoutMs - waited;
    }
    const DWORD woke = quit ? ::WaitForSingleObject(handle, left)
                            : ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) {
      signalled = true;
      break;
    }
    if (woke != WAIT_OBJECT_0 + 1 || quit) break;  // the time ran out, or the wait failed
    if (!PumpMessages()) quit = true;
  }
  if (quit) ::PostQuitMessage(0);
  return signalled;
}

void WaitHandlingMessages(HANDLE handle) { WaitHandlingMessages(handle, INFINITE); }

namespace {

struct Work {
  const std::function<void()>* run;
  std::exception_ptr failure;
};

DWORD WINAPI RunWork(void* param) {
  auto* work = static_cast<Work*>(param);
  try {
    (*work->run)();
  } catch (...) {
    // Nothing may unwind out of a thread: the caller gets it when the thread has ended.
    work->failure = std::current_exception();
  }
  return 0;
}

}  // namespace

void RunHandlingMessages(const std::function<void()>& run) {
  Work work = {&run, nullptr};
  ScopedHandle thread(::CreateThread(nullptr, 0, &RunWork, &work, 0, nullptr));
  if (!thread) {
    run();
    return;
  }
  WaitHandlingMessages(thread.Get());
  // `work` lives on this stack: however the wait ended, the thread is done before it goes.
  ::WaitForSingleObject(thread.Get(), INFINITE);
  if (work.failure) std::rethrow_exception(work.failure);
}

}  // namespace win
