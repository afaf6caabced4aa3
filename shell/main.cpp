#include <windows.h>

#include "shell/setup_app.h"
#include "win/app.h"
#include "win/setup_log.h"
#include "win/spooler.h"
#include "win/system_library.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // First of all: no DLL loaded from now on may come from the (download) folder we run from.
  win::RestrictDllSearchToSystemDirectory();
  try {
    CSetupApp app(instance);
    app.InitInstance();
    return static_cast<int>(app.GetExitCode());
  } catch (...) {
    // Whatever escaped the wizard's own handling is told, not left to end the process unseen, and
    // the log still ends with the run's exit code.
    win::ReportFailedCallback();
    win::Log(L"the program ends in an exception");
    win::CloseSetupLog(kExitInstallFailed);
    return static_cast<int>(kExitInstallFailed);
  }
}
