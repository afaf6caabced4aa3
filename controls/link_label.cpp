#include "controls/link_label.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "win/app.h"
#include "win/newer_apis.h"

namespace {

// Our subclass on the control; one label per control.
constexpr UINT_PTR kSubclassId = 0x4B51;
// The registry's default values that OpenURL reads are at most this long.
constexpr DWORD kMaxClassValueBytes = 260;

struct ClassValue {
  bool opened = false;
  std::wstring text;  // empty when the value cannot be read
};

// Reads the default value of HKEY_CLASSES_ROOT\subKey. Registry strings need not end with a null,
// so the length comes from the returned size, and an expandable string is expanded.
ClassValue ReadClassDefaultValue(const std::wstring& subKey) {
  ClassValue result;
  win::ScopedKey key;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
    return result;
  }
  result.opened = true;
  wchar_t buffer[kMaxClassValueBytes / sizeof(wchar_t)] = {};
  DWORD type = 0;
  DWORD size = sizeof(buffer);
  if (::RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return result;
  }
  std::wstring text(buffer, size / sizeof(wchar_t));
  const size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.erase(end);
  if (type == REG_EXPAND_SZ && !text.empty()) {
    const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed != 0) {
      std::vector<wchar_t> expanded(needed);
      if (::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed) != 0) text = expanded.data();
    }
  }
  result.text = text;
  return result;
}

std::string ToThreadAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string out(static_cast<size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), length, &out[0], needed, nullptr, nullptr);
  return out;
}

std::wstring WindowText(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int copied = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
  return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace

CLinkLabel::CLinkLabel()
    : m_crLink(kLinkColourDefault),
      m_crVisited(kLinkColourVisited),
      m_crHover(kLinkColourHover),
      m_bOverControl(FALSE),
      m_bVisited(FALSE),
      m_nUnderline(-1),
      m_bAdjustToFit(TRUE),
      m_hToolTip(nullptr),
      m_nTimerId(kHoverTimerId),
      m_hWnd(nullptr),
      m_hOriginalFont(nullptr) {}

CLinkLabel::~CLinkLabel() { Detach(); }

BOOL CLinkLabel::SubclassDlgItem(UINT id, HWND parent) {
  if (parent == nullptr) return FALSE;
  return Attach(::GetDlgItem(parent, static_cast<int>(id)));
}

BOOL CLinkLabel::Attach(HWND control) {
  if (m_hWnd != nullptr || control == nullptr || !::IsWindow(control)) return FALSE;
  if (!win::SetWindowSubclass(control, &CLinkLabel::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return FALSE;
  }
  m_hWnd = control;
  m_hOriginalFont = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));

  // Without SS_NOTIFY a static control tells its parent nothing about clicks.
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | SS_NOTIFY);

  const std::wstring text = WindowText(m_hWnd);
  if (m_strURL.empty()) m_strURL = text;
  if (text.empty()) ::SetWindowTextW(m_hWnd, m_strURL.c_str());

  CreateFonts();
  PositionWindow();
  SetDefaultCursor();

  if (m_nUnderline != -1) {
    ApplyFont(m_stdFont.Get());
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    m_nUnderline = -1;
  }

  CreateToolTip();
  return TRUE;
}

void CLinkLabel::Detach() {
  if (m_hWnd == nullptr) return;
  ::KillTimer(m_hWnd, m_nTimerId);
  win::RemoveWindowSubclass(m_hWnd, &CLinkLabel::SubclassProc, kSubclassId);
  // The control outlives us: it must not keep drawing with fonts we are about to delete.
  const HFONT current = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  if (current != nullptr && (current == m_stdFont.Get() || current == m_underlineFont.Get())) {
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hOriginalFont), TRUE);
  }
  if (m_hToolTip != nullptr) ::DestroyWindow(m_hToolTip);
  m_hToolTip = nullptr;
  m_hWnd = nullptr;
  m_bOverControl = FALSE;
}

void CLinkLabel::CreateFonts() {
  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
  LOGFONTW lf = {};
  if (font == nullptr || ::GetObjectW(font, sizeof(lf), &lf) == 0) lf = LOGFONTW();
  m_stdFont.Reset(::CreateFontIndirectW(&lf));
  lf.lfUnderline = TRUE;
  m_underlineFont.Reset(::CreateFontIndirectW(&lf));
}

