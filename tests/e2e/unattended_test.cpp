// The unattended install (/S) as deployment tools run it: no window at any time, the outcome in the
// exit code and the setup log, and each refusal and failure with its own code.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_common.h"
#include "e2e/spooler_state.h"
#include "support/printui_log.h"
#include "support/seed_records.h"

// The version from the build's one place, as the log's first line names it.
#include "kq_version.h"

namespace e2e {
namespace {

const std::wstring kLog = L"C:\\kq-e2e\\unattended 日志\\setup.log";
const std::wstring kPrintUiLog = L"C:\\kq-e2e\\printui.log";

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

class Unattended : public ::testing::Test {
 protected:
  void SetUp() override {
    KQ_REQUIRE_WINE();
    kqseed::ClearSeededRecords();
    kqseed::ClearPrinterClassRecords();
    DeleteAllPrinters();
    ::CreateDirectoryW(L"C:\\kq-e2e", nullptr);
    ::DeleteFileW(kPrintUiLog.c_str());
    ::DeleteFileW(kLog.c_str());
  }
  void TearDown() override {
    kqseed::ClearSeededRecords();
    kqseed::ClearPrinterClassRecords();
    DeleteAllPrinters();
  }

  // Runs KQSetup.exe with `arguments` to its end, watching that it never shows a window;
  // returns its exit code.
  DWORD Run(const std::wstring& arguments, const std::vector<std::wstring>& env = {},
            const std::wstring& folder = ProgramFolder()) {
    std::vector<std::wstring> environment = env;
    environment.push_back(L"KQ_PRINTUI_LOG=" + kPrintUiLog);
    WizardProcess setup;
    EXPECT_TRUE(setup.Start(folder + L"\\KQSetup.exe", environment, arguments));
    bool windowSeen = false;
    const DWORD start = ::GetTickCount();
    while (!setup.WaitForExit(20) && ::GetTickCount() - start < 120000) {
      windowSeen = windowSeen || setup.WaitForFrame(0) != nullptr || !setup.TopLevelDialogs().empty();
    }
    EXPECT_FALSE(windowSeen) << "a window appeared: " << Narrow(arguments);
    EXPECT_FALSE(setup.IsRunning()) << "still running after two minutes: " << Narrow(arguments);
    return setup.ExitCode();
  }

