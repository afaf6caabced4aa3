#include "shell/welcome_pages.h"

#include "res/resource.h"
#include "win/app.h"

namespace {

// Loads a text into `text` only when the string exists, so a missing one keeps what was there.
void LoadInto(std::wstring& text, UINT id) { win::TryLoadString(id, text); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// CWelcomePage

CWelcomePage::CWelcomePage(HWND parent, const CPackageSettings& package)
    : CWizardPage(IDD_WELCOME_PAGE, parent), m_package(package) {}

void CWelcomePage::DoDataExchange(bool save) {
  if (!save && m_link.GetSafeHwnd() == nullptr) m_link.SubclassDlgItem(IDC_WELCOME_LINK, m_hWnd);
}

BOOL CWelcomePage::OnInitDialog() {
  CWizardPage::OnInitDialog();
  ApplyTitleFont(IDC_WELCOME_TITLE, m_font.Get());

  const std::wstring& brand = m_package.g_strBrandName;
  std::wstring text;
  LoadInto(text, IDS_WELCOME_TITLE);
  SetDlgItemText(IDC_WELCOME_TITLE, FormatString(text, brand));
  LoadInto(text, IDS_WELCOME_INTRO);
  SetDlgItemText(IDC_WELCOME_INTRO, FormatString(text, brand));
  LoadInto(text, IDS_WELCOME_LINK);
  SetDlgItemText(IDC_WELCOME_LINK, text);
  LoadInto(text, IDS_WEB_ADDRESS);
  m_link.SetURL(text);
  return TRUE;
}

// The link colours itself; everything else keeps the system's dialog colours.
HBRUSH CWelcomePage::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (message == WM_CTLCOLORSTATIC && control != nullptr && control == m_link.GetSafeHwnd()) {
    return m_link.OnReflectedCtlColor(dc);
  }
  return nullptr;
}

bool CWelcomePage::OnCommand(WORD id, WORD code, HWND) {
  if (id == IDC_WELCOME_LINK && code == STN_CLICKED) {
    m_link.OnClicked();
    return true;
  }
  return false;
}

bool CWelcomePage::PreTranslateMessage(MSG* msg) {
  m_link.RelayToolTip(msg);
  return CWizardPage::PreTranslateMessage(msg);
}

void CWelcomePage::OnSetActive() {
  if (m_pSheet) m_pSheet->SetWindowText(win::FormatResource(IDS_WELCOME_CAPTION, m_package.g_strBrandName));
}

// ---------------------------------------------------------------------------------------------
// CCableGuidePage

CCableGuidePage::CCableGuidePage(HWND parent, CRunChoice& choice)
    : CWizardPage(IDD_CABLE_GUIDE_PAGE, parent), m_choice(choice) {}

BOOL CCableGuidePage::OnInitDialog() {
  CWizardPage::OnInitDialog();
  ApplyTitleFont(IDC_CABLE_TITLE, m_font.Get());
  SetDlgItemText(IDC_CABLE_TITLE, win::LoadStringResource(IDS_CABLE_TITLE));
  SetDlgItemText(IDC_CABLE_STEPS, win::LoadStringResource(IDS_CABLE_STEPS));
  return TRUE;
}

HBRUSH CCableGuidePage::OnCtlColor(HDC dc, HWND control, UINT message) {
  return CWizardPage::OnCtlColor(dc, control, message);
}

void CCableGuidePage::OnSetActive() {
  if (m_pSheet) m_pSheet->SetWindowText(win::LoadStringResource(IDS_CABLE_CAPTION));
}

int CCableGuidePage::OnWizardNext() {
  m_choice.g_ePortType = Connection::kUsb;
  return 0;
}
