#include "install/protected_print_core.h"

#include "win/format_core.h"

const wchar_t kWppKey[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP";
const wchar_t kWppPolicyValue[] = L"WindowsProtectedPrintGroupPolicyState";
const wchar_t kWppSettingValue[] = L"WindowsProtectedPrintMode";

namespace {

std::wstring Describe(const wchar_t* name, const RegistryDword& value) {
  switch (value.state) {
    case RegistryDword::State::kMissing: return std::wstring(name) + L" not set";
    case RegistryDword::State::kNumber: return FormatString(L"%s = %d", name, value.value);
    case RegistryDword::State::kOtherType:
      return FormatString(L"%s is no 4-byte REG_DWORD (registry type %d), ignored", name, value.value);
    case RegistryDword::State::kUnreadable: return FormatString(L"%s cannot be read, error %d", name, value.value);
  }
  return name;
}

bool IsNumber(const RegistryDword& value) { return value.state == RegistryDword::State::kNumber; }

}  // namespace

ProtectedPrintMode DecideProtectedPrintMode(const RegistryDword& policy, const RegistryDword& setting,
                                            const std::wstring& where) {
  ProtectedPrintMode mode;
  const std::wstring policyText = Describe(kWppPolicyValue, policy);
  if (IsNumber(policy)) {
    mode.on = policy.value != 0;
    mode.reason = FormatString(L"protected print mode %s by the policy \"Configure Windows protected print\": %s, %s",
                               mode.on ? L"on" : L"off", where, policyText);
    return mode;
  }
  const std::wstring settingText = Describe(kWppSettingValue, setting);
  mode.on = IsNumber(setting) && setting.value != 0;
  mode.reason = FormatString(L"protected print mode %s by the switch in Settings: %s, %s (%s)",
                             mode.on ? L"on" : L"off", where, settingText, policyText);
  return mode;
}
