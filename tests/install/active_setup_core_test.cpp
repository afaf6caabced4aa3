#include "install/active_setup_core.h"

#include <gtest/gtest.h>

TEST(ActiveSetup, EachInstallRaisesTheVersionSoEveryUserGetsTheStepAgain) {
  EXPECT_EQ(L"1,0,0,1", NextActiveSetupVersion(L""));
  EXPECT_EQ(L"1,0,0,8", NextActiveSetupVersion(L"1,0,0,7"));
  EXPECT_EQ(L"2,0,0,1", NextActiveSetupVersion(L"2"));
  EXPECT_EQ(L"1,0,0,1", NextActiveSetupVersion(L"1,x,0,7")) << "an unreadable version starts again";
  EXPECT_EQ(L"1,0,0,1", NextActiveSetupVersion(L"1,0,0,0,5"));
  EXPECT_EQ(L"1,0,0,1", NextActiveSetupVersion(L"123456789012"));
}

TEST(ActiveSetup, TheStepIsTheSystemsOwnSetAsDefaultQuietly) {
  EXPECT_EQ(L"\"C:\\Windows\\System32\\rundll32.exe\" printui.dll,PrintUIEntry /y /n \"前台 KQ-80\" /q",
            DefaultPrinterStubPath(L"C:\\Windows\\System32", L"前台 KQ-80"));
  EXPECT_EQ(L"\"D:\\rundll32.exe\" printui.dll,PrintUIEntry /y /n \"P\" /q", DefaultPrinterStubPath(L"D:\\", L"P"));
}
