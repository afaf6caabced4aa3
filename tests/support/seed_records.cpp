#include "support/seed_records.h"

#include <shlwapi.h>

#include <vector>

#include "win/format_core.h"

namespace kqseed {

namespace {

const wchar_t kUsbPrintEnumKey[] = L"SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
const wchar_t kDeviceEnumKey[] = L"SYSTEM\\CurrentControlSet\\Enum";
const wchar_t kInterfaceClass[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const wchar_t kPrinterInterfacesKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const wchar_t kPrinterClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
// The USB device class the symbolic name of a USB device points into.
const wchar_t kUsbDeviceClass[] = L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

class Key {
 public:
  explicit Key(const std::wstring& path) : m_key(nullptr) {
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr) != ERROR_SUCCESS) {
      m_key = nullptr;
    }
  }
  ~Key() {
    if (m_key != nullptr) ::RegCloseKey(m_key);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  bool IsOpen() const { return m_key != nullptr; }
  bool SetText(const std::wstring& name, const std::wstring& text) {
    return SetRaw(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }
  bool SetList(const std::wstring& name, const std::vector<std::wstring>& texts) {
    std::wstring block;
    for (const std::wstring& text : texts) {
      block += text;
      block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return SetRaw(name, REG_MULTI_SZ, block.data(), block.size() * sizeof(wchar_t));
  }
  bool SetNumber(const std::wstring& name, DWORD value) { return SetRaw(name, REG_DWORD, &value, sizeof(value)); }
  bool GetNumber(const std::wstring& name, DWORD& value) {
    DWORD size = sizeof(value);
    DWORD type = 0;
    return m_key != nullptr &&
           ::RegQueryValueExW(m_key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
  }
  bool Delete(const std::wstring& name) {
    return m_key != nullptr && ::RegDeleteValueW(m_key, name.c_str()) == ERROR_SUCCESS;
  }

 private:
  bool SetRaw(const std::wstring& name, DWORD type, const void* data, size_t bytes) {
    return m_key != nullptr && ::RegSetValueExW(m_key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                                static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
  }
  HKEY m_key;
};

bool DeleteTree(const std::wstring& path) {
  const DWORD result = ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND;
}

std::wstring AfterLastBackslash(const std::wstring& text) {
  const size_t slash = text.rfind(L'\\');
  return slash == std::wstring::npos ? text : text.substr(slash + 1);
}

std::wstring WithHashes(std::wstring text) {
  for (wchar_t& c : text) {
    if (c == L'\\') c = L'#';
  }
  return text;
}

bool g_pretendOutsideWine = false;

}  // namespace

bool RunningUnderWine() {
  if (g_pretendOutsideWine) return false;
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void PretendOutsideWineForTesting(bool outside) { g_pretendOutsideWine = outside; }

bool SetUsbPrintCount(DWORD count, bool present) {
  Key service(kUsbPrintEnumKey);
  if (!service.IsOpen()) return false;
  if (!present) {
    service.Delete(L"Count");
    return true;
  }
  return service.SetNumber(L"Count", count);
}

bool SeedUsbPrinter(const UsbPrinterSeed& seed) {
  Key service(kUsbPrintEnumKey);
  if (!service.IsOpen()) return false;
  DWORD position = 0;
  if (!service.GetNumber(L"Count", position)) position = 0;
  const std::wstring instancePath =
      seed.instancePath.empty() ? FormatString(L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&%d", position + 1)
                                : seed.instancePath;
  bool ok = service.SetText(FormatString(L"%d", position), instancePath);
  ok = service.SetNumber(L"Count", position + 1) && ok;

  Key parameters(std::wstring(kDeviceEnumKey) + L"\\" + instancePath + L"\\Device Parameters");
  ok = parameters.IsOpen() && ok;
  const std::wstring interfacePart = WithHashes(instancePath) + L"#";
  if (seed.withSymbolicName) {
    ok = parameters.SetText(L"SymbolicName", L"\\??\\" + interfacePart + kUsbDeviceClass) && ok;
  }

  Key port(std::wstring(kPrinterInterfacesKey) + L"\\##?#" + interfacePart + kInterfaceClass +
           L"\\#\\Device Parameters");
  ok = port.IsOpen() && ok;
  if (seed.withPortNumber) ok = port.SetNumber(L"Port Number", seed.portNumber) && ok;
  if (seed.withPortDescription) ok = port.SetText(L"Port Description", seed.portDescription) && ok;

  const std::wstring deviceName = AfterLastBackslash(seed.hardwareId);
  Key printer(std::wstring(kDeviceEnumKey) + L"\\USBPRINT\\" + deviceName + L"\\" +
              FormatString(L"7&2A3B4C5D&0&USB%03d", seed.portNumber));
  ok = printer.SetList(L"HardwareID", {seed.hardwareId, deviceName}) && ok;
  return ok;
}

bool SeedLptPrinter(const LptPrinterSeed& seed) {
  Key device(std::wstring(kDeviceEnumKey) + L"\\LPTENUM\\" + seed.deviceName + L"\\" + seed.instanceName);
  const std::wstring hardwareId = seed.hardwareId.empty() ? L"LPTENUM\\" + seed.deviceName : seed.hardwareId;
  bool ok = device.SetList(L"HardwareID", {hardwareId, AfterLastBackslash(hardwareId)});
  if (seed.withMfg) ok = device.SetText(L"Mfg", seed.mfg) && ok;
  return ok;
}

bool ClearSeededRecords() {
  if (!RunningUnderWine()) return false;
  bool ok = DeleteTree(kUsbPrintEnumKey);
  ok = DeleteTree(kPrinterInterfacesKey) && ok;
  ok = DeleteTree(std::wstring(kDeviceEnumKey) + L"\\USBPRINT") && ok;
  ok = DeleteTree(std::wstring(kDeviceEnumKey) + L"\\LPTENUM") && ok;
  // USB instance keys of the series' two vendors.
  HKEY usb = nullptr;
  const std::wstring usbPath = std::wstring(kDeviceEnumKey) + L"\\USB";
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, usbPath.c_str(), 0, KEY_READ, &usb) == ERROR_SUCCESS) {
    std::vector<std::wstring> doomed;
    for (DWORD index = 0;; ++index) {
      wchar_t name[256];
      DWORD chars = 256;
      if (::RegEnumKeyExW(usb, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      const std::wstring upper = ToUpperAscii(name);
      if (upper.rfind(L"VID_5E1A", 0) == 0 || upper.rfind(L"VID_0F3C", 0) == 0) doomed.push_back(name);
    }
    ::RegCloseKey(usb);
    for (const std::wstring& name : doomed) ok = DeleteTree(usbPath + L"\\" + name) && ok;
  }
  return ok;
}

bool ClearPrinterClassRecords() { return RunningUnderWine() && DeleteTree(kPrinterClassKey); }

}  // namespace kqseed
