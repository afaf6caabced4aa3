#include "win/wow64_core.h"

#include <gtest/gtest.h>

namespace {

TEST(Rundll32PathTest, NativeOneOnEverySystem) {
  EXPECT_EQ(L"C:\\WINDOWS\\system32\\rundll32.exe", Rundll32PathFor(false, L"C:\\WINDOWS\\system32", L"C:\\WINDOWS"));
  // A 32-bit program on 64-bit Windows would be sent to SysWOW64 from system32.
  EXPECT_EQ(L"C:\\WINDOWS\\Sysnative\\rundll32.exe", Rundll32PathFor(true, L"C:\\WINDOWS\\system32", L"C:\\WINDOWS"));
  EXPECT_EQ(L"D:\\Sysnative\\rundll32.exe", Rundll32PathFor(true, L"D:\\system32", L"D:\\"));
  EXPECT_EQ(L"", Rundll32PathFor(true, L"C:\\WINDOWS\\system32", L""));
  EXPECT_EQ(L"", Rundll32PathFor(false, L"", L"C:\\WINDOWS"));
}

// Sysnative exists only for 32-bit programs on 64-bit Windows, and 64-bit Windows XP and Server
// 2003 lack it without Microsoft's update.
TEST(Rundll32PathTest, ChoiceUnderWow64WithAndWithoutSysnative) {
  const std::wstring system = L"C:\\WINDOWS\\system32", windows = L"C:\\WINDOWS";
  const std::wstring native = L"C:\\WINDOWS\\system32\\rundll32.exe", sysnative = L"C:\\WINDOWS\\Sysnative\\rundll32.exe";
  struct Case {
    Wow64State state;
    bool sysnativeFound;
    std::wstring path;
    bool withoutRedirection;
  };
  for (const Case& c : {Case{Wow64State::kNative, false, native, false}, Case{Wow64State::kWow64, true, sysnative, false},
                        Case{Wow64State::kWow64, false, native, true}, Case{Wow64State::kUnknown, true, sysnative, false},
                        Case{Wow64State::kUnknown, false, native, false}}) {
    const Rundll32Launch launch = ChooseRundll32(c.state, c.sysnativeFound, system, windows);
    EXPECT_EQ(launch.path, c.path) << static_cast<int>(c.state) << c.sysnativeFound;
    EXPECT_EQ(launch.withoutRedirection, c.withoutRedirection) << static_cast<int>(c.state) << c.sysnativeFound;
  }
  EXPECT_EQ(ChooseRundll32(Wow64State::kWow64, false, L"", windows).path, L"");
}

}  // namespace
