// The unattended install (/S): what the pages do, in the same order and by the same rules, with no
// window and no message box; its outcome goes to the exit code and the setup log.
#pragma once

#include "install/install_result_core.h"
#include "shell/command_line_core.h"

// Detection, then the install sequence and, after a success, the helper service's run. The INF
// has been read already. Left out is only what is there for a person: the paced progress steps
// and the test page.
ExitCode RunUnattendedInstall(const CommandLineOptions& options);
