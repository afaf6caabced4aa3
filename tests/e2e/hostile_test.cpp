// Hostile input end to end: broken and huge INFs, odd device records, unusable printer names.
// Each must end in a clear outcome, never a crash, a hang or a half-written state.
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "e2e/e2e_common.h"
#include "e2e/spooler_state.h"
#include "support/printui_log.h"
#include "support/seed_records.h"

namespace e2e {
namespace {

std::wstring FolderWithInf(const std::wstring& name, const std::string& inf) {
  ::CreateDirectoryW(L"C:\\kq-e2e", nullptr);
  const std::wstring folder = L"C:\\kq-e2e\\" + name;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ::CopyFileW((ProgramFolder() + L"\\KQSetup.exe").c_str(), (folder + L"\\KQSetup.exe").c_str(), FALSE);
  HANDLE file = ::CreateFileW((folder + L"\\KQPRINTER.INF").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, inf.data(), static_cast<DWORD>(inf.size()), &written, nullptr);
  ::CloseHandle(file);
  return folder;
}

class Hostile : public ::testing::Test {
 protected:
  void SetUp() override {
    KQ_REQUIRE_WINE();
    kqseed::ClearSeededRecords();
    DeleteAllPrinters();
  }
  void TearDown() override {
    kqseed::ClearSeededRecords();
    kqseed::ClearPrinterClassRecords();
    DeleteAllPrinters();
  }

  // Starts the wizard and runs the detection page; returns false when any step failed.
  void RunToDetectionEnd(const std::wstring& folder = ProgramFolder(), DWORD frameTimeoutMs = 20000) {
    ASSERT_TRUE(wizard.Start(folder + L"\\KQSetup.exe", {L"KQ_PRINTUI_LOG=C:\\kq-e2e\\printui.log"}));
    ASSERT_NE(wizard.WaitForFrame(frameTimeoutMs), nullptr);
    ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
    ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
    ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
    ASSERT_TRUE(WaitUntil([&] { return wizard.Pages().size() == 3 && wizard.VisiblePage() == wizard.Pages()[2]; }, 5000));
    ASSERT_TRUE(WaitForDetectionEnd(wizard, 60000));
  }

  // Next to the install page; returns the message shown, or empty after a success.
  std::wstring InstallOutcome() {
    EXPECT_TRUE(Click(wizard.Button(IDC_NEXT)));
    std::wstring message;
    EXPECT_TRUE(WaitUntil(
        [&] {
          MessageBoxInfo box = wizard.FindMessageBox();
          if (box.hwnd != nullptr) {
            message = box.text;
            wizard.Answer(box, IDOK);
            return true;
          }
          return wizard.Caption() == kInstallDoneCaption;
        },
        60000));
    EXPECT_TRUE(wizard.WaitForCaption(kInstallDoneCaption, 20000));
    return message;
  }

  WizardProcess wizard;
};

TEST_F(Hostile, AnInfOfRandomBytesOffersNoConnection) {
  std::mt19937 random(20261208);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  RunToDetectionEnd(FolderWithInf(L"random", bytes));
  EXPECT_FALSE(IsEnabled(wizard.PageControl(IDC_DETECT_USB)));
  EXPECT_FALSE(IsEnabled(wizard.PageControl(IDC_DETECT_LPT)));
  // No models section for any machine: the package is refused before anything is touched.
  const std::wstring machine = kqtest::TestRunsUnderWow64() ? L"x64" : L"x86";
  EXPECT_EQ(InstallOutcome(), L"本驱动程序包中没有适用于这台电脑（" + machine + L" 处理器）的驱动程序，无法安装。\r\n\r\n请使用包含 " +
                                  machine + L" 驱动程序的驱动程序包。");
  EXPECT_TRUE(PrinterNames().empty());
}

TEST_F(Hostile, ASixtyMegabyteInfIsReadWhole) {
  std::string inf(60 * 1024 * 1024, ';');
  for (size_t i = 200; i < inf.size(); i += 200) inf[i] = '\n';
  inf += "\r\n\"KESTROM KQ-99\" = KQ99.GPD, USBPRINT\\KESTROMKQ-99AAAA\r\n";
  const DWORD start = ::GetTickCount();
  RunToDetectionEnd(FolderWithInf(L"huge", inf), 60000);
  printf("[ MEASURE  ] start-up and detection with a 60 MiB INF: %lu ms\n",
         static_cast<unsigned long>(::GetTickCount() - start));
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_NAME)), L"KESTROM KQ-99");
}

