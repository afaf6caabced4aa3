// The program's command line, split the way Windows splits one (CommandLineToArgvW), and where the
// setup log goes.
#pragma once

#include <string>
#include <vector>

#include "shell/command_line_core.h"

// The words of this process's command line, its own name first.
std::vector<std::wstring> CommandLineWords();

// Reads the switches (see ParseCommandLine); a /log= that names an existing folder is refused too.
bool ReadCommandLine(const std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending);

// Where the log goes without /log=: "KQSetup.log" in the temporary folder (for the local system
// account, the Windows temporary folder).
std::wstring DefaultSetupLogPath();