  std::wstring Log() const { return ReadUtf8File(kLog); }
};

// Unattended on the attached USB printer: the printer on its own port and the default, the helper
// run and gone, and the whole run in the log given.
TEST_F(Unattended, AUsbInstallShowsNothingAndLogsTheRun) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Run(L"/S \"/log=" + kLog + L"\""), 0u);
  printf("[ MEASURE  ] unattended USB install, start to exit: %lu ms\n", static_cast<unsigned long>(::GetTickCount() - start));
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(L"KQ-80", port, driver));
  EXPECT_EQ(port, L"USB001");
  EXPECT_EQ(DefaultPrinterEntry(), L"KQ-80,winspool,USB001");
  EXPECT_FALSE(ServiceExists(L"Printer Helper"));
  const std::wstring log = Log();
  EXPECT_EQ(log.find(L"\xFEFF"), 0u) << "UTF-8 with a byte-order mark";
  EXPECT_NE(log.find(L"command line: "), std::wstring::npos);
  EXPECT_NE(log.find(L"/S \"/log=" + kLog + L"\""), std::wstring::npos) << Utf8(log);
  EXPECT_NE(log.find(L"/z /if /b \"KQ-80\""), std::wstring::npos) << Utf8(log);
  EXPECT_NE(log.find(L" /q"), std::wstring::npos) << "printui is asked to show no message";
  EXPECT_NE(log.find(L"helper service: ran and was removed"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(log.find(L"message box"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(LastLogLine(log), L"exit code 0");
  EXPECT_EQ(log.find(L"\n"), log.find(L"\r\n") + 1) << "CRLF line ends";
  // The run's first line names the computer, and every line carries the run's process id, so
  // that runs of many PCs in one shared log can be told apart.
  wchar_t computer[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(::GetComputerNameW(computer, &size));
  const std::wstring first = log.substr(1, log.find(L"\r\n") - 1);
  EXPECT_EQ(LogLineText(first), std::wstring(L"===== KQSetup ") + KQ_VERSION_TEXT + L" on computer " + computer + L" =====")
      << Utf8(first);
  const std::wstring process = first.substr(24, first.find(L"] ") + 2 - 24);
  ASSERT_EQ(process[0], L'[') << Utf8(first);
  for (size_t line = 1; line < log.size(); line = log.find(L"\n", line) + 1) {
    EXPECT_EQ(log.compare(line + 24, process.size(), process), 0) << Utf8(log.substr(line, 60));
    if (log.find(L"\n", line) == std::wstring::npos) break;
  }
}

// A run cut short (by a power failure, say) left our helper registered with automatic start: it
// runs from every boot and holds its program file. The next install stops and removes it first,
// so that the file can be written anew, instead of failing with 498 on every run.
TEST_F(Unattended, AHelperLeftRunningByAnEarlierRunIsReplaced) {
  wchar_t common[MAX_PATH] = {};
  ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, common, CSIDL_PROGRAM_FILES_COMMON, FALSE));
  const std::wstring folder = std::wstring(common) + L"\\Services";
  const std::wstring helper = folder + L"\\PHelper.exe";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  // An older helper: the built one with a byte more, which still runs as a service.
  std::string older = FileBytes(ProgramFolder() + L"\\PHelper.exe");
  ASSERT_FALSE(older.empty());
  older.push_back('\0');
  ASSERT_TRUE(WriteBytes(helper, older));
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  ASSERT_NE(manager, nullptr);
  const std::wstring quoted = L"\"" + helper + L"\"";
  SC_HANDLE service = ::CreateServiceW(manager, L"Printer Helper", L"Printer Helper", SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
                                       SERVICE_ERROR_NORMAL, quoted.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(service, nullptr) << ::GetLastError();
  EXPECT_TRUE(::StartServiceW(service, 0, nullptr)) << ::GetLastError();
  ::CloseServiceHandle(service);
  ::CloseServiceHandle(manager);

  EXPECT_EQ(Run(L"/S /port=lpt /log=\"" + kLog + L"\""), 0u);
  const std::wstring log = Log();
  EXPECT_NE(log.find(L"still registered from an earlier run"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(log.find(L"could not be written"), std::wstring::npos) << Utf8(log);
  EXPECT_NE(log.find(L"helper service: ran and was removed"), std::wstring::npos) << Utf8(log);
  EXPECT_TRUE(FileBytes(helper) == FileBytes(ProgramFolder() + L"\\PHelper.exe")) << "the old helper stayed";
  EXPECT_FALSE(ServiceExists(L"Printer Helper"));
}

TEST_F(Unattended, AParallelInstallTakesTheNameGiven) {
  EXPECT_EQ(Run(L"/quiet /PORT=lpt \"/name=前台 打印机\" /log=\"" + kLog + L"\""), 0u);
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(L"前台 打印机", port, driver));
  EXPECT_EQ(port, L"LPT1:");
  EXPECT_EQ(DefaultPrinterEntry(), L"前台 打印机,winspool,LPT1:");
  EXPECT_EQ(LastLogLine(Log()), L"exit code 0");
}

// Each way an unattended install ends without a printer has its own code, and none shows a window.
TEST_F(Unattended, RefusalsAndFailuresEndWithTheirOwnCodes) {
  // No USB printer of the series attached: nothing is run.
  EXPECT_EQ(Run(L"/S /log=\"" + kLog + L"\""), 1167u);
  EXPECT_EQ(ReadUtf8File(kPrintUiLog), L"");
  EXPECT_EQ(LastLogLine(Log()), L"exit code 1167");
  // The driver command creates nothing.
  EXPECT_EQ(Run(L"/S /port=lpt /log=\"" + kLog + L"\"", {L"KQ_PRINTUI_MODE=none"}), 1603u);
  EXPECT_EQ(LastLogLine(Log()), L"exit code 1603");
  // A printer appears, but not ours (Windows added one it discovered while our driver's install
  // failed): no success either, and no device records or helper for it.
  EXPECT_EQ(Run(L"/S /port=lpt /log=\"" + kLog + L"\"", {L"KQ_PRINTUI_MODE=rename:Network Printer"}), 1603u);
  EXPECT_NE(Log().find(L"no new printer carries the name"), std::wstring::npos) << Utf8(Log());
  EXPECT_EQ(Log().find(L"helper service: create"), std::wstring::npos) << Utf8(Log());
  EXPECT_EQ(LastLogLine(Log()), L"exit code 1603");
  ASSERT_TRUE(install_test::DeleteTestPrinter(L"Network Printer"));
  // No INF beside the program.
  const std::wstring folder = L"C:\\kq-e2e\\unattended no inf";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ::DeleteFileW((folder + L"\\KQPRINTER.INF").c_str());
  ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"\\KQSetup.exe").c_str(), (folder + L"\\KQSetup.exe").c_str(), FALSE));
  EXPECT_EQ(Run(L"/S /log=\"" + kLog + L"\"", {}, folder), 1619u);
  EXPECT_EQ(LastLogLine(Log()), L"exit code 1619");
  // An invalid command line touches nothing.
  ::DeleteFileW(kPrintUiLog.c_str());
  for (const wchar_t* arguments : {L"/S /port=com1", L"/S /name=", L"/S /log=C:\\kq-e2e", L"/S /bogus"}) {
    EXPECT_EQ(Run(arguments), 1639u) << Narrow(arguments);
  }
  EXPECT_TRUE(PrinterNames().empty());
  EXPECT_EQ(ReadUtf8File(kPrintUiLog), L"");

  // Without /S the refusal is told, with the switches, and nothing else appears.
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Start(ProgramFolder() + L"\\KQSetup.exe", {}, L"/port=com1"));
  MessageBoxInfo box = wizard.WaitForMessageBox(30000);
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_NE(box.text.find(L"/port=com1"), std::wstring::npos) << Utf8(box.text);
  EXPECT_NE(box.text.find(L"/quiet"), std::wstring::npos) << Utf8(box.text);
  EXPECT_EQ(wizard.WaitForFrame(0), nullptr);
  wizard.Answer(box, IDOK);
  ASSERT_TRUE(wizard.WaitForExit(10000));
  EXPECT_EQ(wizard.ExitCode(), 1639u);
}

}  // namespace
}  // namespace e2e
