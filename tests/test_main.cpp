// Entry point of the unit-test programs (Windows under Wine, and the host build).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include "win/app.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  // No test may ever wait for a person: an unexpected message box fails the test instead.
  win::SetMessageBoxHook([](HWND, const std::wstring& text, const std::wstring&, UINT) {
    ADD_FAILURE() << "unexpected message box";
    (void)text;
    return IDOK;
  });
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
