#include <gtest/gtest.h>

#include "install/service_control_core.h"

TEST(ServicePath, IsQuotedOnce) {
  EXPECT_EQ(QuoteServicePath(L"C:\\Program Files\\Common Files\\Services\\PHelper.exe"),
            L"\"C:\\Program Files\\Common Files\\Services\\PHelper.exe\"");
  EXPECT_EQ(QuoteServicePath(L"\"C:\\Program Files\\x.exe\""), L"\"C:\\Program Files\\x.exe\"");
  // A lone quote is not a quoted path.
  EXPECT_EQ(QuoteServicePath(L"\""), L"\"\"\"");
}
