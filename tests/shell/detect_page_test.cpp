#include <gtest/gtest.h>

#include "shell/detect_page.h"

TEST(ConnectionButtons, AHardwareIdEndingInFfffMarksAnUnsupportedConnection) {
  EXPECT_TRUE(IsSupportedHardwareId(L"LPTENUM\\KESTROMKQ-80E5A1"));
  EXPECT_FALSE(IsSupportedHardwareId(L"LPTENUM\\KESTROMKQ-80FFFF"));
  EXPECT_FALSE(IsSupportedHardwareId(L"LPTENUM\\KESTROMKQ-80ffff")) << "compared in capitals";
  EXPECT_FALSE(IsSupportedHardwareId(L"LPTENUM\\KESTROMKQ-80fFfF"));
  EXPECT_FALSE(IsSupportedHardwareId(L""));
  EXPECT_TRUE(IsSupportedHardwareId(L"FFF")) << "a short id is compared whole";
  EXPECT_FALSE(IsSupportedHardwareId(L"ffff"));
  EXPECT_TRUE(IsSupportedHardwareId(L"USBPRINT\\KQFFFFX"));
}
