#include <gtest/gtest.h>

#include "install/service_control_core.h"

TEST(ServicePath, IsQuotedOnce) {
  EXPECT_EQ(QuoteServicePath(L"C:\\Program Files\\Common Files\\Services\\PHelper.exe"),
            L"\"C:\\Program Files\\Common Files\\Services\\PHelper.exe\"");
  EXPECT_EQ(QuoteServicePath(L"\"C:\\Program Files\\x.exe\""), L"\"C:\\Program Files\\x.exe\"");
  // A lone quote is not a quoted path.
  EXPECT_EQ(QuoteServicePath(L"\""), L"\"\"\"");
}

TEST(ServicePath, OursQuotedOrNotInAnyCaseAndNothingElse) {
  const std::wstring ours = L"C:\\Program Files (x86)\\Common Files\\Services\\PHelper.exe";
  EXPECT_TRUE(IsSameServicePath(L"\"" + ours + L"\"", ours));
  EXPECT_TRUE(IsSameServicePath(ours, ours));
  EXPECT_TRUE(IsSameServicePath(L"  \"c:\\program files (x86)\\common files\\services\\phelper.EXE\" ", ours));
  EXPECT_FALSE(IsSameServicePath(L"\"C:\\Tools\\PHelper.exe\"", ours));
  EXPECT_FALSE(IsSameServicePath(L"\"" + ours + L"\" -k", ours));
  EXPECT_FALSE(IsSameServicePath(ours + L" -k", ours));
  EXPECT_FALSE(IsSameServicePath(L"", ours));
  EXPECT_FALSE(IsSameServicePath(L"\"" + ours, ours));
}