void CLinkLabel::CreateToolTip() {
  // A child control cannot own a pop-up, so the tooltip is destroyed by us rather than with the
  // control's owner; flags 0 means it sees the mouse only through RelayToolTip.
  m_hToolTip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                 reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE)), nullptr);
  if (m_hToolTip == nullptr) return;
  TTTOOLINFOW ti = {};
  // The size every common-controls version since 4.70 accepts, not only version 6.
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = 0;
  ti.hwnd = m_hWnd;
  ti.uId = kToolId;
  ::GetClientRect(m_hWnd, &ti.rect);
  ti.lpszText = const_cast<wchar_t*>(m_strURL.c_str());
  ::SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CLinkLabel::UpdateToolTip() {
  if (m_hToolTip == nullptr || m_hWnd == nullptr) return;
  TTTOOLINFOW ti = {};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = m_hWnd;
  ti.uId = kToolId;
  ti.lpszText = const_cast<wchar_t*>(m_strURL.c_str());
  ::SendMessageW(m_hToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  // The control may just have been resized to a new text: the tool follows it.
  ::GetClientRect(m_hWnd, &ti.rect);
  ::SendMessageW(m_hToolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CLinkLabel::ApplyFont(HFONT font) {
  if (m_hWnd != nullptr && font != nullptr) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CLinkLabel::SetURL(const std::wstring& url) {
  m_strURL = url;
  if (m_hWnd == nullptr) return;
  PositionWindow();
  UpdateToolTip();
}

void CLinkLabel::SetUnderline(int mode) {
  if (mode < -1 || mode > 1) return;
  m_nUnderline = mode;
  if (m_hWnd == nullptr) return;
  const bool underlined = mode == 1 || (mode == -1 && m_bOverControl);
  ApplyFont(underlined ? m_underlineFont.Get() : m_stdFont.Get());
  PositionWindow();
}

void CLinkLabel::SetColours(COLORREF link, COLORREF visited, COLORREF hover) {
  m_crLink = link;
  m_crVisited = visited;
  m_crHover = hover;
  if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CLinkLabel::SetVisited(BOOL visited) {
  m_bVisited = visited;
  if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CLinkLabel::PositionWindow() {
  if (m_hWnd == nullptr || !::IsWindow(m_hWnd) || !m_bAdjustToFit) return;

  RECT window = {};
  RECT client = {};
  ::GetWindowRect(m_hWnd, &window);
  ::GetClientRect(m_hWnd, &client);
  const HWND parent = ::GetParent(m_hWnd);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&window), 2);

  // The underlined font is measured: it is the wider of the two the control shows.
  const std::wstring text = WindowText(m_hWnd);
  SIZE extent = {};
  HDC dc = ::GetDC(m_hWnd);
  if (dc == nullptr) return;
  HGDIOBJ old = m_underlineFont ? ::SelectObject(dc, m_underlineFont.Get()) : nullptr;
  const BOOL measured = ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  if (old != nullptr) ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  if (!measured) return;

  const LONG windowWidth = window.right - window.left;
  const LONG windowHeight = window.bottom - window.top;
  const LONG width = extent.cx + windowWidth - (client.right - client.left);
  const LONG height = extent.cy + windowHeight - (client.bottom - client.top);

  const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  LONG top = window.top;
  if (style & SS_CENTERIMAGE) top = window.top + (windowHeight - height) / 2;
  LONG left = window.left;
  const LONG_PTR kind = style & SS_TYPEMASK;
  if (kind == SS_CENTER) {
    left = window.left + (windowWidth - width) / 2;
  } else if (kind == SS_RIGHT) {
    left = window.right - width;
  }
  ::SetWindowPos(m_hWnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CLinkLabel::SetDefaultCursor() {
  if (m_hLinkCursor) return;
  // The system's hand cursor exists from Windows 2000 on; without it the default arrow stays.
  HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  if (hand != nullptr) m_hLinkCursor.Reset(static_cast<HCURSOR>(::CopyIcon(hand)));
}

HBRUSH CLinkLabel::OnReflectedCtlColor(HDC dc) {
  ::SetTextColor(dc, ChooseLinkColour(m_bOverControl != FALSE, m_bVisited != FALSE, m_crLink, m_crVisited, m_crHover));
  ::SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
}

void CLinkLabel::OnClicked() {
  m_bOverControl = FALSE;
  const INT_PTR result = OpenURL(m_strURL, SW_SHOW);
  if (result > 32) {
    m_bVisited = TRUE;
    if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, TRUE);
  } else {
    m_bVisited = FALSE;
    ::MessageBeep(MB_ICONEXCLAMATION);
    ReportOpenError(result);
  }
}

bool CLinkLabel::RelayToolTip(MSG* msg) {
  if (m_hToolTip != nullptr && msg != nullptr) {
    ::SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  }
  // The message goes on to the dialog either way.
  return false;
}

INT_PTR CLinkLabel::OpenURL(const std::wstring& url, int showCmd) {
  // An empty address would make the shell open the current folder instead of failing.
  if (url.empty()) return SE_ERR_FNF;
  const INT_PTR shellResult =
      reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, showCmd));
  if (shellResult > 32) return shellResult;

  // The shell knows no handler for the address: hand it to whatever opens web pages.
  const ClassValue htmClass = ReadClassDefaultValue(L".htm");
  if (!htmClass.opened || htmClass.text.empty()) return shellResult;
  const ClassValue command = ReadClassDefaultValue(htmClass.text + L"\\shell\\open\\command");
  if (!command.opened || command.text.empty()) return shellResult;

  const std::string ansi = ToThreadAnsi(BuildHtmOpenCommand(command.text, url));
  if (ansi.empty()) return shellResult;
  return static_cast<INT_PTR>(::WinExec(ansi.c_str(), static_cast<UINT>(showCmd)));
}

void CLinkLabel::ReportOpenError(INT_PTR code) {
  const HWND owner = m_hWnd != nullptr ? win::RootWindowOf(m_hWnd) : nullptr;
  win::AppMessageBox(owner, LinkOpenErrorMessage(static_cast<long long>(code)), MB_OK | MB_ICONEXCLAMATION);
}

void CLinkLabel::OnMouseMove() {
  if (m_bOverControl || m_hWnd == nullptr) return;
  m_bOverControl = TRUE;
  if (m_nUnderline == -1) ApplyFont(m_underlineFont.Get());
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  ::SetTimer(m_hWnd, m_nTimerId, kHoverTimerMs, nullptr);
}

void CLinkLabel::OnHoverTimer(POINT cursorOnScreen) {
  if (m_hWnd == nullptr) return;
  POINT point = cursorOnScreen;
  ::ScreenToClient(m_hWnd, &point);
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  if (::PtInRect(&client, point)) return;
  m_bOverControl = FALSE;
  ::KillTimer(m_hWnd, m_nTimerId);
  if (m_nUnderline != 1) ApplyFont(m_stdFont.Get());
  // The underline sits at the bottom of the text; repaint a little below it too.
  client.bottom += 10;
  ::InvalidateRect(m_hWnd, &client, TRUE);
}

LRESULT CALLBACK CLinkLabel::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR refData) {
  CLinkLabel* self = reinterpret_cast<CLinkLabel*>(refData);
  if (self == nullptr || self->m_hWnd != hwnd) return win::DefSubclassProc(hwnd, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the system's frames (win::ReportFailedCallback).
    win::ReportFailedCallback();
    return win::DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

LRESULT CLinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = m_hWnd;
  switch (message) {
    case WM_SETCURSOR:
      if (m_hLinkCursor) {
        ::SetCursor(m_hLinkCursor.Get());
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      OnMouseMove();
      break;
    case WM_TIMER:
      if (wParam == m_nTimerId) {
        const DWORD position = ::GetMessagePos();
        const POINT cursor = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        OnHoverTimer(cursor);
      }
      break;
    case WM_ERASEBKGND: {
      RECT client = {};
      ::GetClientRect(hwnd, &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    case WM_DESTROY:
      ::KillTimer(hwnd, m_nTimerId);
      if (m_hToolTip != nullptr) ::DestroyWindow(m_hToolTip);
      m_hToolTip = nullptr;
      break;
    case WM_NCDESTROY:
      win::RemoveWindowSubclass(hwnd, &CLinkLabel::SubclassProc, kSubclassId);
      m_hWnd = nullptr;
      m_bOverControl = FALSE;
      break;
    default:
      break;
  }
  return win::DefSubclassProc(hwnd, message, wParam, lParam);
}
