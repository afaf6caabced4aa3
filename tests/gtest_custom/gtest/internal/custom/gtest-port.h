// Google Test's own customisation point, found ahead of its stock (empty) copy. The Windows builds
// use the -win32 thread model, whose C++ runtime has no std::mutex or std::condition_variable;
// Google Test needs them only for this one class, so it gets a system event instead.
#ifndef KQ_GTEST_CUSTOM_GTEST_PORT_H_
#define KQ_GTEST_CUSTOM_GTEST_PORT_H_

#if defined(_WIN32)
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets a controlling thread hold newly created threads until it says go.
class Notification {
 public:
  Notification() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() {
    if (m_event != nullptr) ::CloseHandle(m_event);
  }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { ::SetEvent(m_event); }
  void WaitForNotification() { ::WaitForSingleObject(m_event, INFINITE); }

 private:
  HANDLE m_event;
};

}  // namespace internal
}  // namespace testing
#endif  // _WIN32

#endif  // KQ_GTEST_CUSTOM_GTEST_PORT_H_
