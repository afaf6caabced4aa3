// The service control wrapper against the real service control manager of the Wine prefix, with
// the real helper program built alongside these tests. Services started here run in the prefix
// itself, so the side values they move are seeded into the prefix's own HKEY_LOCAL_MACHINE and
// removed again afterwards.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <memory>

#include "../helper/helper_test_util.h"
#include "install/service_control.h"
#include "win/app.h"

namespace {

using kqtest::kPrinterClassGuid;
using kqtest::kPrinterClassKey;
using kqtest::RegHasValue;
using kqtest::RegKeyExists;
using kqtest::RegMakeKey;
using kqtest::RegNumber;
using kqtest::RegSetNumber;
using kqtest::RegSetText;
using kqtest::RegText;

const HKEY kLm = HKEY_LOCAL_MACHINE;
const wchar_t kUsbPrintKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";

std::wstring BuiltHelperPath() {
  const std::wstring module = win::ModuleFilePath();
  return module.substr(0, module.find_last_of(L'\\') + 1) + L"PHelper.exe";
}

win::ScopedServiceHandle OpenManager() {
  return win::ScopedServiceHandle(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

bool IsRegistered(const std::wstring& name) {
  win::ScopedServiceHandle manager = OpenManager();
  win::ScopedServiceHandle service(::OpenServiceW(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS));
  return static_cast<bool>(service);
}

DWORD CurrentState(const std::wstring& name) {
  win::ScopedServiceHandle manager = OpenManager();
  win::ScopedServiceHandle service(::OpenServiceW(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS));
  SERVICE_STATUS status = {};
  if (!service || !::QueryServiceStatus(service.Get(), &status)) return 0;
  return status.dwCurrentState;
}

bool SendControl(const std::wstring& name, DWORD control) {
  win::ScopedServiceHandle manager = OpenManager();
  win::ScopedServiceHandle service(::OpenServiceW(manager.Get(), name.c_str(), SERVICE_ALL_ACCESS));
  SERVICE_STATUS status = {};
  return service && ::ControlService(service.Get(), control, &status);
}

// The manager answers state changes and removals a little after the request returns.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 15000) {
  for (DWORD waited = 0; waited <= timeoutMs; waited += 100) {
    if (condition()) return true;
    ::Sleep(100);
  }
  return false;
}

struct ServiceConfig {
  std::wstring binaryPath;
  DWORD serviceType = 0;
  DWORD startType = 0;
  std::wstring displayName;
};

bool QueryConfig(const std::wstring& name, ServiceConfig& out) {
  win::ScopedServiceHandle manager = OpenManager();
  win::ScopedServiceHandle service(::OpenServiceW(manager.Get(), name.c_str(), SERVICE_QUERY_CONFIG));
  if (!service) return false;
  DWORD needed = 0;
  ::QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
  std::unique_ptr<BYTE[]> buffer(new BYTE[needed + 16]);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.get());
  if (!::QueryServiceConfigW(service.Get(), config, needed + 16, &needed)) return false;
  out.binaryPath = config->lpBinaryPathName ? config->lpBinaryPathName : L"";
  out.serviceType = config->dwServiceType;
  out.startType = config->dwStartType;
  out.displayName = config->lpDisplayName ? config->lpDisplayName : L"";
  return true;
}

// Removes a registration a failed test may have left behind.
void ForceDelete(const std::wstring& name) {
  win::ScopedServiceHandle manager = OpenManager();
  win::ScopedServiceHandle service(::OpenServiceW(manager.Get(), name.c_str(), SERVICE_ALL_ACCESS));
  if (!service) return;
  SERVICE_STATUS status = {};
  ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
  ::DeleteService(service.Get());
}

// The helper copied into a folder with a blank in its name, as under "Program Files", and a USB
// device with two instances whose values the helper is to fill in on its stop request.
class HelperServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_helperPath = m_folder / L"PHelper.exe";
    ASSERT_TRUE(::CopyFileW(BuiltHelperPath().c_str(), m_helperPath.c_str(), FALSE)) << "PHelper.exe is built";
    m_logPath = m_folder / L"PHelper.log";
    m_serviceName = L"KQ Test Helper " + kqtest::UniqueSuffix();
    m_deviceKey = std::wstring(kUsbPrintKey) + L"\\KQTESTHELPER" + kqtest::UniqueSuffix();
    m_classKeyExisted = RegKeyExists(kLm, kPrinterClassKey);
    m_usbPrintExisted = RegKeyExists(kLm, kUsbPrintKey);
  }

  void TearDown() override {
    ForceDelete(m_serviceName);
    WaitFor([this] { return !IsRegistered(m_serviceName); });
    ::SHDeleteKeyW(kLm, m_deviceKey.c_str());
    if (!m_usbPrintExisted) ::SHDeleteKeyW(kLm, kUsbPrintKey);
    if (!m_classKeyExisted) {
      ::SHDeleteKeyW(kLm, kPrinterClassKey);
    } else {
      for (const wchar_t* name : kSideNames) {
        win::ScopedKey key;
        if (::RegOpenKeyExW(kLm, kPrinterClassKey, 0, KEY_ALL_ACCESS, key.Receive()) == ERROR_SUCCESS) {
          ::RegDeleteValueW(key.Get(), name);
        }
      }
    }
  }

  void SeedUsbSideValues() {
    RegMakeKey(kLm, m_deviceKey + L"\\1&A&0");
    RegMakeKey(kLm, m_deviceKey + L"\\2&B&0");
    RegSetText(kLm, kPrinterClassKey, L"_DeviceDesc", L"KESTROMPrinter");
    RegSetNumber(kLm, kPrinterClassKey, L"_ConfigFlags", 0);
    RegSetText(kLm, kPrinterClassKey, L"_ClassGUID", kPrinterClassGuid);
    RegSetText(kLm, kPrinterClassKey, L"_Class", L"Printer");
    RegSetText(kLm, kPrinterClassKey, L"_Driver", std::wstring(kPrinterClassGuid) + L"\\0000");
    RegSetText(kLm, kPrinterClassKey, L"_Mfg", L"KESTROM");
    RegSetNumber(kLm, kPrinterClassKey, L"_UpdateMode", 0);
    RegSetText(kLm, kPrinterClassKey, L"_ToPath", m_deviceKey);
  }

  void ExpectValuesMoved() {
    for (const wchar_t* instance : {L"\\1&A&0", L"\\2&B&0"}) {
      const std::wstring key = m_deviceKey + instance;
      EXPECT_EQ(RegText(kLm, key, L"DeviceDesc"), L"KESTROMPrinter") << key;
      EXPECT_EQ(RegNumber(kLm, key, L"ConfigFlags"), 0u) << key;
      EXPECT_EQ(RegText(kLm, key, L"ClassGUID"), kPrinterClassGuid) << key;
      EXPECT_EQ(RegText(kLm, key, L"Driver"), std::wstring(kPrinterClassGuid) + L"\\0000") << key;
      EXPECT_EQ(RegText(kLm, key, L"Class"), L"Printer") << key;
      EXPECT_EQ(RegText(kLm, key, L"Mfg"), L"KESTROM") << key;
    }
    for (const wchar_t* name : kSideNames) EXPECT_FALSE(RegHasValue(kLm, kPrinterClassKey, name)) << name;

    const std::string log = kqtest::ReadFileText(m_logPath);
    EXPECT_NE(log.find("    open SYSTEM\\CurrentControlSet\\Control\\Class\\"
                       "{4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("    dwUpdateMode == 0\r\n"), std::string::npos) << log;
    const std::string device(m_deviceKey.begin(), m_deviceKey.end());
    EXPECT_NE(log.find("    write to path = " + device + "\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("failed"), std::string::npos) << log;
  }

  // Another product's program registered under this test's service name.
  void RegisterAnotherProduct(CServiceControl& foreign) {
    m_otherPath = m_folder / L"Other Service.exe";
    ASSERT_TRUE(::CopyFileW(BuiltHelperPath().c_str(), m_otherPath.c_str(), FALSE));
    foreign.SetServiceName(m_serviceName.c_str());
    foreign.SetDisplayName(L"Another product");
    foreign.SetBinaryPath(m_otherPath.c_str());
    ASSERT_EQ(foreign.Create(), 1);
  }

  static constexpr const wchar_t* kSideNames[] = {L"_ToPath",    L"_UpdateMode", L"_BrandSeries",
                                                  L"_DeviceDesc", L"_ConfigFlags", L"_ClassGUID",
                                                  L"_Driver",     L"_Class",      L"_Mfg"};

  kqtest::ScratchFolder m_folder{L"KQ helper "};
  std::wstring m_helperPath;
  std::wstring m_otherPath;
  std::wstring m_logPath;
  std::wstring m_serviceName;
  std::wstring m_deviceKey;
  bool m_classKeyExisted = false;
  bool m_usbPrintExisted = false;
};

TEST(ServiceControl, OperationsNeedTheirTexts) {
  const std::wstring name = L"KQ Test Unnamed " + kqtest::UniqueSuffix();
  CServiceControl control;
  EXPECT_EQ(control.Create(), 0);
  EXPECT_EQ(control.Start(), 0);
  EXPECT_EQ(control.Stop(), 0);
  EXPECT_EQ(control.Delete(), 0);
  control.SetServiceName(name.c_str());
  control.SetDisplayName(name.c_str());
  EXPECT_EQ(control.Create(), 0);  // still no path
  EXPECT_FALSE(IsRegistered(name));
  // A name that is not registered cannot be started, stopped or removed.
  EXPECT_EQ(control.Start(), 0);
  EXPECT_EQ(control.Stop(), 0);
  EXPECT_EQ(control.Delete(), 0);
}

TEST_F(HelperServiceTest, CreateStartStopDeleteMovesTheSideValues) {
  SeedUsbSideValues();
  CServiceControl control;
  control.SetServiceName(m_serviceName.c_str());
  control.SetDisplayName(L"KQ Test Helper");
  control.SetBinaryPath(m_helperPath.c_str());
  control.SetAutoStart(1);

  ASSERT_EQ(control.Create(), 1);
  EXPECT_EQ(control.Create(), 0);  // already registered
  ServiceConfig config;
  ASSERT_TRUE(QueryConfig(m_serviceName, config));
  EXPECT_EQ(config.binaryPath, L"\"" + m_helperPath + L"\"");
  EXPECT_EQ(config.serviceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));
  EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(config.displayName, L"KQ Test Helper");

  ASSERT_EQ(control.Start(), 1);
  EXPECT_TRUE(WaitFor([this] { return CurrentState(m_serviceName) == SERVICE_RUNNING; }));
  // Pause and continue only change the reported state; running alone moves nothing.
  EXPECT_TRUE(SendControl(m_serviceName, SERVICE_CONTROL_PAUSE));
  EXPECT_TRUE(WaitFor([this] { return CurrentState(m_serviceName) == SERVICE_PAUSED; }));
  EXPECT_TRUE(SendControl(m_serviceName, SERVICE_CONTROL_CONTINUE));
  EXPECT_TRUE(WaitFor([this] { return CurrentState(m_serviceName) == SERVICE_RUNNING; }));
  EXPECT_TRUE(RegHasValue(kLm, kPrinterClassKey, L"_ToPath"));

  EXPECT_EQ(control.Stop(), 1) << "error " << control.LastError() << ", state " << CurrentState(m_serviceName);
  EXPECT_TRUE(WaitFor([this] { return CurrentState(m_serviceName) == SERVICE_STOPPED; }));
  ExpectValuesMoved();

  // The service has ended: a second stop fails, and the registration still goes.
  EXPECT_EQ(control.Stop(), 0);
  EXPECT_EQ(control.Delete(), 1);
  EXPECT_TRUE(WaitFor([this] { return !IsRegistered(m_serviceName); }));
}

TEST_F(HelperServiceTest, OnDemandStartWhenNotAutomatic) {
  CServiceControl control;
  control.SetServiceName(m_serviceName.c_str());
  control.SetDisplayName(m_serviceName.c_str());
  control.SetBinaryPath(m_helperPath.c_str());
  ASSERT_EQ(control.Create(), 1);
  ServiceConfig config;
  ASSERT_TRUE(QueryConfig(m_serviceName, config));
  EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
  EXPECT_EQ(control.Delete(), 1);
}

TEST_F(HelperServiceTest, OneHelperRunLeavesNothingRegistered) {
  SeedUsbSideValues();
  std::vector<DWORD> pauses;
  const HelperRunResult run =
      RunHelperServiceOnce(m_serviceName, m_helperPath, [&pauses](DWORD ms) { pauses.push_back(ms); ::Sleep(ms); });
  EXPECT_EQ(run.outcome, HelperRun::kRan) << DescribeHelperRun(run.outcome) << ", error " << run.error;
  EXPECT_EQ(pauses, (std::vector<DWORD>{1000, 1000})) << "the caller passes the two one-second pauses";
  EXPECT_TRUE(WaitFor([this] { return !IsRegistered(m_serviceName); }));
  ExpectValuesMoved();
}

// A stop request or a removal that fails is a run that did not happen: without the stop the
// values were not moved, and a registration left behind starts the helper at every boot.
TEST_F(HelperServiceTest, AFailedStopOrRemovalIsARunThatDidNotHappen) {
  // Someone else stops it first: our stop request finds it ended.
  int pause = 0;
  HelperRunResult run = RunHelperServiceOnce(m_serviceName, m_helperPath, [&](DWORD) {
    if (pause++ == 0) {
      SendControl(m_serviceName, SERVICE_CONTROL_STOP);
      WaitFor([this] { return CurrentState(m_serviceName) == SERVICE_STOPPED; });
    }
  });
  EXPECT_EQ(run.outcome, HelperRun::kNotStopped);
  EXPECT_NE(run.error, static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(WaitFor([this] { return !IsRegistered(m_serviceName); }));

  // Someone else removes it between the stop and the removal: ours fails.
  pause = 0;
  run = RunHelperServiceOnce(m_serviceName, m_helperPath, [&](DWORD) {
    if (pause++ == 1) ForceDelete(m_serviceName);
  });
  EXPECT_EQ(run.outcome, HelperRun::kNotRemoved);
  EXPECT_NE(run.error, static_cast<DWORD>(ERROR_SUCCESS));
}

// A helper of ours left running by a run that was cut short (it starts at every boot) is stopped
// and removed before its program file is written again; another product's service of that name
// stays as it is.
TEST_F(HelperServiceTest, ALeftoverHelperOfOursIsStoppedAndRemovedAnotherProductsIsNot) {
  CServiceControl leftover;
  leftover.SetServiceName(m_serviceName.c_str());
  leftover.SetDisplayName(m_serviceName.c_str());
  leftover.SetBinaryPath(m_helperPath.c_str());
  leftover.SetAutoStart(1);
  ASSERT_EQ(leftover.Create(), 1);
  ASSERT_EQ(leftover.Start(), 1);
  ASSERT_TRUE(WaitFor([this] { return CurrentState(m_serviceName) == SERVICE_RUNNING; }));
  DWORD error = ERROR_SUCCESS;
  EXPECT_TRUE(RemoveLeftoverHelperService(m_serviceName, m_helperPath, error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(WaitFor([this] { return !IsRegistered(m_serviceName); }));
  // Its program file is free again: it can be replaced.
  EXPECT_TRUE(::DeleteFileW(m_helperPath.c_str())) << ::GetLastError();
  ASSERT_TRUE(::CopyFileW(BuiltHelperPath().c_str(), m_helperPath.c_str(), FALSE));

  CServiceControl foreign;
  ASSERT_NO_FATAL_FAILURE(RegisterAnotherProduct(foreign));
  ASSERT_EQ(foreign.Start(), 1);
  ASSERT_TRUE(WaitFor([this] { return CurrentState(m_serviceName) == SERVICE_RUNNING; }));
  EXPECT_TRUE(RemoveLeftoverHelperService(m_serviceName, m_helperPath, error));
  EXPECT_EQ(CurrentState(m_serviceName), static_cast<DWORD>(SERVICE_RUNNING)) << "another product's, left alone";
}

// A service of that name that runs another program is another product's: it is not started,
// stopped or removed, and the run is reported as not done (the values stay for a later run).
TEST_F(HelperServiceTest, AnotherProgramsServiceOfThatNameIsLeftAlone) {
  SeedUsbSideValues();
  CServiceControl foreign;
  ASSERT_NO_FATAL_FAILURE(RegisterAnotherProduct(foreign));

  const HelperRunResult run = RunHelperServiceOnce(m_serviceName, m_helperPath, [](DWORD) {});
  EXPECT_EQ(run.outcome, HelperRun::kNotOurs);
  ServiceConfig config;
  ASSERT_TRUE(QueryConfig(m_serviceName, config)) << "still registered";
  EXPECT_EQ(config.binaryPath, L"\"" + m_otherPath + L"\"");
  EXPECT_EQ(config.displayName, L"Another product");
  EXPECT_EQ(CurrentState(m_serviceName), static_cast<DWORD>(SERVICE_STOPPED)) << "never started";
  EXPECT_TRUE(RegHasValue(kLm, kPrinterClassKey, L"_ToPath"));

  // Our own registration, left by a run cut short, is ours to run.
  EXPECT_EQ(foreign.Delete(), 1);
  ASSERT_TRUE(WaitFor([this] { return !IsRegistered(m_serviceName); }));
  CServiceControl leftOver;
  leftOver.SetServiceName(m_serviceName.c_str());
  leftOver.SetDisplayName(m_serviceName.c_str());
  leftOver.SetBinaryPath(m_helperPath.c_str());
  ASSERT_EQ(leftOver.Create(), 1);
  EXPECT_EQ(RunHelperServiceOnce(m_serviceName, m_helperPath).outcome, HelperRun::kRan);
  EXPECT_TRUE(WaitFor([this] { return !IsRegistered(m_serviceName); }));
  ExpectValuesMoved();
}

// While a handle keeps a deleted service alive, its name cannot be registered again until the
// system restarts: nothing ran, and that is what the run says.
TEST_F(HelperServiceTest, ANameMarkedForDeletionIsARunThatDidNotHappen) {
  CServiceControl control;
  control.SetServiceName(m_serviceName.c_str());
  control.SetDisplayName(m_serviceName.c_str());
  control.SetBinaryPath(m_helperPath.c_str());
  ASSERT_EQ(control.Create(), 1);
  win::ScopedServiceHandle manager = OpenManager();
  win::ScopedServiceHandle held(::OpenServiceW(manager.Get(), m_serviceName.c_str(), SERVICE_ALL_ACCESS));
  ASSERT_TRUE(held);
  ASSERT_TRUE(::DeleteService(held.Get()));
  EXPECT_EQ(control.Create(), 0);
  if (control.LastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
    GTEST_SKIP() << "this service manager reuses a name marked for deletion (error " << control.LastError() << ")";
  }
  const HelperRunResult run = RunHelperServiceOnce(m_serviceName, m_helperPath, [](DWORD) {});
  EXPECT_EQ(run.outcome, HelperRun::kMarkedForDeletion);
}

// The helper's own switches register, start, stop and remove it under its built-in name.
class HelperSwitchesTest : public HelperServiceTest {
 protected:
  void TearDown() override {
    ForceDelete(L"KQPrinterHelper");
    WaitFor([] { return !IsRegistered(L"KQPrinterHelper"); });
    HelperServiceTest::TearDown();
  }

  DWORD RunHelper(const std::wstring& argument) {
    std::wstring commandLine = L"\"" + m_helperPath + L"\" " + argument;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(m_helperPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &process)) {
      return 0xFFFFFFFF;
    }
    win::ScopedHandle processHandle(process.hProcess);
    win::ScopedHandle threadHandle(process.hThread);
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) return 0xFFFFFFFE;
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
  }
};

TEST_F(HelperSwitchesTest, InstallStartStopRemove) {
  ForceDelete(L"KQPrinterHelper");
  ASSERT_TRUE(WaitFor([] { return !IsRegistered(L"KQPrinterHelper"); }));

  EXPECT_EQ(RunHelper(L"-i"), 0u);
  ServiceConfig config;
  ASSERT_TRUE(QueryConfig(L"KQPrinterHelper", config));
  EXPECT_EQ(config.binaryPath, L"\"" + m_helperPath + L"\"");
  EXPECT_EQ(config.startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(config.displayName, L"KQPrinterHelper");
  EXPECT_NE(RunHelper(L"-I"), 0u);  // already there

  EXPECT_EQ(RunHelper(L"-S"), 0u);
  EXPECT_TRUE(WaitFor([] { return CurrentState(L"KQPrinterHelper") == SERVICE_RUNNING; }));
  EXPECT_EQ(RunHelper(L"-k"), 0u);
  EXPECT_TRUE(WaitFor([] { return CurrentState(L"KQPrinterHelper") == SERVICE_STOPPED; }));
  EXPECT_EQ(RunHelper(L"-u"), 0u);
  EXPECT_TRUE(WaitFor([] { return !IsRegistered(L"KQPrinterHelper"); }));
  EXPECT_NE(RunHelper(L"-U"), 0u);  // already gone

  const std::string log = kqtest::ReadFileText(m_logPath);
  EXPECT_NE(log.find("    Service KQPrinterHelper installed\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("    Failed to create service KQPrinterHelper, error code = 1073\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("    Service KQPrinterHelper removed\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("    OpenService failed, error code = 1060\r\n"), std::string::npos) << log;
}

TEST_F(HelperSwitchesTest, RunOutsideTheServiceManagerIsLogged) {
  EXPECT_NE(RunHelper(L"-x"), 0u);
  const std::string log = kqtest::ReadFileText(m_logPath);
  EXPECT_NE(log.find("    StartServiceCtrlDispatcher failed, error code = "), std::string::npos) << log;
}

}  // namespace
