#include <gtest/gtest.h>

#include "package/disk_path_core.h"
#include "package/payload_core.h"

TEST(PayloadPaths, ServicesFolderGetsExactlyOneBackslash) {
  EXPECT_EQ(ServicesFolderUnder(L"C:\\Program Files\\Common Files"), L"C:\\Program Files\\Common Files\\Services");
  EXPECT_EQ(ServicesFolderUnder(L"C:\\Program Files\\Common Files\\"), L"C:\\Program Files\\Common Files\\Services");
  EXPECT_EQ(ServicesFolderUnder(L"D:\\"), L"D:\\Services");
}

TEST(PayloadPaths, FileJoinsItsFolderOnce) {
  EXPECT_EQ(JoinPath(L"C:\\Svc", L"PHelper.exe"), L"C:\\Svc\\PHelper.exe");
  EXPECT_EQ(JoinPath(L"C:\\Svc\\", L"PHelper.exe"), L"C:\\Svc\\PHelper.exe");
}
