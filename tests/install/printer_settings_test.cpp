#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "install/printer_settings.h"
#include "win/app.h"

namespace {

TEST(PrinterSettingsPass, LandscapeThenA3TouchOnlyTheirOwnFields) {
  DEVMODEW dm = {};
  dm.dmSize = sizeof(dm);
  dm.dmFields = DM_COPIES;
  dm.dmCopies = 3;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPaperSize = DMPAPER_LETTER;

  ASSERT_TRUE(ApplyPrinterSettingsPass(&dm, PrinterSettingsPass::kLandscape));
  EXPECT_EQ(dm.dmFields, static_cast<DWORD>(DM_COPIES | DM_ORIENTATION));
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_LETTER);

  ASSERT_TRUE(ApplyPrinterSettingsPass(&dm, PrinterSettingsPass::kPaperA3));
  EXPECT_EQ(dm.dmFields, static_cast<DWORD>(DM_COPIES | DM_ORIENTATION | DM_PAPERSIZE));
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_A3);
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm.dmCopies, 3);

  EXPECT_FALSE(ApplyPrinterSettingsPass(nullptr, PrinterSettingsPass::kLandscape));
  EXPECT_FALSE(ApplyPrinterSettingsPass(nullptr, PrinterSettingsPass::kPaperA3));
}

const wchar_t kDriverName[] = L"KQ Settings Test Driver";

// Counts the message boxes shown while it lives, instead of showing them.
class MessageBoxRecorder {
 public:
  struct Box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
  };
  MessageBoxRecorder() {
    win::SetMessageBoxHook([this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
      boxes.push_back({owner, text, caption, type});
      return IDOK;
    });
  }
  ~MessageBoxRecorder() {
    win::SetMessageBoxHook([](HWND, const std::wstring& text, const std::wstring&, UINT) {
      ADD_FAILURE() << "unexpected message box";
      (void)text;
      return IDOK;
    });
  }
  std::vector<Box> boxes;
};

// A real printer queue in the prefix's spooler, removed again after the test.
class PrinterSettingsSpooler : public ::testing::Test {
 protected:
  void SetUp() override {
    // The spooler without a print system has no driver; wineps.drv serves as one.
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriverName);
    driver.pEnvironment = nullptr;
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"wineps.drv");
    ASSERT_TRUE(::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        << ::GetLastError();
  }

  void TearDown() override {
    for (const std::wstring& name : m_created) {
      HANDLE printer = nullptr;
      PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
      if (::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &defaults)) {
        EXPECT_TRUE(::DeletePrinter(printer)) << ::GetLastError();
        ::ClosePrinter(printer);
      }
    }
  }

  void AddTestPrinter(const std::wstring& name, const std::wstring& comment = std::wstring()) {
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<wchar_t*>(name.c_str());
    info.pPortName = const_cast<wchar_t*>(L"LPT1:");
    info.pDriverName = const_cast<wchar_t*>(kDriverName);
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.pComment = comment.empty() ? nullptr : const_cast<wchar_t*>(comment.c_str());
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(printer, nullptr) << ::GetLastError();
    ::ClosePrinter(printer);
    m_created.push_back(name);
  }

  // The printer's default device mode, read back through the spooler.
  static bool ReadDefaults(const std::wstring& name, DEVMODEW* out, DWORD* infoSize = nullptr) {
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr)) return false;
    DWORD needed = 0;
    ::GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    bool ok = needed != 0 && ::GetPrinterW(printer, 2, buffer.data(), needed, &needed);
    ::ClosePrinter(printer);
    if (!ok) return false;
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    if (info->pDevMode == nullptr) return false;
    *out = *info->pDevMode;
    if (infoSize != nullptr) *infoSize = needed;
    return true;
  }

  std::vector<std::wstring> m_created;
};

TEST_F(PrinterSettingsSpooler, SetsLandscapeAndA3InThePrinterDefaults) {
  const std::wstring name = L"KQ Settings Landscape A3";
  AddTestPrinter(name);
  DEVMODEW before = {};
  ASSERT_TRUE(ReadDefaults(name, &before));

  // The default hook fails the test on any message box: success shows none.
  ApplyPrinterDefaultSettings(name, nullptr);

  DEVMODEW after = {};
  ASSERT_TRUE(ReadDefaults(name, &after));
  EXPECT_TRUE(after.dmFields & DM_ORIENTATION);
  EXPECT_TRUE(after.dmFields & DM_PAPERSIZE);
  EXPECT_EQ(after.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(after.dmPaperSize, DMPAPER_A3);
  EXPECT_EQ(std::wstring(after.dmDeviceName), std::wstring(before.dmDeviceName));
}

TEST_F(PrinterSettingsSpooler, DataLargerThanTheFirstQueryIsReadWhole) {
  const std::wstring name = L"KQ Settings Long Comment";
  // About 6000 bytes of comment push the level-2 data past 4096 bytes.
  AddTestPrinter(name, std::wstring(3000, L'c'));
  DEVMODEW dm = {};
  DWORD size = 0;
  ASSERT_TRUE(ReadDefaults(name, &dm, &size));
  ASSERT_GT(size, 4096u);

  ApplyPrinterDefaultSettings(name, nullptr);

  ASSERT_TRUE(ReadDefaults(name, &dm));
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_A3);
}

TEST_F(PrinterSettingsSpooler, MissingPrinterShowsTheSystemErrorOncePerPass) {
  const std::wstring bystander = L"KQ Settings Bystander";
  AddTestPrinter(bystander);
  DEVMODEW before = {};
  ASSERT_TRUE(ReadDefaults(bystander, &before));
  const HWND owner = ::GetDesktopWindow();

  for (const std::wstring& missing : {std::wstring(L"KQ No Such Printer"), std::wstring()}) {
    SCOPED_TRACE(missing);
    MessageBoxRecorder recorder;
    ApplyPrinterDefaultSettings(missing, owner);
    ASSERT_EQ(recorder.boxes.size(), 2u);
    for (const MessageBoxRecorder::Box& box : recorder.boxes) {
      EXPECT_EQ(TrimWhiteSpace(box.text), win::SystemErrorText(ERROR_INVALID_PRINTER_NAME));
      EXPECT_FALSE(TrimWhiteSpace(box.text).empty());
      EXPECT_EQ(box.caption, win::ApplicationTitle());
      EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
      EXPECT_EQ(box.owner, owner);
    }
  }

  DEVMODEW after = {};
  ASSERT_TRUE(ReadDefaults(bystander, &after));
  EXPECT_EQ(after.dmOrientation, before.dmOrientation);
  EXPECT_EQ(after.dmPaperSize, before.dmPaperSize);
  EXPECT_EQ(after.dmFields, before.dmFields);
}

}  // namespace
