// A printer's life after its first day, as deployment tools and people meet it: a second run that
// updates instead of copying, a printer moved to another socket, a newer and an older package, the
// entry in Programs and Features and the removal it runs; and the unattended run's limits (the
// driver command's time limit, the session's end, the default printer of every user).
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_common.h"
#include "e2e/spooler_state.h"
#include "support/seed_records.h"

namespace e2e {
namespace {

const std::wstring kLog = L"C:\\kq-e2e\\lifecycle.log";
const std::wstring kPrintUiLog = L"C:\\kq-e2e\\printui-lifecycle.log";
const std::wstring kRecordKey = L"SOFTWARE\\KESTROM\\KQSetup";
const std::wstring kEntryKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KESTROM.KQSetup";
const std::wstring kActiveSetupKey =
    L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{6F1C2A7E-3B5D-4C8E-9A41-5E1A0000C0DE}";
const std::wstring kClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";

// Windows' logon reads Active Setup in the machine's own view: the 64-bit one on 64-bit Windows.
REGSAM MachineView() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY : 0;
}

std::wstring RegText(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view = 0) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return L"<no key>";
  wchar_t buffer[2048] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  const LONG read = ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(key);
  return read == ERROR_SUCCESS ? std::wstring(buffer) : L"<missing>";
}

bool RegKeyExists(const std::wstring& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

std::vector<std::wstring> SubKeys(const std::wstring& path) {
  std::vector<std::wstring> names;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = 256;
    if (::RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  ::RegCloseKey(key);
  return names;
}

void DeleteTree(const std::wstring& path, REGSAM view = 0) {
  for (const std::wstring& name : SubKeys(path)) DeleteTree(path + L"\\" + name, view);
  using DeleteExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
  auto deleteEx = reinterpret_cast<DeleteExFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
  if (view != 0 && deleteEx != nullptr) {
    deleteEx(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
  } else {
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
  }
}

// Whether the spooler has the driver for the machine Windows runs on (this 32-bit test would see
// the drivers for 32-bit Windows without naming it).
bool DriverExists(const std::wstring& name, std::wstring environment = std::wstring()) {
  if (environment.empty()) environment = MachineView() != 0 ? L"Windows x64" : L"Windows NT x86";
  DWORD needed = 0;
  DWORD count = 0;
  ::EnumPrinterDriversW(nullptr, &environment[0], 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> block(needed + 4);
  if (needed == 0 || !::EnumPrinterDriversW(nullptr, &environment[0], 1, block.data(), needed, &needed, &count)) {
    return false;
  }
  const auto* info = reinterpret_cast<const DRIVER_INFO_1W*>(block.data());
  for (DWORD i = 0; i < count; ++i) {
    if (info[i].pName != nullptr && name == info[i].pName) return true;
  }
  return false;
}

std::wstring CommonFiles() {
  wchar_t common[MAX_PATH] = {};
  ::SHGetSpecialFolderPathW(nullptr, common, CSIDL_PROGRAM_FILES_COMMON, FALSE);
  return common;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line exactly as written (as Programs and Features or a logon runs it) to its end;
// its exit code, and in `output` what it wrote to its standard output.
DWORD RunCommandLine(const std::wstring& commandLine, std::string* output = nullptr) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (output != nullptr) ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (output != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  }
  PROCESS_INFORMATION process = {};
  std::wstring line = commandLine;
  if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &startup,
                        &process)) {
    ADD_FAILURE() << "could not start " << Utf8(commandLine) << ": " << ::GetLastError();
    return static_cast<DWORD>(-1);
  }
  if (output != nullptr) {
    ::CloseHandle(writeEnd);
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd, chunk, sizeof(chunk), &read, nullptr) && read > 0) output->append(chunk, read);
    ::CloseHandle(readEnd);
  }
  ::WaitForSingleObject(process.hProcess, 120000);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    KQ_REQUIRE_WINE();
    CleanUp();
    ::CreateDirectoryW(L"C:\\kq-e2e", nullptr);
    ::DeleteFileW(kPrintUiLog.c_str());
    ::DeleteFileW(kLog.c_str());
  }
  void TearDown() override { CleanUp(); }
  static void CleanUp() {
    kqseed::ClearSeededRecords();
    kqseed::ClearPrinterClassRecords();
    DeleteAllPrinters();
    DeleteTree(kRecordKey);
    DeleteTree(kEntryKey);
    DeleteTree(kActiveSetupKey, MachineView());
  }

  // Runs KQSetup.exe with `arguments` to its end; its exit code.
  DWORD Run(const std::wstring& arguments, const std::vector<std::wstring>& env = {},
            const std::wstring& folder = ProgramFolder()) {
    std::vector<std::wstring> environment = env;
    environment.push_back(L"KQ_PRINTUI_LOG=" + kPrintUiLog);
    WizardProcess setup;
    EXPECT_TRUE(setup.Start(folder + L"\\KQSetup.exe", environment, arguments));
    EXPECT_TRUE(setup.WaitForExit(120000)) << "still running after two minutes: " << Narrow(arguments);
    return setup.ExitCode();
  }
  std::wstring Log() const { return ReadUtf8File(kLog); }
  std::wstring Quiet(const std::wstring& more = std::wstring()) const {
    return L"/S \"/log=" + kLog + L"\"" + (more.empty() ? std::wstring() : L" " + more);
  }

  // A folder with the program and a copy of the package whose DriverVer is `driverVer`.
  static std::wstring PackageOfVersion(const std::wstring& driverVer) {
    const std::wstring folder = L"C:\\kq-e2e\\package " + driverVer.substr(driverVer.find(L',') + 1);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(::CopyFileW((ProgramFolder() + L"\\KQSetup.exe").c_str(), (folder + L"\\KQSetup.exe").c_str(), FALSE));
    std::string inf = FileBytes(ProgramFolder() + L"\\KQPRINTER.INF");
    const size_t at = inf.find("DriverVer=");
    EXPECT_NE(at, std::string::npos);
    inf.replace(at, inf.find('\n', at) - at, "DriverVer=" + Narrow(driverVer) + "\r");
    HANDLE file = ::CreateFileW((folder + L"\\KQPRINTER.INF").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr);
    DWORD written = 0;
    ::WriteFile(file, inf.data(), static_cast<DWORD>(inf.size()), &written, nullptr);
    ::CloseHandle(file);
    return folder;
  }
};

