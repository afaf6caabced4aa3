// The yardstick for start-up measurements: the smallest dialog program built the same way as
// KQSetup.exe (same toolchain, static runtime), showing one dialog with a Back button.
#include <windows.h>

#include <vector>

namespace {

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == 1022)) {
    ::EndDialog(hwnd, 0);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

void Append(std::vector<WORD>& t, const wchar_t* text) {
  do t.push_back(static_cast<WORD>(*text)); while (*text++);
}

}  // namespace

int main() {
  std::vector<WORD> t;
  auto dword = [&](DWORD v) { t.push_back(LOWORD(v)); t.push_back(HIWORD(v)); };
  dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE | DS_CENTER);
  dword(0);
  t.push_back(1);                          // one control
  t.insert(t.end(), {0, 0, 200, 100});     // x, y, cx, cy
  t.push_back(0);                          // no menu
  t.push_back(0);                          // default class
  Append(t, L"Minimal");
  if (t.size() % 2) t.push_back(0);        // DWORD alignment of the item
  dword(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON);
  dword(0);
  t.insert(t.end(), {70, 40, 60, 14});
  t.push_back(1022);
  t.push_back(0xFFFF);
  t.push_back(0x0080);                     // button class
  Append(t, L"Back");
  t.push_back(0);                          // no creation data
  return static_cast<int>(::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                                    reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                                    &DialogProc, 0));
}
