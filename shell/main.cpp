#include <windows.h>

#include "shell/setup_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CSetupApp app(instance);
  app.InitInstance();
  return 0;
}
