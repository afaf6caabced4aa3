// Whether Windows protected print mode is on, read from the registry (install/protected_print_core.h
// says what the values mean). It is checked before anything is installed: in that mode the
// system's installer refuses the package's driver with ERROR_PRINTER_DRIVER_BLOCKED.
#pragma once

#include "install/protected_print_core.h"

// Reads both values. The system's 64-bit print spooler reads the 64-bit registry, so under WOW64
// (`underWow64`: this 32-bit program on 64-bit Windows) the 64-bit view is read; otherwise the
// key is opened without that flag, which Windows 2000 does not know.
ProtectedPrintMode ReadProtectedPrintMode(bool underWow64);
