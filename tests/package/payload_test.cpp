// Writing the carried helper program to disk, against the real file system and this test
// program's own copy of the payload resource.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "../helper/helper_test_util.h"
#include "package/payload.h"
#include "res/resource.h"
#include "win/app.h"

namespace {

using kqtest::ReadFileBytes;
using kqtest::WriteFileBytes;

const wchar_t kType[] = L"WIN7";
const WORD kId = IDR_HELPER_PAYLOAD;

std::vector<BYTE> Payload() {
  const HMODULE module = win::ResourceModule();
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(kId), kType);
  if (found == nullptr) return {};
  const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
  return std::vector<BYTE>(data, data + ::SizeofResource(module, found));
}

FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// Puts the file's time well into the past, so an unwanted rewrite cannot hide in the clock's
// resolution.
void BackdateFile(const std::wstring& path) {
  win::ScopedHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       0, nullptr));
  SYSTEMTIME old = {2001, 1, 0, 1, 12, 0, 0, 0};
  FILETIME time;
  ::SystemTimeToFileTime(&old, &time);
  ::SetFileTime(file.Get(), nullptr, nullptr, &time);
}

std::vector<BYTE> OnDisk(const std::wstring& path) {
  std::vector<BYTE> bytes;
  ReadFileBytes(path, bytes);
  return bytes;
}

class WriteResourceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_payload = Payload();
    ASSERT_GT(m_payload.size(), 1024u) << "the tests carry the helper payload";
    m_path = m_folder / L"PHelper.exe";
  }
  std::vector<BYTE> m_payload;
  kqtest::ScratchFolder m_folder{L"kq_payload_"};
  std::wstring m_path;
};

TEST_F(WriteResourceFileTest, NewFileInMissingFoldersHoldsThePayload) {
  const std::wstring deep = m_folder / L"Common Files\\Services";
  EXPECT_TRUE(WriteResourceFile(kType, kId, deep, L"PHelper.exe"));
  EXPECT_EQ(OnDisk(deep + L"\\PHelper.exe"), m_payload);
}

TEST_F(WriteResourceFileTest, IdenticalFileIsLeftAlone) {
  ASSERT_TRUE(WriteFileBytes(m_path, m_payload));
  BackdateFile(m_path);
  const FILETIME before = LastWrite(m_path);

  EXPECT_TRUE(WriteResourceFile(kType, kId, m_folder.Path(), L"PHelper.exe"));

  const FILETIME after = LastWrite(m_path);
  EXPECT_EQ(::CompareFileTime(&before, &after), 0);
  EXPECT_EQ(OnDisk(m_path), m_payload);
}

TEST_F(WriteResourceFileTest, IdenticalFileHeldOpenByAReaderCounts) {
  // As when the helper itself is running from that file.
  ASSERT_TRUE(WriteFileBytes(m_path, m_payload));
  win::ScopedHandle reader(
      ::CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  EXPECT_TRUE(WriteResourceFile(kType, kId, m_folder.Path(), L"PHelper.exe"));
}

TEST_F(WriteResourceFileTest, DifferingFilesAreOverwritten) {
  std::vector<BYTE> sameLength = m_payload;
  sameLength[sameLength.size() / 2] ^= 0x5A;
  std::vector<BYTE> shorter(m_payload.begin(), m_payload.begin() + m_payload.size() / 3);
  std::vector<BYTE> longer = m_payload;
  longer.push_back(0);
  const std::vector<BYTE> empty;
  const std::vector<const std::vector<BYTE>*> olds = {&sameLength, &shorter, &longer, &empty};
  for (const std::vector<BYTE>* old : olds) {
    SCOPED_TRACE(old->size());
    ASSERT_TRUE(WriteFileBytes(m_path, *old));
    EXPECT_TRUE(WriteResourceFile(kType, kId, m_folder.Path(), L"PHelper.exe"));
    EXPECT_EQ(OnDisk(m_path), m_payload);
  }
  // An old copy marked read-only, hidden and system is overwritten all the same.
  ASSERT_TRUE(WriteFileBytes(m_path, shorter));
  ASSERT_TRUE(::SetFileAttributesW(m_path.c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_TRUE(WriteResourceFile(kType, kId, m_folder.Path(), L"PHelper.exe"));
  EXPECT_EQ(OnDisk(m_path), m_payload);
}

TEST_F(WriteResourceFileTest, LockedDifferingFileIsReportedAndKept) {
  const std::vector<BYTE> old = {'M', 'Z', 1, 2, 3};
  ASSERT_TRUE(WriteFileBytes(m_path, old));
  win::ScopedHandle lock(::CreateFileW(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);

  EXPECT_FALSE(WriteResourceFile(kType, kId, m_folder.Path(), L"PHelper.exe"));

  lock.Reset();
  EXPECT_EQ(OnDisk(m_path), old);

  // Marked read-only and hidden, and held open by a reader that lets others change its
  // attributes: the overwrite fails, and the old copy keeps its attributes as well.
  const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_TRUE(::SetFileAttributesW(m_path.c_str(), attributes));
  lock.Reset(::CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  EXPECT_FALSE(WriteResourceFile(kType, kId, m_folder.Path(), L"PHelper.exe"));
  lock.Reset();
  EXPECT_EQ(OnDisk(m_path), old);
  EXPECT_EQ(::GetFileAttributesW(m_path.c_str()) & attributes, attributes);
  ::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WriteResourceFileTest, UnwritableFolderFails) {
  const std::wstring file = m_folder / L"plain.txt";
  ASSERT_TRUE(WriteFileBytes(file, {'x'}));
  EXPECT_FALSE(WriteResourceFile(kType, kId, file + L"\\Services", L"PHelper.exe"));
  EXPECT_EQ(::GetFileAttributesW((file + L"\\Services\\PHelper.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WriteResourceFileTest, FolderWithTrailingBackslash) {
  EXPECT_TRUE(WriteResourceFile(kType, kId, m_folder.Path() + L"\\", L"PHelper.exe"));
  EXPECT_EQ(OnDisk(m_path), m_payload);
}

TEST_F(WriteResourceFileTest, MissingResourceWritesNothing) {
  EXPECT_FALSE(WriteResourceFile(kType, 9999, m_folder.Path(), L"PHelper.exe"));
  EXPECT_FALSE(WriteResourceFile(L"NOSUCHTYPE", kId, m_folder.Path(), L"PHelper.exe"));
  EXPECT_EQ(::GetFileAttributesW(m_path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ExtractHelperService, WritesTheBuiltHelperIntoCommonServicesFolder) {
  wchar_t common[MAX_PATH] = {};
  ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, common, CSIDL_PROGRAM_FILES_COMMON, FALSE));
  const std::wstring name = L"PHelperTest" + kqtest::UniqueSuffix() + L".exe";
  const std::wstring folder = std::wstring(common) + L"\\Services";
  const std::wstring expected = folder + L"\\" + name;
  const bool folderExisted = ::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
  EXPECT_EQ(GetHelperServicePath(name), expected);

  EXPECT_TRUE(ExtractHelperService(name));
  // Byte for byte the helper that the build made alongside this test program.
  const std::wstring module = win::ModuleFilePath();
  const std::wstring built = module.substr(0, module.find_last_of(L'\\') + 1) + L"PHelper.exe";
  std::vector<BYTE> builtBytes;
  ASSERT_TRUE(ReadFileBytes(built, builtBytes));
  EXPECT_EQ(OnDisk(expected), builtBytes);

  // A second extraction finds it unchanged.
  EXPECT_TRUE(ExtractHelperService(name));
  ::DeleteFileW(expected.c_str());
  if (!folderExisted) ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
