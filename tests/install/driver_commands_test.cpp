// Runs the real commands: the system's rundll32.exe and, in the test prefix, the printui.dll
// stand-in that adds printers through the spooler and logs each call.
#include "install/driver_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/install_decisions_core.h"
#include "install/printer_list.h"
#include "install_spooler_helpers.h"
#include "support/printui_log.h"
#include "win/app.h"

namespace {

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, n);
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

std::wstring SystemRundll32() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
  return std::wstring(buffer, n) + L"\\rundll32.exe";
}

using kqtest::PrintUiCall;

class DriverCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = TempFolder() + L"kq-printui-" + std::to_wstring(::GetCurrentProcessId()) + L".log";
    ::DeleteFileW(log_.c_str());
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_LOG", log_.c_str());
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_MODE", nullptr);
    base_ = L"KQ 测试 " + std::to_wstring(::GetCurrentProcessId());
    driver_.printerName = base_;
    driver_.packageDirectory = FolderOf(win::ModuleFilePath());
    driver_.packageName = L"KQPRINTER";
    driver_.driverDesc = L"KESTROM KQ-80";
    RefillPrinterNames(before_, nullptr);
  }

  void TearDown() override {
    std::vector<std::wstring> now;
    RefillPrinterNames(now, nullptr);
    for (const std::wstring& name : now) {
      if (std::find(before_.begin(), before_.end(), name) == before_.end()) install_test::DeleteTestPrinter(name);
    }
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_LOG", nullptr);
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_MODE", nullptr);
    ::DeleteFileW(log_.c_str());
  }

  // Runs the driver install and returns the printer it created, as the install page finds it.
  std::wstring Install(const std::wstring& port) {
    std::vector<std::wstring> before, after;
    RefillPrinterNames(before, nullptr);
    driver_.port = port;
    EXPECT_EQ(DriverCommand::kRan, InstallDriver(driver_, false));
    RefillPrinterNames(after, nullptr);
    return FindNewPrinter(before, after, base_);
  }

  std::vector<PrintUiCall> Log() const {
    std::vector<PrintUiCall> lines = kqtest::ReadPrintUiLog(log_);
    if (lines.empty()) ADD_FAILURE() << "no log from the printui.dll stand-in: is it installed in the prefix?";
    return lines;
  }

  DriverInstall driver_;
  std::wstring log_;
  std::wstring base_;
  std::vector<std::wstring> before_;
};

// The native rundll32.exe, and so the native printui.dll: on 64-bit Windows the 32-bit one would
// install a driver for 32-bit Windows only.
TEST_F(DriverCommandsTest, InstallCreatesPrinterOnPortThroughTheNativeRundll32) {
  const std::wstring printer = Install(L"USB001");
  EXPECT_EQ(base_, printer);
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(printer, port, driver));
  EXPECT_EQ(L"USB001", port);
  EXPECT_EQ(L"KESTROM KQ-80", driver);

  const std::vector<PrintUiCall> lines = Log();
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(0, ::lstrcmpiW(kqtest::NativeRundll32().c_str(), lines[0].invokedAs.c_str())) << lines[0].invokedAs;
  EXPECT_EQ(kqtest::NativeArchitecture(), lines[0].architecture);
  std::wstring expected;
  ASSERT_TRUE(BuildDriverInstallParameters(base_, FolderOf(win::ModuleFilePath()), L"KQPRINTER", L"USB001",
                                           L"KESTROM KQ-80", expected));
  // rundll32 hands over what follows the entry point's name.
  EXPECT_EQ(expected.substr(expected.find(L"/z")), lines[0].command);
}

TEST_F(DriverCommandsTest, ClashesGetCopySuffixAndParallelPort) {
  // A printer whose name differs from the base only in case already exists.
  std::wstring otherCase = base_;
  std::transform(otherCase.begin(), otherCase.end(), otherCase.begin(), [](wchar_t c) { return c == L'Q' ? L'q' : c; });
  ASSERT_TRUE(install_test::AddTestPrinter(otherCase, L"LPT2:"));
  std::vector<std::wstring> existing;
  RefillPrinterNames(existing, nullptr);
  const std::wstring predicted = MakeUniquePrinterName(base_, existing);
  EXPECT_EQ(base_ + L" (副本 1)", predicted);

  EXPECT_EQ(predicted, Install(L"LPT1:"));
  EXPECT_EQ(base_ + L" (副本 2)", Install(L"LPT1:"));
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(base_ + L" (副本 2)", port, driver));
  EXPECT_EQ(L"LPT1:", port);
  // The first printer was not replaced.
  ASSERT_TRUE(install_test::QueryPrinter(otherCase, port, driver));
  EXPECT_EQ(L"LPT2:", port);
}

