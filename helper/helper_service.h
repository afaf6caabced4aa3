// The helper as a Windows service, and its command-line switches for registering it by hand.
#pragma once

#include <windows.h>

#include <string>

// Entry of the service, handed to the dispatcher: registers the control handler and reports
// the service running. No worker thread: the work happens on the stop request.
void WINAPI HelperServiceMain(DWORD argc, LPWSTR* argv);

// Stop and shutdown move the side values and end the service; pause and continue only change
// the reported state. Every request is answered with the current status.
void WINAPI HelperControlHandler(DWORD control);

// Runs the switch given as the first argument ("-i", "-u", "-s", "-k" in either case); anything
// else runs the program under the service control manager's dispatcher. Returns the exit code.
int RunHelperProgram(const std::wstring& firstArgument);

