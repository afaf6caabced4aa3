// The disk object against real folders: how paths resolve from the current directory, existence
// tests, creation of directory paths and the sorted listing. Each test starts in scratch\a\b and
// checks that the current directory is where it was afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "package/disk_object.h"
#include "scratch_folder.h"

namespace {

std::wstring Cwd() {
  wchar_t buffer[1024] = {};
  ::GetCurrentDirectoryW(1024, buffer);
  return buffer;
}

class DiskObject : public ::testing::Test {
 protected:
  DiskObject() : m_folder(L"disk-object") {}

  void SetUp() override {
    m_saved = Cwd();
    ::CreateDirectoryW((m_folder / L"a").c_str(), nullptr);
    ::CreateDirectoryW((m_folder / L"a\\b").c_str(), nullptr);
    ASSERT_TRUE(::SetCurrentDirectoryW((m_folder / L"a\\b").c_str()));
    m_start = Cwd();
  }
  void TearDown() override {
    EXPECT_EQ(Cwd(), m_start) << "the current directory was not restored";
    ::SetCurrentDirectoryW(m_saved.c_str());
  }

  CScratchFolder m_folder;
  CDiskObject m_disk;
  std::wstring m_saved;
  std::wstring m_start;
};

}  // namespace

TEST_F(DiskObject, ResolvePathFollowsTheWindowsRules) {
  std::wstring path = L"C:/x/y/file.txt";
  EXPECT_TRUE(m_disk.ResolvePath(path));
  EXPECT_EQ(path, L"C:\\x\\y\\file.txt");

  path = L"file.txt";
  EXPECT_TRUE(m_disk.ResolvePath(path));
  EXPECT_EQ(path, m_start + L"\\file.txt");

  path = L"\\x\\file.txt";
  EXPECT_TRUE(m_disk.ResolvePath(path));
  EXPECT_EQ(path, m_start.substr(0, 2) + L"\\x\\file.txt");

  path = L"..\\..\\c\\d\\file.txt";
  EXPECT_TRUE(m_disk.ResolvePath(path));
  EXPECT_EQ(path, m_folder.Path() + L"\\c\\d\\file.txt");
  EXPECT_EQ(Cwd(), m_start);

  path = L"\\\\server\\share\\file.txt";
  EXPECT_TRUE(m_disk.ResolvePath(path));
  EXPECT_EQ(path, L"\\\\server\\share\\file.txt");
}

TEST_F(DiskObject, ResolveAtTheRootDoesNotDoubleTheBackslash) {
  ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
  std::wstring path = L"file.txt";
  EXPECT_TRUE(m_disk.ResolvePath(path));
  EXPECT_EQ(path, L"C:\\file.txt");
  path = L"..\\file.txt";
  EXPECT_TRUE(m_disk.ResolvePath(path));
  EXPECT_EQ(path, L"C:\\file.txt");
  ::SetCurrentDirectoryW(m_start.c_str());
}

TEST_F(DiskObject, ResolveDirectoryEndsWithBackslashAndKeepsUnc) {
  std::wstring dir = L"C:/x/y";
  EXPECT_TRUE(m_disk.ResolveDirectory(dir));
  EXPECT_EQ(dir, L"C:\\x\\y\\");
  dir = L"sub";
  EXPECT_TRUE(m_disk.ResolveDirectory(dir));
  EXPECT_EQ(dir, m_start + L"\\sub\\");
  dir = L"//server/share/dir";
  EXPECT_TRUE(m_disk.ResolveDirectory(dir));
  EXPECT_EQ(dir, L"\\\\server\\share\\dir\\");
}

TEST_F(DiskObject, WildcardsAndColonsAreParameterErrors) {
  for (const wchar_t* bad : {L"C:\\dir\\*.inf", L"C:\\dir\\file?.txt", L"C:\\d*r\\file.txt", L"dir\\a:b.txt"}) {
    EXPECT_FALSE(m_disk.IsExistingFile(bad)) << bad;
    EXPECT_EQ(m_disk.GetLastErrorText(), CDiskObject::kParameterError) << bad;
  }
  EXPECT_FALSE(m_disk.IsExistingFile(L""));
  EXPECT_EQ(m_disk.GetLastErrorText(), L"CDiskObject internal error - check call parameters");
  EXPECT_FALSE(m_disk.IsExistingDirectory(L""));
  EXPECT_FALSE(m_disk.MakeDirectoryPath(L""));
  EXPECT_EQ(m_disk.GetLastErrorText(), CDiskObject::kParameterError);
}