TEST_F(DriverCommandsTest, StandInCanCreateNothingOrAnotherName) {
  ::SetEnvironmentVariableW(L"KQ_PRINTUI_MODE", L"none");
  std::vector<std::wstring> before, after;
  RefillPrinterNames(before, nullptr);
  driver_.port = L"USB001";
  EXPECT_EQ(DriverCommand::kRan, InstallDriver(driver_, false));
  RefillPrinterNames(after, nullptr);
  EXPECT_EQ(before.size(), after.size());

  ::SetEnvironmentVariableW(L"KQ_PRINTUI_MODE", (L"rename:Other " + base_).c_str());
  EXPECT_EQ(L"Other " + base_, Install(L"USB001"));
  ::SetEnvironmentVariableW(L"KQ_PRINTUI_MODE", L"rename:Unrelated Printer 9");
  RefillPrinterNames(before, nullptr);
  EXPECT_EQ(L"", Install(L"USB001"));
  RefillPrinterNames(after, nullptr);
  EXPECT_EQ(before.size() + 1, after.size());

  const std::vector<PrintUiCall> lines = Log();
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(L"created nothing (mode none)", lines[0].outcome);
}

TEST_F(DriverCommandsTest, TestPageCarriesWholeNameAfterN) {
  const std::wstring name = base_ + L" (副本 1)";
  ASSERT_TRUE(install_test::AddTestPrinter(name, L"USB003"));
  PrintTestPage(name);
  const std::vector<PrintUiCall> lines = Log();
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(L"/k /n \"" + name + L"\"", lines[0].command);
  EXPECT_EQ(L"test page \"" + name + L"\"", lines[0].outcome);
}

TEST_F(DriverCommandsTest, MissingPackageInfCreatesNothing) {
  driver_.packageName = L"NO-SUCH-PACKAGE";
  driver_.port = L"USB001";
  std::vector<std::wstring> before, after;
  RefillPrinterNames(before, nullptr);
  EXPECT_EQ(DriverCommand::kRan, InstallDriver(driver_, false));
  RefillPrinterNames(after, nullptr);
  EXPECT_EQ(before, after);
}

// A rundll32.exe lying in the program's folder (say, in an unpacked driver package) must never
// run in place of the system's: the command runs with administrator rights.
TEST_F(DriverCommandsTest, PlantedRundll32InProgramFolderNeverRuns) {
  const std::wstring planted = FolderOf(win::ModuleFilePath()) + L"\\rundll32.exe";
  ASSERT_TRUE(::CopyFileW(SystemRundll32().c_str(), planted.c_str(), FALSE)) << ::GetLastError();
  wchar_t oldCurrent[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, oldCurrent);
  ::SetCurrentDirectoryW(FolderOf(planted).c_str());

  // The log names the program that loaded the stand-in, so it tells the planted copy apart.
  std::wstring control = L"\"" + planted + L"\" printui.dll,PrintUIEntry /k /n \"control\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(::CreateProcessW(planted.c_str(), &control[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);

  PrintTestPage(L"anything");
  driver_.port = L"USB001";
  EXPECT_EQ(DriverCommand::kRan, InstallDriver(driver_, false));

  ::SetCurrentDirectoryW(oldCurrent);
  ::DeleteFileW(planted.c_str());
  const std::vector<PrintUiCall> lines = Log();
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(0, ::lstrcmpiW(planted.c_str(), lines[0].host.c_str())) << lines[0].host;
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(0, ::lstrcmpiW(kqtest::NativeRundll32().c_str(), lines[i].invokedAs.c_str())) << lines[i].invokedAs;
  }
}

}  // namespace