TEST_F(Hostile, AnOverLongPortDescriptionCountsAsMissing) {
  kqseed::UsbPrinterSeed seed;
  seed.portDescription = std::wstring(3000, L'K');  // longer than any text the records may hold
  ASSERT_TRUE(kqseed::SeedUsbPrinter(seed));
  RunToDetectionEnd();
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_STATUS)), kNotDetected);
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_NAME)), L"KESTROM KQ-80");
}

TEST_F(Hostile, AWronglyTypedDeviceCountMeansNoUsbPrinter) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum", 0,
                            KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  const wchar_t text[] = L"not a number";
  ::RegSetValueExW(key, L"Count", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
  ::RegCloseKey(key);
  RunToDetectionEnd();
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_STATUS)), kNotDetected);
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_NAME)), L"KESTROM KQ-80");
}

TEST_F(Hostile, TenThousandUsbPrinterDevicesAreWalkedWithoutAHang) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  HKEY usbprint = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &usbprint, nullptr),
            ERROR_SUCCESS);
  for (int i = 0; i < 10000; ++i) {
    HKEY device = nullptr;
    const std::wstring name = L"OTHERVENDOR" + std::to_wstring(i);
    if (::RegCreateKeyExW(usbprint, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &device, nullptr) == ERROR_SUCCESS) {
      ::RegCloseKey(device);
    }
  }
  ::RegCloseKey(usbprint);
  const DWORD start = ::GetTickCount();
  RunToDetectionEnd();
  printf("[ MEASURE  ] detection among 10,000 USB printer devices: %lu ms\n",
         static_cast<unsigned long>(::GetTickCount() - start));
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_STATUS)), kDetected);
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_NAME)), L"KQ-80");
}

TEST_F(Hostile, ANameFullOfQuotesAndCommasIsCleanedBeforeItReachesTheCommand) {
  RunToDetectionEnd();
  ASSERT_TRUE(Click(wizard.PageControl(IDC_DETECT_LPT)));
  SetEditText(wizard.PageControl(IDC_DETECT_NAME), L"\"KQ\",\"80\" /r \"FILE:\\\"");
  EXPECT_EQ(InstallOutcome(), L"");
  const std::vector<std::wstring> printers = PrinterNames();
  ASSERT_EQ(printers.size(), 1u);
  EXPECT_EQ(printers[0], L"KQ80 /r FILE:");
  std::wstring port, driver;
  ASSERT_TRUE(install_test::QueryPrinter(printers[0], port, driver));
  EXPECT_EQ(port, L"LPT1:") << "the name could not smuggle in another port";
}

TEST_F(Hostile, AThreeHundredCharacterNameEndsInAClearFailureOrASuccess) {
  RunToDetectionEnd();
  ASSERT_TRUE(Click(wizard.PageControl(IDC_DETECT_LPT)));
  const std::wstring longName(300, L'打');
  SetEditText(wizard.PageControl(IDC_DETECT_NAME), longName);
  const std::wstring message = InstallOutcome();
  const std::vector<std::wstring> printers = PrinterNames();
  if (message.empty()) {
    ASSERT_EQ(printers.size(), 1u) << "success means exactly one new printer";
  } else {
    EXPECT_EQ(message, L"未知的安装错误");
    EXPECT_TRUE(printers.empty()) << "a failure leaves no printer behind";
    // The frame sets its buttons once the page's run has returned, after the caption.
    EXPECT_TRUE(WaitForButtons(wizard, {true, false, false, true}));
  }
}

}  // namespace
}  // namespace e2e
