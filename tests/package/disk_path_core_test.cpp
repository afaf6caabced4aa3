// Splitting paths into drive, directory, name and extension as the C runtime does.
#include <gtest/gtest.h>

#include "package/disk_path_core.h"

namespace {

void ExpectSplit(const std::wstring& path, const wchar_t* drive, const wchar_t* dir, const wchar_t* name,
                 const wchar_t* ext) {
  const PathParts parts = SplitPath(path);
  EXPECT_EQ(parts.drive, drive) << path;
  EXPECT_EQ(parts.directory, dir) << path;
  EXPECT_EQ(parts.name, name) << path;
  EXPECT_EQ(parts.extension, ext) << path;
}

}  // namespace

TEST(DiskPathSplit, PartsFollowTheRuntimeRules) {
  ExpectSplit(L"C:\\a\\b\\file.tar.gz", L"C:", L"\\a\\b\\", L"file.tar", L".gz");
  ExpectSplit(L"C:file", L"C:", L"", L"file", L"");
  ExpectSplit(L"\\\\server\\share\\x.inf", L"", L"\\\\server\\share\\", L"x", L".inf");
  ExpectSplit(L"..\\..\\a\\b.txt", L"", L"..\\..\\a\\", L"b", L".txt");
  ExpectSplit(L"a.b/c", L"", L"a.b/", L"c", L"");
  ExpectSplit(L"..", L"", L"", L".", L".");
  ExpectSplit(L"dir\\", L"", L"dir\\", L"", L"");
  ExpectSplit(L"", L"", L"", L"", L"");
  const std::wstring longName(1000, L'n');
  ExpectSplit(L"C:\\" + longName + L".x", L"C:", L"\\", longName.c_str(), L".x");
}

TEST(DiskPathSplit, CleanPartsAndJoining) {
  EXPECT_TRUE(IsCleanPathPart(L"\\dir\\sub\\"));
  EXPECT_FALSE(IsCleanPathPart(L"a:b"));
  EXPECT_FALSE(IsCleanPathPart(L"*.inf"));
  EXPECT_FALSE(IsCleanPathPart(L"x?"));
  EXPECT_EQ(ToBackslashes(L"C:/a/b"), L"C:\\a\\b");
  EXPECT_EQ(JoinPath(L"C:\\", L"x"), L"C:\\x");
  EXPECT_EQ(JoinPath(L"C:\\a", L"x"), L"C:\\a\\x");
}
