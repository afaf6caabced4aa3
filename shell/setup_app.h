// The application object: start-up, the modal wizard or the unattended install, and the end of
// the program with its exit code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/install_result_core.h"
#include "core/install_sequence.h"
#include "core/setup_settings.h"
#include "shell/command_line_core.h"

class CSetupApp {
 public:
  explicit CSetupApp(HINSTANCE instance);
  // Runs the whole program; returns FALSE so that the process ends afterwards.
  BOOL InitInstance();
  // Reads the driver package INF beside the program into the settings; false when it is
  // missing or unreadable.
  bool LoadPackageInf();
  // The process's exit code, once InitInstance has returned.
  unsigned long GetExitCode() const { return m_nExitCode; }

 private:
  // The four pages; the exit code of the wizard's end.
  ExitCode RunWizard();
  // The command line was refused (or only asked for its help): said, unless unattended.
  void ShowUsage(const std::wstring& offending) const;
  void OpenLog(const std::vector<std::wstring>& words, const std::wstring& logPath, bool mayTrim) const;

  HINSTANCE m_hInstance;
  CommandLineOptions m_options;
  // The run's one record, handed to the pages and the unattended install.
  CSetupSettings m_settings;
  InstallContext m_context;
  unsigned long m_nExitCode = kExitSuccess;
};

// Major version of an NT-family system; 0 on any other platform or when the query failed.
unsigned int ReadOsMajorVersion();
// The system's version (as the manifest lets it report itself); zeros when the query failed.
WindowsVersion ReadWindowsVersion();
