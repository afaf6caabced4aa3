// A static text control turned into a web link: link colours, underline while hovered, the hand
// cursor, a tooltip with the address, and the address opened in the browser on a click.
//
// The label attaches to a static control that a dialog template already holds. The control's own
// messages arrive through a window subclass; the two notifications that go to the parent dialog
// (WM_CTLCOLORSTATIC and WM_COMMAND/STN_CLICKED for the control) must be handed over by the dialog:
//
//   case WM_CTLCOLORSTATIC:
//     if (reinterpret_cast<HWND>(lParam) == m_link.GetSafeHwnd())
//       return m_link.OnReflectedCtlColor(reinterpret_cast<HDC>(wParam));   // the brush
//   case WM_COMMAND:
//     if (LOWORD(wParam) == IDC_WELCOME_LINK && HIWORD(wParam) == STN_CLICKED) m_link.OnClicked();
//
// and the dialog's PreTranslateMessage calls RelayToolTip(msg) before its own processing, so that
// the tooltip sees the mouse.
#pragma once

#include <windows.h>

#include <string>

#include "controls/link_label_core.h"
#include "win/handles.h"

class CLinkLabel {
 public:
  // Id of the hover timer on the control, and its period.
  static constexpr UINT_PTR kHoverTimerId = 100;
  static constexpr UINT kHoverTimerMs = 100;
  // The control is the tooltip's only tool.
  static constexpr UINT_PTR kToolId = 1;

  CLinkLabel();
  ~CLinkLabel();
  CLinkLabel(const CLinkLabel&) = delete;
  CLinkLabel& operator=(const CLinkLabel&) = delete;

  // Attaches to the static control `id` of `parent`, or to `control` itself. FALSE when there is
  // no such window or the label is already attached.
  BOOL SubclassDlgItem(UINT id, HWND parent);
  BOOL Attach(HWND control);
  HWND GetSafeHwnd() const { return m_hWnd; }

  void SetURL(const std::wstring& url);
  const std::wstring& GetURL() const { return m_strURL; }

  // Underline mode: -1 while hovered, 0 never, 1 always.
  void SetUnderline(int mode);
  int GetUnderline() const { return m_nUnderline; }
  void SetAutoSize(BOOL adjustToFit) { m_bAdjustToFit = adjustToFit; }
  void SetColours(COLORREF link, COLORREF visited, COLORREF hover);
  void SetVisited(BOOL visited);
  BOOL GetVisited() const { return m_bVisited; }
  BOOL IsHovered() const { return m_bOverControl; }

  HFONT GetStdFont() const { return m_stdFont.Get(); }
  HFONT GetUnderlineFont() const { return m_underlineFont.Get(); }
  HCURSOR GetLinkCursor() const { return m_hLinkCursor.Get(); }
  HWND GetToolTip() const { return m_hToolTip; }

  // Opens `url` in the browser: first through the shell, then through the command registered for
  // ".htm" files. Returns the result code: above 32 means success.
  static INT_PTR OpenURL(const std::wstring& url, int showCmd);
  // Tells the user why an open failed.
  void ReportOpenError(INT_PTR code);

  // Sizes the control to its text (when it has a window and may be resized).
  void PositionWindow();
  // Takes the hand cursor, once.
  void SetDefaultCursor();

  // Handed over by the parent dialog (see the top of this file).
  HBRUSH OnReflectedCtlColor(HDC dc);
  void OnClicked();
  bool RelayToolTip(MSG* msg);

  // The control's own mouse handling; the subclass calls these, tests may too.
  void OnMouseMove();
  // The hover timer's tick with the cursor's screen position: ends the hover once it has left.
  void OnHoverTimer(POINT cursorOnScreen);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR refData);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateFonts();
  void CreateToolTip();
  void UpdateToolTip();
  void ApplyFont(HFONT font);
  void Detach();

  COLORREF m_crLink;
  COLORREF m_crVisited;
  COLORREF m_crHover;
  BOOL m_bOverControl;
  BOOL m_bVisited;
  int m_nUnderline;
  BOOL m_bAdjustToFit;
  std::wstring m_strURL;
  win::ScopedFont m_underlineFont;
  win::ScopedFont m_stdFont;
  win::ScopedCursor m_hLinkCursor;
  HWND m_hToolTip;
  UINT_PTR m_nTimerId;
  HWND m_hWnd;
  // The font the control had before we attached, given back when we let go of it.
  HFONT m_hOriginalFont;
};
