#include "core/installed_printers.h"

#include <windows.h>

#include <set>

#include "install/active_setup.h"
#include "install/install_record.h"
#include "install/printer_queue.h"
#include "install/service_control.h"
#include "install/uninstall_entry.h"
#include "package/payload.h"
#include "package/registry_key.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/format_core.h"
#include "win/handles.h"
#include "win/setup_log.h"
#include "win/wow64.h"

namespace {

// The size of a file in KiB, rounded up; 0 when it cannot be read.
unsigned long FileSizeKb(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  const unsigned long long bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return static_cast<unsigned long>((bytes + 1023) / 1024);
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring DateToday() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  return FormatString(L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
}

}  // namespace

void RecordInstalledPrinter(const CPackageSettings& package, const CRunChoice& choice, const std::wstring& queueName,
                            const std::wstring& port, const HelperOutcome& helper, const InstalledQueue* previous) {
  InstalledQueue queue;
  if (previous != nullptr) queue.key = previous->key;
  queue.name = queueName;
  queue.port = port;
  queue.connection = ConnectionName(choice.g_ePortType);
  queue.driver = package.g_strDriverDesc;
  queue.provider = package.g_strProviderName;
  queue.driverVersion = StoredDriverVersion(package.g_driverVer);
  queue.installed = RecordTimeNow();
  queue.driverKey = helper.records.driverKey;
  queue.deviceKey = helper.records.deviceKey;
  // An update writes the device records anew: the driver subkey of the install before goes.
  if (previous != nullptr && !previous->driverKey.empty() && previous->driverKey != queue.driverKey) {
    RemoveDeviceRecords(previous->driverKey, std::wstring(), previous->provider, previous->driver);
  }
  const bool recorded = SaveInstalledQueue(queue);
  win::Log(L"record: \"%s\" on %s, driver \"%s\" %s: %s", queue.name, queue.port, queue.driver,
           package.g_driverVer.valid ? package.g_driverVer.VersionText() : std::wstring(L"(no version)"),
           recorded ? L"kept under HKLM\\" + std::wstring(kInstallRecordKey) : std::wstring(L"could not be written"));

  const std::wstring copy = ProgramCopyPath();
  const bool copied = PlaceProgramCopy(copy);
  win::Log(L"record: the program's copy for its removal, %s: %s", copy.empty() ? std::wstring(L"(no folder)") : copy,
           copied ? L"in place" : L"could not be written");
  SaveInstallFiles(helper.helperProgram, copied ? copy : std::wstring());
  if (!copied) return;  // an entry whose command cannot run would only mislead

  UninstallEntry entry;
  entry.displayName = win::FormatResource(IDS_UNINSTALL_DISPLAY_NAME, package.g_strSeriesCode);
  entry.displayVersion = package.g_driverVer.valid ? package.g_driverVer.VersionText() : std::wstring(L"0.0.0.0");
  entry.publisher = package.g_strProviderName;
  entry.installDate = DateToday();
  entry.estimatedSizeKb = FileSizeKb(copy) + FileSizeKb(helper.helperProgram);
  entry.programCopy = copy;
  win::Log(L"Programs and Features: \"%s\" %s, %s: %s", entry.displayName, entry.displayVersion, kUninstallEntryKey,
           WriteUninstallEntry(entry) ? L"written" : L"could not be written");
}

std::vector<std::wstring> InstalledQueueNames(const std::wstring& onlyName) {
  std::vector<std::wstring> names;
  InstallRecord record;
  if (!ReadInstallRecord(record)) return names;
  for (const InstalledQueue& queue : record.queues) {
    if (onlyName.empty() || EqualsIgnoreAsciiCase(queue.name, onlyName)) names.push_back(queue.name);
  }
  return names;
}

const wchar_t* DescribeUninstall(UninstallResult result) {
  switch (result) {
    case UninstallResult::kRemoved: return L"removed";
    case UninstallResult::kNothingInstalled: return L"nothing of ours is installed";
    case UninstallResult::kIncomplete: return L"something could not be removed";
  }
  return L"unknown";
}

ExitCode ExitCodeForUninstall(UninstallResult result) {
  switch (result) {
    case UninstallResult::kRemoved: return kExitSuccess;
    case UninstallResult::kNothingInstalled: return kExitNotInstalled;
    case UninstallResult::kIncomplete: return kExitInstallFailed;
  }
  return kExitInstallFailed;
}

namespace {

// The queue the record names now: under its name, or, when the user renamed it, the one on the
// recorded port with the recorded driver that no other record names. False when it is gone.
bool LocateQueue(const InstalledQueue& recorded, const InstallRecord& record, PrinterQueue& found) {
  if (FindPrinterQueue(recorded.name, found)) return true;
  std::vector<PrinterQueue> queues;
  DWORD error = ERROR_SUCCESS;
  if (!ListPrinterQueues(queues, error)) return false;
  for (const PrinterQueue& queue : queues) {
    if (queue.driver != recorded.driver || !EqualsIgnoreAsciiCase(queue.port, recorded.port)) continue;
    bool namedElsewhere = false;
    for (const InstalledQueue& other : record.queues) {
      if (EqualsIgnoreAsciiCase(other.name, queue.name)) namedElsewhere = true;
    }
    if (namedElsewhere) continue;
    found = queue;
    win::Log(L"uninstall: \"%s\" is found as \"%s\" (renamed)", recorded.name, queue.name);
    return true;
  }
  return false;
}

// Removes a file of ours, at the next restart when it is in use (the running program).
bool RemoveFile(const std::wstring& path, const wchar_t* what) {
  if (path.empty() || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  if (::DeleteFileW(path.c_str())) {
    win::Log(L"uninstall: %s %s removed", what, path);
    ::RemoveDirectoryW(FolderOf(path).c_str());  // only when empty
    return true;
  }
  const DWORD error = ::GetLastError();
  if (::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    ::MoveFileExW(FolderOf(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    win::Log(L"uninstall: %s %s is in use (error %d): removed at the next restart", what, path, error);
    return true;
  }
  win::Log(L"uninstall: %s %s could not be removed, error %d", what, path, ::GetLastError());
  return false;
}

// What stays when the last queue is gone: the helper, the default-printer step, the entry, the
// record and the program's copy.
bool RemoveWhatRemains(const InstallRecord& record, const std::wstring& helperServiceName) {
  bool complete = true;
  if (!record.helperProgram.empty()) {
    DWORD error = ERROR_SUCCESS;
    if (!RemoveLeftoverHelperService(helperServiceName, record.helperProgram, error)) {
      win::Log(L"uninstall: the helper service stays registered, error %d", error);
      complete = false;
    }
    complete = RemoveFile(record.helperProgram, L"the helper program") && complete;
  }
  const REGSAM view = win::IsRunningUnderWow64() ? KEY_WOW64_64KEY : 0;
  if (!CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kDefaultPrinterActiveSetupKey, view)) {
    win::Log(L"uninstall: the default-printer step for new logons could not be removed");
    complete = false;
  }
  if (!DeleteUninstallEntry()) {
    win::Log(L"uninstall: the entry in Programs and Features could not be removed");
    complete = false;
  }
  if (!DeleteInstallRecord()) {
    win::Log(L"uninstall: the record could not be removed");
    complete = false;
  }
  win::Log(L"uninstall: the entry in Programs and Features and the record are gone");
  return RemoveFile(record.programCopy, L"the program's copy") && complete;
}

}  // namespace

UninstallResult UninstallPrinters(const std::wstring& onlyName, const std::wstring& helperServiceName, Machine machine) {
  InstallRecord record;
  if (!ReadInstallRecord(record)) {
    std::wstring version;
    if (!ReadUninstallEntryVersion(version)) {
      win::Log(L"uninstall: no record of an install and no entry in Programs and Features");
      return UninstallResult::kNothingInstalled;
    }
    win::Log(L"uninstall: an entry in Programs and Features without its record: the entry goes");
    return RemoveWhatRemains(record, helperServiceName) ? UninstallResult::kRemoved : UninstallResult::kIncomplete;
  }
  bool complete = true;
  bool any = false;
  std::set<std::wstring> drivers;
  for (const InstalledQueue& recorded : record.queues) {
    if (!onlyName.empty() && !EqualsIgnoreAsciiCase(recorded.name, onlyName)) continue;
    any = true;
    PrinterQueue now;
    if (!LocateQueue(recorded, record, now)) {
      win::Log(L"uninstall: \"%s\" is gone already", recorded.name);
    } else if (now.driver != recorded.driver) {
      win::Log(L"uninstall: \"%s\" uses the driver \"%s\" now, not ours: left alone", now.name, now.driver);
    } else {
      DWORD error = ERROR_SUCCESS;
      if (DeletePrinterQueue(now.name, error)) {
        win::Log(L"uninstall: printer \"%s\" removed", now.name);
      } else {
        win::Log(L"uninstall: printer \"%s\" could not be removed, error %d", now.name, error);
        complete = false;
        continue;  // still there: its record stays, so that a later removal finds it
      }
    }
    drivers.insert(recorded.driver);
    complete = RemoveDeviceRecords(recorded.driverKey, recorded.deviceKey, recorded.provider, recorded.driver) && complete;
    ForgetInstalledQueue(recorded.key);
  }
  if (!any) {
    win::Log(L"uninstall: the record names no printer \"%s\"", onlyName);
    return UninstallResult::kNothingInstalled;
  }
  for (const std::wstring& driver : drivers) {
    if (IsPrinterDriverInUse(driver)) {
      win::Log(L"uninstall: the driver \"%s\" is still used by a printer: kept", driver);
      continue;
    }
    DWORD error = ERROR_SUCCESS;
    if (DeletePrinterDriver(driver, PrinterEnvironmentOf(machine), error)) {
      win::Log(L"uninstall: the driver \"%s\" removed", driver);
    } else {
      win::Log(L"uninstall: the driver \"%s\" could not be removed, error %d", driver, error);
      complete = false;
    }
  }
  InstallRecord left;
  ReadInstallRecord(left);
  if (left.queues.empty()) {
    complete = RemoveWhatRemains(record, helperServiceName) && complete;
  } else {
    win::Log(L"uninstall: %d printer(s) of the record stay installed", static_cast<unsigned long>(left.queues.size()));
  }
  return complete ? UninstallResult::kRemoved : UninstallResult::kIncomplete;
}
