// The install sequence on a plain state value with a reporter of its own: no page, no global. The
// real commands run: the system's rundll32.exe and, in the test prefix, the printui.dll stand-in.
#include "core/install_sequence.h"

#include <gtest/gtest.h>

#include "install/install_spooler_helpers.h"
#include "install/active_setup.h"
#include "install/printer_list.h"
#include "package/registry_key.h"
#include "helper/helper_test_util.h"
#include "tests/device/device_test_support.h"
#include "win/app.h"
#include "win/setup_log.h"
#include "win/spooler.h"

namespace {

std::string Utf8Of(const wchar_t* text) {
  std::string out;
  for (const wchar_t* c = text; *c != L'\0'; ++c) out += static_cast<char>(*c);
  return out;
}

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

Machine MachineOfThisWorld() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? Machine::kX64 : Machine::kX86;
}

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
    // The sample package, which serves this machine: the install goes on.
    m_context.machine = MachineOfThisWorld();
    m_context.windowsVersion = {6, 1, 7601};
    ASSERT_TRUE(LoadPackageInfInto(m_settings, m_context.packageDirectory));
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

// What the system allows is checked before anything is touched: protected print mode refuses every
// third-party driver, and the package must bring models for the machine Windows runs on. ARM64
// cannot run here: the machine is the context's value. The sample package serves x86 and x64.
TEST_F(InstallSequenceTest, TheMachineAndProtectedPrintModeAreCheckedFirst) {
  m_context.windowsVersion = {10, 0, 22631};
  for (Machine machine : {Machine::kX86, Machine::kX64}) {
    m_context.machine = machine;
    EXPECT_EQ(InstallResult::kSuccess, CheckSystemAndPackage(m_settings, m_context)) << Utf8Of(MachineName(machine));
  }
  m_context.machine = Machine::kArm64;
  EXPECT_EQ(InstallResult::kNoDriverForMachine, CheckSystemAndPackage(m_settings, m_context));
  EXPECT_EQ(L"本驱动程序包中没有适用于这台电脑（ARM64 处理器）的驱动程序，无法安装。\r\n\r\n请使用包含 ARM64 驱动程序的驱动程序包。",
            MessageTextForResult(InstallResult::kNoDriverForMachine, m_context));
  EXPECT_EQ(kExitPlatformUnsupported, ExitCodeForResult(InstallResult::kNoDriverForMachine));
  EXPECT_EQ(InstallResult::kNoDriverForMachine, InstallPrinter(m_settings, m_settings, m_context, m_reporter, m_run));
  EXPECT_TRUE(m_reporter.target.empty()) << "refused before the printer list";
  // A package with an ARM64 section goes on.
  m_settings.g_models = ReadInfPackageModels(
      L"[Manufacturer]\r\n%K%=K,NTx86,NTamd64,NTarm64\r\n[K.NTarm64]\r\n\"KESTROM KQ-80\" = A, USBPRINT\\KQ\r\n");
  EXPECT_EQ(InstallResult::kSuccess, CheckSystemAndPackage(m_settings, m_context));

  m_context.protectedPrint.on = true;
  m_context.protectedPrint.reason = L"test";
  EXPECT_EQ(InstallResult::kProtectedPrintMode, CheckSystemAndPackage(m_settings, m_context));
  EXPECT_EQ(kExitDriverBlocked, ExitCodeForResult(InstallResult::kProtectedPrintMode));
}

// A run as the local system account, as deployment tools run it (the harness cannot log on as it):
// the default printer written at once is that account's own, which the log says plainly, and every
// user gets the printer as default at their next logon through Active Setup.
TEST_F(InstallSequenceTest, AsTheSystemAccountEveryUserGetsTheDefaultAtLogon) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring logPath = std::wstring(temp) + L"kq-sequence-" + std::to_wstring(::GetCurrentProcessId()) + L".log";
  ::DeleteFileW(logPath.c_str());
  BOOL wow64 = FALSE;
  const REGSAM view = ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY : 0;
  CRegistryKey::DeleteTree(HKEY_CURRENT_USER, kDefaultPrinterActiveSetupKey, view);
  ASSERT_TRUE(win::OpenSetupLog(logPath, false, L"test"));
  m_context.systemAccount = true;
  EXPECT_EQ(InstallResult::kSuccess, InstallPrinter(m_settings, m_settings, m_context, m_reporter, m_run));
  win::CloseSetupLog(0);
  const std::string log = kqtest::ReadFileText(logPath);
  ::DeleteFileW(logPath.c_str());
  EXPECT_NE(log.find("written for the local system account, whose default printer is nobody's"), std::string::npos)
      << log;
  EXPECT_NE(log.find("default printer for every user: Active Setup"), std::string::npos) << log;
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDefaultPrinterActiveSetupKey, 0, KEY_READ | view, &key));
  wchar_t stub[1024] = {};
  DWORD size = sizeof(stub) - sizeof(wchar_t);
  EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key, L"StubPath", nullptr, nullptr, reinterpret_cast<BYTE*>(stub), &size));
  ::RegCloseKey(key);
  EXPECT_NE(std::wstring(stub).find(L"PrintUIEntry /y /n \"" + m_settings.g_strPrinterName + L"\" /q"), std::wstring::npos);
  // The system account's own profile gets no mark: it is nobody's.
  EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kDefaultPrinterActiveSetupKey, 0, KEY_READ | view, &key));
  CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kDefaultPrinterActiveSetupKey, view);
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
