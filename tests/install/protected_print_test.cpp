// Reading Windows protected print mode with HKEY_LOCAL_MACHINE redirected to a scratch key: which
// value decides, what the log line names, and values of the wrong type. The read uses the view a
// real run uses in this world (the 64-bit one under WOW64).
#include "install/protected_print.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/printui_log.h"
#include "support/redirected_hklm.h"

namespace {

class ProtectedPrint : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(hklm_.IsActive()); }

  void SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWppKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
  }
  void SetDword(const wchar_t* name, DWORD value) { SetValue(name, REG_DWORD, &value, sizeof(value)); }

  ProtectedPrintMode Read() const { return ReadProtectedPrintMode(kqtest::TestRunsUnderWow64()); }

  kqtest::RedirectedHklm hklm_{L"protected-print"};
};

}  // namespace

TEST_F(ProtectedPrint, ThePolicyDecidesWhereItIsSetOtherwiseTheSwitch) {
  ProtectedPrintMode mode = Read();
  EXPECT_FALSE(mode.on);
  EXPECT_NE(mode.reason.find(L"WindowsProtectedPrintMode not set"), std::wstring::npos) << mode.reason;

  SetDword(kWppSettingValue, 1);
  mode = Read();
  EXPECT_TRUE(mode.on);
  EXPECT_NE(mode.reason.find(L"the switch in Settings"), std::wstring::npos);
  EXPECT_NE(mode.reason.find(L"WindowsProtectedPrintMode = 1"), std::wstring::npos) << mode.reason;
  EXPECT_NE(mode.reason.find(L"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP"), std::wstring::npos);

  // A disabled policy allows third-party drivers whatever the switch says.
  SetDword(kWppPolicyValue, 0);
  mode = Read();
  EXPECT_FALSE(mode.on);
  EXPECT_NE(mode.reason.find(L"WindowsProtectedPrintGroupPolicyState = 0"), std::wstring::npos) << mode.reason;

  SetDword(kWppSettingValue, 0);
  SetDword(kWppPolicyValue, 1);
  mode = Read();
  EXPECT_TRUE(mode.on);
  EXPECT_NE(mode.reason.find(L"by the policy \"Configure Windows protected print\""), std::wstring::npos);
  EXPECT_NE(mode.reason.find(L"WindowsProtectedPrintGroupPolicyState = 1"), std::wstring::npos) << mode.reason;
}

TEST_F(ProtectedPrint, AValueOfAnotherTypeCountsAsNotSet) {
  const wchar_t text[] = L"1";
  SetValue(kWppPolicyValue, REG_SZ, text, sizeof(text));
  const unsigned long long wide = 1;
  SetValue(kWppSettingValue, REG_QWORD, &wide, sizeof(wide));
  const ProtectedPrintMode mode = Read();
  EXPECT_FALSE(mode.on);
  EXPECT_NE(mode.reason.find(L"WindowsProtectedPrintGroupPolicyState is no 4-byte REG_DWORD (registry type 1)"),
            std::wstring::npos)
      << mode.reason;
  EXPECT_NE(mode.reason.find(L"WindowsProtectedPrintMode is no 4-byte REG_DWORD (registry type 11)"),
            std::wstring::npos)
      << mode.reason;
}