// An install (unattended here; the wizard's own scenario checks its record too) is recorded and
// listed in Programs and Features; Wine's own list of programs reads the entry; its
// QuietUninstallString, run exactly as written, removes everything of ours and nothing of anyone
// else's; a second removal finds nothing (1605).
TEST_F(Lifecycle, AnInstallIsListedAndItsQuietUninstallStringRemovesItAll) {
  ASSERT_TRUE(install_test::AddTestPrinter(L"ACME Laser", L"USB003"));
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  ASSERT_EQ(Run(Quiet()), 0u) << Utf8(Log());
  ASSERT_TRUE(install_test::AddTestPrinter(L"用户的打印机", L"USB001")) << "a queue the user made with another driver";

  const std::wstring copy = CommonFiles() + L"\\KESTROM\\KQSetup.exe";
  const std::wstring helper = CommonFiles() + L"\\Services\\PHelper.exe";
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"DisplayName"), L"KQ 系列打印机驱动程序");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"DisplayVersion"), L"1.0.0.0");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"Publisher"), L"KESTROM");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"UninstallString"), L"\"" + copy + L"\" /uninstall");
  const std::wstring quiet = RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"QuietUninstallString");
  EXPECT_EQ(quiet, L"\"" + copy + L"\" /uninstall /S");
  EXPECT_TRUE(FileBytes(copy) == FileBytes(ProgramFolder() + L"\\KQSetup.exe")) << "the program's copy";
  EXPECT_EQ(SubKeys(kRecordKey + L"\\Printers").size(), 1u);
  // Wine's programs list writes "<key>|||<name>" lines in the console's code page.
  std::string listed;
  RunCommandLine(L"uninstaller.exe --list", &listed);
  std::wstring names(listed.size(), L'\0');
  names.resize(static_cast<size_t>(::MultiByteToWideChar(::GetOEMCP(), 0, listed.data(), static_cast<int>(listed.size()),
                                                          &names[0], static_cast<int>(names.size()))));
  EXPECT_NE(names.find(L"KESTROM.KQSetup|||KQ 系列打印机驱动程序"), std::wstring::npos) << listed;
  const std::wstring driverKey = RegText(HKEY_LOCAL_MACHINE, kRecordKey + L"\\Printers\\1", L"DriverKey");
  EXPECT_TRUE(RegKeyExists(driverKey)) << Utf8(driverKey);
  EXPECT_TRUE(FileExists(helper));
  EXPECT_TRUE(DriverExists(L"KESTROM KQ-80"));

  EXPECT_EQ(RunCommandLine(quiet), 0u);
  std::wstring port, driver;
  EXPECT_FALSE(install_test::QueryPrinter(L"KQ-80", port, driver));
  EXPECT_TRUE(install_test::QueryPrinter(L"ACME Laser", port, driver)) << "another maker's printer stays";
  EXPECT_TRUE(install_test::QueryPrinter(L"用户的打印机", port, driver)) << "the user's own queue stays";
  EXPECT_FALSE(DriverExists(L"KESTROM KQ-80"));
  EXPECT_TRUE(DriverExists(L"KQ Test Driver", L"Windows NT x86")) << "another driver stays";
  EXPECT_FALSE(RegKeyExists(driverKey)) << "the device records go";
  EXPECT_FALSE(FileExists(helper)) << "the helper program goes";
  EXPECT_FALSE(ServiceExists(L"Printer Helper"));
  EXPECT_FALSE(RegKeyExists(kEntryKey));
  EXPECT_FALSE(RegKeyExists(kRecordKey));
  EXPECT_FALSE(RegKeyExists(kActiveSetupKey, MachineView()));
  // The copy ran the removal: it goes at the next restart.
  const std::wstring pending = RegText(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                                       L"PendingFileRenameOperations");
  EXPECT_TRUE(!FileExists(copy) || pending.find(L"KESTROM\\KQSetup.exe") != std::wstring::npos) << Utf8(pending);
  // Run as written, it logs to the default place.
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring log = ReadUtf8File(std::wstring(temp) + L"KQSetup.log");
  EXPECT_NE(log.find(L"uninstall: printer \"KQ-80\" removed"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(LastLogLine(log), L"exit code 0");

  EXPECT_EQ(Run(L"/uninstall " + Quiet()), 1605u);
  EXPECT_EQ(LastLogLine(Log()), L"exit code 1605");
}

// A second unattended run is an update: one queue, exit 0 both times; a printer moved to another
// socket (Windows gives it a new port) works again on its new port and stays the default.
TEST_F(Lifecycle, ASecondRunUpdatesAndAMovedPrinterGetsItsNewPort) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  ASSERT_EQ(Run(Quiet()), 0u) << Utf8(Log());
  ASSERT_EQ(Run(Quiet()), 0u) << Utf8(Log());
  EXPECT_EQ(PrinterNames(), std::vector<std::wstring>{L"KQ-80"});
  EXPECT_NE(Log().find(L"updated \"KQ-80\": port USB001 (unchanged)"), std::wstring::npos) << Utf8(Log());

  ASSERT_TRUE(kqseed::ClearSeededRecords());
  kqseed::UsbPrinterSeed moved;
  moved.portNumber = 2;
  ASSERT_TRUE(kqseed::SeedUsbPrinter(moved));
  ASSERT_TRUE(::WriteProfileStringW(L"windows", L"device", L"Fax,winspool,FILE:"));
  ASSERT_EQ(Run(Quiet()), 0u) << Utf8(Log());
  EXPECT_EQ(PrinterNames(), std::vector<std::wstring>{L"KQ-80"});
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(L"KQ-80", port, driver));
  EXPECT_EQ(port, L"USB002");
  EXPECT_EQ(DefaultPrinterEntry(), L"KQ-80,winspool,USB002");
  const std::wstring log = Log();
  EXPECT_NE(log.find(L"updated \"KQ-80\": port USB001 -> USB002"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRecordKey + L"\\Printers\\1", L"Port"), L"USB002");
  EXPECT_EQ(SubKeys(kRecordKey + L"\\Printers").size(), 1u);
  EXPECT_EQ(LastLogLine(log), L"exit code 0");
}

