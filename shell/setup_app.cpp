#include "shell/setup_app.h"

#include <commctrl.h>

#include <new>

#include "install/install_page.h"
#include "package/package_inf.h"
#include "res/resource.h"
#include "shell/detect_page.h"
#include "shell/setup_settings.h"
#include "shell/welcome_pages.h"
#include "shell/wizard.h"
#include "win/app.h"
#include "win/newer_apis.h"

CSetupApp::CSetupApp(HINSTANCE instance) : m_hInstance(instance) {}

void DetectOperatingSystem() {
  g_nOsMajorVersion = 0;
  OSVERSIONINFOW info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExW(&info)) return;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) g_nOsMajorVersion = info.dwMajorVersion;
}

bool CSetupApp::LoadPackageInf() {
  const std::wstring directory = GetProgramDirectory();
  try {
    if (LoadPackageInfInto(SetupSettings, directory)) return true;
  } catch (const std::bad_alloc&) {
    // An INF of tens of megabytes in a 32-bit address space: as unreadable as a missing one.
  }
  // Without its INF the wizard cannot install anything: say which file is missing and where it
  // was looked for, before any page appears.
  win::AppMessageBox(nullptr, win::FormatResource(IDS_INF_MISSING, PackageInfFileName(), directory),
                     MB_OK | MB_ICONERROR);
  return false;
}

BOOL CSetupApp::InitInstance() {
  win::SetResourceModule(m_hInstance);
  // The progress bar and the link's tooltip come from the common controls.
  win::InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS);

  DetectOperatingSystem();

  CWizardSheet sheet(nullptr);
  CWelcomePage welcome(nullptr);
  CCableGuidePage cableGuide(nullptr);
  CDetectPage detect(nullptr);
  CInstallPage install(nullptr);

  SetupSettings.AssignFixedValues();
  if (!LoadPackageInf()) return FALSE;

  sheet.AddPage(&welcome, IDD_WELCOME_PAGE);
  sheet.AddPage(&cableGuide, IDD_CABLE_GUIDE_PAGE);
  sheet.AddPage(&detect, IDD_DETECT_PAGE);
  sheet.AddPage(&install, IDD_INSTALL_PAGE);
  sheet.DoModal();
  // The pages and the frame go in reverse order of their creation as this scope ends.
  return FALSE;
}
