#include "helper/side_values.h"

#include <windows.h>

#include <string>
#include <vector>

#include "helper/helper_log.h"
#include "helper/helper_names.h"
#include "package/registry_key.h"
#include "win/format_core.h"

namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;
constexpr wchar_t kClassKeyPath[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
constexpr wchar_t kLptEnumPath[] = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";

struct SideValues {
  std::wstring toPath;
  DWORD updateMode = 0;
  std::wstring brandSeries;
  std::wstring deviceDesc;
  DWORD configFlags = 0;
  std::wstring classGuid;
  std::wstring driver;
  std::wstring className;
  std::wstring mfg;
};

std::wstring ReadText(CRegistryKey& key, const wchar_t* name) {
  std::wstring text;
  if (!key.GetStringValue(name, text)) text.clear();
  return text;
}

DWORD ReadNumber(CRegistryKey& key, const wchar_t* name) {
  DWORD value = 0;
  if (!key.GetDwordValue(name, value)) value = 0;
  return value;
}

// A missing value takes the default, which is written back so the key states what was used.
DWORD ReadNumberOrDefault(CRegistryKey& key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0;
  if (key.GetDwordValue(name, value)) return value;
  key.SetDwordValue(name, fallback);
  return fallback;
}

std::wstring ReadTextOrDefault(CRegistryKey& key, const wchar_t* name, const std::wstring& fallback) {
  std::wstring text;
  if (key.GetStringValue(name, text) && !text.empty()) return text;
  key.SetStringValue(name, fallback);
  return fallback;
}

SideValues ReadSideValues(CRegistryKey& classKey) {
  SideValues values;
  values.toPath = ReadText(classKey, L"_ToPath");
  values.updateMode = ReadNumberOrDefault(classKey, L"_UpdateMode", 0);
  values.brandSeries = ReadTextOrDefault(classKey, L"_BrandSeries", kDefaultBrandSeries);
  values.deviceDesc = ReadText(classKey, L"_DeviceDesc");
  values.configFlags = ReadNumber(classKey, L"_ConfigFlags");
  values.classGuid = ReadText(classKey, L"_ClassGUID");
  values.driver = ReadText(classKey, L"_Driver");
  values.className = ReadText(classKey, L"_Class");
  values.mfg = ReadText(classKey, L"_Mfg");
  return values;
}

void DeleteSideValues(CRegistryKey& classKey) {
  static const wchar_t* const kNames[] = {L"_ToPath",      L"_UpdateMode", L"_BrandSeries",
                                          L"_DeviceDesc",  L"_ConfigFlags", L"_ClassGUID",
                                          L"_Driver",      L"_Class",       L"_Mfg"};
  for (const wchar_t* name : kNames) classKey.DeleteValue(name);
}

// The five values both branches write; writes are not checked, a failed one does not stop the next.
void WriteDeviceValues(CRegistryKey& key, const SideValues& values) {
  key.SetDwordValue(L"ConfigFlags", values.configFlags);
  key.SetStringValue(L"ClassGUID", values.classGuid);
  key.SetStringValue(L"Driver", values.driver);
  key.SetStringValue(L"Class", values.className);
  key.SetStringValue(L"Mfg", values.mfg);
}

bool HasValue(HKEY key, const wchar_t* name) {
  return ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void WriteUsbDevice(const SideValues& values) {
  HelperLog(L"dwUpdateMode == 0");
  if (values.toPath.empty()) return;
  CRegistryKey device(HKEY_LOCAL_MACHINE, kReadWrite);
  if (!device.OpenKeyUnder(HKEY_LOCAL_MACHINE, values.toPath, kReadWrite, 1)) return;
  HelperLog(L"write to path = " + values.toPath);

  for (const std::wstring& name : CRegistryKey::SubKeyNames(device.GetKey())) {
    CRegistryKey instance(HKEY_LOCAL_MACHINE, kReadWrite);
    if (!instance.OpenKeyUnder(HKEY_LOCAL_MACHINE, values.toPath + L"\\" + name, kReadWrite, 1)) continue;
    instance.SetStringValue(L"DeviceDesc", values.deviceDesc);
    WriteDeviceValues(instance, values);
  }
}

bool IsSeriesDevice(const std::wstring& deviceId, const std::wstring& brandSeries) {
  return deviceId.find(brandSeries) != std::wstring::npos ||
         deviceId.find(kAlternativeBrand) != std::wstring::npos;
}

void WriteParallelDevices(const SideValues& values) {
  HelperLog(L"dwUpdateMode > 0");
  CRegistryKey lptEnum(HKEY_LOCAL_MACHINE, KEY_READ);
  if (!lptEnum.OpenKeyUnder(HKEY_LOCAL_MACHINE, kLptEnumPath, KEY_READ, 0)) return;

  for (const std::wstring& deviceId : CRegistryKey::SubKeyNames(lptEnum.GetKey())) {
    if (!IsSeriesDevice(deviceId, values.brandSeries)) continue;
    const std::wstring devicePath = std::wstring(kLptEnumPath) + L"\\" + deviceId;
    CRegistryKey device(HKEY_LOCAL_MACHINE, KEY_READ);
    if (!device.OpenKeyUnder(HKEY_LOCAL_MACHINE, devicePath, KEY_READ, 0)) continue;

    for (const std::wstring& name : CRegistryKey::SubKeyNames(device.GetKey())) {
      CRegistryKey instance(HKEY_LOCAL_MACHINE, kReadWrite);
      if (!instance.OpenKeyUnder(HKEY_LOCAL_MACHINE, devicePath + L"\\" + name, kReadWrite, 0)) continue;
      // An instance the system has already described keeps its values; devices that carry only
      // the series name are always brought in line with the installed driver.
      if (!HasValue(instance.GetKey(), L"Mfg")) WriteDeviceValues(instance, values);
      if (EqualsIgnoreAsciiCase(deviceId, kAlternativeBrand)) WriteDeviceValues(instance, values);
    }
  }
}

}  // namespace

void TransferSideValues() {
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kReadWrite);
  if (!classKey.OpenKeyUnder(HKEY_LOCAL_MACHINE, kClassKeyPath, kReadWrite, 0)) return;
  HelperLog(std::wstring(L"open ") + kClassKeyPath);

  const SideValues values = ReadSideValues(classKey);
  DeleteSideValues(classKey);

  if (values.updateMode == 0) {
    WriteUsbDevice(values);
  } else {
    WriteParallelDevices(values);
  }
}
