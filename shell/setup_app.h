// The application object: start-up, the modal wizard, and the end of the program.
#pragma once

#include <windows.h>

class CSetupApp {
 public:
  explicit CSetupApp(HINSTANCE instance);
  // Runs the whole program; returns FALSE so that the process ends afterwards.
  BOOL InitInstance();
  // Reads the driver package INF beside the program into the settings; false when it is
  // missing or unreadable.
  bool LoadPackageInf();

 private:
  HINSTANCE m_hInstance;
};

void DetectOperatingSystem();
