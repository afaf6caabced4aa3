// The program's command line, split the way Windows splits one (CommandLineToArgvW), and where the
// setup log goes.
#pragma once

#include <string>
#include <vector>

#include "shell/command_line_core.h"

// The words of this process's command line, its own name first.
std::vector<std::wstring> CommandLineWords();
// The words of `rawLine` (a whole command line, the program's name first) as Windows splits them.
std::vector<std::wstring> SplitCommandLine(const std::wstring& rawLine);

// Reads the switches (see ParseCommandLine); a /log= that names an existing folder is refused too.
bool ReadCommandLine(const std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending);

// Reads a whole command line: splits `rawLine` into `words` and reads them as ReadCommandLine
// does; a refused line also counts as unattended when its raw text asks for that (see
// CommandLineAsksForQuiet), which the split words may hide.
bool ReadRawCommandLine(const std::wstring& rawLine, std::vector<std::wstring>& words, CommandLineOptions& options,
                        std::wstring& offending);
// The same for this process's own command line (GetCommandLineW).
bool ReadProcessCommandLine(std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending);

// Where the log goes without /log=: "KQSetup.log" in the temporary folder (for the local system
// account, the Windows temporary folder).
std::wstring DefaultSetupLogPath();
// Where it goes when the temporary folder cannot be written (a %TEMP% on a drive that is gone, a
// folder without write access, a full disk): "KQSetup.log" in the Windows temporary folder,
// "<Windows>\Temp". Empty when the Windows folder cannot be read.
std::wstring FallbackSetupLogPath();
