// The unattended install (/S): what the pages do, in the same order and by the same rules, with no
// window and no message box; its outcome goes to the exit code and the setup log.
#pragma once

#include "core/install_result_core.h"
#include "core/install_sequence.h"
#include "core/setup_settings.h"
#include "shell/command_line_core.h"

// Detection, then the install sequence and, after a success, the helper service's run, on
// `settings` (the INF has been read into it already). Left out is only what is there for a person:
// the paced progress steps and the test page.
ExitCode RunUnattendedInstall(CSetupSettings& settings, const InstallContext& context,
                              const CommandLineOptions& options);
