#include "install/install_page.h"

#include <commctrl.h>

#include "device/printer_records.h"
#include "install/driver_commands.h"
#include "install/install_logic_core.h"
#include "install/printer_list.h"
#include "install/printer_settings.h"
#include "install/service_control.h"
#include "package/payload.h"
#include "res/resource.h"
#include "shell/setup_settings.h"
#include "win/app.h"

namespace {

const wchar_t kHelperFile[] = L"PHelper.exe";
const wchar_t kServiceName[] = L"Printer Helper";
// Each label reads: its text, one blank, one tab, then the value.
const wchar_t kLabelGap[] = L" \t";
constexpr int kStepsPerText = 12;

}  // namespace

CInstallPage::CInstallPage(HWND parent) : CWizardPage(IDD_INSTALL_PAGE, parent) {}

CInstallPage::~CInstallPage() {
  if (m_pTitleFont != nullptr) ::DeleteObject(m_pTitleFont);
}

void CInstallPage::DoDataExchange(bool) { m_progress = GetDlgItem(IDC_INSTALL_PROGRESS); }

BOOL CInstallPage::OnInitDialog() {
  CWizardPage::OnInitDialog();
  m_pTitleFont = CreateTitleFont(m_hWnd);
  ApplyTitleFont(IDC_INSTALL_TITLE, m_pTitleFont);
  SetDlgItemText(IDC_INSTALL_TEST_PAGE, win::LoadStringResource(IDS_PRINT_TEST_PAGE));
  return TRUE;
}

BOOL CInstallPage::DestroyWindow() {
  if (m_pTitleFont != nullptr) {
    ::DeleteObject(m_pTitleFont);
    m_pTitleFont = nullptr;
  }
  return CWizardPage::DestroyWindow();
}

bool CInstallPage::OnCommand(WORD id, WORD code, HWND) {
  if (code != BN_CLICKED) return false;
  if (id == IDC_INSTALL_TEST_PAGE) {
    OnPrintTestPage();
    return true;
  }
  if (id == IDC_INSTALL_SETTINGS) {
    OnPrinterSettings();
    return true;
  }
  return false;
}

bool CInstallPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_SENDTESTPAGE) {
    result = OnSendTestPage(wParam, lParam);
    return true;
  }
  return false;
}

void CInstallPage::OnSetActive() { RunInstall(); }

void CInstallPage::OnAfterNext() {
  if (m_pSheet) m_pSheet->EnableButton(IDC_BACK, m_nResult != 0);
}

int CInstallPage::OnWizardBack() {
  if (m_pSheet) {
    m_pSheet->EnableButton(IDC_BACK, TRUE);
    m_pSheet->EnableButton(IDC_NEXT, TRUE);
    m_pSheet->EnableButton(IDCANCEL, TRUE);
    m_pSheet->EnableButton(IDC_FINISH, FALSE);
  }
  return 0;
}

void CInstallPage::ReportStep(std::wstring text, int steps, BOOL blink) {
  if (blink) ShowDlgItem(IDC_INSTALL_STATUS, SW_HIDE);
  PumpWait(0, 10);
  SetDlgItemText(IDC_INSTALL_STATUS, text);
  if (blink) ShowDlgItem(IDC_INSTALL_STATUS, SW_SHOW);
  PumpWait(0, 10);
  for (int i = 0; i < steps; ++i) {
    if (m_progress) ::SendMessageW(m_progress, PBM_STEPIT, 0, 0);
    PumpWait(25, 5);
  }
}

UINT CInstallPage::MessageIdForResult(int result) {
  switch (result) {
    case 0: return IDS_INSTALL_SUCCESS;
    case 1: return IDS_RECONNECT_USB;
    case 2: return IDS_DRIVER_MISMATCH;
    case 3: return IDS_NO_USB_PRINTER;
    case 4: return IDS_POWER_CYCLE_PRINTER;
    case 10: return IDS_RECONNECT_CABLE;
    case 11: return IDS_RECONNECT_USB;
    case 20: return IDS_NO_RESOURCE_FILE;
    case 30: return IDS_UNKNOWN_INSTALL_ERROR;
    case 60: return IDS_ADD_DRIVER_FAILED;
    case 70: return IDS_ADD_PRINTER_FAILED;
    case 100: return IDS_OS_TOO_OLD;
    default: return 0;
  }
}

