#include "win/message_loop.h"

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

DWORD WINAPI RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

}  // namespace

void RunHandlingMessages(const std::function<void()>& work) {
  ScopedHandle thread(::CreateThread(nullptr, 0, &RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr));
  if (!thread) {
    work();
    return;
  }
  WaitHandlingMessages(thread.Get());
  // `work` lives on this stack: however the wait ended, the thread is done before it goes.
  ::WaitForSingleObject(thread.Get(), INFINITE);
}

}  // namespace win
