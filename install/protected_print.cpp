#include "install/protected_print.h"

#include <windows.h>

#include "win/handles.h"

namespace {

RegistryDword ReadDword(HKEY key, const wchar_t* name) {
  RegistryDword value;
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  const LONG result = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  if (result == ERROR_FILE_NOT_FOUND) return value;
  if (result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof(data)))) {
    value.state = RegistryDword::State::kOtherType;
    value.value = type;
  } else if (result != ERROR_SUCCESS) {
    value.state = RegistryDword::State::kUnreadable;
    value.value = static_cast<unsigned long>(result);
  } else {
    value.state = RegistryDword::State::kNumber;
    value.value = data;
  }
  return value;
}

}  // namespace

ProtectedPrintMode ReadProtectedPrintMode(bool underWow64) {
  // KEY_WOW64_64KEY came with 64-bit Windows; it is given only where WOW64 runs this program.
  const REGSAM access = KEY_QUERY_VALUE | (underWow64 ? KEY_WOW64_64KEY : 0);
  const std::wstring where = std::wstring(L"HKLM\\") + kWppKey + (underWow64 ? L" (64-bit view)" : L"");
  RegistryDword policy, setting;
  win::ScopedKey key;
  const LONG opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWppKey, 0, access, key.Receive());
  if (opened == ERROR_SUCCESS) {
    policy = ReadDword(key.Get(), kWppPolicyValue);
    setting = ReadDword(key.Get(), kWppSettingValue);
  } else if (opened != ERROR_FILE_NOT_FOUND) {
    policy.state = setting.state = RegistryDword::State::kUnreadable;
    policy.value = setting.value = static_cast<unsigned long>(opened);
  }
  return DecideProtectedPrintMode(policy, setting, where);
}