void CInstallPage::RunInstall() {
  if (m_pSheet) m_pSheet->SetWindowText(win::LoadStringResource(IDS_INSTALL_CAPTION));
  ReportStep(std::wstring(), 0, TRUE);
  ShowDlgItem(IDC_INSTALL_NAME, SW_HIDE);
  ShowDlgItem(IDC_INSTALL_PORT, SW_HIDE);
  // A new run offers no test page until it has installed a printer of its own.
  ShowDlgItem(IDC_INSTALL_TEST_PAGE, SW_HIDE);
  SetDlgItemText(IDC_INSTALL_TITLE, win::LoadStringResource(IDS_INSTALL_TITLE));
  SetDlgItemText(IDC_INSTALL_NAME, win::LoadStringResource(IDS_LABEL_NAME));
  SetDlgItemText(IDC_INSTALL_PORT, win::LoadStringResource(IDS_LABEL_PORT));
  SetDlgItemText(IDC_INSTALL_MODEL, win::LoadStringResource(IDS_LABEL_MODEL));
  ShowDlgItem(IDC_INSTALL_NAME, SW_SHOW);
  ShowDlgItem(IDC_INSTALL_PORT, SW_SHOW);
  m_strHelperFile = kHelperFile;
  m_strServiceName = kServiceName;
  if (m_progress) {
    ::SendMessageW(m_progress, PBM_SETRANGE, 0, MAKELPARAM(1, 100));
    ::SendMessageW(m_progress, PBM_SETSTEP, 1, 0);
    ::SendMessageW(m_progress, PBM_SETPOS, 0, 0);
  }
  if (m_pSheet) {
    m_pSheet->EnableButton(IDC_BACK, FALSE);
    m_pSheet->EnableButton(IDC_NEXT, FALSE);
    m_pSheet->EnableButton(IDCANCEL, FALSE);
    m_pSheet->EnableButton(IDC_FINISH, FALSE);
  }

  m_nResult = InstallPrinter();
  if (m_nResult == 0) {
    InstallHelperService();
    ReportStep(win::LoadStringResource(IDS_INSTALL_SUCCESS), 0, TRUE);
    // Someone who has just installed a printer expects to be offered a test page.
    if (!m_strInstalledPrinter.empty()) ShowDlgItem(IDC_INSTALL_TEST_PAGE, SW_SHOW);
  } else {
    if (m_progress) ::SendMessageW(m_progress, PBM_SETPOS, 100, 0);
    const UINT messageId = MessageIdForResult(m_nResult);
    if (m_nResult == 4) SetupSettings.g_nModelQueryCount = 0;
    const std::wstring message = messageId != 0 ? win::LoadStringResource(messageId) : std::wstring();
    if (m_progress) ::SendMessageW(m_progress, PBM_SETPOS, 100, 0);
    ReportStep(win::LoadStringResource(IDS_INSTALL_FAILED), 0, TRUE);
    win::AppMessageBox(m_hWnd, message, MB_OK | MB_ICONERROR);
  }
  if (m_pSheet) m_pSheet->SetWindowText(win::LoadStringResource(IDS_INSTALL_DONE_CAPTION));
}

int CInstallPage::InstallPrinter() {
  CSetupSettings& settings = SetupSettings;
  m_nResult = 0;
  if (GetOsMajorVersion() < 5) return 100;

  std::wstring port = L"LPT1:";
  ShowDlgItem(IDC_INSTALL_NAME, SW_HIDE);
  ShowDlgItem(IDC_INSTALL_PORT, SW_HIDE);
  if (settings.g_strPortType == L"USB") {
    if (!IsPrinterUsbEnumerated()) return 3;
    port = settings.g_strPortName;
  }
  ShowDlgItem(IDC_INSTALL_NAME, SW_SHOW);
  ShowDlgItem(IDC_INSTALL_PORT, SW_SHOW);
  m_strInstalledPrinter.clear();

  // Each run compares its own before and after lists, never an earlier run's names. Without a
  // list to compare with, a printer that was there all along could pass for the new one: the
  // install does not start (the spooler's failure has been shown).
  if (!RefillPrinterNames(m_arrPrintersBefore, m_hWnd)) return 30;
  const std::wstring candidate = MakeUniquePrinterName(settings.g_strPrinterName, m_arrPrintersBefore);

  const std::wstring nameLabel = win::LoadStringResource(IDS_LABEL_NAME) + kLabelGap;
  SetDlgItemText(IDC_INSTALL_NAME, nameLabel + candidate);
  SetDlgItemText(IDC_INSTALL_PORT, win::LoadStringResource(IDS_LABEL_PORT) + kLabelGap + port);
  SetDlgItemText(IDC_INSTALL_MODEL, win::LoadStringResource(IDS_LABEL_MODEL) + kLabelGap + settings.g_strDriverDesc);

  ReportStep(win::LoadStringResource(IDS_STEP_SYSTEM_INFO), kStepsPerText, TRUE);
  ReportStep(win::LoadStringResource(IDS_STEP_COPY_FILES), kStepsPerText, TRUE);
  ReportStep(win::LoadStringResource(IDS_STEP_ADD_DRIVER), kStepsPerText, TRUE);

  // A command that could not be formed whole (an over-long program folder) is never run.
  if (InstallDriver(candidate, port) == 0) return 30;

  ReportStep(win::LoadStringResource(IDS_STEP_ADD_PRINTER), kStepsPerText, TRUE);
  // A spooler that stopped answering (it restarts after a driver install goes wrong) lists no
  // printer at all: that is no success.
  if (!RefillPrinterNames(m_arrPrintersAfter, m_hWnd)) return 30;
  if (m_arrPrintersAfter.size() == m_arrPrintersBefore.size()) return 30;

  const std::wstring newPrinter = FindNewPrinter(m_arrPrintersBefore, m_arrPrintersAfter, settings.g_strPrinterName);
  if (!newPrinter.empty()) {
    const std::wstring entry = MakeDefaultPrinterEntry(settings.g_strPortType, newPrinter, port);
    ::WriteProfileStringW(L"windows", L"device", entry.c_str());
    m_strInstalledPrinter = newPrinter;
    SetDlgItemText(IDC_INSTALL_NAME, nameLabel + newPrinter);
  }
  if (m_progress) {
    while (::SendMessageW(m_progress, PBM_GETPOS, 0, 0) < 100) {
      ::SendMessageW(m_progress, PBM_STEPIT, 0, 0);
      PumpWait(20, 10);
    }
  }
  ::UpdateWindow(m_hWnd);
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0, 0, SMTO_NORMAL, 1000, nullptr);
  return m_nResult;
}

