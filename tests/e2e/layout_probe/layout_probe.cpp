// A hook library for the end-to-end layout check: loaded into the wizard's process by a
// WH_GETMESSAGE hook on its UI thread, it measures every control of the wizard's frame on that
// thread, with the control's own font, when the test posts it layout::kMeasureMessage.
#include <windows.h>

#include <cwchar>

#include "e2e/layout_probe/layout_report.h"

namespace {

void MeasureText(HWND hwnd, layout::Control& control) {
  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
  LOGFONTW logFont = {};
  if (font != nullptr && ::GetObjectW(font, sizeof(logFont), &logFont) == sizeof(logFont)) {
    control.fontHeight = logFont.lfHeight;
    control.fontWeight = logFont.lfWeight;
  }
  HDC dc = ::GetDC(hwnd);
  if (dc == nullptr) return;
  HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
  SIZE digit = {};
  ::GetTextExtentPoint32W(dc, L"0", 1, &digit);
  control.halfDigitWidth = digit.cx / 2;
  if (control.text[0] != L'\0') {
    UINT format = DT_CALCRECT | DT_EXPANDTABS | DT_NOCLIP;
    const bool isStatic = ::lstrcmpiW(control.className, L"Static") == 0;
    if (::lstrcmpiW(control.className, L"Edit") == 0 || (isStatic && (control.style & SS_NOPREFIX))) {
      format |= DT_NOPREFIX;
    }
    RECT rect = {0, 0, 0, 0};
    ::DrawTextW(dc, control.text, -1, &rect, format);
    control.textExtent = {rect.right - rect.left, rect.bottom - rect.top};
  }
  if (old) ::SelectObject(dc, old);
  ::ReleaseDC(hwnd, dc);
}

BOOL CALLBACK MeasureControl(HWND hwnd, LPARAM param) {
  auto* report = reinterpret_cast<layout::Report*>(param);
  if (report->count >= layout::kMaxControls) return FALSE;
  layout::Control& control = report->controls[report->count++];
  control.hwnd = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(hwnd));
  control.parent = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(::GetParent(hwnd)));
  control.id = ::GetDlgCtrlID(hwnd);
  control.style = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
  control.visible = ::IsWindowVisible(hwnd);
  ::GetClassNameW(hwnd, control.className, 32);
  ::GetWindowTextW(hwnd, control.text, layout::kMaxText);
  ::GetWindowRect(hwnd, &control.window);
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  control.client = {client.right, client.bottom};
  if (std::wcscmp(control.className, L"#32770") == 0) {
    RECT units = {0, 0, 4, 8};
    ::MapDialogRect(hwnd, &units);
    control.baseUnits = {units.right, units.bottom};
  }
  if (::lstrcmpiW(control.className, L"Static") == 0 && (control.style & SS_TYPEMASK) == SS_BITMAP) {
    control.text[0] = L'\0';  // a picture's "text" names its resource
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(::SendMessageW(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info = {};
    if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info)) control.bitmap = {info.bmWidth, info.bmHeight};
  }
  MeasureText(hwnd, control);
  return TRUE;
}

void Measure(HWND target) {
  HWND frame = ::GetAncestor(target, GA_ROOT);
  const DWORD pid = ::GetCurrentProcessId();
  HANDLE mapping = ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, layout::MappingName(pid).c_str());
  HANDLE done = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, layout::DoneEventName(pid).c_str());
  void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(layout::Report)) : nullptr;
  if (view != nullptr) {
    auto* report = static_cast<layout::Report*>(view);
    HDC screen = ::GetDC(nullptr);
    report->dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    report->checkMarkWidth = ::GetSystemMetrics(SM_CXMENUCHECK);
    report->edgeWidth = ::GetSystemMetrics(SM_CXEDGE);
    report->count = 0;
    ::EnumChildWindows(frame, &MeasureControl, reinterpret_cast<LPARAM>(report));
    ::UnmapViewOfFile(view);
  }
  if (done) ::SetEvent(done);
  if (done) ::CloseHandle(done);
  if (mapping) ::CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK LayoutProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT measure = ::RegisterWindowMessageW(layout::kMeasureMessage);
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (msg->message == measure && msg->hwnd != nullptr) {
      Measure(msg->hwnd);
      msg->message = WM_NULL;
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
