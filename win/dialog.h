// A thin dialog class over Win32 dialog templates, in the manner of the common C++ dialog
// frameworks: modeless Create, modal DoModal with its own message loop (so that every message
// passes PreTranslateMessage before IsDialogMessage), virtual handlers, and the `this` pointer
// carried in DWLP_USER.
#pragma once

#include <windows.h>

#include <string>

namespace win {

class CDialog {
 public:
  CDialog(UINT templateId, HWND parent);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Modeless: creates the dialog from its template as a window of `parent`.
  BOOL Create(HWND parent);
  // Modal: creates the dialog, disables its owner and runs the message loop until EndDialog.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);
  virtual BOOL DestroyWindow();

  HWND GetSafeHwnd() const { return m_hWnd; }
  UINT GetTemplateId() const { return m_nIDTemplate; }
  HWND GetDlgItem(int id) const;
  void SetDlgItemText(int id, const std::wstring& text) const;
  std::wstring GetDlgItemText(int id) const;
  void SetWindowText(const std::wstring& text) const;
  std::wstring GetWindowText() const;
  void EnableDlgItem(int id, BOOL enable) const;
  void ShowDlgItem(int id, int showCommand) const;

  // The dialog object that owns a window created through this class, or null.
  static CDialog* FromHandle(HWND hwnd);
  // Offers a message to PreTranslateMessage of every dialog from its target window up to the
  // top-level window; true when one of them consumed it.
  static bool WalkPreTranslateTree(MSG* msg);

  HWND m_hWnd = nullptr;

 protected:
  virtual BOOL OnInitDialog();
  // Binds controls to members (direction: save = read controls into members).
  virtual void DoDataExchange(bool save);
  BOOL UpdateData(bool save);
  // Returns true when the command was handled.
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  // Returns the brush for WM_CTLCOLOR*, or null for the default handling.
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT message);
  virtual void OnDestroy();
  virtual void OnOK();
  virtual void OnCancel();
  // Any other message; return true when handled, with `result` as the message result.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // True when the message is consumed and must not be dispatched.
  virtual bool PreTranslateMessage(MSG* msg);

  HWND m_hWndParent;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Modal dialogs appear in the middle of the screen's work area.
  void CenterOnWorkArea() const;

  UINT m_nIDTemplate;
  bool m_bModal = false;
  bool m_bEndModal = false;
  INT_PTR m_nModalResult = -1;
};

}  // namespace win
