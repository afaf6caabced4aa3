// The driver package's INF beside the program, in each text form it may come in, and missing.
#include <windows.h>

#include <string>

#include "e2e/e2e_common.h"

namespace e2e {
namespace {

const std::wstring kChineseModel = L"凯朗 KQ-80 票据打印机";

std::wstring SampleInf() {
  return L"; sample package\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n[KESTROM]\r\n\"" + kChineseModel +
         L"\" = KQ80.GPD, USBPRINT\\KESTROMKQ-80E5A1\r\n\"" + kChineseModel +
         L"\" = KQ80.GPD, LPTENUM\\KESTROMKQ-80E5A1\r\n";
}

std::string Encode(const std::wstring& text, const std::string& form) {
  std::string bytes;
  if (form == "utf16le" || form == "utf16be") {
    bytes = form == "utf16le" ? std::string("\xFF\xFE", 2) : std::string("\xFE\xFF", 2);
    for (wchar_t c : text) {
      const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
      if (form == "utf16le") bytes += {low, high};
      else bytes += {high, low};
    }
    return bytes;
  }
  const UINT codePage = form == "utf8" ? CP_UTF8 : 936;
  int n = ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(n));
  ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
  if (form == "utf8") bytes.insert(0, "\xEF\xBB\xBF");
  return bytes;
}

std::wstring PrepareFolder(const std::wstring& name) {
  ::CreateDirectoryW(L"C:\\kq-e2e", nullptr);
  const std::wstring folder = L"C:\\kq-e2e\\" + name;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ::DeleteFileW((folder + L"\\KQPRINTER.INF").c_str());
  ::CopyFileW((ProgramFolder() + L"\\KQSetup.exe").c_str(), (folder + L"\\KQSetup.exe").c_str(), FALSE);
  return folder;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

class PackageInf : public ::testing::TestWithParam<const char*> {};

// The INF's model reaches the wizard: it is the name proposed when no printer is detected.
TEST_P(PackageInf, EveryTextFormGivesTheSameModel) {
  const std::string form = GetParam();
  const std::wstring folder = PrepareFolder(std::wstring(form.begin(), form.end()));
  WriteBytes(folder + L"\\KQPRINTER.INF", Encode(SampleInf(), form));

  WizardProcess wizard;
  ASSERT_TRUE(wizard.Start(folder + L"\\KQSetup.exe"));
  ASSERT_NE(wizard.WaitForFrame(20000), nullptr);
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil([&] { return wizard.Pages().size() == 3 && wizard.VisiblePage() == wizard.Pages()[2]; }, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_NAME)), kChineseModel) << form;
  EXPECT_TRUE(IsEnabled(wizard.PageControl(IDC_DETECT_USB)));
  EXPECT_TRUE(IsEnabled(wizard.PageControl(IDC_DETECT_LPT)));
  if (form == "gbk") Screenshot(wizard.Frame(), L"20-detect-gbk-inf");
  ASSERT_TRUE(Click(wizard.Button(IDCANCEL)));
  EXPECT_TRUE(wizard.WaitForExit(10000));
}

INSTANTIATE_TEST_SUITE_P(Forms, PackageInf, ::testing::Values("utf16le", "utf16be", "utf8", "gbk"));

TEST(MissingPackageInf, SaysWhichFileIsMissingWhereAndEnds) {
  const std::wstring folder = PrepareFolder(L"no inf");
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Start(folder + L"\\KQSetup.exe"));
  MessageBoxInfo box = wizard.WaitForMessageBox(20000);
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.caption, L"KQSetup");
  EXPECT_NE(box.text.find(L"KQPRINTER.INF"), std::wstring::npos) << Narrow(box.text);
  EXPECT_NE(box.text.find(folder), std::wstring::npos) << Narrow(box.text);
  Screenshot(box.hwnd, L"21-missing-inf");
  EXPECT_EQ(wizard.Frame(), nullptr) << "no wizard before the message";
  wizard.Answer(box, IDOK);
  EXPECT_TRUE(wizard.WaitForExit(10000));
  EXPECT_EQ(wizard.WaitForFrame(0), nullptr);
}

}  // namespace
}  // namespace e2e
