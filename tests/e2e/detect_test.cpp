// Detection and the records after an installation, under Wine with seeded device records: what a
// Windows system keeps for an attached USB printer or for parallel-port devices.
#include <windows.h>
#include <shlwapi.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_common.h"
#include "e2e/spooler_state.h"
#include "support/seed_records.h"

namespace e2e {
namespace {

const wchar_t kClassKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
const std::wstring kClassGuid = L"{4D36E979-E325-11CE-BFC1-08002BE10318}";
const std::wstring kSuccess = L"安装成功，请点击“完成”退出";

std::wstring ReadString(HKEY root, const std::wstring& key, const wchar_t* name, bool* found = nullptr) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  const bool ok = ::RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, buffer, &size) == ERROR_SUCCESS;
  if (found) *found = ok;
  return ok ? std::wstring(buffer) : std::wstring();
}

bool ValueExists(HKEY root, const std::wstring& key, const wchar_t* name) {
  return ::RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<std::wstring> SubKeys(const std::wstring& key) {
  std::vector<std::wstring> names;
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return names;
  wchar_t name[512];
  for (DWORD i = 0;; ++i) {
    DWORD chars = 512;
    if (::RegEnumKeyExW(handle, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, chars);
  }
  ::RegCloseKey(handle);
  return names;
}

// The setup log an interactive run writes: in the temporary folder, the same for this process.
std::wstring DefaultLogPath() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp) + L"KQSetup.log";
}

class Detection : public ::testing::Test {
 protected:
  void SetUp() override {
    KQ_REQUIRE_WINE();
    kqseed::ClearSeededRecords();
    kqseed::ClearPrinterClassRecords();
    DeleteAllPrinters();
    // What earlier scenarios recorded of their installs.
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KESTROM");
    ::CreateDirectoryW(L"C:\\kq-e2e", nullptr);
    ::DeleteFileW(L"C:\\kq-e2e\\printui.log");
    ::DeleteFileW(DefaultLogPath().c_str());
  }
  void TearDown() override {
    kqseed::ClearSeededRecords();
    kqseed::ClearPrinterClassRecords();
    DeleteAllPrinters();
  }

  void StartWizard(const std::wstring& folder = ProgramFolder(), std::vector<std::wstring> env = {}) {
    env.push_back(L"KQ_PRINTUI_LOG=C:\\kq-e2e\\printui.log");
    ASSERT_TRUE(wizard.Start(folder + L"\\KQSetup.exe", env));
    ASSERT_NE(wizard.WaitForFrame(20000), nullptr);
    ASSERT_TRUE(wizard.WaitForCaption(kWelcomeCaption, 5000));
    ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
    ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  }

  // Next from the cable guide; returns how long the detection took, in milliseconds.
  DWORD Detect() {
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(Click(wizard.Button(IDC_NEXT)));
    EXPECT_TRUE(
        WaitUntil([&] { return wizard.Pages().size() >= 3 && wizard.VisiblePage() == wizard.Pages()[2]; }, 5000));
    EXPECT_TRUE(WaitForDetectionEnd(wizard));
    return ::GetTickCount() - start;
  }

  void InstallAndWait() {
    ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
    ASSERT_TRUE(WaitUntil([&] { return wizard.Pages().size() == 4 && wizard.VisiblePage() == wizard.Pages()[3]; }, 5000));
    ASSERT_TRUE(WaitUntil(
        [&] { return wizard.Caption() == kInstallDoneCaption || wizard.FindMessageBox().hwnd != nullptr; }, 60000));
    EXPECT_EQ(wizard.FindMessageBox().hwnd, nullptr) << Narrow(wizard.FindMessageBox().text);
    ASSERT_TRUE(WaitForButtons(wizard, {false, false, false, true}, 20000));
  }

  std::wstring Status() const { return TextOf(wizard.PageControl(IDC_DETECT_STATUS)); }
  std::wstring Name() const { return TextOf(wizard.PageControl(IDC_DETECT_NAME)); }

  WizardProcess wizard;
};

// Another maker's USB printer, on a port of its own (USB003).
kqseed::UsbPrinterSeed AnotherMakersPrinter() {
  kqseed::UsbPrinterSeed acme;
  acme.portDescription = L"ACME LASER JET P1000";
  acme.hardwareId = L"USBPRINT\\AcmeLaser_Jet_P10009D2F";
  acme.instancePath = L"USB\\VID_1234&PID_5678\\ACME0001";
  acme.portNumber = 3;
  return acme;
}

