// Start-up's reading of KQPRINTER.INF from real files in each encoding a package may use, and the
// outcomes for a missing, locked or oversized file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/setup_settings.h"
#include "package/package_inf.h"
#include "package/text_decoder.h"
#include "scratch_folder.h"
#include "win/app.h"

namespace {

const std::wstring kInfText =
    L"; KQPRINTER.INF \u9a71\u52a8\u7a0b\u5e8f\u5305\r\n"
    L"[Version]\r\n"
    L"Signature=\"$Windows NT$\"\r\n"
    L"[KESTROM]\r\n"
    L"\"KESTROM KQ-80 \u6253\u5370\u673a\" = KQ80.GPD, USBPRINT\\KESTROMKQ-80E5A1\r\n"
    L"\"KESTROM KQ-80 \u6253\u5370\u673a\" = KQ80.GPD, LPTENUM\\KESTROMKQ-80E5A1\r\n"
    L"[Strings]\r\n"
    L"KESTROM=\"KESTROM\"";  // no final line feed

std::string Narrow(const std::wstring& text, UINT codePage) {
  const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : text) {
    const char hi = static_cast<char>((c >> 8) & 0xFF);
    const char lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

class PackageInf : public ::testing::Test {
 protected:
  PackageInf() : m_folder(L"package-inf") {}

  std::wstring InfPath() const { return m_folder / PackageInfFileName(); }

  CScratchFolder m_folder;
};

}  // namespace

TEST(PackageInfLocale, ChineseKeyboardLayoutGivesCodePage936) {
  // The tests run with LANG=zh_CN.UTF-8, under which Wine's keyboard layout is 0x804.
  ASSERT_EQ(LOWORD(reinterpret_cast<ULONG_PTR>(::GetKeyboardLayout(0))), 0x804);
  EXPECT_EQ(GetInputLocaleAnsiCodePage(), 936);
  CTextFileDecoder decoder(SystemAnsiConverter());
  EXPECT_EQ(decoder.GetCodePage(), 936);
}

TEST(PackageInfLocale, ProgramDirectoryHasNoTrailingBackslash) {
  const std::wstring module = win::ModuleFilePath(nullptr);
  const std::wstring dir = GetProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), L'\\');
  EXPECT_EQ(module.compare(0, dir.size() + 1, dir + L"\\"), 0);
  EXPECT_EQ(module.find(L'\\', dir.size() + 1), std::wstring::npos);
  EXPECT_EQ(PackageInfFileName(), L"KQPRINTER.INF");
}

TEST_F(PackageInf, EveryEncodingGivesTheSameFields) {
  const struct {
    const char* name;
    std::string bytes;
  } encodings[] = {
      {"UTF-16LE", Utf16(kInfText, false)},
      {"UTF-16BE", Utf16(kInfText, true)},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + Narrow(kInfText, CP_UTF8)},
      {"GBK without mark", Narrow(kInfText, 936)},
  };
  for (const auto& encoding : encodings) {
    ASSERT_TRUE(CScratchFolder::WriteFile(InfPath(), encoding.bytes));
    CSetupSettings settings;
    ASSERT_TRUE(LoadPackageInfInto(settings, m_folder.Path())) << encoding.name;
    EXPECT_EQ(settings.g_strUsbHardwareId, L"USBPRINT\\KESTROMKQ-80E5A1") << encoding.name;
    EXPECT_EQ(settings.g_strLptHardwareId, L"LPTENUM\\KESTROMKQ-80E5A1") << encoding.name;
    EXPECT_EQ(settings.g_strModelDesc, L"KESTROM KQ-80 \u6253\u5370\u673a") << encoding.name;
    EXPECT_EQ(settings.g_strDriverDesc, settings.g_strModelDesc) << encoding.name;
  }
}

TEST_F(PackageInf, Utf8WithoutMarkIsReadAsTheLocalCodePage) {
  ASSERT_TRUE(CScratchFolder::WriteFile(InfPath(), Narrow(kInfText, CP_UTF8)));
  CSetupSettings settings;
  ASSERT_TRUE(LoadPackageInfInto(settings, m_folder.Path()));
  EXPECT_EQ(settings.g_strUsbHardwareId, L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_NE(settings.g_strModelDesc, L"KESTROM KQ-80 \u6253\u5370\u673a");
}

TEST_F(PackageInf, MissingOrUnreadableFileIsReported) {
  CSetupSettings settings;
  settings.g_strModelDesc = L"unchanged";
  EXPECT_FALSE(LoadPackageInfInto(settings, m_folder.Path()));
  EXPECT_EQ(settings.g_strModelDesc, L"unchanged");

  // A folder of that name is no file.
  ASSERT_TRUE(::CreateDirectoryW(InfPath().c_str(), nullptr));
  EXPECT_FALSE(LoadPackageInfInto(settings, m_folder.Path()));
  ASSERT_TRUE(::RemoveDirectoryW(InfPath().c_str()));

  // Held open by another program without sharing.
  ASSERT_TRUE(CScratchFolder::WriteFile(InfPath(), Utf16(kInfText, false)));
  HANDLE held = ::CreateFileW(InfPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(LoadPackageInfInto(settings, m_folder.Path()));
  ::CloseHandle(held);
  EXPECT_TRUE(LoadPackageInfInto(settings, m_folder.Path()));
  EXPECT_EQ(settings.g_strUsbHardwareId, L"USBPRINT\\KESTROMKQ-80E5A1");
}

TEST_F(PackageInf, FileLargerThanAnyInfIsUnreadable) {
  HANDLE file = ::CreateFileW(InfPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, "\xFF\xFE", 2, &written, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 0x80000000LL;  // 2 GiB, mostly a hole
  ASSERT_TRUE(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::SetEndOfFile(file));
  ::CloseHandle(file);
  CSetupSettings settings;
  EXPECT_FALSE(LoadPackageInfInto(settings, m_folder.Path()));
  bool readable = true;
  EXPECT_TRUE(ParseInfModelLines(InfPath(), &readable).usbHardwareId.empty());
  EXPECT_FALSE(readable);
}

TEST_F(PackageInf, EmptyFileIsReadableAndGivesEmptyFields) {
  ASSERT_TRUE(CScratchFolder::WriteFile(InfPath(), ""));
  CSetupSettings settings;
  settings.g_strUsbHardwareId = L"old";
  EXPECT_TRUE(LoadPackageInfInto(settings, m_folder.Path()));
  EXPECT_TRUE(settings.g_strUsbHardwareId.empty());
}

TEST_F(PackageInf, RealFileCrossesTheUtf8ChunkBoundary) {
  // The marker line starts with a three-byte character split by the first 4 MiB chunk, so the
  // file is stepped back on disk.
  std::string bytes = "\xEF\xBB\xBF" + std::string(4194304 - 3, ';') + "\n";
  bytes += "\"\xE6\x89\x93\xE5\x8D\xB0\" = S, USBPRINT\\BIG\r\n";
  ASSERT_TRUE(CScratchFolder::WriteFile(InfPath(), bytes));
  bool readable = false;
  const InfModelInfo info = ParseInfModelLines(InfPath(), &readable);
  EXPECT_TRUE(readable);
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\BIG");
  EXPECT_EQ(info.usbDescription, L"\u6253\u5370");
}
