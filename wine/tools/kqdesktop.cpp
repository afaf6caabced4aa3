// Keeps a prefix's desktop for a test or demo session: starts it, and with it Wine's background
// processes (explorer.exe, services.exe ...), from a process whose output goes nowhere, then stays
// attached to it until the session ends the prefix's wineserver.
//   kqdesktop READY_FILE     creates READY_FILE once the desktop is up
// Wine's desktop process ends soon after the last program on the desktop, and whoever starts it
// next lends it his output handles: a test runner would then wait on that test's output pipe until
// the session ends.
#include <windows.h>
#include <shellapi.h>

int main() {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (args == nullptr || count != 2) return 2;
  if (::GetDesktopWindow() == nullptr) return 1;
  // A window of its own (never shown) keeps this process a program on the desktop.
  HWND window = ::CreateWindowExW(0, L"STATIC", L"kqdesktop", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return 1;
  HANDLE ready = ::CreateFileW(args[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  ::CloseHandle(ready);
  ::LocalFree(args);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return 0;
}