TEST_F(Detection, AnEnumeratedUsbPrinterIsFoundAtOnce) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  StartWizard();
  const DWORD ms = Detect();
  EXPECT_EQ(Status(), kDetected);
  EXPECT_EQ(Name(), L"KQ-80");
  EXPECT_TRUE(IsChecked(wizard.PageControl(IDC_DETECT_USB)));
  EXPECT_LT(ms, 2500u) << "no three-second wait when the printer is already there";
  printf("[ MEASURE  ] detection with a printer already enumerated: %lu ms\n", static_cast<unsigned long>(ms));
  Screenshot(wizard.Frame(), L"30-detect-found");
}

TEST_F(Detection, WithoutAPrinterTheInfModelIsProposedAfterAboutThreeSeconds) {
  StartWizard();
  const DWORD ms = Detect();
  EXPECT_EQ(Status(), kNotDetected);
  EXPECT_EQ(Name(), L"KESTROM KQ-80");
  EXPECT_GE(ms, 2900u);
  printf("[ MEASURE  ] detection without a printer: %lu ms\n", static_cast<unsigned long>(ms));
}

// Another maker's USB printer attached alone is not ours: nothing is detected and the install
// refuses to put our driver onto its port. Ours, switched on after the detection, is installed on
// its own port.
TEST_F(Detection, AnotherMakersPrinterAloneGetsNoDriverOursSwitchedOnLateGetsItsOwnPort) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter(AnotherMakersPrinter()));
  StartWizard();
  Detect();
  EXPECT_EQ(Status(), kNotDetected);
  EXPECT_EQ(Name(), L"KESTROM KQ-80") << "the INF's model, not the other maker's";
  EXPECT_TRUE(IsChecked(wizard.PageControl(IDC_DETECT_USB)));
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  MessageBoxInfo box = wizard.WaitForMessageBox(60000);
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.text, L"没有检测到USB打印机设备。请返回上一步重新连接USB线缆并打开电源。");
  wizard.Answer(box, IDOK);
  ASSERT_TRUE(WaitForButtons(wizard, {true, false, false, true}, 10000));
  EXPECT_TRUE(PrinterNames().empty());
  EXPECT_EQ(ReadUtf8File(L"C:\\kq-e2e\\printui.log"), L"") << "the driver command ran";

  // Back, the detection again (still only the other maker's printer); then ours is switched on.
  ASSERT_TRUE(Click(wizard.Button(IDC_BACK)));
  ASSERT_TRUE(WaitUntil([&] { return wizard.VisiblePage() == wizard.Pages()[2]; }, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  EXPECT_EQ(Status(), kNotDetected);
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  InstallAndWait();
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(L"KESTROM KQ-80", port, driver));
  EXPECT_EQ(port, L"USB001") << "our printer's own port, never the other maker's USB003";
  EXPECT_EQ(DefaultPrinterEntry(), L"KESTROM KQ-80,winspool,USB001");
}

TEST_F(Detection, ExactlyOneParallelPortPrinterProposesItsModel) {
  ASSERT_TRUE(kqseed::SeedLptPrinter());
  StartWizard();
  Detect();
  EXPECT_EQ(Status(), kNotDetected);
  EXPECT_EQ(Name(), L"KQ-80");
}

TEST_F(Detection, AClickOnAConnectionReplacesATypedName) {
  StartWizard();
  Detect();
  SetEditText(wizard.PageControl(IDC_DETECT_NAME), L"我的打印机");
  ASSERT_TRUE(Click(wizard.PageControl(IDC_DETECT_LPT)));
  EXPECT_TRUE(WaitUntil([&] { return Name() == L"KESTROM KQ-80"; }, 3000));
}

