#include "install/install_record.h"

#include <windows.h>

#include "package/registry_key.h"
#include "win/format_core.h"

const wchar_t kInstallRecordKey[] = L"SOFTWARE\\KESTROM\\KQSetup";

namespace {

const wchar_t kQueuesKey[] = L"Printers";
constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE;

std::wstring QueuesPath() { return std::wstring(kInstallRecordKey) + L"\\" + kQueuesKey; }

std::wstring ReadText(CRegistryKey& key, const wchar_t* name) {
  std::wstring text;
  key.GetStringValue(name, text);
  return text;
}

}  // namespace

bool ReadInstallRecord(InstallRecord& record) {
  record = InstallRecord();
  CRegistryKey root(HKEY_LOCAL_MACHINE, kReadAccess);
  if (!root.OpenSubKey(kInstallRecordKey, 0)) return false;
  record.helperProgram = ReadText(root, L"HelperProgram");
  record.programCopy = ReadText(root, L"ProgramCopy");
  CRegistryKey queues(HKEY_LOCAL_MACHINE, kReadAccess);
  if (!queues.OpenSubKey(QueuesPath(), 0)) return true;
  for (const std::wstring& name : CRegistryKey::SubKeyNames(queues.GetKey())) {
    CRegistryKey entry(HKEY_LOCAL_MACHINE, kReadAccess);
    if (!entry.OpenSubKey(QueuesPath() + L"\\" + name, 0)) continue;
    InstalledQueue queue;
    queue.key = name;
    queue.name = ReadText(entry, L"Name");
    queue.port = ReadText(entry, L"Port");
    queue.connection = ReadText(entry, L"Connection");
    queue.driver = ReadText(entry, L"Driver");
    queue.provider = ReadText(entry, L"Provider");
    queue.driverVersion = ReadText(entry, L"DriverVersion");
    queue.installed = ReadText(entry, L"Installed");
    queue.driverKey = ReadText(entry, L"DriverKey");
    queue.deviceKey = ReadText(entry, L"DeviceKey");
    // An entry without a name names nothing that could be found again.
    if (!queue.name.empty()) record.queues.push_back(queue);
  }
  return true;
}

bool SaveInstalledQueue(InstalledQueue queue) {
  InstallRecord record;
  ReadInstallRecord(record);
  if (queue.key.empty()) {
    unsigned long largest = 0;
    for (const InstalledQueue& known : record.queues) {
      if (EqualsIgnoreAsciiCase(known.name, queue.name)) queue.key = known.key;
      unsigned long number = 0;
      for (wchar_t c : known.key) number = (c >= L'0' && c <= L'9') ? number * 10 + (c - L'0') : number;
      if (number > largest) largest = number;
    }
    if (queue.key.empty()) queue.key = FormatString(L"%d", largest + 1);
  }
  CRegistryKey entry(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!entry.OpenSubKey(QueuesPath() + L"\\" + queue.key, 1)) return false;
  return entry.SetStringValue(L"Name", queue.name) && entry.SetStringValue(L"Port", queue.port) &&
         entry.SetStringValue(L"Connection", queue.connection) && entry.SetStringValue(L"Driver", queue.driver) &&
         entry.SetStringValue(L"Provider", queue.provider) &&
         entry.SetStringValue(L"DriverVersion", queue.driverVersion) &&
         entry.SetStringValue(L"Installed", queue.installed) && entry.SetStringValue(L"DriverKey", queue.driverKey) &&
         entry.SetStringValue(L"DeviceKey", queue.deviceKey);
}

bool SaveInstallFiles(const std::wstring& helperProgram, const std::wstring& programCopy) {
  CRegistryKey root(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!root.OpenSubKey(kInstallRecordKey, 1)) return false;
  bool written = true;
  if (!helperProgram.empty()) written = root.SetStringValue(L"HelperProgram", helperProgram) && written;
  if (!programCopy.empty()) written = root.SetStringValue(L"ProgramCopy", programCopy) && written;
  return written;
}

bool ForgetInstalledQueue(const std::wstring& key) {
  if (key.empty()) return false;
  return CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, QueuesPath() + L"\\" + key, 0);
}

bool DeleteInstallRecord() {
  const bool deleted = CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0);
  // The maker's key goes with it when nothing else of the maker's is left there.
  CRegistryKey maker(HKEY_LOCAL_MACHINE, kReadAccess);
  DWORD subKeys = 1;
  DWORD values = 1;
  if (deleted && maker.OpenSubKey(L"SOFTWARE\\KESTROM", 0) &&
      ::RegQueryInfoKeyW(maker.GetKey(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
      subKeys == 0 && values == 0) {
    maker.AttachKey(nullptr);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KESTROM");
  }
  return deleted;
}

std::wstring RecordTimeNow() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  return FormatString(L"%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                      now.wSecond);
}
