// The removal's face (/uninstall): with /S nothing is shown; without it (as Programs and Features
// starts it) a confirmation first and the outcome after. The removal itself is the core's
// (core/installed_printers.h); it needs no INF.
#pragma once

#include "core/install_result_core.h"
#include "shell/command_line_core.h"

// Removes what the record names (only the printer /name= names, when given). Exit codes: 0
// removed, 1605 nothing of ours is installed, 1602 the person said no, 1603 something could not be
// removed (the rest is removed).
ExitCode RunUninstall(const CommandLineOptions& options);