TEST_F(Detection, AnInfWhoseParallelIdEndsInFfffOffersNoParallelConnection) {
  const std::wstring folder = L"C:\\kq-e2e\\ffff";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ::CopyFileW((ProgramFolder() + L"\\KQSetup.exe").c_str(), (folder + L"\\KQSetup.exe").c_str(), FALSE);
  const char inf[] =
      "[KESTROM]\r\n\"KESTROM KQ-80\" = KQ80.GPD, USBPRINT\\KESTROMKQ-80E5A1\r\n"
      "\"KESTROM KQ-80\" = KQ80.GPD, LPTENUM\\KESTROMKQ-80ffff\r\n";
  HANDLE file = ::CreateFileW((folder + L"\\KQPRINTER.INF").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, inf, sizeof(inf) - 1, &written, nullptr);
  ::CloseHandle(file);
  StartWizard(folder);
  Detect();
  EXPECT_FALSE(IsEnabled(wizard.PageControl(IDC_DETECT_LPT)));
  EXPECT_TRUE(IsEnabled(wizard.PageControl(IDC_DETECT_USB)));
}

// A whole USB installation: the queue on the detected port, the default printer, the records
// written and moved into the device's keys by the helper service, nothing left registered.
// Another maker's printer, listed first, lends nothing and gets nothing.
TEST_F(Detection, AUsbInstallEndsWithThePrinterRecordsAndTheHelperRun) {
  kqseed::UsbPrinterSeed acme;
  acme.portDescription = L"ACME LASER JET P1000";
  acme.hardwareId = L"USBPRINT\\AcmeLaser_Jet_P10009D2F";
  acme.instancePath = L"USB\\VID_1234&PID_5678\\ACME0001";
  acme.portNumber = 2;
  ASSERT_TRUE(kqseed::SeedUsbPrinter(acme));
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  StartWizard();
  Detect();
  InstallAndWait();
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_INSTALL_STATUS)), kSuccess);
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_INSTALL_PORT)), L"端口: \tUSB001");
  Screenshot(wizard.Frame(), L"31-install-usb-success");
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(L"KQ-80", port, driver));
  EXPECT_EQ(port, L"USB001");
  EXPECT_EQ(DefaultPrinterEntry(), L"KQ-80,winspool,USB001");

  // The helper program, byte for byte, where the service ran it; the service is gone again.
  wchar_t common[MAX_PATH] = {};
  ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, common, CSIDL_PROGRAM_FILES_COMMON, FALSE));
  const std::wstring services = std::wstring(common) + L"\\Services";
  EXPECT_EQ(FileBytes(services + L"\\PHelper.exe"), FileBytes(ProgramFolder() + L"\\PHelper.exe"));
  EXPECT_FALSE(FileBytes(services + L"\\PHelper.log").empty());
  EXPECT_FALSE(ServiceExists(L"Printer Helper"));

  // The class record and the driver subkey.
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kClassKey, L"Class"), L"Printer");
  const std::wstring driverKey = std::wstring(kClassKey) + L"\\0000";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, driverKey, L"MatchingDeviceId"), L"usbprint\\USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, driverKey, L"DriverDesc"), L"KESTROM KQ-80");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, driverKey, L"ProviderName"), L"KESTROM");
  // The side values were moved into the device's instance keys and are gone from the class key.
  for (const wchar_t* side : {L"_ToPath", L"_DeviceDesc", L"_Driver", L"_Class", L"_Mfg", L"_UpdateMode"}) {
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kClassKey, side)) << Narrow(side);
  }
  const std::wstring device = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\KESTROMKQ-80E5A1";
  const std::vector<std::wstring> instances = SubKeys(device);
  ASSERT_FALSE(instances.empty());
  for (const std::wstring& instance : instances) {
    const std::wstring key = device + L"\\" + instance;
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"DeviceDesc"), L"KESTROM KQ-80");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"ClassGUID"), kClassGuid);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"Driver"), kClassGuid + L"\\0000");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"Class"), L"Printer");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"Mfg"), L"KESTROM");
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, key, L"ConfigFlags"));
  }
  const std::wstring acmeDevice = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\AcmeLaser_Jet_P10009D2F";
  const std::vector<std::wstring> acmeInstances = SubKeys(acmeDevice);
  ASSERT_FALSE(acmeInstances.empty());
  for (const std::wstring& instance : acmeInstances) {
    for (const wchar_t* name : {L"Driver", L"Class", L"ClassGUID", L"Mfg", L"DeviceDesc", L"ConfigFlags"}) {
      EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, acmeDevice + L"\\" + instance, name)) << Narrow(name);
    }
  }
  // The wizard records what it installed and lists it in Programs and Features, as /S does.
  const std::wstring entry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KESTROM.KQSetup";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayVersion"), L"1.0.0.0");
  EXPECT_NE(ReadString(HKEY_LOCAL_MACHINE, entry, L"QuietUninstallString").find(L"\\KESTROM\\KQSetup.exe\" /uninstall /S"),
            std::wstring::npos);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KESTROM\\KQSetup\\Printers\\1", L"DriverKey"), driverKey);
  ASSERT_TRUE(Click(wizard.Button(IDC_FINISH)));
  EXPECT_TRUE(wizard.WaitForExit(10000));
  EXPECT_EQ(wizard.ExitCode(), 0u);
  // The run is in the default setup log, down to its exit code.
  const std::wstring log = ReadUtf8File(DefaultLogPath());
  EXPECT_NE(log.find(L"===== KQSetup "), std::wstring::npos);
  EXPECT_NE(log.find(L"detection: device USB\\VID_1234&PID_5678\\ACME0001, port USB002"), std::wstring::npos) << Utf8(log);
  EXPECT_NE(log.find(L"rundll32: "), std::wstring::npos);
  EXPECT_NE(log.find(L"helper service: ran and was removed"), std::wstring::npos);
  EXPECT_EQ(LastLogLine(log), L"exit code 0") << Utf8(log);

  // A second installation adds driver subkey 0001.
  WizardProcess second;
  ASSERT_TRUE(second.Start(ProgramFolder() + L"\\KQSetup.exe", {L"KQ_PRINTUI_LOG=C:\\kq-e2e\\printui.log"}));
  ASSERT_NE(second.WaitForFrame(20000), nullptr);
  ASSERT_TRUE(Click(second.Button(IDC_NEXT)));
  ASSERT_TRUE(second.WaitForCaption(kCableCaption, 5000));
  ASSERT_TRUE(Click(second.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil([&] { return second.Pages().size() == 3 && second.VisiblePage() == second.Pages()[2]; }, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(second));
  ASSERT_TRUE(Click(second.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil(
      [&] { return second.Caption() == kInstallDoneCaption || second.FindMessageBox().hwnd != nullptr; }, 60000));
  ASSERT_EQ(second.FindMessageBox().hwnd, nullptr) << Narrow(second.FindMessageBox().text);
  if (!WaitForButtons(second, {false, false, false, true}, 20000)) {
    Screenshot(second.Frame(), L"99-second-install");
    FAIL() << "second install: status '" << Narrow(TextOf(second.PageControl(IDC_INSTALL_STATUS))) << "' name '"
           << Narrow(TextOf(second.PageControl(IDC_INSTALL_NAME))) << "' round trip "
           << MessageRoundTripMs(second.Frame(), 5000) << " ms, back " << IsEnabled(second.Button(IDC_BACK));
  }
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, std::wstring(kClassKey) + L"\\0001", L"MatchingDeviceId"),
            L"usbprint\\USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, device + L"\\" + instances[0], L"Driver"), kClassGuid + L"\\0001");
  EXPECT_TRUE(install_test::QueryPrinter(L"KQ-80 (副本 1)", port, driver));
}

TEST_F(Detection, AParallelInstallWritesTheMatchingParallelDevices) {
  kqseed::LptPrinterSeed lpt;
  lpt.deviceName = L"KESTROMKQPRINTER9F0E";
  ASSERT_TRUE(kqseed::SeedLptPrinter(lpt));
  StartWizard();
  Detect();
  EXPECT_EQ(Name(), L"KQPRINTER");
  ASSERT_TRUE(Click(wizard.PageControl(IDC_DETECT_LPT)));
  ASSERT_TRUE(WaitUntil([&] { return IsChecked(wizard.PageControl(IDC_DETECT_LPT)); }, 3000));
  InstallAndWait();
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(L"KQPRINTER", port, driver));
  EXPECT_EQ(port, L"LPT1:");
  const std::wstring instance = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\KESTROMKQPRINTER9F0E\\LPT1.0";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, instance, L"Mfg"), L"KESTROM");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, instance, L"Class"), L"Printer");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, instance, L"Driver"), kClassGuid + L"\\0000");
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, instance, L"DeviceDesc")) << "parallel devices keep their own";
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kClassKey, L"_BrandSeries"));
  EXPECT_FALSE(ServiceExists(L"Printer Helper"));
}

