// The printui.dll stand-in refuses what the system's installer refuses, and installs a driver
// alone. It is run the way the wizard runs it, through the native rundll32.exe, so the stand-in
// of this world's own architecture answers (x64 under WOW64, x86 on 32-bit Windows).
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "install/install_spooler_helpers.h"
#include "install/protected_print.h"
#include "support/printui_log.h"

namespace {

using kqtest::PrintUiCall;

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, n);
}

// The spooler's environment of the native stand-in's drivers. A 32-bit caller that names none
// gets "Windows NT x86" even on 64-bit Windows.
std::wstring NativeEnvironment() {
  return kqtest::NativeArchitecture() == L"x64" ? L"Windows x64" : L"Windows NT x86";
}

const char kModels[] =
    "\"KESTROM KQ-80\" = KQ80.GPD, USBPRINT\\KESTROMKQ-80E5A1\r\n"
    "\"KESTROM KQ-80\" = KQ80.GPD, LPTENUM\\KESTROMKQ-80E5A1\r\n";

class PrintUiStandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring id = std::to_wstring(::GetCurrentProcessId());
    log_ = TempFolder() + L"kq-standin-" + id + L".log";
    ::DeleteFileW(log_.c_str());
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_LOG", log_.c_str());
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_MODE", nullptr);
    printer_ = L"KQ 替身 " + id;
    model_ = L"KQ StandIn Model " + id;
    SetWorldPolicy(nullptr);
  }

  void TearDown() override {
    SetWorldPolicy(nullptr);
    install_test::DeleteTestPrinter(printer_);
    std::wstring environment = NativeEnvironment();
    ::DeletePrinterDriverW(nullptr, &environment[0], const_cast<wchar_t*>(model_.c_str()));
    for (const std::wstring& file : files_) ::DeleteFileW(file.c_str());
    ::SetEnvironmentVariableW(L"KQ_PRINTUI_LOG", nullptr);
    ::DeleteFileW(log_.c_str());
  }

  std::wstring WriteInf(const std::wstring& name, const std::string& text) {
    const std::wstring path = TempFolder() + name + L"-" + std::to_wstring(::GetCurrentProcessId()) + L".inf";
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    files_.push_back(path);
    return path;
  }

  // Runs "<native rundll32.exe> printui.dll,PrintUIEntry <arguments>" to its end.
  void RunPrintUi(const std::wstring& arguments) {
    std::wstring line = L"\"" + kqtest::NativeRundll32() + L"\" printui.dll,PrintUIEntry " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << ::GetLastError();
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  void InstallPrinter(const std::wstring& inf) {
    RunPrintUi(L"/z /if /b \"" + printer_ + L"\" /f \"" + inf + L"\" /r \"LPT1:\" /m \"" + model_ + L"\"");
  }
  void InstallDriver(const std::wstring& inf) { RunPrintUi(L"/ia /m \"" + model_ + L"\" /f \"" + inf + L"\""); }

  std::vector<PrintUiCall> Log() const { return kqtest::ReadPrintUiLog(log_); }
  bool PrinterExists() const {
    std::wstring port, driver;
    return install_test::QueryPrinter(printer_, port, driver);
  }

  // The world's own policy value, where the system's spooler reads it (the 64-bit view under
  // WOW64); null removes it.
  static void SetWorldPolicy(const DWORD* value) {
    HKEY key = nullptr;
    const REGSAM view = kqtest::TestRunsUnderWow64() ? KEY_WOW64_64KEY : 0;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWppKey, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    if (value != nullptr) {
      EXPECT_EQ(::RegSetValueExW(key, kWppPolicyValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(value),
                                 sizeof(*value)),
                ERROR_SUCCESS);
    } else {
      ::RegDeleteValueW(key, kWppPolicyValue);
    }
    ::RegCloseKey(key);
  }

  // Whether the spooler holds the test's driver for the native stand-in's environment.
  bool DriverInstalled() const {
    std::wstring environment = NativeEnvironment();
    DWORD needed = 0, count = 0;
    ::EnumPrinterDriversW(nullptr, &environment[0], 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + 8);
    if (needed == 0 || !::EnumPrinterDriversW(nullptr, &environment[0], 1, block.data(), needed, &needed, &count)) {
      return false;
    }
    const DRIVER_INFO_1W* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
      if (drivers[i].pName != nullptr && model_ == drivers[i].pName) return true;
    }
    return false;
  }

  std::wstring log_, printer_, model_;
  std::vector<std::wstring> files_;
};

}  // namespace