// A package older than the installed driver is refused (1638) and changes nothing; /force puts it
// in place; a newer package updates the driver and the version Programs and Features shows.
TEST_F(Lifecycle, AnOlderPackageIsRefusedUnlessForcedANewerOneUpdates) {
  ASSERT_EQ(Run(Quiet(L"/port=lpt"), {}, PackageOfVersion(L"10/01/2026,1.2.0.0")), 0u) << Utf8(Log());
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"DisplayVersion"), L"1.2.0.0");
  ::DeleteFileW(kPrintUiLog.c_str());
  EXPECT_EQ(Run(Quiet(L"/port=lpt")), 1638u) << Utf8(Log());
  EXPECT_EQ(ReadUtf8File(kPrintUiLog), L"") << "nothing was run";
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"DisplayVersion"), L"1.2.0.0");
  EXPECT_EQ(LastLogLine(Log()), L"exit code 1638");
  EXPECT_EQ(Run(Quiet(L"/port=lpt /force")), 0u) << Utf8(Log());
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"DisplayVersion"), L"1.0.0.0");
  EXPECT_EQ(Run(Quiet(L"/port=lpt"), {}, PackageOfVersion(L"12/01/2026,1.3.0.0")), 0u) << Utf8(Log());
  EXPECT_NE(Log().find(L"driver version 1.0.0.0 -> 1.3.0.0"), std::wstring::npos) << Utf8(Log());
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEntryKey, L"DisplayVersion"), L"1.3.0.0");
  EXPECT_EQ(PrinterNames().size(), 1u);
}

