// PHelper.exe: the wizard's helper service program.
#include "helper/helper_log.h"
#include "helper/helper_service.h"

int wmain(int argc, wchar_t** argv) {
  InitHelperLog();
  try {
    return RunHelperProgram(argc > 1 && argv[1] != nullptr ? argv[1] : L"");
  } catch (...) {
    return 1;
  }
}
