#include "shell/detect_page.h"

#include "device/printer_name_core.h"
#include "device/printer_records.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/setup_log.h"

namespace {

const wchar_t kDetectCaption[] = L"安装向导 - 请连接打印机和电脑";
const wchar_t kNamePlaceholder[] = L"打印机名称";

void SetCheck(HWND button, WPARAM state) {
  if (button) ::SendMessageW(button, BM_SETCHECK, state, 0);
}

}  // namespace

CDetectPage::CDetectPage(HWND parent, CSetupSettings& settings)
    : CWizardPage(IDD_DETECT_PAGE, parent), m_settings(settings) {}

BOOL CDetectPage::OnInitDialog() {
  CWizardPage::OnInitDialog();
  ApplyTitleFont(IDC_DETECT_TITLE, m_font.Get());
  std::wstring text;
  if (win::TryLoadString(IDS_DETECT_TITLE, text)) SetDlgItemText(IDC_DETECT_TITLE, text);
  if (win::TryLoadString(IDS_DETECT_USB, text)) SetDlgItemText(IDC_DETECT_USB, text);
  if (win::TryLoadString(IDS_DETECT_LPT, text)) SetDlgItemText(IDC_DETECT_LPT, text);
  if (win::TryLoadString(IDS_DETECT_NAME_LABEL, text)) SetDlgItemText(IDC_DETECT_NAME_LABEL, text);
  return TRUE;
}

bool CDetectPage::OnCommand(WORD id, WORD code, HWND) {
  if (code == BN_CLICKED && (id == IDC_DETECT_USB || id == IDC_DETECT_LPT)) {
    OnConnectionChanged();
    return true;
  }
  return false;
}

void CDetectPage::OnSetActive() {
  if (m_pSheet) m_pSheet->SetWindowText(kDetectCaption);
  Detect();
}

void CDetectPage::SelectUsb() {
  SetCheck(GetDlgItem(IDC_DETECT_USB), BST_CHECKED);
  SetCheck(GetDlgItem(IDC_DETECT_LPT), BST_UNCHECKED);
}

bool CDetectPage::IsUsbSelected() const {
  HWND usb = GetDlgItem(IDC_DETECT_USB);
  return usb != nullptr && ::SendMessageW(usb, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CDetectPage::Detect() {
  CSetupSettings& settings = m_settings;
  ::EnableWindow(m_hWnd, FALSE);
  SelectUsb();
  SetStatusText(std::wstring(), TRUE);
  settings.g_ePortType = Connection::kUsb;
  SetDlgItemText(IDC_DETECT_NAME, kNamePlaceholder);
  // Nothing can be pressed while detection runs.
  if (m_pSheet) m_pSheet->SetWizardButtons(0);

  const DetectionOutcome outcome = RunDetection(settings, settings, *this);
  SelectUsb();
  if (outcome.identified) {
    SetStatusText(win::LoadStringResource(IDS_PRINTER_DETECTED), TRUE);
    SetDlgItemText(IDC_DETECT_NAME, settings.g_strPrinterName);
  } else {
    SetStatusText(win::LoadStringResource(IDS_NO_PRINTER_DETECTED), TRUE);
    EnableDlgItem(IDC_DETECT_USB, TRUE);
    EnableDlgItem(IDC_DETECT_LPT, TRUE);
    OnConnectionChanged();
  }

  if (m_pSheet) m_pSheet->SetWizardButtons(CWizardDialog::kBack | CWizardDialog::kNext | CWizardDialog::kCancel);
  UpdateConnectionButtons();
  ::EnableWindow(m_hWnd, TRUE);
  // The proposed name is what a person checks next; the focus could not go there while the page
  // was disabled.
  if (m_pSheet) m_pSheet->FocusControl(GetDlgItem(IDC_DETECT_NAME));
}

void CDetectPage::WaitForUsb(int round) {
  std::wstring status = win::LoadStringResource(IDS_DETECTING);
  for (int i = 0; i < round; ++i) status += L"..";
  // Hide and show the transparent status only when the text gets shorter, so that the longer
  // text it replaces does not stay visible underneath.
  SetStatusText(status, round == 0);
  PumpWait(500, 10);
}

void CDetectPage::UpdateConnectionButtons() {
  EnableDlgItem(IDC_DETECT_LPT, m_settings.Supports(Connection::kLpt));
  EnableDlgItem(IDC_DETECT_USB, m_settings.Supports(Connection::kUsb));
}

void CDetectPage::SetStatusText(const std::wstring& text, BOOL redraw) {
  if (redraw) ShowDlgItem(IDC_DETECT_STATUS, SW_HIDE);
  PumpWait(0, 10);
  SetDlgItemText(IDC_DETECT_STATUS, text);
  if (redraw) ShowDlgItem(IDC_DETECT_STATUS, SW_SHOW);
  PumpWait(0, 10);
}

void CDetectPage::OnConnectionChanged() {
  SetDlgItemText(IDC_DETECT_NAME, m_settings.g_strPrinterName);
  if (HWND edit = GetDlgItem(IDC_DETECT_NAME)) ::SetFocus(edit);
  m_settings.g_ePortType = SelectedConnection();
}

int CDetectPage::OnWizardNext() {
  m_settings.g_ePortType = SelectedConnection();
  // An empty edit keeps the name proposed before; whatever was typed is cleaned first.
  const std::wstring typed = GetDlgItemText(IDC_DETECT_NAME);
  AssignCleanPrinterName(m_settings.g_strPrinterName, typed);
  win::Log(L"chosen: connection %s, name as typed \"%s\", printer name \"%s\"", ConnectionName(m_settings.g_ePortType),
           typed, m_settings.g_strPrinterName);
  return 0;
}
