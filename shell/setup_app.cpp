#include "shell/setup_app.h"

#include <commctrl.h>

#include <new>

#include "install/protected_print.h"
#include "package/disk_object.h"
#include "package/package_inf.h"
#include "res/resource.h"
#include "shell/command_line.h"
#include "shell/detect_page.h"
#include "shell/install_page.h"
#include "shell/single_instance.h"
#include "shell/unattended_install.h"
#include "shell/uninstall.h"
#include "shell/welcome_pages.h"
#include "shell/wizard.h"
#include "win/app.h"
#include "win/newer_apis.h"
#include "win/wow64.h"
#include "win/setup_log.h"

// The version from the build's one place (the project version), as the version resource has it.
#include "kq_version.h"

namespace {

// The process token's information of `kind` (TokenGroups, TokenUser ...); empty when it cannot be read.
std::vector<BYTE> ProcessTokenInformation(TOKEN_INFORMATION_CLASS kind) {
  win::ScopedHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return {};
  DWORD needed = 0;
  ::GetTokenInformation(token.Get(), kind, nullptr, 0, &needed);
  if (needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!::GetTokenInformation(token.Get(), kind, buffer.data(), needed, &needed)) return {};
  return buffer;
}

// Whether `sid` is the well-known NT AUTHORITY SID of the given relative ids.
bool IsNtAuthoritySid(PSID sid, BYTE count, DWORD first, DWORD second) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID known = nullptr;
  if (!::AllocateAndInitializeSid(&nt, count, first, second, 0, 0, 0, 0, 0, 0, &known)) return false;
  const bool equal = ::EqualSid(sid, known) != FALSE;
  ::FreeSid(known);
  return equal;
}

// Whether the process runs with the administrators' rights in force (elevated, on Vista and
// later): its token holds the administrators group, enabled.
bool IsElevated() {
  const std::vector<BYTE> buffer = ProcessTokenInformation(TokenGroups);
  if (buffer.empty()) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if ((groups->Groups[i].Attributes & SE_GROUP_ENABLED) != 0 &&
        IsNtAuthoritySid(groups->Groups[i].Sid, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS)) {
      return true;
    }
  }
  return false;
}

// Whether the process runs as the local system account (S-1-5-18), as deployment tools run it.
bool IsLocalSystemAccount() {
  const std::vector<BYTE> buffer = ProcessTokenInformation(TokenUser);
  return !buffer.empty() &&
         IsNtAuthoritySid(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid, 1, SECURITY_LOCAL_SYSTEM_RID, 0);
}

std::wstring UserName() {
  wchar_t name[257] = {};
  DWORD size = 257;
  return ::GetUserNameW(name, &size) ? std::wstring(name) : std::wstring(L"(unknown)");
}

// The Windows the program runs on, as the log names it.
std::wstring DescribeSystem() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  bool extended = ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
  if (!extended) {
    // Windows NT 4.0 before its service pack 6 knows only the short record.
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return L"Windows: the version cannot be read";
  }
  std::wstring text = FormatString(L"Windows %d.%d build %d", static_cast<unsigned long>(info.dwMajorVersion),
                                        static_cast<unsigned long>(info.dwMinorVersion),
                                        static_cast<unsigned long>(info.dwBuildNumber));
  text += info.szCSDVersion[0] != L'\0' ? L", " + std::wstring(info.szCSDVersion) : std::wstring(L", no service pack");
  if (extended) text += info.wProductType == VER_NT_WORKSTATION ? L", workstation" : L", server";
  text += win::IsRunningUnderWow64() ? L", 64-bit Windows (the program runs under WOW64)" : L", 32-bit Windows";
  text += IsElevated() ? L", elevated" : L", not elevated";
  text += L", user " + UserName();
  if (IsLocalSystemAccount()) text += L" (the local system account)";
  return text;
}

}  // namespace

CSetupApp::CSetupApp(HINSTANCE instance) : m_hInstance(instance) {}

WindowsVersion ReadWindowsVersion() {
  WindowsVersion version;
  OSVERSIONINFOW info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExW(&info)) return version;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  return version;
}

