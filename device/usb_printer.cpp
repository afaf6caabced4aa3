#include <initguid.h>

#include "device/usb_printer.h"

#include <setupapi.h>

#include <cwchar>
#include <memory>
#include <new>

#include "device/usb_printer_core.h"
#include "win/newer_apis.h"

wchar_t g_szUsbDevicePath[kUsbDevicePathChars];

namespace {

// The only pipe ever opened is "PIPE01": a path must leave room for "\PIPE01" behind it.
constexpr std::size_t kPipeSuffixChars = 7;
constexpr std::size_t kLongestInterfacePath = kUsbDevicePathChars - 1 - kPipeSuffixChars;
constexpr DWORD kInstanceIdChars = 260;

enum class Step { kFound, kEnd, kSkip };

// One walk over the present members of an interface class.
class MemberSource {
 public:
  virtual ~MemberSource() = default;
  virtual Step InstanceId(DWORD index, std::wstring& id) = 0;
  virtual Step InterfacePath(DWORD index, std::wstring& path) = 0;
};

class SetupDiSource : public MemberSource {
 public:
  explicit SetupDiSource(const GUID& interfaceClass)
      : m_class(interfaceClass),
        m_set(win::setupapi::GetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
  ~SetupDiSource() override {
    if (m_set != INVALID_HANDLE_VALUE) win::setupapi::DestroyDeviceInfoList(m_set);
  }
  SetupDiSource(const SetupDiSource&) = delete;
  SetupDiSource& operator=(const SetupDiSource&) = delete;

  Step InstanceId(DWORD index, std::wstring& id) override {
    if (m_set == INVALID_HANDLE_VALUE) return Step::kEnd;
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof(info);
    if (!win::setupapi::EnumDeviceInfo(m_set, index, &info)) {
      return ::GetLastError() == ERROR_NO_MORE_ITEMS ? Step::kEnd : Step::kSkip;
    }
    wchar_t buffer[kInstanceIdChars] = {};
    if (!win::setupapi::GetDeviceInstanceIdW(m_set, &info, buffer, kInstanceIdChars, nullptr)) return Step::kSkip;
    buffer[kInstanceIdChars - 1] = L'\0';
    id.assign(buffer);
    return Step::kFound;
  }

  Step InterfacePath(DWORD index, std::wstring& path) override {
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof(data);
    if (!win::setupapi::EnumDeviceInterfaces(m_set, nullptr, &m_class, index, &data)) {
      return ::GetLastError() == ERROR_NO_MORE_ITEMS ? Step::kEnd : Step::kSkip;
    }
    DWORD required = 0;
    win::setupapi::GetDeviceInterfaceDetailW(m_set, &data, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return Step::kSkip;
    // A memory shortage counts as a printer that cannot be opened.
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[required + sizeof(wchar_t)]);
    if (!buffer) return Step::kSkip;
    ZeroMemory(buffer.get(), required + sizeof(wchar_t));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.get());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!win::setupapi::GetDeviceInterfaceDetailW(m_set, &data, detail, required, nullptr, nullptr)) return Step::kSkip;
    // The extra zeroed character behind the record guarantees a terminator.
    path.assign(detail->DevicePath);
    return Step::kFound;
  }

 private:
  GUID m_class;
  HDEVINFO m_set;
};

std::vector<UsbInterfaceRecord>* g_testRecords = nullptr;

class TestListSource : public MemberSource {
 public:
  explicit TestListSource(const std::vector<UsbInterfaceRecord>& records) : m_records(records) {}
  Step InstanceId(DWORD index, std::wstring& id) override {
    if (index >= m_records.size()) return Step::kEnd;
    id = m_records[index].instanceId;
    return Step::kFound;
  }
  Step InterfacePath(DWORD index, std::wstring& path) override {
    if (index >= m_records.size()) return Step::kEnd;
    path = m_records[index].interfacePath;
    return Step::kFound;
  }

 private:
  std::vector<UsbInterfaceRecord> m_records;
};

HANDLE OpenInterfacePath(const std::wstring& path, wchar_t* pathBuffer) {
  if (path.empty() || path.size() > kLongestInterfacePath) return INVALID_HANDLE_VALUE;
  std::wmemcpy(pathBuffer, path.c_str(), path.size() + 1);
  return ::CreateFileW(pathBuffer, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

HANDLE WalkMembers(MemberSource& source, wchar_t* pathBuffer) {
  for (DWORD index = 0;; ++index) {
    std::wstring instanceId;
    const Step member = source.InstanceId(index, instanceId);
    if (member == Step::kEnd) return INVALID_HANDLE_VALUE;
    if (member == Step::kSkip || !IsAcceptedUsbInstanceId(instanceId)) continue;
    std::wstring path;
    const Step found = source.InterfacePath(index, path);
    if (found == Step::kEnd) return INVALID_HANDLE_VALUE;
    if (found == Step::kSkip) continue;
    HANDLE handle = OpenInterfacePath(path, pathBuffer);
    if (handle != INVALID_HANDLE_VALUE) return handle;
  }
}

}  // namespace

HANDLE FindPrinterOnUsb(const GUID& interfaceClass, wchar_t* pathBuffer) {
  if (pathBuffer == nullptr) return INVALID_HANDLE_VALUE;
  try {
    if (g_testRecords != nullptr) {
      TestListSource source(*g_testRecords);
      return WalkMembers(source, pathBuffer);
    }
    SetupDiSource source(interfaceClass);
    return WalkMembers(source, pathBuffer);
  } catch (const std::bad_alloc&) {
    return INVALID_HANDLE_VALUE;
  }
}

HANDLE OpenPrinterUsbDevice() { return FindPrinterOnUsb(GUID_DEVINTERFACE_USBPRINT, g_szUsbDevicePath); }

HANDLE OpenPrinterPipe(const wchar_t* pipeName) {
  if (pipeName == nullptr) return INVALID_HANDLE_VALUE;
  HANDLE device = OpenPrinterUsbDevice();
  if (device == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  // Opening the interface only proves that the printer is there and free.
  ::CloseHandle(device);
  const std::size_t used = std::wcslen(g_szUsbDevicePath);
  const std::size_t added = std::wcslen(pipeName);
  if (used + 1 + added + 1 > kUsbDevicePathChars) return INVALID_HANDLE_VALUE;
  g_szUsbDevicePath[used] = L'\\';
  std::wmemcpy(g_szUsbDevicePath + used + 1, pipeName, added + 1);
  return ::CreateFileW(g_szUsbDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

void SetUsbEnumerationForTesting(const std::vector<UsbInterfaceRecord>& records) {
  ResetUsbEnumerationForTesting();
  g_testRecords = new std::vector<UsbInterfaceRecord>(records);
}

void ResetUsbEnumerationForTesting() {
  delete g_testRecords;
  g_testRecords = nullptr;
}
