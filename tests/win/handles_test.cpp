// The handle owners: closing what they hold keeps the thread's last error, so that a caller still
// reads the error of the call that failed, not the clean-up's.
#include "win/handles.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "win/message_loop.h"

namespace {

// A handle whose closing sets an error of its own, as a failing close of a real handle does.
struct NoisyTraits {
  using Handle = int;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle) { ::SetLastError(ERROR_INVALID_HANDLE); }
};

TEST(ScopedObject, ClosingKeepsTheLastError) {
  {
    win::ScopedObject<NoisyTraits> held(1);
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    held.Reset(2);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << "Reset";
    ::SetLastError(ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "destruction";

  // A real one: a failed allocation's error survives the block it replaces.
  win::ScopedLocalMemory block(::LocalAlloc(LMEM_FIXED, 16));
  ASSERT_TRUE(block);
  ::SetLastError(ERROR_OUTOFMEMORY);
  block.Reset(nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_OUTOFMEMORY));
}

// Work on a thread of its own: what it throws reaches the caller once the thread has ended,
// instead of ending the program.
TEST(RunHandlingMessages, WhatTheWorkThrowsReachesTheCaller) {
  DWORD workThread = 0;
  EXPECT_THROW(win::RunHandlingMessages([&] {
                 workThread = ::GetCurrentThreadId();
                 throw std::runtime_error("full disk");
               }),
               std::runtime_error);
  EXPECT_NE(workThread, ::GetCurrentThreadId());
}

}  // namespace