unsigned int ReadOsMajorVersion() {
  OSVERSIONINFOW info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExW(&info)) return 0;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT ? info.dwMajorVersion : 0;
}

bool CSetupApp::LoadPackageInf() {
  const std::wstring directory = GetProgramDirectory();
  try {
    if (LoadPackageInfInto(m_settings, directory)) return true;
  } catch (const std::bad_alloc&) {
    // An INF of tens of megabytes in a 32-bit address space: as unreadable as a missing one.
  }
  // Without its INF the wizard cannot install anything: say which file is missing and where it
  // was looked for, before any page appears.
  win::AppMessageBox(nullptr, win::FormatResource(IDS_INF_MISSING, PackageInfFileName(), directory),
                     MB_OK | MB_ICONERROR);
  return false;
}

void CSetupApp::OpenLog(const std::vector<std::wstring>& words, const std::wstring& logPath, bool mayTrim) const {
  std::wstring path = logPath.empty() ? DefaultSetupLogPath() : logPath;
  // A relative path is taken from the current folder; a folder that is missing is made.
  CDiskObject disk;
  disk.ResolvePath(path);
  const size_t slash = path.rfind(L'\\');
  if (slash != std::wstring::npos) disk.MakeDirectoryPath(path.substr(0, slash));
  // The default place falls back to the Windows temporary folder when %TEMP% cannot be written.
  const std::wstring fallback = logPath.empty() ? FallbackSetupLogPath() : std::wstring();
  if (!win::OpenSetupLogOrFallback(path, fallback, mayTrim, std::wstring(L"KQSetup ") + KQ_VERSION_TEXT)) return;
  win::Log(L"command line: %s", JoinCommandLine(words));
  win::Log(L"program: %s", win::ModuleFilePath());
  win::LogLine(DescribeSystem());
}

void CSetupApp::ShowUsage(const std::wstring& offending) const {
  const std::wstring usage = win::LoadStringResource(IDS_USAGE);
  if (offending.empty()) {
    win::AppMessageBox(nullptr, usage, MB_OK | MB_ICONINFORMATION);
  } else {
    win::AppMessageBox(nullptr, win::FormatResource(IDS_BAD_COMMAND_LINE, offending, usage), MB_OK | MB_ICONERROR);
  }
}

