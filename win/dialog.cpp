#include "win/dialog.h"

#include <vector>

#include "win/app.h"

namespace win {

CDialog::CDialog(UINT templateId, HWND parent) : m_hWndParent(parent), m_nIDTemplate(templateId) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
    ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(m_hWnd);
  }
}

CDialog* CDialog::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  // Only our own dialogs carry this procedure; other windows' DWLP_USER means nothing to us.
  if (reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(hwnd, DWLP_DLGPROC)) != &CDialog::DialogProc) return nullptr;
  return reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

BOOL CDialog::Create(HWND parent) {
  if (m_hWnd != nullptr) return FALSE;
  m_hWndParent = parent;
  HWND hwnd = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(m_nIDTemplate), parent, &CDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr;
}

INT_PTR CDialog::DoModal() {
  HWND owner = m_hWndParent;
  m_bModal = true;
  m_bEndModal = false;
  m_nModalResult = -1;
  if (!Create(owner)) {
    m_bModal = false;
    return -1;
  }
  const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  if (!m_bEndModal) {
    CenterOnWorkArea();
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::UpdateWindow(m_hWnd);
  }

  MSG msg;
  while (!m_bEndModal && m_hWnd != nullptr) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Leave the quit message for the loop that owns the thread.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (!WalkPreTranslateTree(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }

  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  if (m_hWnd != nullptr) {
    ::ShowWindow(m_hWnd, SW_HIDE);
    DestroyWindow();
  }
  m_bModal = false;
  return m_nModalResult;
}

void CDialog::EndDialog(INT_PTR result) {
  m_nModalResult = result;
  if (m_bModal) {
    m_bEndModal = true;
    // Wake the modal loop even when nothing else is queued.
    if (m_hWnd != nullptr) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
  } else if (m_hWnd != nullptr) {
    ::EndDialog(m_hWnd, result);
  }
}

void CDialog::CenterOnWorkArea() const {
  RECT work;
  RECT window;
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || !::GetWindowRect(m_hWnd, &window)) return;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int x = work.left + ((work.right - work.left) - width) / 2;
  const int y = work.top + ((work.bottom - work.top) - height) / 2;
  ::SetWindowPos(m_hWnd, nullptr, x > work.left ? x : work.left, y > work.top ? y : work.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

bool CDialog::WalkPreTranslateTree(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd != nullptr;) {
    if (CDialog* dialog = FromHandle(hwnd)) {
      if (dialog->PreTranslateMessage(msg)) return true;
    }
    if ((::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) == 0) break;
    hwnd = ::GetParent(hwnd);
  }
  return false;
}

HWND CDialog::GetDlgItem(int id) const { return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr; }

void CDialog::SetDlgItemText(int id, const std::wstring& text) const {
  if (HWND item = GetDlgItem(id)) ::SetWindowTextW(item, text.c_str());
}

std::wstring CDialog::GetDlgItemText(int id) const {
  HWND item = GetDlgItem(id);
  if (item == nullptr) return std::wstring();
  int length = ::GetWindowTextLengthW(item);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  int copied = ::GetWindowTextW(item, buffer.data(), length + 1);
  return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CDialog::SetWindowText(const std::wstring& text) const {
  if (m_hWnd) ::SetWindowTextW(m_hWnd, text.c_str());
}

std::wstring CDialog::GetWindowText() const {
  if (m_hWnd == nullptr) return std::wstring();
  int length = ::GetWindowTextLengthW(m_hWnd);
  std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1);
  int copied = ::GetWindowTextW(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
  return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CDialog::EnableDlgItem(int id, BOOL enable) const {
  if (HWND item = GetDlgItem(id)) ::EnableWindow(item, enable);
}

void CDialog::ShowDlgItem(int id, int showCommand) const {
  if (HWND item = GetDlgItem(id)) ::ShowWindow(item, showCommand);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void CDialog::DoDataExchange(bool) {}

BOOL CDialog::UpdateData(bool save) {
  DoDataExchange(save);
  return TRUE;
}

bool CDialog::OnCommand(WORD, WORD, HWND) { return false; }

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }

void CDialog::OnDestroy() {}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CDialog::PreTranslateMessage(MSG* msg) {
  // Top-level dialogs give keyboard navigation (Tab, arrows, Esc, mnemonics) to the system.
  if (m_hWnd == nullptr || (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD) != 0) return false;
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  return ::IsDialogMessageW(m_hWnd, msg) != FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = hwnd;
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the system's frames (win::ReportFailedCallback); the message then
    // counts as not handled.
    ReportFailedCallback();
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return TRUE;
      if (code == BN_CLICKED || lParam == 0) {
        if (id == IDOK) {
          OnOK();
          return TRUE;
        }
        if (id == IDCANCEL) {
          OnCancel();
          return TRUE;
        }
      }
      return FALSE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX: {
      HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message);
      return reinterpret_cast<INT_PTR>(brush);
    }
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default: {
      LRESULT result = 0;
      if (OnMessage(message, wParam, lParam, result)) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
  }
}

}  // namespace win