TEST_F(DiskObject, ExistenceOfFilesAndDirectories) {
  ASSERT_TRUE(CScratchFolder::WriteFile(m_folder / L"a\\here.txt", "x"));
  EXPECT_TRUE(m_disk.IsExistingFile(m_folder / L"a\\here.txt"));
  EXPECT_TRUE(m_disk.IsExistingFile(L"..\\here.txt"));
  EXPECT_FALSE(m_disk.IsExistingFile(L"..\\missing.txt"));
  EXPECT_TRUE(m_disk.GetLastErrorText().empty());
  EXPECT_FALSE(m_disk.IsExistingFile(m_folder / L"a"));  // a directory is not a file

  EXPECT_TRUE(m_disk.IsExistingDirectory(m_folder / L"a"));
  EXPECT_TRUE(m_disk.IsExistingDirectory(L".."));
  EXPECT_FALSE(m_disk.IsExistingDirectory(m_folder / L"a\\here.txt"));
  EXPECT_FALSE(m_disk.IsExistingDirectory(m_folder / L"nowhere"));
  EXPECT_TRUE(m_disk.GetLastErrorText().empty());
}

TEST_F(DiskObject, MakeDirectoryPathCreatesEveryLevel) {
  const std::wstring deep = m_folder / L"new\\level two\\three";
  EXPECT_TRUE(m_disk.MakeDirectoryPath(deep));
  EXPECT_TRUE(m_disk.IsExistingDirectory(deep));
  // Again, with everything there: nothing to do, still true.
  EXPECT_TRUE(m_disk.MakeDirectoryPath(deep + L"\\"));
  // Relative, with forward slashes.
  EXPECT_TRUE(m_disk.MakeDirectoryPath(L"../x/y"));
  EXPECT_TRUE(m_disk.IsExistingDirectory(m_folder / L"a\\x\\y"));
}

TEST_F(DiskObject, MakeDirectoryPathReportsWhatCouldNotBeMade) {
  ASSERT_TRUE(CScratchFolder::WriteFile(m_folder / L"blocker", "x"));
  const std::wstring through = m_folder / L"blocker\\sub";
  EXPECT_FALSE(m_disk.MakeDirectoryPath(through));
  const std::wstring error = m_disk.GetLastErrorText();
  ASSERT_GT(error.size(), through.size() + 1);
  EXPECT_EQ(error.substr(error.size() - through.size() - 2), L" " + through + L"\\");

  // A UNC server stands where the drive would be; an unreachable one fails the same way.
  EXPECT_FALSE(m_disk.MakeDirectoryPath(L"\\\\kq-no-such-server\\share\\dir"));
  EXPECT_NE(m_disk.GetLastErrorText().find(L"\\\\kq-no-such-server\\share\\dir\\"), std::wstring::npos);
}

TEST_F(DiskObject, ListingIsSortedOrdinallyAndSkipsDirectories) {
  const std::wstring dir = m_folder / L"list";
  ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr));
  for (const wchar_t* name : {L"b.inf", L"A.INF", L"c.txt", L"Z.inf"}) {
    ASSERT_TRUE(CScratchFolder::WriteFile(dir + L"\\" + name, "x"));
  }
  ASSERT_TRUE(::CreateDirectoryW((dir + L"\\d.inf").c_str(), nullptr));

  std::vector<std::wstring> names;
  EXPECT_TRUE(m_disk.ListFilesInDirectory(L"*.inf", dir, names, 0));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"A.INF", L"Z.inf", L"b.inf"}));

  std::vector<std::wstring> paths{L"~last"};
  EXPECT_TRUE(m_disk.ListFilesInDirectory(L"*.txt", dir + L"/", paths, 1));
  EXPECT_EQ(paths, (std::vector<std::wstring>{dir + L"\\c.txt", L"~last"}));
}

TEST_F(DiskObject, ListingOfNothingAddsNothing) {
  std::vector<std::wstring> names{L"kept"};
  EXPECT_TRUE(m_disk.ListFilesInDirectory(L"*.inf", m_folder / L"missing", names, 0));
  EXPECT_TRUE(m_disk.ListFilesInDirectory(L"*.none", m_folder / L"a", names, 0));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"kept"}));
  EXPECT_TRUE(m_disk.GetLastErrorText().empty());
}