// An undecorated models section serves 32-bit Windows only, an NTamd64 one 64-bit Windows only:
// the stand-in of the other world refuses with the system's "unknown printer driver" and creates
// nothing, for the printer and for the driver alone.
TEST_F(PrintUiStandIn, APackageWithoutModelsForItsArchitectureIsRefused) {
  const bool x64 = kqtest::NativeArchitecture() == L"x64";
  const std::wstring undecorated =
      WriteInf(L"kq-undecorated", std::string("[Version]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\n"
                                              "%K%=KESTROM\r\n[KESTROM]\r\n") + kModels);
  const std::wstring amd64Only =
      WriteInf(L"kq-amd64", std::string("[Manufacturer]\r\n%K%=KESTROM,NTamd64\r\n[KESTROM.NTamd64]\r\n") + kModels);
  const std::wstring refusedHere = x64 ? undecorated : amd64Only;
  const std::wstring servedHere = x64 ? amd64Only : undecorated;

  InstallPrinter(refusedHere);
  InstallDriver(refusedHere);
  EXPECT_FALSE(PrinterExists());
  InstallPrinter(servedHere);
  EXPECT_TRUE(PrinterExists());

  const std::vector<PrintUiCall> calls = Log();
  ASSERT_EQ(calls.size(), 3u);
  const std::wstring refusal = std::wstring(L"error 1797 no models section for ") + (x64 ? L"x64" : L"x86") +
                               (x64 ? L" (KESTROM: undecorated)" : L" (KESTROM: NTamd64)");
  EXPECT_EQ(calls[0].outcome, refusal);
  EXPECT_EQ(calls[1].outcome, refusal);
  EXPECT_EQ(calls[2].outcome.compare(0, 8, L"created "), 0) << calls[2].outcome;
  EXPECT_EQ(calls[0].architecture, kqtest::NativeArchitecture());
}

// The world's policy turns protected print mode on: every driver is blocked (3014), whatever the
// package, and the wizard's own reader sees the same value.
TEST_F(PrintUiStandIn, ProtectedPrintModeBlocksEveryDriver) {
  const std::wstring sample = WriteInf(
      L"kq-sample", std::string("[Manufacturer]\r\n%K%=KESTROM,NTx86,NTamd64\r\n[KESTROM]\r\n") + kModels +
                        "[KESTROM.NTx86]\r\n" + kModels + "[KESTROM.NTamd64]\r\n" + kModels);
  const DWORD on = 1;
  SetWorldPolicy(&on);
  const ProtectedPrintMode mode = ReadProtectedPrintMode(kqtest::TestRunsUnderWow64());
  EXPECT_TRUE(mode.on) << mode.reason;

  InstallPrinter(sample);
  InstallDriver(sample);
  EXPECT_FALSE(PrinterExists());
  EXPECT_FALSE(DriverInstalled());
  const std::vector<PrintUiCall> calls = Log();
  ASSERT_EQ(calls.size(), 2u);
  for (const PrintUiCall& call : calls) {
    EXPECT_EQ(call.outcome.compare(0, 11, L"error 3014 "), 0) << call.outcome;
    EXPECT_NE(call.outcome.find(L"WindowsProtectedPrintGroupPolicyState = 1"), std::wstring::npos) << call.outcome;
  }

  SetWorldPolicy(nullptr);
  EXPECT_FALSE(ReadProtectedPrintMode(kqtest::TestRunsUnderWow64()).on);
  InstallPrinter(sample);
  EXPECT_TRUE(PrinterExists());
}

// "/ia": the driver alone, added and then replaced, and a queue made later on it. Wine's spooler
// keeps no driver date or version, so the stand-in's log line records the INF's DriverVer.
TEST_F(PrintUiStandIn, DriverOnlyInstallAddsOrReplacesTheDriverWithItsVersion) {
  const std::string models = std::string("[Manufacturer]\r\n%K%=KESTROM,NTx86,NTamd64\r\n[KESTROM.NTx86]\r\n") +
                             kModels + "[KESTROM.NTamd64]\r\n" + kModels;
  const std::wstring first = WriteInf(L"kq-v1", "[Version]\r\nDriverVer=10/01/2026,1.0.0.0\r\n" + models);
  const std::wstring second = WriteInf(L"kq-v2", "[Version]\r\nDriverVer = 3/15/2027, 2.1.0.5\r\n" + models);

  InstallDriver(first);
  EXPECT_TRUE(DriverInstalled());
  InstallDriver(second);
  EXPECT_TRUE(DriverInstalled());
  EXPECT_FALSE(PrinterExists());
  InstallPrinter(second);
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(printer_, port, driver));
  EXPECT_EQ(driver, model_);

  const std::vector<PrintUiCall> calls = Log();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].outcome, L"added driver \"" + model_ + L"\" 1.0.0.0 of 2026-10-01");
  EXPECT_EQ(calls[1].outcome, L"replaced driver \"" + model_ + L"\" 2.1.0.5 of 2027-03-15");
  EXPECT_EQ(calls[1].command, L"/ia /m \"" + model_ + L"\" /f \"" + second + L"\"");
}
