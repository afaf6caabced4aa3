#include <windows.h>

#include "shell/setup_app.h"
#include "win/spooler.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // First of all: no DLL loaded from now on may come from the (download) folder we run from.
  win::RestrictDllSearchToSystemDirectory();
  CSetupApp app(instance);
  app.InitInstance();
  return 0;
}