// A person with a keyboard alone: Space presses the focused button, Tab moves on. The focus is
// where it is needed after every page's work: Next, the proposed name, Finish.
TEST_F(Detection, AKeyboardAloneWalksTheWizardToAFinishedInstall) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  ASSERT_TRUE(wizard.Start(ProgramFolder() + L"\\KQSetup.exe", {L"KQ_PRINTUI_LOG=C:\\kq-e2e\\printui.log"}));
  ASSERT_NE(wizard.WaitForFrame(20000), nullptr);
  ASSERT_TRUE(wizard.WaitForCaption(kWelcomeCaption, 5000));
  const auto focusIs = [&](HWND want, DWORD timeoutMs = 5000) {
    return WaitUntil([&] { return want != nullptr && FocusOf(wizard) == want; }, timeoutMs);
  };
  const auto press = [&](WPARAM key) { PostKey(FocusOf(wizard), key); };

  ASSERT_TRUE(focusIs(wizard.Button(IDC_NEXT))) << "on the welcome page";
  press(VK_SPACE);
  ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  ASSERT_TRUE(focusIs(wizard.Button(IDC_NEXT))) << "on the cable guide";
  press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return wizard.Pages().size() == 3 && wizard.VisiblePage() == wizard.Pages()[2]; }, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  ASSERT_TRUE(focusIs(wizard.PageControl(IDC_DETECT_NAME))) << "after the detection, on the proposed name";
  for (int tab = 0; tab < 8 && FocusOf(wizard) != wizard.Button(IDC_NEXT); ++tab) {
    const HWND before = FocusOf(wizard);
    press(VK_TAB);
    WaitUntil([&] { return FocusOf(wizard) != before; }, 3000);
  }
  ASSERT_EQ(FocusOf(wizard), wizard.Button(IDC_NEXT)) << "Tab reaches Next";
  press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return wizard.Pages().size() == 4 && wizard.VisiblePage() == wizard.Pages()[3]; }, 5000));
  ASSERT_TRUE(wizard.WaitForCaption(kInstallDoneCaption, 60000));
  ASSERT_TRUE(WaitForButtons(wizard, {false, false, false, true}, 20000));
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_INSTALL_STATUS)), kSuccess);
  ASSERT_TRUE(focusIs(wizard.Button(IDC_FINISH))) << "after the install, on Finish";
  press(VK_SPACE);
  EXPECT_TRUE(wizard.WaitForExit(10000));
}