std::wstring CInstallPage::HelperServicePath() const { return GetHelperServicePath(m_strHelperFile); }

int CInstallPage::InstallHelperService() {
  CSetupSettings& settings = SetupSettings;
  const std::wstring caption = win::FormatResource(IDS_HELPER_CAPTION, settings.g_strPrinterName);
  if (settings.g_strPortType == L"LPT") {
    WriteLptPrinterRecords(settings.g_strLptHardwareId);
  } else if (settings.g_strPortType == L"USB") {
    WritePrinterUsbRecords(settings.g_strUsbHardwareId);
  }
  if (!ExtractHelperService(m_strHelperFile)) {
    win::ShowMessageBox(m_hWnd, win::LoadStringResource(IDS_HELPER_EXTRACT_FAILED), caption, MB_OK);
    return 0;
  }
  // On a thread of its own: starting a service waits for its process, and the run pauses twice for
  // a second; the window keeps answering meanwhile.
  const std::wstring path = HelperServicePath();
  HelperRunResult run = {HelperRun::kNotStarted, ERROR_NOT_ENOUGH_MEMORY};
  RunHandlingMessages([&] {
    try {
      run = RunHelperServiceOnce(m_strServiceName, path);
    } catch (...) {
      // Out of memory for a path or a name: the run did not happen, and that is what is told.
    }
  });
  if (run.outcome == HelperRun::kRan) return 1;
  // The printer works, but its device records were not moved: say so, rather than report a run
  // that never happened.
  std::wstring reason;
  switch (run.outcome) {
    case HelperRun::kNotOurs:
      reason = win::LoadStringResource(IDS_HELPER_NOT_OURS);
      break;
    case HelperRun::kMarkedForDeletion:
      reason = win::LoadStringResource(IDS_HELPER_MARKED_FOR_DELETION);
      break;
    default:
      reason = win::SystemErrorText(run.error);
      break;
  }
  win::ShowMessageBox(m_hWnd, win::FormatResource(IDS_HELPER_NOT_RUN, m_strServiceName, reason), caption,
                      MB_OK | MB_ICONWARNING);
  return 0;
}

void CInstallPage::OnPrinterSettings() { ApplyPrinterDefaultSettings(m_strInstalledPrinter, m_hWnd); }

void CInstallPage::OnPrintTestPage() {
  if (m_strInstalledPrinter.empty()) return;
  ::PostMessageW(m_hWnd, WM_SENDTESTPAGE, 0, 0);
  CPrintTestPageDialog dialog(nullptr);
  dialog.SetPrinterName(m_strInstalledPrinter);
  dialog.DoModal();
}

LRESULT CInstallPage::OnSendTestPage(WPARAM, LPARAM) {
  PrintTestPage(m_strInstalledPrinter);
  return 0;
}

CPrintTestPageDialog::CPrintTestPageDialog(HWND parent) : win::CDialog(IDD_PRINT_TEST_PAGE, parent) {}

BOOL CPrintTestPageDialog::OnInitDialog() {
  win::CDialog::OnInitDialog();
  SetDlgItemText(IDC_TEST_PAGE_TEXT, win::LoadStringResource(IDS_TEST_PAGE_TEXT));
  SetWindowText(m_strPrinterName);
  return TRUE;
}
