#include "shell/setup_app.h"

#include "shell/setup_settings.h"

CSetupApp::CSetupApp(HINSTANCE instance) : m_hInstance(instance) {}

void DetectOperatingSystem() {
  g_nOsMajorVersion = 0;
  OSVERSIONINFOW info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExW(&info)) return;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) g_nOsMajorVersion = info.dwMajorVersion;
}

bool CSetupApp::LoadPackageInf() { return true; }

BOOL CSetupApp::InitInstance() {
  DetectOperatingSystem();
  SetupSettings.AssignFixedValues();
  LoadPackageInf();
  return FALSE;
}
