// The install sequence on a plain state value with a reporter of its own: no page, no global. The
// real commands run: the system's rundll32.exe and, in the test prefix, the printui.dll stand-in.
#include "core/install_sequence.h"

#include <gtest/gtest.h>

#include "install/install_spooler_helpers.h"
#include "install/printer_list.h"
#include "tests/device/device_test_support.h"
#include "win/app.h"
#include "win/spooler.h"

namespace {

class RecordingReporter : public IInstallReporter {
 public:
  HWND MessageOwner() const override { return nullptr; }
  void ReportStep(const std::wstring& text, int) override { steps.push_back(text); }
  void HideTarget() override {}
  void ShowTarget(const std::wstring& name, const std::wstring& port, const std::wstring& model) override {
    target = name + L"|" + port + L"|" + model;
  }
  void ShowInstalledPrinter(const std::wstring& name) override { installed = name; }
  void CompleteProgress() override { ++completed; }

  std::vector<std::wstring> steps;
  std::wstring target;
  std::wstring installed;
  int completed = 0;
};

std::wstring DefaultPrinterEntry() {
  wchar_t buffer[1024] = {};
  ::GetProfileStringW(L"windows", L"device", L"", buffer, 1024);
  return buffer;
}

// A spooler that answers the first listing (its size query and its fetch) and then stops
// answering, as one does that restarts after a driver install went wrong.
int g_enumCalls = 0;
BOOL WINAPI SpoolerGoneAfterFirstListing(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size,
                                         LPDWORD needed, LPDWORD returned) {
  if (++g_enumCalls <= 2) return ::EnumPrintersW(flags, name, level, buffer, size, needed, returned);
  if (needed != nullptr) *needed = 0;
  ::SetLastError(RPC_S_SERVER_UNAVAILABLE);
  return FALSE;
}

class InstallSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedDefault = DefaultPrinterEntry();
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_MODE", nullptr);
    m_settings.AssignFixedValues();
    m_settings.g_strDriverDesc = L"KESTROM KQ-80";
    m_settings.g_strPrinterName = L"KQ 序列 " + std::to_wstring(::GetCurrentProcessId());
    m_settings.g_ePortType = Connection::kLpt;
    const std::wstring program = win::ModuleFilePath();
    m_context.packageDirectory = program.substr(0, program.rfind(L'\\'));
    m_context.osMajorVersion = 6;
  }
  void TearDown() override {
    install_test::DeleteTestPrinter(m_settings.g_strPrinterName);
    ::WriteProfileStringW(L"windows", L"device", m_savedDefault.empty() ? nullptr : m_savedDefault.c_str());
  }

  CSetupSettings m_settings;
  InstallContext m_context;
  RecordingReporter m_reporter;
  InstallRun m_run;
  std::wstring m_savedDefault;
};

TEST_F(InstallSequenceTest, APlainStateInstallsOnTheParallelPortAndMakesItTheDefault) {
  const std::wstring name = m_settings.g_strPrinterName;
  EXPECT_EQ(InstallResult::kSuccess, InstallPrinter(m_settings, m_settings, m_context, m_reporter, m_run));
  EXPECT_EQ(name, m_run.installedPrinter);
  EXPECT_EQ(name, m_reporter.installed);
  EXPECT_EQ(name + L"|LPT1:|KESTROM KQ-80", m_reporter.target);
  EXPECT_EQ(4u, m_reporter.steps.size());
  EXPECT_EQ(1, m_reporter.completed);
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(name, port, driver));
  EXPECT_EQ(L"LPT1:", port);
  EXPECT_EQ(L"KESTROM KQ-80", driver);
  EXPECT_EQ(name + L",winspool,LPT1:", DefaultPrinterEntry());
}

// A system older than Windows 2000 is refused before anything is touched.
TEST_F(InstallSequenceTest, AnOlderSystemIsRefusedFirst) {
  m_context.osMajorVersion = 4;
  EXPECT_EQ(InstallResult::kSystemTooOld, InstallPrinter(m_settings, m_settings, m_context, m_reporter, m_run));
  EXPECT_TRUE(m_reporter.target.empty());
  std::wstring port, driver;
  EXPECT_FALSE(install_test::QueryPrinter(m_settings.g_strPrinterName, port, driver));
}

// The list after the command could not be read: that is a failure (30), not the success that an
// empty list, shorter than the one before, would look like.
TEST_F(InstallSequenceTest, AListingThatFailsAfterTheCommandIsNoSuccess) {
  devicetest::MessageBoxRecorder boxes;
  g_enumCalls = 0;
  win::spooler::SetEnumPrintersForTesting(&SpoolerGoneAfterFirstListing);
  const InstallResult result = InstallPrinter(m_settings, m_settings, m_context, m_reporter, m_run);
  win::spooler::SetEnumPrintersForTesting(nullptr);
  EXPECT_EQ(InstallResult::kUnknownError, result);
  EXPECT_TRUE(m_run.installedPrinter.empty());
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(L"枚举打印机信息失败。错误代码：1722", boxes.boxes[0].text);
}

}  // namespace