BOOL CSetupApp::InitInstance() {
  win::SetResourceModule(m_hInstance);
  std::vector<std::wstring> words;
  std::wstring offending;
  // A refused line whose raw text asks for /S counts as unattended: no box for nobody to answer.
  const bool valid = ReadProcessCommandLine(words, m_options, offending);
  win::SetUnattended(m_options.quiet);

  // A refused command line, and the help, touch nothing but the log.
  if (!valid || m_options.help) {
    OpenLog(words, m_options.logPath, false);
    if (!valid) win::Log(L"the command line is refused at \"%s\"", offending);
    ShowUsage(valid ? std::wstring() : offending);
    m_nExitCode = valid ? kExitSuccess : kExitBadCommandLine;
    win::CloseSetupLog(m_nExitCode);
    return FALSE;
  }

  CSingleInstance instance;
  const SingleInstanceResult lock = instance.Acquire();
  // Only the one wizard that holds the lock trims the log: a second one would cut what the first
  // writes.
  OpenLog(words, m_options.logPath, lock.outcome == SingleInstanceOutcome::kAcquired);
  win::Log(L"one wizard per machine: %s", DescribeSingleInstance(lock));
  if (lock.outcome == SingleInstanceOutcome::kAnotherCopyRuns) {
    win::Log(L"another copy of the wizard is running: this one ends");
    // A person is told, when the first one cannot be brought to the front (it runs unattended, or in
    // another session).
    if (!m_options.quiet && !CSingleInstance::BringFirstWizardToFront()) {
      win::AppMessageBox(nullptr, win::LoadStringResource(IDS_ANOTHER_INSTALL_RUNNING), MB_OK | MB_ICONINFORMATION);
    }
    m_nExitCode = kExitAlreadyRunning;
    win::CloseSetupLog(m_nExitCode);
    return FALSE;
  }
  if (lock.outcome == SingleInstanceOutcome::kUnavailable) {
    win::Log(L"the lock cannot be had, error %d: the run goes on without it", lock.error);
  }

  // The removal needs no INF: Programs and Features runs it from the program's own copy.
  if (m_options.uninstall) {
    m_nExitCode = RunUninstall(m_options);
    win::CloseSetupLog(m_nExitCode);
    return FALSE;
  }

  // The progress bar and the link's tooltip come from the common controls; an unattended run
  // shows neither.
  if (!m_options.quiet) win::InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS);
  m_context.osMajorVersion = ReadOsMajorVersion();
  m_context.packageDirectory = GetProgramDirectory();
  m_context.unattended = m_options.quiet;
  // Unattended, nobody can answer what the system's installer may ask: the command gets a limit.
  if (m_options.quiet) m_context.driverTimeoutMs = m_options.timeoutSeconds * 1000;
  m_context.setDefault = !m_options.noDefault;
  m_context.allowDowngrade = m_options.force;
  m_context.systemAccount = IsLocalSystemAccount();
  const win::NativeMachine machine = win::QueryNativeMachine();
  m_context.machine = machine.machine;
  m_context.machineHow = machine.how;
  m_context.windowsVersion = ReadWindowsVersion();
  m_context.protectedPrint = ReadProtectedPrintMode(win::IsRunningUnderWow64());
  win::Log(L"machine: %s (%s); %s", MachineName(machine.machine), machine.how,
           m_context.protectedPrint.on ? m_context.protectedPrint.reason
                                       : std::wstring(L"Windows protected print mode is off"));
  m_settings.AssignFixedValues();
  if (!LoadPackageInf()) {
    win::Log(L"package: %s is missing or unreadable in %s", PackageInfFileName(), GetProgramDirectory());
    m_nExitCode = kExitPackageMissing;
  } else {
    const CSetupSettings& settings = m_settings;
    win::Log(L"package: %s\\%s, model \"%s\", USB hardware id \"%s\", parallel hardware id \"%s\", version %s",
             GetProgramDirectory(), PackageInfFileName(), settings.g_strDriverDesc, settings.g_strUsbHardwareId,
             settings.g_strLptHardwareId,
             settings.g_driverVer.valid ? settings.g_driverVer.VersionText() + L" of " + settings.g_driverVer.date
                                        : std::wstring(L"unknown (no DriverVer)"));
    if (!m_options.quiet && (m_options.hasName || m_options.portType != L"USB")) {
      win::Log(L"/port= and /name= are for the unattended install (/S); the wizard asks the person");
    }
    m_nExitCode = m_options.quiet ? RunUnattendedInstall(m_settings, m_context, m_options) : RunWizard();
  }
  win::CloseSetupLog(m_nExitCode);
  return FALSE;
}

ExitCode CSetupApp::RunWizard() {
  CWizardSheet sheet(nullptr);
  CWelcomePage welcome(nullptr, m_settings);
  CCableGuidePage cableGuide(nullptr, m_settings);
  CDetectPage detect(nullptr, m_settings);
  CInstallPage install(nullptr, m_settings, m_context);

  sheet.AddPage(&welcome, IDD_WELCOME_PAGE);
  sheet.AddPage(&cableGuide, IDD_CABLE_GUIDE_PAGE);
  sheet.AddPage(&detect, IDD_DETECT_PAGE);
  sheet.AddPage(&install, IDD_INSTALL_PAGE);
  const INT_PTR end = sheet.DoModal();
  // The pages and the frame go in reverse order of their creation as this scope ends.
  if (end == IDC_FINISH) {
    win::Log(L"the wizard ends with Finish");
    return install.HasRun() ? ExitCodeForResult(install.Result()) : kExitSuccess;
  }
  win::Log(L"the wizard ends with Cancel");
  // Closed after a success (the close box is still there): the printer is installed.
  return install.HasInstalled() ? kExitSuccess : kExitCancelled;
}
