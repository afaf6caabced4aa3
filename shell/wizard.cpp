#include "shell/wizard.h"

#include "res/resource.h"
#include "shell/banner_painter.h"
#include "shell/display_scale_core.h"
#include "shell/single_instance.h"
#include "win/app.h"
#include "win/message_loop.h"
#include "win/newer_apis.h"
#include "win/setup_log.h"

HFONT CreateTitleFont(HWND dialog) {
  // The dialog font is made for the display's scale: the title keeps its proportion to it.
  long dialogFontHeight = 0;
  HFONT dialogFont = dialog ? reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)) : nullptr;
  LOGFONTW logFont = {};
  if (dialogFont != nullptr && ::GetObjectW(dialogFont, sizeof(logFont), &logFont) == sizeof(logFont)) {
    dialogFontHeight = logFont.lfHeight;
  }
  return ::CreateFontW(TitleFontHeight(dialogFontHeight), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, L"Arial");
}

namespace {

// The banner each page's template shows.
bool BannerOf(UINT templateId, BannerPicture& picture) {
  switch (templateId) {
    case IDD_WELCOME_PAGE:
    case IDD_INSTALL_PAGE:
      picture = BannerPicture::kWelcome;
      return true;
    case IDD_CABLE_GUIDE_PAGE:
      picture = BannerPicture::kCableGuide;
      return true;
    case IDD_DETECT_PAGE:
      picture = BannerPicture::kDetection;
      return true;
    default:
      return false;
  }
}

HWND FindBannerPicture(HWND page) {
  for (HWND child = ::GetWindow(page, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    if (::lstrcmpiW(className, L"Static") == 0 && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

void CWizardPage::ApplyBanner() {
  BannerPicture kind;
  HWND picture = FindBannerPicture(m_hWnd);
  if (!BannerOf(m_nTemplateId, kind) || picture == nullptr) return;
  // The picture keeps the size its template gives it in dialog units (SS_CENTERIMAGE: it does not
  // take its bitmap's size), so its client rectangle is the banner's area at this display scale
  // with this dialog font. A bitmap of any other size would leave part of the area bare or cover
  // the texts beside it: unless the template's bitmap fits exactly, one is drawn for the area.
  RECT area = {};
  ::GetClientRect(picture, &area);
  HGDIOBJ shown = reinterpret_cast<HGDIOBJ>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP shownSize = {};
  if (shown != nullptr && ::GetObjectW(shown, sizeof(shownSize), &shownSize) != 0 && shownSize.bmWidth == area.right &&
      shownSize.bmHeight == area.bottom) {
    return;
  }
  HDC dc = ::GetDC(m_hWnd);
  const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ::ReleaseDC(m_hWnd, dc);
  HBITMAP bitmap = CreateBannerBitmap(kind, area.right, area.bottom, dpi);
  if (bitmap == nullptr) {
    win::Log(L"the banner could not be drawn at %d x %d pixels for %d DPI (error %d); the page shows the one for 96 DPI",
             static_cast<int>(area.right), static_cast<int>(area.bottom), dpi, static_cast<int>(::GetLastError()));
    return;
  }
  m_banner.Reset(bitmap);
  // The bitmap the picture loaded from the template is no longer its own once replaced: it is
  // deleted here.
  HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
      ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  if (previous != nullptr && previous != bitmap) ::DeleteObject(previous);
}

// ---------------------------------------------------------------------------------------------
// CWizardPage

CWizardPage::CWizardPage(UINT templateId, HWND parent) : win::CDialog(templateId, parent), m_nTemplateId(templateId) {}

CWizardPage::~CWizardPage() = default;

BOOL CWizardPage::OnCreatePage() { return TRUE; }
void CWizardPage::OnDestroyPage() {}
BOOL CWizardPage::OnKillActive() { return TRUE; }
void CWizardPage::OnSetActive() {}
void CWizardPage::OnAfterNext() {}
BOOL CWizardPage::OnQueryCancel() { return TRUE; }
int CWizardPage::OnWizardBack() { return 0; }
BOOL CWizardPage::IsNextBlocked() { return FALSE; }
int CWizardPage::OnWizardNext() { return 0; }
BOOL CWizardPage::OnWizardFinish() { return TRUE; }
void CWizardPage::OnEndSession() {}

BOOL CWizardPage::PumpWait(DWORD totalMs, DWORD sliceMs) {
  win::PumpMessages();
  if (sliceMs == 0) return TRUE;
  for (DWORD i = totalMs / sliceMs; i > 0; --i) {
    ::Sleep(sliceMs);
    win::PumpMessages();
  }
  return TRUE;
}

BOOL CWizardPage::OnInitDialog() {
  win::CDialog::OnInitDialog();
  ApplyBanner();
  m_font.Reset(CreateTitleFont(m_hWnd));
  m_brush.Reset(::CreateSolidBrush(RGB(255, 255, 255)));
  return TRUE;
}

HBRUSH CWizardPage::OnCtlColor(HDC dc, HWND, UINT message) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      // Static texts and pictures are drawn straight onto the white page.
      ::SetBkMode(dc, TRANSPARENT);
      return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
      ::SetTextColor(dc, RGB(0, 0, 0));
      ::SetBkColor(dc, RGB(255, 255, 255));
      return m_brush.Get();
    default:
      return m_brush.Get();
  }
}

bool CWizardPage::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return true;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
    OnCancel();
    return true;
  }
  return false;
}

void CWizardPage::OnCancel() {}

void CWizardPage::ApplyTitleFont(int controlId, HFONT font) const {
  if (HWND item = GetDlgItem(controlId)) ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// ---------------------------------------------------------------------------------------------
// CWizardDialog

CWizardDialog::CWizardDialog(UINT templateId, HWND parent) : win::CDialog(templateId, parent) {
  m_pages.reserve(10);
}

void CWizardDialog::AddPage(CWizardPage* page, UINT templateId) {
  page->m_nTemplateId = templateId;
  m_pages.push_back(page);
}

void CWizardDialog::EnableButton(int id, BOOL enable) {
  if (HWND button = GetDlgItem(id)) ::EnableWindow(button, enable);
}

void CWizardDialog::SetWizardButtons(unsigned buttons) {
  EnableButton(IDC_BACK, (buttons & kBack) != 0);
  EnableButton(IDC_NEXT, (buttons & kNext) != 0);
  EnableButton(IDCANCEL, (buttons & kCancel) != 0);
  EnableButton(IDC_FINISH, (buttons & kFinish) != 0);
}

void CWizardDialog::EnableNext(BOOL enable) { EnableButton(IDC_NEXT, enable); }
void CWizardDialog::EnableFinish(BOOL enable) { EnableButton(IDC_FINISH, enable); }

int CWizardDialog::IndexOf(const CWizardPage* page) const {
  for (size_t i = 0; i < m_pages.size(); ++i) {
    if (m_pages[i] == page) return static_cast<int>(i);
  }
  return -1;
}

CWizardPage* CWizardDialog::GetActivePage() const {
  for (CWizardPage* page : m_pages) {
    if (page->m_bActive) return page;
  }
  return nullptr;
}

CWizardPage* CWizardDialog::FindPage(UINT templateId) const {
  for (CWizardPage* page : m_pages) {
    if (page->m_nTemplateId == templateId) return page;
  }
  return nullptr;
}

BOOL CWizardDialog::OnInitDialog() {
  win::CDialog::OnInitDialog();
  // Message boxes of the pages' long steps are owned by the wizard, whatever window is active.
  win::SetMainWindow(m_hWnd);
  // Tab moves on into the controls of the visible page.
  ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  ShowFirstPage();
  RestoreFocus();
  // The focus is set.
  return FALSE;
}

void CWizardDialog::FocusControl(HWND control) {
  if (m_hWnd != nullptr && control != nullptr) {
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  }
}

namespace {

// A control a keyboard user can work with: itself and every window up to the frame enabled and
// visible.
bool IsUsable(HWND control, HWND frame) {
  if (control == nullptr || control == frame || !::IsChild(frame, control) || !::IsWindowVisible(control)) return false;
  for (HWND hwnd = control; hwnd != nullptr && hwnd != frame; hwnd = ::GetParent(hwnd)) {
    if (!::IsWindowEnabled(hwnd)) return false;
  }
  return true;
}

}  // namespace

void CWizardDialog::RestoreFocus() {
  if (m_hWnd == nullptr || IsUsable(::GetFocus(), m_hWnd)) return;
  for (int id : {IDC_NEXT, IDC_FINISH, IDC_BACK, IDCANCEL}) {
    HWND button = GetDlgItem(id);
    if (IsUsable(button, m_hWnd)) {
      FocusControl(button);
      return;
    }
  }
}

bool CWizardDialog::OnCommand(WORD id, WORD code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_BACK:
      OnBack();
      return true;
    case IDC_NEXT:
      OnNext();
      return true;
    case IDC_FINISH:
      OnFinish();
      return true;
    default:
      return false;
  }
}

bool CWizardDialog::PreTranslateMessage(MSG* msg) {
  // Enter never presses a button anywhere in the wizard.
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return true;
  return win::CDialog::PreTranslateMessage(msg);
}

void CWizardDialog::ShowFirstPage() {
  PageWork work(*this);
  if (!HideActivePage()) return;
  EnableButton(IDC_BACK, FALSE);
  if (m_pages.size() > 1) {
    EnableFinish(FALSE);
    EnableNext(TRUE);
  } else {
    EnableFinish(TRUE);
    EnableNext(FALSE);
  }
  if (!m_pages.empty()) ActivatePage(m_pages.front());
}

BOOL CWizardDialog::ActivatePage(CWizardPage* page) {
  if (page == nullptr) return FALSE;
  if (!page->m_bCreated) {
    if (!page->Create(m_hWnd)) return FALSE;
    page->m_bCreated = TRUE;
    page->m_pSheet = this;
    if (!page->OnCreatePage()) return FALSE;
  }
  if (!HideActivePage()) return FALSE;

  if (HWND placeholder = GetDlgItem(static_cast<int>(m_nPlaceholderId))) {
    RECT rect;
    ::GetWindowRect(placeholder, &rect);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    ::SetWindowPos(page->m_hWnd, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::EnableWindow(page->m_hWnd, TRUE);
  ::ShowWindow(page->m_hWnd, SW_SHOW);
  ::InvalidateRect(page->m_hWnd, nullptr, TRUE);
  ::UpdateWindow(page->m_hWnd);
  page->OnSetActive();
  page->m_bActive = TRUE;
  return TRUE;
}

BOOL CWizardDialog::HideActivePage() {
  CWizardPage* active = GetActivePage();
  if (active == nullptr) return TRUE;
  if (!active->OnKillActive()) return FALSE;
  ::ShowWindow(active->m_hWnd, SW_HIDE);
  active->m_bActive = FALSE;
  return TRUE;
}

CWizardDialog::PageWork::PageWork(CWizardDialog& frame) : m_frame(frame) {
  if (m_frame.m_nPageWork++ == 0 && m_frame.m_hWnd != nullptr) {
    win::SetShutdownBlockReason(m_frame.m_hWnd, win::LoadStringResource(IDS_SHUTDOWN_REASON));
  }
}

CWizardDialog::PageWork::~PageWork() {
  if (--m_frame.m_nPageWork == 0 && m_frame.m_hWnd != nullptr) win::ClearShutdownBlockReason(m_frame.m_hWnd);
}

bool CWizardDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_QUERYENDSESSION:
      // Ended between the driver and the default printer, the records or the helper's removal,
      // the install would be left half done: while a page works, the session waits.
      result = IsPageWorking() ? FALSE : TRUE;
      win::Log(L"the session asks to end: %s", IsPageWorking() ? L"refused, a step is running" : L"agreed");
      return true;
    case WM_ENDSESSION:
      if (wParam != FALSE && IsPageWorking()) {
        win::Log(L"the session ends while a step is running");
        for (CWizardPage* page : m_pages) {
          if (page->m_bCreated) page->OnEndSession();
        }
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

void CWizardDialog::OfferWayOutAfterFailedStep() {
  CWizardPage* last = m_pages.empty() ? nullptr : m_pages.back();
  // The last page shown (its own style, whether or not the frame is on screen yet).
  if (last != nullptr && last->m_hWnd != nullptr && (::GetWindowLongPtrW(last->m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0) {
    EnableFinish(TRUE);
  } else {
    EnableButton(IDCANCEL, TRUE);
  }
}

void CWizardDialog::OnNext() {
  if (IsPageWorking()) return;
  try {
    PageWork work(*this);
    NextPage();
  } catch (...) {
    win::ReportFailedCallback();
    OfferWayOutAfterFailedStep();
  }
  RestoreFocus();
}

void CWizardDialog::NextPage() {
  CWizardPage* current = GetActivePage();
  if (current == nullptr || current->IsNextBlocked()) return;
  const int target = current->OnWizardNext();
  if (target == -1) return;
  CWizardPage* next = nullptr;
  if (target == 0) {
    const int index = IndexOf(current);
    if (index < 0 || static_cast<size_t>(index + 1) >= m_pages.size()) return;
    next = m_pages[static_cast<size_t>(index + 1)];
  } else {
    next = FindPage(static_cast<UINT>(target));
  }
  if (next == nullptr || !ActivatePage(next)) return;
  if (next == m_pages.back()) {
    EnableNext(FALSE);
    EnableFinish(TRUE);
  }
  EnableButton(IDC_BACK, TRUE);
  next->OnAfterNext();
}

void CWizardDialog::OnBack() {
  if (IsPageWorking()) return;
  try {
    PageWork work(*this);
    PreviousPage();
  } catch (...) {
    win::ReportFailedCallback();
    OfferWayOutAfterFailedStep();
  }
  RestoreFocus();
}

void CWizardDialog::PreviousPage() {
  CWizardPage* current = GetActivePage();
  if (current == nullptr) return;
  const int target = current->OnWizardBack();
  if (target == -1) return;
  CWizardPage* previous = nullptr;
  if (target == 0) {
    const int index = IndexOf(current);
    if (index <= 0) return;
    previous = m_pages[static_cast<size_t>(index - 1)];
  } else {
    previous = FindPage(static_cast<UINT>(target));
  }
  if (previous == nullptr || !ActivatePage(previous)) return;
  if (previous == m_pages.front()) {
    EnableButton(IDC_BACK, FALSE);
    EnableFinish(FALSE);
  }
  EnableNext(TRUE);
}

void CWizardDialog::OnFinish() {
  // A page at work (its long step handles messages) is not shown as active yet: without this,
  // nobody would be asked.
  if (IsPageWorking()) return;
  PageWork work(*this);
  CWizardPage* current = GetActivePage();
  if (current != nullptr && !current->OnKillActive()) return;
  for (CWizardPage* page : m_pages) {
    if (page->m_bCreated && !page->OnWizardFinish()) return;
  }
  UpdateData(true);
  EndDialog(IDC_FINISH);
}

void CWizardDialog::OnCancel() {
  if (IsPageWorking()) return;
  PageWork work(*this);
  for (CWizardPage* page : m_pages) {
    if (page->m_bCreated && !page->OnQueryCancel()) return;
  }
  EndDialog(IDCANCEL);
}

void CWizardDialog::OnDestroy() {
  if (win::MainWindow() == m_hWnd) win::SetMainWindow(nullptr);
  for (CWizardPage* page : m_pages) {
    if (!page->m_bCreated) continue;
    // A page that refuses is left to go with its parent window.
    if (page->OnKillActive()) {
      page->OnDestroyPage();
      page->DestroyWindow();
      page->m_bCreated = FALSE;
    }
  }
  win::CDialog::OnDestroy();
}

// ---------------------------------------------------------------------------------------------
// CWizardSheet

CWizardSheet::CWizardSheet(HWND parent) : CWizardDialog(IDD_WIZARD_SHEET, parent) {}

BOOL CWizardSheet::OnInitDialog() {
  SetPlaceholder(IDC_PAGE_PLACEHOLDER);
  // The run-time captions come from the string table and carry no arrows.
  SetDlgItemText(IDC_BACK, win::LoadStringResource(IDS_BACK));
  SetDlgItemText(IDC_NEXT, win::LoadStringResource(IDS_NEXT));
  SetDlgItemText(IDCANCEL, win::LoadStringResource(IDS_CANCEL));
  SetDlgItemText(IDC_FINISH, win::LoadStringResource(IDS_FINISH));
  // A second start of the wizard finds this one by it and brings it to the front.
  CSingleInstance::MarkWizardWindow(m_hWnd);
  return CWizardDialog::OnInitDialog();
}