// Programs and Features starts the removal without /S: a confirmation first, and No changes nothing.
TEST_F(Lifecycle, TheRemovalAsksFirstAndNoChangesNothing) {
  ASSERT_EQ(Run(Quiet(L"/port=lpt /name=KQ-80")), 0u) << Utf8(Log());
  WizardProcess removal;
  ASSERT_TRUE(removal.Start(ProgramFolder() + L"\\KQSetup.exe", {}, L"/uninstall \"/log=" + kLog + L"\""));
  const MessageBoxInfo box = removal.WaitForMessageBox(30000);
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_NE(box.text.find(L"KQ-80"), std::wstring::npos) << Utf8(box.text);
  Screenshot(box.hwnd, L"40-uninstall-confirm");
  removal.Answer(box, IDNO);
  ASSERT_TRUE(removal.WaitForExit(30000));
  EXPECT_EQ(removal.ExitCode(), 1602u);
  EXPECT_EQ(PrinterNames(), std::vector<std::wstring>{L"KQ-80"});
  EXPECT_TRUE(RegKeyExists(kEntryKey));
}

// Under /S nobody can answer what the system's installer may ask: the driver command is ended
// when its time is up, the run fails with 1603, says so in the log, and the next run may go on.
TEST_F(Lifecycle, AnUnattendedDriverCommandThatDoesNotEndIsEndedAtItsTimeLimit) {
  ASSERT_EQ(Run(Quiet(L"/port=lpt /timeout=3"), {L"KQ_PRINTUI_DELAY_MS=60000"}), 1603u) << Utf8(Log());
  const std::wstring log = Log();
  EXPECT_NE(log.find(L"rundll32: still running after 3 s, the time limit: ended"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(LastLogLine(log), L"exit code 1603");
  EXPECT_EQ(Run(Quiet(L"/port=lpt")), 0u) << "the lock was released: " << Utf8(Log());
}

// The unattended run has no window of its own, yet the session's end must reach it: the helper
// service is removed before it answers, and the log gets its last line.
TEST_F(Lifecycle, TheSessionsEndReachesTheUnattendedRun) {
  WizardProcess setup;
  ASSERT_TRUE(setup.Start(ProgramFolder() + L"\\KQSetup.exe", {L"KQ_PRINTUI_LOG=" + kPrintUiLog}, Quiet(L"/port=lpt")));
  HWND watch = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND hwnd = ::FindWindowExW(nullptr, nullptr, L"KQSetup.SessionWatch", nullptr); hwnd != nullptr;
             hwnd = ::FindWindowExW(nullptr, hwnd, L"KQSetup.SessionWatch", nullptr)) {
          DWORD process = 0;
          ::GetWindowThreadProcessId(hwnd, &process);
          if (process == setup.ProcessId()) watch = hwnd;
        }
        return watch != nullptr;
      },
      30000));
  EXPECT_FALSE(::IsWindowVisible(watch));
  DWORD_PTR agreed = 1;
  ASSERT_TRUE(::SendMessageTimeoutW(watch, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &agreed));
  EXPECT_EQ(agreed, static_cast<DWORD_PTR>(FALSE));
  ASSERT_TRUE(WaitUntil([] { return ServiceExists(L"Printer Helper"); }, 60000)) << "the helper service never ran";
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(watch, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000, &ignored));
  EXPECT_FALSE(ServiceExists(L"Printer Helper")) << "the helper service stayed registered";
  const std::wstring log = Log();
  EXPECT_NE(log.find(L"the session ends while the unattended install runs"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(LastLogLine(log), L"exit code 1603");
  setup.WaitForExit(30000);
}

// The new printer becomes every user's default at their next logon: Windows' Active Setup runs
// the entry's command once per user. Run here as written (as a logon would, for another user), it
// makes the printer that user's default. /nodefault leaves every default printer as it is.
TEST_F(Lifecycle, EveryUserGetsThePrinterAsDefaultAtLogonUnlessNoDefault) {
  ASSERT_TRUE(install_test::AddTestPrinter(L"Fax", L"FILE:"));
  ASSERT_TRUE(::WriteProfileStringW(L"windows", L"device", L"Fax,winspool,FILE:"));
  ASSERT_EQ(Run(Quiet(L"/port=lpt /name=KQ-80 /nodefault")), 0u) << Utf8(Log());
  EXPECT_EQ(DefaultPrinterEntry(), L"Fax,winspool,FILE:") << "the default printer stays as it was";
  EXPECT_FALSE(RegKeyExists(kActiveSetupKey, MachineView()));
  ASSERT_TRUE(install_test::DeleteTestPrinter(L"KQ-80"));

  ASSERT_EQ(Run(Quiet(L"/port=lpt /name=KQ-80")), 0u) << Utf8(Log());
  EXPECT_EQ(DefaultPrinterEntry(), L"KQ-80,winspool,LPT1:");
  const std::wstring stub = RegText(HKEY_LOCAL_MACHINE, kActiveSetupKey, L"StubPath", MachineView());
  EXPECT_NE(stub.find(L"printui.dll,PrintUIEntry /y /n \"KQ-80\""), std::wstring::npos) << Utf8(stub);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kActiveSetupKey, L"Version", MachineView()), L"1,0,0,1");
  ASSERT_TRUE(::WriteProfileStringW(L"windows", L"device", L"Fax,winspool,FILE:"));
  EXPECT_EQ(RunCommandLine(stub), 0u);
  EXPECT_EQ(DefaultPrinterEntry().substr(0, 6), L"KQ-80,");
}