// Back from the install page runs the whole detection again.
TEST_F(Detection, BackFromTheInstallPageDetectsAgain) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  StartWizard(ProgramFolder(), {L"KQ_PRINTUI_MODE=none"});
  Detect();
  SetEditText(wizard.PageControl(IDC_DETECT_NAME), L"我的打印机");
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  MessageBoxInfo box = wizard.WaitForMessageBox(60000);
  ASSERT_NE(box.hwnd, nullptr);
  wizard.Answer(box, IDOK);
  ASSERT_TRUE(wizard.WaitForCaption(kInstallDoneCaption, 10000));
  ASSERT_TRUE(WaitForButtons(wizard, {true, false, false, true}, 10000));
  ASSERT_TRUE(Click(wizard.Button(IDC_BACK)));
  ASSERT_TRUE(WaitUntil([&] { return wizard.VisiblePage() == wizard.Pages()[2]; }, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  EXPECT_EQ(Status(), kDetected);
  EXPECT_EQ(Name(), L"KQ-80") << "the detection proposes the detected name again";

  // Ours unplugged before the next detection, another maker's attached: the detection finds
  // nothing of ours, and the install that follows never goes onto the port an earlier detection
  // found (dead now, or another printer's).
  kqseed::ClearSeededRecords();
  ASSERT_TRUE(kqseed::SeedUsbPrinter(AnotherMakersPrinter()));
  ASSERT_TRUE(Click(wizard.Button(IDC_BACK)));
  ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  Detect();
  EXPECT_EQ(Status(), kNotDetected);
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil(
      [&] { return wizard.Caption() == kInstallDoneCaption || wizard.FindMessageBox().hwnd != nullptr; }, 60000));
  const std::wstring commands = ReadUtf8File(L"C:\\kq-e2e\\printui.log");
  size_t onTheOldPort = 0;
  for (size_t at = commands.find(L"/r \"USB001\""); at != std::wstring::npos;
       at = commands.find(L"/r \"USB001\"", at + 1)) {
    ++onTheOldPort;
  }
  EXPECT_EQ(onTheOldPort, 1u) << Utf8(commands);
}

}  // namespace
}  // namespace e2e