// A person's second start while an unattended run holds the lock: nothing of the first can be
// brought forward, so a box says that another installation is running (1618). And a /S that
// Windows' splitting buried in another word (a backslash before a quote) still means no window.
TEST_F(Lifecycle, ASecondStartDuringAnUnattendedRunSaysSoAndABuriedSShowsNothing) {
  WizardProcess unattended;
  ASSERT_TRUE(unattended.Start(ProgramFolder() + L"\\KQSetup.exe",
                               {L"KQ_PRINTUI_LOG=" + kPrintUiLog, L"KQ_PRINTUI_DELAY_MS=15000"}, Quiet(L"/port=lpt")));
  ASSERT_TRUE(WaitUntil([&] { return Log().find(L"rundll32: ") != std::wstring::npos; }, 60000)) << Utf8(Log());
  WizardProcess person;
  ASSERT_TRUE(person.Start(ProgramFolder() + L"\\KQSetup.exe"));
  const MessageBoxInfo box = person.WaitForMessageBox(30000);
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_NE(box.text.find(L"另一个打印机驱动安装程序正在运行"), std::wstring::npos) << Utf8(box.text);
  person.Answer(box, IDOK);
  ASSERT_TRUE(person.WaitForExit(30000));
  EXPECT_EQ(person.ExitCode(), 1618u);
  ASSERT_TRUE(unattended.WaitForExit(120000));
  EXPECT_EQ(unattended.ExitCode(), 0u);

  WizardProcess buried;
  ASSERT_TRUE(buried.Start(ProgramFolder() + L"\\KQSetup.exe", {}, L"/log=\"C:\\kq-e2e\\\" /S"));
  ASSERT_TRUE(buried.WaitForExit(30000));
  EXPECT_EQ(buried.ExitCode(), 1639u);
  EXPECT_EQ(buried.FindMessageBox().hwnd, nullptr);
  EXPECT_EQ(buried.WaitForFrame(0), nullptr);
}

}  // namespace
}  // namespace e2e
